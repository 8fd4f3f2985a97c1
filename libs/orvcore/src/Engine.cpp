#include "Engine.h"

#include "DeviceMonitor.h"
#include "GstSource.h"
#include "Recorder.h"
#include "V4l2Controls.h"
#include "VirtualSource.h"

#include <QApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

namespace orv {

namespace {

Engine* g_engine = nullptr;
// Held while the engine or its list of cameras changes, and by readers of a
// frame on other threads.
QMutex g_listLock;

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
    {
        QMutexLocker lock(&g_listLock);
        g_engine = new Engine;
    }
    g_engine->m_pagesFolder = qEnvironmentVariable("ORVANTA_VIRTUAL_PAGES");
    // Real cameras lead the list.
    const bool watchDevices = qEnvironmentVariable("ORVANTA_REAL_CAMERAS") != QLatin1String("0");
    Engine* engine = g_engine;
    g_engine->m_monitor = std::make_unique<DeviceMonitor>(
        [engine](const DeviceInfo& device) { engine->deviceArrived(device); },
        [engine](const QString& id) { engine->deviceRemoved(id); }, watchDevices);
    for (const DeviceInfo& device : g_engine->m_monitor->devices())
        g_engine->addDeviceCamera(device);
    bool ok = false;
    const int count = qEnvironmentVariableIntValue("ORVANTA_VIRTUAL_CAMERAS", &ok);
    const int cameras = ok ? qBound(0, count, kMaxVirtualCameras) : 0;
    for (int i = 0; i < cameras; ++i) {
        std::unique_ptr<Camera> camera = g_engine->makeVirtualCamera(i);
        QMutexLocker lock(&g_listLock);
        g_engine->m_cameras.push_back(std::move(camera));
    }
    Camera::setRecordingEndHandler([](Camera* camera, int reason, bool saved) {
        if (const Engine* e = g_engine)
            e->recordingEnded(camera, reason, saved);
    });
    Recorder::preload();
    // Stop every stream before the application object goes away.
    qRemovePostRoutine(shutdownAtExit);
    qAddPostRoutine(shutdownAtExit);
    return true;
}

Engine::Engine() = default;

Engine::~Engine() {
    m_devices.clear();
    m_cameras.clear(); // cameras close on destruction
    m_monitor.reset();
}

void Engine::shutdown() {
    QMutexLocker lock(&g_listLock);
    Engine* engine = g_engine;
    g_engine = nullptr;
    lock.unlock(); // no other thread can reach it now
    delete engine; // cameras close on destruction
}

QImage Engine::latestFrameOf(int index) {
    Frame frame;
    {
        QMutexLocker lock(&g_listLock);
        const Camera* cam = g_engine ? g_engine->camera(index) : nullptr;
        if (cam)
            frame = cam->latest(); // cleared when the camera closes
    }
    return frame.image(); // a JPEG is decoded outside the list's lock
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
    while (cameraCount() - deviceCameraCount() > count) {
        m_cameras.back()->close();
        {
            QMutexLocker lock(&g_listLock);
            m_cameras.pop_back();
        }
        notify(ORV_DEVICE_REMOVE_COMPLETE);
    }
    while (cameraCount() - deviceCameraCount() < count) {
        std::unique_ptr<Camera> camera = makeVirtualCamera(cameraCount() - deviceCameraCount());
        {
            QMutexLocker lock(&g_listLock);
            m_cameras.push_back(std::move(camera));
        }
        notify(ORV_DEVICE_ARRIVAL);
    }
}

bool Engine::deviceArrived(const DeviceInfo& device) {
    if (!addDeviceCamera(device))
        return false;
    notify(ORV_DEVICE_ARRIVAL);
    return true;
}

bool Engine::deviceRemoved(const QString& id) {
    for (auto it = m_cameras.begin(); it != m_cameras.end(); ++it) {
        const auto device = m_devices.find(it->get());
        if (device == m_devices.end() || device->second.id != id)
            continue;
        (*it)->close();
        m_devices.erase(device);
        {
            QMutexLocker lock(&g_listLock);
            m_cameras.erase(it);
        }
        notify(ORV_DEVICE_REMOVE_COMPLETE);
        return true;
    }
    return false;
}

GstSource* Engine::deviceSource(int index) const {
    const auto device = m_devices.find(camera(index));
    return device == m_devices.end() ? nullptr : device->second.source;
}

// A camera for device, inserted after the other real cameras. False for a
// device known already or one without a frame size to offer.
bool Engine::addDeviceCamera(const DeviceInfo& device) {
    for (const auto& [camera, known] : m_devices)
        if (known.id == device.id)
            return false;
    QList<CaptureMode> modes = device.modes;
    if (modes.isEmpty())
        modes = GstSource::probeModes(device.source);
    if (modes.isEmpty()) {
        qWarning("camera %s (%s) offers no usable frame size", qPrintable(device.name),
                 qPrintable(device.id));
        return false;
    }
    auto source = std::make_unique<GstSource>(device.source, modes);
    GstSource* gst = source.get();
    if (!device.node.isEmpty()) { // without controls of its own it gets the emulated ones
        std::unique_ptr<V4l2Controls> controls = V4l2Controls::open(device.node);
        if (!controls->controls().isEmpty())
            gst->setControls(std::move(controls));
    }
    // A failed stream counts as the device gone. The removal is queued: the
    // source reporting the failure is destroyed with its camera.
    gst->setFailureHandler([this, id = device.id](const QString&) {
        QMetaObject::invokeMethod(
            m_monitor->context(), [this, id] { deviceRemoved(id); }, Qt::QueuedConnection);
    });
    auto camera = std::make_unique<Camera>(device.name, std::move(source));
    m_devices[camera.get()] = Device{device.id, gst};
    QMutexLocker lock(&g_listLock);
    m_cameras.insert(m_cameras.begin() + (deviceCameraCount() - 1), std::move(camera));
    return true;
}

std::unique_ptr<Camera> Engine::makeVirtualCamera(int index) const {
    // The folder feeds the first camera, the document camera; the others keep
    // their scenes so that two cameras always look different.
    const QString folder = index == 0 ? m_pagesFolder : QString();
    return std::make_unique<Camera>(QStringLiteral("Orvanta Virtual Camera %1").arg(index + 1),
                                    std::make_unique<VirtualSource>(index, folder));
}

void Engine::recordingEnded(const Camera* camera, int reason, bool saved) const {
    const OrvRecordEndCallback callback = m_recordEnd;
    for (std::size_t i = 0; callback && i < m_cameras.size(); ++i)
        if (m_cameras[i].get() == camera)
            callback(int(i), reason, saved);
}

void Engine::notify(int event) const {
    if (OrvDeviceChangeCallback callback = m_deviceChange)
        callback(event);
}

} // namespace orv
