#pragma once

// The camera engine: the cameras by index, the windows they draw into and the
// device-change callback. One per process, created by OrvInit. Used on the
// GUI thread only (the C functions refuse other threads), except for
// latestFrameOf(), which barcode reading calls from any thread.
//
// The list holds the real cameras first, in the order they were found (the
// device monitor's order at start, then arrival order), and the virtual
// cameras after them. A camera keeps its object while it stays, but its index
// moves: a camera that arrives is inserted after the other real ones (the
// virtual ones move up by one), and every camera after one that leaves moves
// down by one. After a device-change callback the application reads the list
// again. A camera whose device leaves, or whose running stream fails (a
// device unplugged mid-stream, a renegotiation that fails), is closed and
// leaves the list; it comes back when the device arrives again. A camera
// that cannot start (device busy, caps that do not negotiate) stays listed:
// opening it fails.

#include "AudioDevices.h"
#include "Camera.h"

#include <orvcore/OrvCoreLib.h>

#include <QString>

#include <atomic>
#include <map>
#include <memory>
#include <vector>

class QWidget;

namespace orv {

class DeviceMonitor;
class GstSource;
struct DeviceInfo;

class Engine {
public:
    // The engine, or nullptr before OrvInit (or after shutdown()).
    static Engine* instance();
    // Creates the engine and its cameras from the environment:
    // ORVANTA_VIRTUAL_CAMERAS (how many virtual cameras, 0 when unset),
    // ORVANTA_VIRTUAL_PAGES (a folder whose pictures camera 0 shows) and
    // ORVANTA_REAL_CAMERAS (0: the real cameras are not looked for).
    // False without a QApplication or off its thread. Harmless when done.
    static bool initialize();
    // Closes every camera and destroys the engine; runs at application exit.
    static void shutdown();
    // True on the thread of the QApplication.
    static bool onGuiThread();

    static constexpr int kMaxVirtualCameras = 16;

    // Any thread: the newest frame of the camera at index; null without an
    // engine, for a bad index or a closed camera. The list of cameras
    // changes under a lock that this takes too.
    static QImage latestFrameOf(int index);

    int cameraCount() const { return int(m_cameras.size()); }
    Camera* camera(int index) const;

    // Opens camera into window, or moves it there when open. A window has at
    // most one camera: another camera drawing into window lets go of it.
    bool openCamera(int index, QWidget* window);
    bool moveCamera(int index, QWidget* window);

    void setDeviceChangeCallback(OrvDeviceChangeCallback callback) { m_deviceChange = callback; }
    void setRecordEndCallback(OrvRecordEndCallback callback) { m_recordEnd = callback; }
    // Adds or removes virtual cameras at the end of the list; removed ones
    // are closed first. One callback per camera added or removed.
    void setVirtualCameraCount(int count);

    int virtualCameraCount() const { return cameraCount() - deviceCameraCount(); }
    // The microphones recordings take their sound from.
    AudioDevices& audioDevices() { return m_audio; }

    // Where the real cameras come from; tests report pretend devices to it.
    DeviceMonitor& deviceMonitor() { return *m_monitor; }
    // The GStreamer source of a real camera; nullptr for a virtual one.
    GstSource* deviceSource(int index) const;

    ~Engine();

private:
    Engine();
    // The device monitor's callbacks: an arrival adds a camera after the
    // real ones, a removal closes the device's camera and drops it. One
    // device-change callback each; false, and none, for a device known
    // already (arrival) or unknown (removal).
    bool deviceArrived(const DeviceInfo& device);
    bool deviceRemoved(const QString& id);
    std::unique_ptr<Camera> makeVirtualCamera(int index) const;
    bool addDeviceCamera(const DeviceInfo& device);
    int deviceCameraCount() const { return int(m_devices.size()); }
    void releaseWindow(QWidget* window, const Camera* keeper);
    void notify(int event) const;
    // A camera ended its recording itself: the callback, with its index.
    void recordingEnded(const Camera* camera, int reason, bool saved) const;

    QString m_pagesFolder;
    std::vector<std::unique_ptr<Camera>> m_cameras;
    struct Device {
        QString id;
        GstSource* source; // owned by the camera
    };
    std::map<const Camera*, Device> m_devices; // the real cameras, first in m_cameras
    std::unique_ptr<DeviceMonitor> m_monitor;
    std::atomic<OrvDeviceChangeCallback> m_deviceChange{nullptr};
    std::atomic<OrvRecordEndCallback> m_recordEnd{nullptr};
    AudioDevices m_audio;
};

} // namespace orv
