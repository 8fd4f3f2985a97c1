// Test hooks of OrvCoreTesting.h for real cameras: pretend devices reported
// through the device monitor, and streams made to fail.

#include "DeviceMonitor.h"
#include "Engine.h"
#include "GstSource.h"

#include "orvcore/OrvCoreTesting.h"

using orv::DeviceInfo;
using orv::Engine;
using orv::GstSource;

namespace {

Engine* engine() {
    return Engine::onGuiThread() ? Engine::instance() : nullptr;
}

} // namespace

extern "C" {

int OrvTestPlugDevice(const char* id, const char* name, const char* source, const char* caps) {
    Engine* e = engine();
    if (!e || !id || !*id || !source || !*source)
        return -1;
    DeviceInfo device;
    device.id = QString::fromUtf8(id);
    device.name = QString::fromUtf8(name ? name : id);
    device.source = QString::fromUtf8(source);
    if (caps && *caps)
        device.modes = GstSource::modesFromCaps(QByteArray(caps));
    const int before = e->cameraCount();
    e->deviceMonitor().reportArrival(device);
    return e->cameraCount() > before ? 0 : -1;
}

int OrvTestUnplugDevice(const char* id) {
    Engine* e = engine();
    if (!e || !id)
        return -1;
    return e->deviceMonitor().reportRemoval(QString::fromUtf8(id)) ? 0 : -1;
}

int OrvTestBreakStream(int cameraIndex) {
    Engine* e = engine();
    GstSource* source = e ? e->deviceSource(cameraIndex) : nullptr;
    return source && source->breakStream() ? 0 : -1;
}

} // extern "C"
