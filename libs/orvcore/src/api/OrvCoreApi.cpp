// The C functions of the camera library for devices, resolutions and the live
// picture: check the arguments, find the camera, forward to the engine.

#include "Engine.h"

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include <QByteArray>
#include <QWidget>

using orv::Camera;
using orv::Engine;

namespace {

// The engine, when initialised and called on its thread.
Engine* engine() {
    return Engine::onGuiThread() ? Engine::instance() : nullptr;
}

Camera* cameraAt(int index) {
    Engine* e = engine();
    return e ? e->camera(index) : nullptr;
}

QWidget* widgetFor(WId window) {
    return window ? QWidget::find(window) : nullptr;
}

// Returned strings live here until the next call of the same function.
const char* keep(QByteArray& storage, const QByteArray& text) {
    storage = text;
    return storage.constData();
}

const QSize* resolutionAt(int cameraIndex, int resolutionIndex) {
    const Camera* cam = cameraAt(cameraIndex);
    if (!cam || resolutionIndex < 0 || resolutionIndex >= cam->resolutions().size())
        return nullptr;
    return &cam->resolutions().at(resolutionIndex);
}

} // namespace

extern "C" {

int OrvInit(void) {
    return Engine::initialize() ? 0 : -1;
}

int OrvGetCameraCount(void) {
    const Engine* e = engine();
    return e ? e->cameraCount() : -1;
}

const char* OrvGetDevName(int cameraIndex) {
    static QByteArray name;
    const Camera* cam = cameraAt(cameraIndex);
    return keep(name, cam ? cam->name().toUtf8() : QByteArray());
}

int OrvOpenCamera(int cameraIndex, WId window) {
    Engine* e = engine();
    return e && e->openCamera(cameraIndex, widgetFor(window)) ? 0 : -1;
}

int OrvCloseCamera(int cameraIndex) {
    Camera* cam = cameraAt(cameraIndex);
    if (!cam || !cam->isOpen())
        return -1;
    cam->close();
    return 0;
}

int OrvSetHwnd(int cameraIndex, WId window) {
    Engine* e = engine();
    return e && e->moveCamera(cameraIndex, widgetFor(window)) ? 0 : -1;
}

int OrvUpdateVideo(int cameraIndex) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->updateVideo() ? 0 : -1;
}

int OrvSetDeviceChangeCB(OrvDeviceChangeCallback callback) {
    Engine* e = engine();
    if (!e)
        return -1;
    e->setDeviceChangeCallback(callback);
    return 0;
}

int OrvGetResCount(int cameraIndex) {
    const Camera* cam = cameraAt(cameraIndex);
    return cam ? int(cam->resolutions().size()) : -1;
}

int OrvGetResWidth(int cameraIndex, int resolutionIndex) {
    const QSize* size = resolutionAt(cameraIndex, resolutionIndex);
    return size ? size->width() : -1;
}

int OrvGetResHeight(int cameraIndex, int resolutionIndex) {
    const QSize* size = resolutionAt(cameraIndex, resolutionIndex);
    return size ? size->height() : -1;
}

int OrvSetResolution(int cameraIndex, int resolutionIndex) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->setResolution(resolutionIndex) ? 0 : -1;
}

int OrvSetDefaultResolution(int cameraIndex, int resolutionIndex) {
    Camera* cam = cameraAt(cameraIndex);
    return cam && cam->setDefaultResolution(resolutionIndex) ? 0 : -1;
}

// ---- Test hooks (OrvCoreTesting.h) ----

void OrvTestSetVirtualCameraCount(int n) {
    if (Engine* e = engine())
        e->setVirtualCameraCount(n);
}

int OrvTestGetFrameSize(int cameraIndex, int* width, int* height) {
    const Camera* cam = cameraAt(cameraIndex);
    if (!cam || !width || !height)
        return -1;
    const QSize size = cam->latest().size();
    if (size.isEmpty())
        return -1;
    *width = size.width();
    *height = size.height();
    return 0;
}

int OrvTestGetViewFrameSize(int cameraIndex, int* width, int* height) {
    const Camera* cam = cameraAt(cameraIndex);
    if (!cam || !width || !height)
        return -1;
    const QSize size = cam->readyPictureSize();
    if (size.isEmpty())
        return -1;
    *width = size.width();
    *height = size.height();
    return 0;
}

void OrvTestShutdown(void) {
    if (Engine::onGuiThread())
        Engine::shutdown();
}

} // extern "C"
