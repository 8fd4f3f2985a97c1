// The C functions of the camera library for the view: zoom, rotation, the
// mouse modes and the video rectangle. Check the arguments, find the camera,
// forward to its ViewControl.
//
// Live-view calls (zoom, reset, mouse input, the video rectangle) need an
// open camera; rotation, mouse mode, zoom callback and zoom-rate display are
// remembered per camera, open or closed.

#include "ApiSupport.h"
#include "ViewState.h"

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include <cmath>

using orv::Camera;
using orv::ViewControl;
using orv::api::cameraAt;
using orv::api::cameraInWindow;
using orv::api::keep;
using orv::api::openCameraAt;

namespace {

// Window rectangles: right and bottom lie just outside, as in a window rectangle.
QByteArray rectText(const QRect& r) {
    return QByteArray::number(r.left()) + '.' + QByteArray::number(r.top()) + '.' +
           QByteArray::number(r.left() + r.width()) + '.' +
           QByteArray::number(r.top() + r.height());
}

int fillRect(const QRect& r, int* left, int* top, int* right, int* bottom) {
    if (r.isEmpty() || !left || !top || !right || !bottom)
        return -1;
    *left = r.left();
    *top = r.top();
    *right = r.left() + r.width();
    *bottom = r.top() + r.height();
    return 0;
}

} // namespace

extern "C" {

int OrvResetVideo(int cameraIndex) {
    Camera* cam = openCameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->viewControl().reset();
    return 0;
}

int OrvZoom(int cameraIndex, float ratio) {
    Camera* cam = openCameraAt(cameraIndex);
    if (!cam || !std::isfinite(ratio))
        return -1;
    cam->viewControl().zoomTo(ratio);
    return 0;
}

int OrvZoomIn(int cameraIndex) {
    Camera* cam = openCameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->viewControl().zoomBy(orv::kZoomStep);
    return 0;
}

int OrvZoomOut(int cameraIndex) {
    Camera* cam = openCameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->viewControl().zoomBy(1.0f / orv::kZoomStep);
    return 0;
}

float OrvGetMinZoomRatio(int cameraIndex) {
    return cameraAt(cameraIndex) ? orv::kMinZoom : 0.0f;
}

float OrvGetMaxZoomRatio(int cameraIndex) {
    return cameraAt(cameraIndex) ? orv::kMaxZoom : 0.0f;
}

int OrvSetZoomCB(int cameraIndex, OrvZoomCallback callback) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->viewControl().setZoomCallback(callback);
    return 0;
}

int OrvSetShowZoomRate(int cameraIndex, bool show) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->viewControl().setShowZoomRate(show);
    return 0;
}

int OrvRotateLeft(int cameraIndex) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->viewControl().rotate(-1);
    return 0;
}

int OrvRotateRight(int cameraIndex) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam)
        return -1;
    cam->viewControl().rotate(1);
    return 0;
}

int OrvSetRotate(int cameraIndex, int rotation) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam || rotation < 0 || rotation > 3)
        return -1;
    cam->viewControl().setRotation(rotation);
    return 0;
}

int OrvSetMouseMode(int cameraIndex, int mode) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->viewControl().setMouseMode(mode) ? 0 : -1;
}

// Mouse input is accepted (0) from any window a camera draws into; in mouse
// mode -1 it changes nothing.
int OrvOnLMousePress(WId window, int x, int y) {
    Camera* cam = cameraInWindow(window);
    if (!cam)
        return -1;
    cam->viewControl().press({x, y});
    return 0;
}

int OrvOnMouseMoving(WId window, int x, int y) {
    Camera* cam = cameraInWindow(window);
    if (!cam)
        return -1;
    cam->viewControl().move({x, y});
    return 0;
}

int OrvOnLMouseRelease(WId window, int x, int y) {
    Camera* cam = cameraInWindow(window);
    if (!cam)
        return -1;
    cam->viewControl().release({x, y});
    return 0;
}

int OrvOnWheel(WId window, int delta) {
    Camera* cam = cameraInWindow(window);
    if (!cam)
        return -1;
    if (delta != 0)
        cam->viewControl().wheel(delta);
    return 0;
}

const char* OrvGetVideoRect(int cameraIndex) {
    static QByteArray text;
    const Camera* cam = cameraAt(cameraIndex);
    const QRect r = cam ? cam->videoRect() : QRect();
    return keep(text, r.isEmpty() ? QByteArray() : rectText(r));
}

int OrvGetVideoRectEx(int cameraIndex, int* left, int* top, int* right, int* bottom) {
    const Camera* cam = cameraAt(cameraIndex);
    return cam ? fillRect(cam->videoRect(), left, top, right, bottom) : -1;
}

// ---- Test hooks (OrvCoreTesting.h) ----

int OrvTestGetCaptureRect(int cameraIndex, int* left, int* top, int* right, int* bottom) {
    const Camera* cam = cameraAt(cameraIndex);
    return cam ? fillRect(cam->viewControl().captureRect(), left, top, right, bottom) : -1;
}

const char* OrvTestGetZoomRateText(int cameraIndex) {
    static QByteArray text;
    const Camera* cam = cameraAt(cameraIndex);
    return keep(text, cam ? cam->viewControl().zoomRateText().toUtf8() : QByteArray());
}

} // extern "C"
