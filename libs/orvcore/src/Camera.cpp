#include "Camera.h"

#include "PageTurnWatcher.h"
#include "Recorder.h"
#include "VideoView.h"
#include "ViewGeometry.h"

namespace orv {

Camera::Camera(QString name, std::unique_ptr<FrameSource> source)
    : m_name(std::move(name)), m_source(std::move(source)), m_resolutions(m_source->resolutions()) {
}

Camera::~Camera() {
    close();
    setAutoCapture(false, -1);
}

bool Camera::open(QWidget* target) {
    if (isOpen())
        return setTarget(target);
    m_view = std::make_unique<VideoView>();
    m_resolution = m_defaultResolution;
    if (!m_source->start(frameSize(), [this](const Frame& frame) { onFrame(frame); })) {
        m_view.reset();
        return false;
    }
    m_view->setTarget(target);
    m_view->setWatermark(m_watermark);
    m_viewControl.attach(m_view.get());
    return true;
}

namespace {
Camera::RecordingEndHandler& recordingEndHandler() {
    static Camera::RecordingEndHandler handler;
    return handler;
}
} // namespace

void Camera::setRecordingEndHandler(RecordingEndHandler handler) {
    recordingEndHandler() = std::move(handler);
}

void Camera::close() {
    if (!isOpen())
        return;
    endRecording(ORV_RECORD_END_CAMERA_CLOSED);
    m_source->stop(); // no onFrame() after this
    m_viewControl.attach(nullptr);
    m_view.reset();
    m_latest.clear();
}

QWidget* Camera::target() const {
    return m_view ? m_view->target() : nullptr;
}

bool Camera::setTarget(QWidget* target) {
    if (!m_view)
        return false;
    m_view->setTarget(target);
    return true;
}

bool Camera::updateVideo() {
    if (!target())
        return false;
    m_view->requestRepaint();
    return true;
}

bool Camera::setDefaultResolution(int index) {
    if (index < 0 || index >= m_resolutions.size())
        return false;
    m_defaultResolution = index;
    return true;
}

bool Camera::setResolution(int index) {
    if (!isOpen() || index < 0 || index >= m_resolutions.size())
        return false;
    if (index == m_resolution)
        return true;
    if (!m_source->setSize(m_resolutions.at(index)))
        return false;
    m_resolution = index;
    return true;
}

QRect Camera::videoRect() const {
    return m_viewControl.videoRect();
}

QSize Camera::readyPictureSize() const {
    return m_view ? m_view->readyPictureSize() : QSize();
}

ControlSet& Camera::controls() {
    ControlSet* own = m_source->controls();
    return own ? *own : m_softwareControls;
}

int Camera::startRecording(const QString& path, const std::function<GstElement*()>& makeAudio,
                           QString* error) {
    if (!isOpen() || m_recorder) {
        if (error)
            *error = isOpen() ? QStringLiteral("recording already") : QStringLiteral("closed");
        return isOpen() ? ORV_RECORD_FAILED : ORV_RECORD_CAMERA_CLOSED;
    }
    // Trouble comes from the source or a streaming thread; the recording
    // ends on the GUI thread, if it is still the one that had it.
    auto onTrouble = [this, generation = ++m_recordings](int reason) {
        QMetaObject::invokeMethod(
            &m_context,
            [this, generation, reason] {
                if (m_recorder && generation == m_recordings)
                    endRecording(reason);
            },
            Qt::QueuedConnection);
    };
    Recorder::Failure failure;
    std::shared_ptr<Recorder> recorder =
        Recorder::start(path, frameSize(), makeAudio, std::move(onTrouble), &failure);
    if (!recorder) {
        if (error)
            *error = failure.text;
        return failure.code;
    }
    std::lock_guard lock(m_recordMutex);
    m_recorder = std::move(recorder);
    return 0;
}

void Camera::endRecording(int reason) {
    if (!m_recorder)
        return;
    const bool saved = stopRecording();
    if (recordingEndHandler())
        recordingEndHandler()(this, reason, saved);
}

bool Camera::stopRecording() {
    std::shared_ptr<Recorder> recorder;
    {
        std::lock_guard lock(m_recordMutex);
        recorder.swap(m_recorder);
    }
    // A frame being offered right now finds the recorder no longer accepting.
    return recorder && recorder->finish();
}

void Camera::onFrame(const Frame& frame) {
    // Emulated controls change the frame itself, so captures see them too;
    // a JPEG frame is decoded for them (they are neutral unless moved).
    const bool emulated = !m_source->controls() && !m_softwareControls.adjustment().isIdentity();
    const Frame shown = emulated ? Frame(m_softwareControls.apply(frame.image())) : frame;
    m_latest.store(shown);
    m_view->submitFrame(shown);
    std::shared_ptr<Recorder> recorder;
    {
        std::lock_guard lock(m_recordMutex);
        recorder = m_recorder;
    }
    if (recorder) // recordings keep the full picture
        recorder->offer(shown.image());
    std::lock_guard lock(m_watchMutex);
    if (m_watcher)
        m_watcher->submit(shown);
}

void Camera::setWatermark(std::shared_ptr<const capture::WatermarkSpec> stamp) {
    m_watermark = std::move(stamp);
    if (m_view)
        m_view->setWatermark(m_watermark);
}

void Camera::setAutoCapture(bool on, int cameraIndex) {
    std::unique_ptr<PageTurnWatcher> old;
    {
        std::lock_guard lock(m_watchMutex);
        if (on == (m_watcher != nullptr))
            return;
        if (on)
            m_watcher = std::make_unique<PageTurnWatcher>([this, cameraIndex] {
                if (OrvAutoCapCallback callback = m_autoCapCallback)
                    callback(cameraIndex);
            });
        else
            old = std::move(m_watcher);
    }
    old.reset(); // joins the worker outside the lock the source thread takes
}

bool Camera::autoCapture() const {
    std::lock_guard lock(m_watchMutex);
    return m_watcher != nullptr;
}

} // namespace orv
