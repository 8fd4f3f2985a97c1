#pragma once

// The real cameras: GStreamer's device monitor on "Video/Source", keeping the
// devices of the v4l2 provider (other providers, such as PipeWire's, would
// list the same cameras again). The monitor lists what is present when it is
// made and reports later arrivals and removals through its callbacks, on the
// GUI thread. A machine without cameras, or without a v4l2 provider, simply
// has an empty list.
//
// Test seam: GStreamer's device messages end in reportArrival() and
// reportRemoval(); a test calls them itself to plug in a pretend device whose
// source is any description GstSource accepts (videotestsrc in the tests).
//
// Made, used and destroyed on the GUI thread.

#include "GstSource.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

typedef struct _GstDeviceMonitor GstDeviceMonitor;

namespace orv {

struct DeviceInfo {
    QString id;               // unique; the device node (/dev/videoN) of a real camera
    QString name;             // for people
    QString node;             // the device node for its controls; empty: none
    QString source;           // gst-launch description of the source, see GstSource
    QList<CaptureMode> modes; // largest first; empty: probe the source
};

struct MonitorRelay;

class DeviceMonitor final {
public:
    using Arrival = std::function<void(const DeviceInfo& device)>;
    using Removal = std::function<void(const QString& id)>;

    // watchDevices false: GStreamer is not asked; only test devices exist.
    DeviceMonitor(Arrival onArrival, Removal onRemoval, bool watchDevices = true);
    ~DeviceMonitor();
    DeviceMonitor(const DeviceMonitor&) = delete;
    DeviceMonitor& operator=(const DeviceMonitor&) = delete;

    // The devices present, in the order they were found.
    const QList<DeviceInfo>& devices() const { return m_devices; }
    // True while GStreamer reports arrivals and removals.
    bool isWatching() const { return m_monitor != nullptr; }
    // Lives on the GUI thread as long as the monitor: work queued on it is
    // dropped when the monitor goes.
    QObject* context() { return &m_context; }

    // A device arrived or left: updates devices() and calls back. False,
    // and nothing called, for an empty or known id (arrival) or an unknown
    // one (removal).
    bool reportArrival(const DeviceInfo& device);
    bool reportRemoval(const QString& id);

private:
    QObject m_context;
    const Arrival m_onArrival;
    const Removal m_onRemoval;
    QList<DeviceInfo> m_devices;
    GstDeviceMonitor* m_monitor = nullptr;
    std::shared_ptr<MonitorRelay> m_relay;
};

} // namespace orv
