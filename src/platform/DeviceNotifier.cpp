#include "platform/DeviceNotifier.h"

#include <orvcore/OrvCoreLib.h>

#include <QMetaObject>
#include <QMutex>

namespace platform {

namespace {
QMutex notifierLock;
DeviceNotifier* currentNotifier = nullptr; // guarded by notifierLock
} // namespace

DeviceNotifier::DeviceNotifier(QObject* parent) : QObject(parent) {
    {
        QMutexLocker lock(&notifierLock);
        currentNotifier = this;
    }
    registered = OrvSetDeviceChangeCB(&DeviceNotifier::onEngineEvent) == 0;
}

DeviceNotifier::~DeviceNotifier() {
    unregister();
}

void DeviceNotifier::unregister() {
    if (!registered)
        return;
    OrvSetDeviceChangeCB(nullptr);
    registered = false;
    QMutexLocker lock(&notifierLock);
    if (currentNotifier == this)
        currentNotifier = nullptr;
}

void DeviceNotifier::onEngineEvent(int event) {
    QMutexLocker lock(&notifierLock);
    DeviceNotifier* target = currentNotifier;
    if (!target)
        return;
    // Queued, so the handler runs on the notifier's (GUI) thread and never
    // re-entrantly inside an engine call. The call is bound to the notifier:
    // Qt drops it if the notifier is destroyed before it is delivered.
    QMetaObject::invokeMethod(
        target, [target, event] { emit target->deviceChanged(event); }, Qt::QueuedConnection);
}

} // namespace platform
