#include "Engine.h"

#include "VirtualSource.h"

#include <QApplication>
#include <QThread>

namespace orv {

namespace {

Engine* g_engine = nullptr;

void shutdownAtExit() {
    Engine::shutdown();
}

} // namespace

Engine* Engine::instance() {
    return g_engine;
}

bool Engine::onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

bool Engine::initialize() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !onGuiThread())
        return false;
    if (g_engine)
        return true;
    g_engine = new Engine;
    g_engine->m_pagesFolder = qEnvironmentVariable("ORVANTA_VIRTUAL_PAGES");
    bool ok = false;
    const int count = qEnvironmentVariableIntValue("ORVANTA_VIRTUAL_CAMERAS", &ok);
    const int cameras = ok ? qBound(0, count, kMaxVirtualCameras) : 0;
    for (int i = 0; i < cameras; ++i)
        g_engine->m_cameras.push_back(g_engine->makeVirtualCamera(i));
    // Stop every stream before the application object goes away.
    qRemovePostRoutine(shutdownAtExit);
    qAddPostRoutine(shutdownAtExit);
    return true;
}

void Engine::shutdown() {
    Engine* engine = g_engine;
    g_engine = nullptr;
    delete engine; // cameras close on destruction
}

Camera* Engine::camera(int index) const {
    if (index < 0 || index >= cameraCount())
        return nullptr;
    return m_cameras[std::size_t(index)].get();
}

bool Engine::openCamera(int index, QWidget* window) {
    Camera* cam = camera(index);
    if (!cam || !window)
        return false;
    releaseWindow(window, cam);
    return cam->open(window);
}

bool Engine::moveCamera(int index, QWidget* window) {
    Camera* cam = camera(index);
    if (!cam || !window || !cam->isOpen())
        return false;
    releaseWindow(window, cam);
    return cam->setTarget(window);
}

void Engine::releaseWindow(QWidget* window, const Camera* keeper) {
    for (const auto& other : m_cameras) {
        if (other.get() != keeper && other->target() == window)
            other->setTarget(nullptr);
    }
}

void Engine::setVirtualCameraCount(int count) {
    count = qBound(0, count, kMaxVirtualCameras);
    while (cameraCount() > count) {
        m_cameras.back()->close();
        m_cameras.pop_back();
        notify(ORV_DEVICE_REMOVE_COMPLETE);
    }
    while (cameraCount() < count) {
        m_cameras.push_back(makeVirtualCamera(cameraCount()));
        notify(ORV_DEVICE_ARRIVAL);
    }
}

std::unique_ptr<Camera> Engine::makeVirtualCamera(int index) const {
    // The folder feeds the first camera, the document camera; the others keep
    // their scenes so that two cameras always look different.
    const QString folder = index == 0 ? m_pagesFolder : QString();
    return std::make_unique<Camera>(QStringLiteral("Orvanta Virtual Camera %1").arg(index + 1),
                                    std::make_unique<VirtualSource>(index, folder));
}

void Engine::notify(int event) const {
    if (OrvDeviceChangeCallback callback = m_deviceChange)
        callback(event);
}

} // namespace orv
