#pragma once

// One camera: its frame source, the newest frame and, while open, the view
// that draws it into a widget. Called on the GUI thread only; the source and
// view threads reach it through onFrame().

#include "CameraSettings.h"
#include "FrameSource.h"
#include "LatestFrame.h"
#include "SoftwareControls.h"
#include "ViewControl.h"
#include "capture/CaptureSettings.h"
#include "capture/Watermark.h"

#include <orvcore/OrvCoreLib.h>

#include <QObject>
#include <QRect>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

class QWidget;
typedef struct _GstElement GstElement;

namespace orv {

class PageTurnWatcher;
class Recorder;
class VideoView;

class Camera {
public:
    Camera(QString name, std::unique_ptr<FrameSource> source);
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    QString name() const { return m_name; }
    const QList<QSize>& resolutions() const { return m_resolutions; }
    bool isOpen() const { return m_view != nullptr; }

    // Starts streaming at the default resolution into target. An open camera
    // only moves to target. False when the source cannot start.
    bool open(QWidget* target);
    // Stops streaming, finishing a recording first; the source thread is
    // gone when this returns.
    void close();

    // The widget the picture is drawn into; nullptr when closed or detached.
    QWidget* target() const;
    // Draws into target from now on (nullptr: nowhere). False when closed.
    bool setTarget(QWidget* target);
    bool updateVideo();

    // Resolution indexes into resolutions(); false for one out of range.
    bool setDefaultResolution(int index);
    // Changes the frame size of the running stream; false when closed.
    bool setResolution(int index);
    int resolutionIndex() const { return m_resolution; }
    QSize frameSize() const { return m_resolutions.value(m_resolution); }

    // Where the picture is drawn inside the target window, from the selected
    // frame size and the window's size; empty without a window.
    QRect videoRect() const;

    // The newest frame at full size (decoded now when the camera sends JPEG).
    QImage latestFrame() const { return m_latest.get().image(); }
    // The newest frame as it came, decoded or not.
    Frame latest() const { return m_latest.get(); }
    QSize readyPictureSize() const;

    // Zoom, pan, rotation, mouse modes and the capture rectangle.
    ViewControl& viewControl() { return m_viewControl; }
    const ViewControl& viewControl() const { return m_viewControl; }
    // What captures use: DPI, JPEG quality, colour mode and the rest.
    CameraSettings& settings() { return m_settings; }
    const CameraSettings& settings() const { return m_settings; }
    // Capture mode, split capture and PDF mode.
    CaptureSettings& captureSettings() { return m_captureSettings; }
    // The picture controls: the source's own, or the standard set emulated
    // in software on the frames when the source has none.
    ControlSet& controls();
    FrameSource& source() { return *m_source; }

    // The watermark stamped into captures and drawn over the live picture;
    // null for none.
    void setWatermark(std::shared_ptr<const capture::WatermarkSpec> stamp);
    std::shared_ptr<const capture::WatermarkSpec> watermark() const { return m_watermark; }

    // Automatic capture: while on, each page turned in the picture calls the
    // callback (on a worker thread) with cameraIndex. The callback may be
    // set or changed at any time.
    void setAutoCapCallback(OrvAutoCapCallback callback) { m_autoCapCallback = callback; }
    void setAutoCapture(bool on, int cameraIndex);
    bool autoCapture() const;

    // Records the frames from now on (see Recorder); sound from makeAudio
    // when given. 0, or why not (one of OrvStartRecord's results) with the
    // details in *error: closed, recording already, or the recording cannot
    // start.
    int startRecording(const QString& path, const std::function<GstElement*()>& makeAudio,
                       QString* error);
    // Ends the recording and finalises its file; false when none ran or the
    // file could not be finished.
    bool stopRecording();
    // A recording the camera ended itself (closed, disk full, a failed
    // write): the reason (ORV_RECORD_END_...) and whether its file was
    // finished. Called on the GUI thread.
    using RecordingEndHandler = std::function<void(Camera* camera, int reason, bool saved)>;
    static void setRecordingEndHandler(RecordingEndHandler handler);
    // The running recording; nullptr when none. GUI thread.
    const Recorder* recorder() const { return m_recorder.get(); }

private:
    void onFrame(const Frame& frame);
    // Ends the running recording for reason and reports it.
    void endRecording(int reason);

    const QString m_name;
    const std::unique_ptr<FrameSource> m_source;
    const QList<QSize> m_resolutions;
    int m_defaultResolution = 0;
    int m_resolution = 0;
    LatestFrame m_latest;
    std::unique_ptr<VideoView> m_view; // exists exactly while open
    ViewControl m_viewControl{*this};
    CameraSettings m_settings;
    CaptureSettings m_captureSettings;
    SoftwareControls m_softwareControls; // used when the source has no controls
    std::shared_ptr<const capture::WatermarkSpec> m_watermark;
    std::atomic<OrvAutoCapCallback> m_autoCapCallback{nullptr};
    mutable std::mutex m_watchMutex; // guards m_watcher against the source thread
    std::unique_ptr<PageTurnWatcher> m_watcher;
    std::shared_ptr<Recorder> m_recorder; // written on the GUI thread under m_recordMutex
    mutable std::mutex m_recordMutex;
    quint64 m_recordings = 0; // recordings started, to tell a late report from the current one
    QObject m_context;        // GUI-thread work the recorder asks for; goes with the camera
};

} // namespace orv
