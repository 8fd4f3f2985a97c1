#pragma once

// The microphones recordings can take their sound from: GStreamer's device
// monitor on "Audio/Source", and after those a virtual microphone (a live
// test tone) while virtual cameras exist, so that sound is recorded on a
// machine without a sound card. The list is read again by refresh(); the
// chosen index stays until changed, and a recording opens the device it
// names at that moment.
//
// Made, used and destroyed on the GUI thread.

#include <QByteArray>
#include <QList>
#include <QString>

typedef struct _GstDevice GstDevice;
typedef struct _GstElement GstElement;

namespace orv {

class AudioDevices final {
public:
    static constexpr const char* kVirtualName = "Orvanta Virtual Microphone";
    static constexpr const char* kVirtualSource = "audiotestsrc is-live=true wave=sine freq=440";

    AudioDevices() = default;
    ~AudioDevices();
    AudioDevices(const AudioDevices&) = delete;
    AudioDevices& operator=(const AudioDevices&) = delete;

    // Lists the microphones present now; withVirtual adds the virtual one
    // last (when it has a source). Returns the count.
    int refresh(bool withVirtual);
    int count() const { return int(m_entries.size()); }
    // The name of a listed microphone; empty for an index out of range.
    QString name(int index) const;

    // The microphone recordings use; false for an index out of range.
    bool select(int index);
    int selected() const { return m_selected; }

    // A new source element for the chosen microphone, floating; nullptr when
    // none is listed or it cannot be made.
    GstElement* createSource() const;

    // The virtual microphone's gst-launch description; empty: there is none.
    void setVirtualSource(const QByteArray& description) { m_virtualSource = description; }

private:
    struct Entry {
        QString name;
        GstDevice* device = nullptr; // nullptr: the virtual microphone
    };
    void clear();

    QList<Entry> m_entries;
    int m_selected = 0;
    QByteArray m_virtualSource = kVirtualSource;
};

} // namespace orv
