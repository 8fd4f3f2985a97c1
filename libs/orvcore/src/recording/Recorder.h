#pragma once

// One recording: a camera's frames as WMV video and, when a microphone is
// given and opens, its sound as WMA, in an ASF file. The pipeline is
//
//   appsrc ! videoconvert ! videoscale ! I420 at the start size ! avenc_wmv2 ! queue ! asfmux
//   <microphone> ! queue ! audioconvert ! audioresample ! avenc_wmav2 ! queue ! asfmux
//   asfmux ! filesink
//
// Frames are stamped with the pipeline clock's running time when they are
// offered, so video and sound share one time line from the start of the
// recording; stamps are whole milliseconds (the file's unit), each later
// than the one before. The libav encoders shift their output by a large
// constant (their segment says so, but asfmux writes the timestamps as they
// come); a probe on each encoder's output turns timestamps back into running
// time and starts a fresh segment at 0, so that players see both streams
// from 0.
//
// The file is written under a temporary name beside the target
// ("<path>.part") and renamed to the target once finalised, so a recording
// never replaces a file and one cut off by a crash is recognisable. A path
// that exists already is refused. A microphone that does not open gives a
// recording without sound; a pipeline that cannot start (the folder cannot
// be written, an encoder is missing) leaves no file behind.
//
// While it runs, the room left on the file's disk is looked at every second:
// when it falls below what finishing the file needs (kept in reserve, see
// reserveBytes()), or a write fails, the recorder reports trouble once, and
// its owner finishes it.
//
// start(), finish() and the destructor on one thread (the GUI thread);
// offer() on any thread (the camera's source thread): it never waits for the
// encoder, and a frame that finds the input full is dropped and counted.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

typedef struct _GstElement GstElement;
typedef struct _GstClock GstClock;

namespace orv {

class Recorder final {
public:
    // Makes a floating source element for the microphone; nullptr: none.
    using AudioSourceFactory = std::function<GstElement*()>;
    // Why a recording cannot go on (ORV_RECORD_END_DISK_FULL or
    // ORV_RECORD_END_WRITE_FAILED); called once, on any thread.
    using TroubleHandler = std::function<void(int reason)>;

    // Why a recording did not start: one of OrvStartRecord's results, and
    // the details.
    struct Failure {
        int code = -1;
        QString text;
    };

    // A running recording of frames of frameSize into path, with sound from
    // makeAudio when given; nullptr and the reason in *failure when it cannot
    // start (then no file is left).
    static std::unique_ptr<Recorder> start(const QString& path, QSize frameSize,
                                           const AudioSourceFactory& makeAudio,
                                           TroubleHandler onTrouble, Failure* failure);
    // Loads the encoders and the muxer on a thread of its own, so that the
    // first recording starts without waiting for them. Harmless when repeated.
    static void preload();

    // Finishes the recording when finish() was not called.
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Hands one frame to the encoder. Frames of another size are scaled to
    // the recording's size in the pipeline.
    void offer(const QImage& frame);

    // Ends the streams, waits until the file is finalised and gives it its
    // name. False when it could not be finished: what was written stays
    // under the temporary name. Harmless when called again.
    bool finish();

    // The room on the disk a recording of frameSize keeps for finishing its
    // file: the encoded data that can be on its way to the file, and more.
    static quint64 reserveBytes(QSize frameSize);
    // Test hook: the reserve is this many bytes (0: as computed).
    static void setReserve(quint64 bytes);

    bool hasAudio() const { return m_hasAudio; }
    QString path() const { return m_path; }
    quint64 framesWritten() const { return m_written; }
    quint64 framesDropped() const { return m_dropped; }

private:
    Recorder() = default;
    bool build(QSize frameSize, GstElement* audio, QString* error);
    void teardown();
    // Reports trouble to the handler, the first time only.
    void troubled(int reason);
    // Once a second (at the frame stamped now): trouble when the disk is
    // nearly full.
    void watchRoom(quint64 now);
    friend struct RecorderBus; // the bus handler, which reports failed writes

    QString m_path;
    QString m_partPath;
    QByteArray m_folder; // where the room is looked at
    quint64 m_reserve = 0;
    quint64 m_nextRoomCheck = 0; // running time
    TroubleHandler m_onTrouble;
    std::atomic<bool> m_troubled{false};
    bool m_hasAudio = false;
    bool m_finished = true; // until started

    GstElement* m_pipeline = nullptr;
    GstElement* m_appsrc = nullptr;
    GstElement* m_audio = nullptr;
    GstClock* m_clock = nullptr;
    quint64 m_baseTime = 0;

    std::mutex m_mutex; // guards the rest; offer() holds it briefly
    bool m_accepting = false;
    QSize m_inputSize;
    QImage::Format m_inputFormat = QImage::Format_Invalid;
    quint64 m_frameBytes = 0;
    quint64 m_lastStamp = 0; // of the last frame pushed; the first is at 1 ms or later
    std::atomic<quint64> m_written{0};
    std::atomic<quint64> m_dropped{0};
};

} // namespace orv
