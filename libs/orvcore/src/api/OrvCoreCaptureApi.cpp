// The C functions of the camera library that capture: the current frame of a
// camera through the processing chain into files, and the capture layout
// switches. The layout switches work on a camera open or closed; a capture
// needs an open camera with a frame.

#include "ApiSupport.h"
#include "capture/CaptureJob.h"

#include <orvcore/OrvCoreLib.h>

using orv::Camera;
using orv::api::cameraAt;
using orv::api::openCameraAt;

namespace {

orv::capture::CaptureRequest requestFor(Camera* cam) {
    const orv::CameraSettings& s = cam->settings();
    const orv::CaptureSettings& layout = cam->captureSettings();
    const orv::ViewState& view = cam->viewControl().state();
    orv::capture::CaptureRequest request;
    request.frame = cam->latestFrame(); // shared, not copied: the source stores new frames aside
    orv::capture::ChainSettings& chain = request.chain;
    chain.captureRect = view.captureRect;
    chain.rotation = view.rotation;
    chain.autoCrop = s.autoRotate;
    chain.captureMode = layout.captureMode;
    chain.split = layout.split;
    chain.removeBackground = s.removeBackground;
    chain.resize = s.resize;
    chain.resizeRatio = s.resizeRatio;
    chain.colourMode = s.colourMode;
    chain.dpi = s.dpi;
    chain.jpgQuality = s.jpgQuality;
    chain.watermark = cam->watermark();
    chain.stampTime = QDateTime::currentDateTime();
    request.appendPdf = layout.pdfMode == orv::CaptureSettings::kPdfAppend;
    return request;
}

} // namespace

extern "C" {

// The number of pictures written (see CaptureJob.h for the files); -1 for a
// bad index, a closed camera, no frame yet, an unknown extension or a file
// that could not be written.
int OrvCapture(int cameraIndex, const char* path) {
    Camera* cam = openCameraAt(cameraIndex);
    if (!cam || !path || !*path)
        return -1;
    const orv::capture::CaptureRequest request = requestFor(cam);
    if (request.frame.isNull())
        return -1;
    return orv::capture::runCapture(QByteArray(path), request);
}

int OrvWritePdfPages(const char* pdfPath, int mode, int count, const char* const* pictures,
                     const char* const* words) {
    if (!pdfPath || !*pdfPath || count < 1 || !pictures ||
        (mode != orv::CaptureSettings::kPdfAppend && mode != orv::CaptureSettings::kPdfSinglePage))
        return -1;
    QList<QByteArray> files, texts;
    for (int i = 0; i < count; ++i) {
        if (!pictures[i] || !*pictures[i])
            return -1;
        files << QByteArray(pictures[i]);
        texts << QByteArray(words && words[i] ? words[i] : "");
    }
    return orv::capture::writePdfFromFiles(QByteArray(pdfPath),
                                           mode == orv::CaptureSettings::kPdfAppend, files, texts);
}

int OrvSetCaptureMode(int cameraIndex, int mode) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->captureSettings().setCaptureMode(mode) ? 0 : -1;
}

int OrvEnableSplitCap(int cameraIndex, bool enable) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->captureSettings().split = enable;
    return 0;
}

int OrvSetPDFMode(int cameraIndex, int mode) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->captureSettings().setPdfMode(mode) ? 0 : -1;
}

} // extern "C"
