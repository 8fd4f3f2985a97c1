#pragma once

// A camera through GStreamer. The pipeline is
//
//   <source> ! capsfilter ! videoconvert ! video/x-raw,format=BGRx ! appsink   (raw modes)
//   <source> ! capsfilter ! appsink                                            (MJPEG modes)
//
// where <source> is a gst-launch description: "v4l2src device=/dev/video0"
// for a real camera, "videotestsrc is-live=true" (optionally "! jpegenc")
// in the tests, so that both run the same caps negotiation, conversion,
// appsink and error handling. The appsink keeps one buffer and drops older
// ones: the newest frame wins. Frames reach the sink on GStreamer's
// streaming thread. MJPEG frames are delivered compressed (a buffer whose
// header is no JPEG of the negotiated size is dropped): the live picture
// decodes them reduced, and their full decode, when something asks for it,
// runs jpegdec ! videoconvert on them as the pipeline once did for every
// frame (GstJpegDecoder), so full pictures are what they always were.
//
// Starting waits, a few seconds at most, for the first frame: a missing or
// busy device and caps that do not negotiate make start() (or setSize())
// fail. Errors on the pipeline's bus after that (a device unplugged
// mid-stream, a failed renegotiation, an end of stream) stop the pipeline
// from the GUI thread and are reported to the failure handler there.
// Stopping never waits more than a few seconds for GStreamer either: a
// pipeline that does not reach NULL in time is left to finish on a thread of
// its own, no longer connected to the sink.
//
// Construct, control and destroy on the GUI thread (the thread whose event
// loop delivers the failure reports).

#include "FrameSource.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

typedef struct _GstCaps GstCaps;
typedef struct _GstElement GstElement;

namespace orv {

// Initialises GStreamer once for the process; false when it cannot start.
bool ensureGstreamer();

// How a device delivers one frame size.
struct CaptureMode {
    QSize size;
    bool jpeg = false; // image/jpeg, else video/x-raw of any pixel format
    int fpsNum = 0;    // the frame rate asked for; 0: left to negotiation
    int fpsDen = 1;
    double fps = 0; // the best rate offered, for choosing

    // The caps the mode filter of the pipeline uses.
    QByteArray caps() const;
    friend bool operator==(const CaptureMode& a, const CaptureMode& b) {
        return a.size == b.size && a.jpeg == b.jpeg && a.fpsNum == b.fpsNum && a.fpsDen == b.fpsDen;
    }
};

struct GstStream;

class GstSource final : public FrameSource {
public:
    // Below this many frames a second an MJPEG mode is not preferred to raw.
    static constexpr int kMinUsableFps = 5;

    // source: a gst-launch description of the element(s) producing the
    // stream. modes: what the device offers, as modesFromCaps() returns.
    GstSource(QString source, QList<CaptureMode> modes);
    ~GstSource() override;
    GstSource(const GstSource&) = delete;
    GstSource& operator=(const GstSource&) = delete;

    // One mode per distinct frame size of caps, largest first. A size is
    // taken as image/jpeg where that is offered at kMinUsableFps or more,
    // else as raw video, else as image/jpeg at whatever rate it has. Sizes
    // given as ranges and other media types are ignored.
    static QList<CaptureMode> modesFromCaps(const GstCaps* caps);
    static QList<CaptureMode> modesFromCaps(const QByteArray& caps);
    // Opens the source in READY and asks which caps it can produce; for a
    // device whose monitor entry came without caps.
    static QList<CaptureMode> probeModes(const QString& source);

    QString sourceDescription() const { return m_source; }
    const QList<CaptureMode>& modes() const { return m_modes; }

    QList<QSize> resolutions() const override;
    bool start(QSize size, FrameSink sink) override;
    // Rebuilds the pipeline at size. When that fails the previous size is
    // started again; when that fails too, the stream is reported as failed.
    bool setSize(QSize size) override;
    void stop() override;
    bool isRunning() const override;

    // The device's own controls (V4L2), given before the first start.
    void setControls(std::unique_ptr<ControlSet> controls) { m_controls = std::move(controls); }
    ControlSet* controls() override { return m_controls.get(); }

    // Called on the GUI thread after the running stream failed and was
    // stopped. It is the last thing the source does for that failure, so the
    // handler may arrange for the source to be destroyed (later, not from
    // inside the call).
    using FailureHandler = std::function<void(const QString& reason)>;
    void setFailureHandler(FailureHandler handler) { m_failureHandler = std::move(handler); }
    // Why the last start, size change or stream failed; empty when none did.
    QString lastError() const { return m_lastError; }
    QSize size() const { return m_size; }

    // For tests: the next buffer the source element pushes ends in a flow
    // error, as when a device vanishes mid-stream. False when stopped.
    bool breakStream();

private:
    const CaptureMode* modeFor(QSize size) const;
    bool launch(QSize size);
    void teardown();
    void streamFailed(quint64 generation, const QString& reason);
    void reportFailure(const QString& reason);

    const QString m_source;
    const QList<CaptureMode> m_modes;
    QObject m_context; // receives the failure reports on the GUI thread
    FailureHandler m_failureHandler;
    std::unique_ptr<ControlSet> m_controls;
    FrameSink m_sink;
    GstElement* m_pipeline = nullptr;
    std::shared_ptr<GstStream> m_stream;
    quint64 m_generation = 0; // counts pipelines; tells stale reports apart
    QSize m_size;
    QString m_lastError;
};

} // namespace orv
