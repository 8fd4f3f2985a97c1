#pragma once

// The camera engine: the cameras by index, the windows they draw into and the
// device-change callback. One per process, created by OrvInit. Used on the
// GUI thread only (the C functions refuse other threads).

#include "Camera.h"

#include "OrvCoreLib.h"

#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class QWidget;

namespace orv {

class Engine {
public:
    // The engine, or nullptr before OrvInit (or after shutdown()).
    static Engine* instance();
    // Creates the engine and its cameras from the environment:
    // ORVANTA_VIRTUAL_CAMERAS (how many virtual cameras, 0 when unset) and
    // ORVANTA_VIRTUAL_PAGES (a folder whose pictures camera 0 shows).
    // False without a QApplication or off its thread. Harmless when done.
    static bool initialize();
    // Closes every camera and destroys the engine; runs at application exit.
    static void shutdown();
    // True on the thread of the QApplication.
    static bool onGuiThread();

    static constexpr int kMaxVirtualCameras = 16;

    int cameraCount() const { return int(m_cameras.size()); }
    Camera* camera(int index) const;

    // Opens camera into window, or moves it there when open. A window has at
    // most one camera: another camera drawing into window lets go of it.
    bool openCamera(int index, QWidget* window);
    bool moveCamera(int index, QWidget* window);

    void setDeviceChangeCallback(OrvDeviceChangeCallback callback) { m_deviceChange = callback; }
    // Adds or removes virtual cameras at the end of the list; removed ones
    // are closed first. One callback per camera added or removed.
    void setVirtualCameraCount(int count);

private:
    Engine() = default;
    std::unique_ptr<Camera> makeVirtualCamera(int index) const;
    void releaseWindow(QWidget* window, const Camera* keeper);
    void notify(int event) const;

    QString m_pagesFolder;
    std::vector<std::unique_ptr<Camera>> m_cameras;
    std::atomic<OrvDeviceChangeCallback> m_deviceChange{nullptr};
};

} // namespace orv
