#pragma once

#include <QObject>

namespace platform {

// Camera arrival and removal, reported by the camera engine on any thread and
// delivered here on the GUI thread as deviceChanged(event), where event is
// ORV_DEVICE_ARRIVAL or ORV_DEVICE_REMOVE_COMPLETE.
class DeviceNotifier : public QObject {
    Q_OBJECT
public:
    // Registers with the engine. Only one notifier is registered at a time.
    explicit DeviceNotifier(QObject* parent = nullptr);
    ~DeviceNotifier() override;

    bool isRegistered() const { return registered; }
    void unregister();

signals:
    void deviceChanged(int event);

private:
    static void onEngineEvent(int event);
    bool registered = false;
};

} // namespace platform
