// The C functions of the camera library for the picture: the stored capture
// settings, the picture controls, the control panel and printing. All but
// printing work on a camera open or closed: settings and control values
// belong to the camera and stay across a close.

#include "ApiSupport.h"
#include "FrameScaler.h"
#include "PictureControl.h"
#include "PrintPage.h"
#include "PropertyDialog.h"

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include <QApplication>
#include <QPrinter>

using orv::Camera;
using orv::ControlInfo;
using orv::ControlSet;
using orv::ControlValue;
using orv::api::cameraAt;
using orv::api::openCameraAt;

namespace {

int readControl(int cameraIndex, int id, bool* isAuto, int* upper, int* lower, int* value) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam || !isAuto || !upper || !lower || !value)
        return -1;
    ControlSet& set = cam->controls();
    const QList<ControlInfo> list = set.controls();
    const ControlInfo* info = ControlSet::find(list, id);
    ControlValue current;
    if (!info || !set.value(id, &current))
        return -1;
    *isAuto = current.isAuto;
    *upper = info->maximum;
    *lower = info->minimum;
    *value = current.value;
    return 0;
}

int writeControl(int cameraIndex, int id, bool isAuto, int value) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->controls().setValue(id, ControlValue{isAuto, value}) ? 0 : -1;
}

// The newest full frame of an open camera, turned as its view is.
QImage turnedFrame(Camera* cam) {
    return orv::turnImage(cam->latestFrame(), cam->viewControl().state().rotation);
}

} // namespace

extern "C" {

int OrvSetDPI(int cameraIndex, int dpi) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->settings().setDpi(dpi) ? 0 : -1;
}

int OrvSetJpgQuality(int cameraIndex, int quality) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->settings().setJpgQuality(quality) ? 0 : -1;
}

// The live picture previews the colour mode as well.
int OrvSetDevColor(int cameraIndex, int colorMode) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam || !cam->settings().setColourMode(colorMode))
        return -1;
    cam->viewControl().setColourPreview(colorMode);
    return 0;
}

int OrvDelBackColor(int cameraIndex, bool enable) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->settings().removeBackground = enable;
    return 0;
}

int OrvEnableAutoRotate(int cameraIndex, bool enable) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->settings().autoRotate = enable;
    return 0;
}

int OrvSetResize(int cameraIndex, bool enable, float ratio) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->settings().setResize(enable, ratio) ? 0 : -1;
}

int OrvGetVideoProp(int cameraIndex, int property, bool* isAuto, int* upper, int* lower,
                    int* value) {
    if (property < 0 || property >= orv::kPropertyCount)
        return -1;
    return readControl(cameraIndex, property, isAuto, upper, lower, value);
}

int OrvSetVideoProp(int cameraIndex, int property, bool isAuto, int value) {
    if (property < 0 || property >= orv::kPropertyCount)
        return -1;
    return writeControl(cameraIndex, property, isAuto, value);
}

int OrvGetExposure(int cameraIndex, bool* isAuto, int* upper, int* lower, int* value) {
    return readControl(cameraIndex, orv::kExposure, isAuto, upper, lower, value);
}

int OrvSetExposure(int cameraIndex, bool isAuto, int value) {
    return writeControl(cameraIndex, orv::kExposure, isAuto, value);
}

int OrvShowVideoProperty(int cameraIndex) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    orv::PropertyDialog dialog(cam->controls(), cam->name(), QApplication::activeWindow());
    dialog.exec();
    return 0;
}

// 0 printed, 1 cancelled in the print dialog, -1 no open camera or no frame.
int OrvPrint(int cameraIndex) {
    Camera* cam = openCameraAt(cameraIndex);
    if (!cam)
        return -1;
    const QImage picture = turnedFrame(cam);
    if (picture.isNull())
        return -1;
    return orv::printWithDialog(picture, QApplication::activeWindow());
}

// ---- Test hooks (OrvCoreTesting.h) ----

int OrvTestGetCameraSettings(int cameraIndex, OrvTestCameraSettings* out) {
    const Camera* cam = cameraAt(cameraIndex);
    if (!cam || !out)
        return -1;
    const orv::CameraSettings& s = cam->settings();
    const orv::ViewControl& view = cam->viewControl();
    out->dpi = s.dpi;
    out->jpgQuality = s.jpgQuality;
    out->colorMode = s.colourMode;
    out->removeBackground = s.removeBackground;
    out->autoRotate = s.autoRotate;
    out->resize = s.resize;
    out->resizeRatio = s.resizeRatio;
    out->rotation = view.state().rotation;
    out->mouseMode = view.mouseMode();
    out->zoom = view.state().zoom;
    out->showZoomRate = view.showZoomRate();
    return 0;
}

int OrvTestPrintToFile(int cameraIndex, const char* pdfPath) {
    Camera* cam = openCameraAt(cameraIndex);
    if (!cam || !pdfPath || !*pdfPath)
        return -1;
    const QImage picture = turnedFrame(cam);
    if (picture.isNull())
        return -1;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromUtf8(pdfPath));
    return orv::printPicture(printer, picture) ? 0 : -1;
}

} // extern "C"
