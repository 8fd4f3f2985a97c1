#pragma once

#include "config/Settings.h"

#include <orvcore/OrvCoreLib.h>

#include <QByteArray>
#include <QList>
#include <QSize>

#include <functional>

namespace camera {

// Where the vice camera's picture goes.
enum class ViceMode {
    Off,       // the vice camera is closed
    OwnArea,   // in its own area on the advanced tab
    InPicture, // in the small window over the main picture
};

// The native windows the engine renders into.
struct Surfaces {
    WId preview = 0;
    WId smallWindow = 0;
    WId viceArea = 0;
};

// The watermark the main camera stamps: the record for the main camera's
// resolution and the library's watermark mode.
struct WatermarkStamp {
    _WATERMARKPARAM record{};
    int mode = 2;
};
using WatermarkSource = std::function<WatermarkStamp(int width, int height)>;

// The DPI list's values; the value for a list position (0 when outside).
const QList<int>& dpiValues();
int dpiAt(int index);

// The main camera, the vice camera and where the vice picture goes. Every
// transition calls the engine and leaves the pair consistent: the camera that
// becomes main, by a swap, the device list or an arrival, gets every
// per-camera setting of one table (see CameraPair.cpp: resize, zoom-rate
// display, DPI, JPEG quality, background removal, auto crop, colour mode,
// exposure, mouse mode, zoom range and callback, and, while they are on, the
// watermark and page-turn detection), the camera that stops being main loses
// what only a main camera carries, and the persisted camera index and
// vice-preview flag follow. Main and vice are kept by device identity: when
// cameras arrive or leave and the indices move, the pair's indices follow
// their devices. No widgets: the main window reads its controls, calls a
// transition and refreshes its controls from the settings and the pair.
class CameraPair {
public:
    explicit CameraPair(Settings& settings);

    void setSurfaces(const Surfaces& surfaces) { surfaces_ = surfaces; }
    const Surfaces& surfaces() const { return surfaces_; }
    void setZoomCallback(OrvZoomCallback callback) { zoomCallback_ = callback; }
    void setAutoCapCallback(OrvAutoCapCallback callback) { autoCapCallback_ = callback; }

    int main() const { return settings_.mainCameraIndex; }
    int vice() const { return vice_; }
    ViceMode viceMode() const { return viceMode_; }
    bool viceOn() const { return viceMode_ != ViceMode::Off; }
    // Zoom by buttons, slider and wheel is off while the vice picture lies
    // inside the main picture.
    bool zoomEnabled() const { return viceMode_ != ViceMode::InPicture; }
    bool cameraMissing() const { return missing_; }
    int viceResolution() const { return viceResolution_; }
    // The main camera's video size at its current resolution.
    QSize mainVideoSize() const;
    float minZoom() const { return minZoom_; }
    float maxZoom() const { return maxZoom_; }

    // Cameras other than the main one, ascending: the vice list.
    QList<int> others() const;
    // The camera at a position of the vice list, and back (-1 when none).
    int viceAt(int position) const;
    int positionOfVice() const;

    // At start: counts the cameras, keeps the stored main camera inside the
    // count and picks the vice candidate. Returns the camera count.
    int start();
    // Opens the main camera into the preview at the stored resolution.
    void openMain();

    // The main camera chosen in the device list. With the vice preview on,
    // choosing the vice camera swaps the two without reopening; any other
    // camera replaces the main one and the vice becomes the first other
    // camera. A new main camera runs at its first resolution. False when
    // nothing changed.
    bool selectMain(int camera);
    // The vice camera chosen while the vice preview is on.
    bool selectVice(int camera);
    // The cameras selectMain(camera), selectVice(camera) and turning the
    // vice preview off would close.
    QList<int> closedBySelectMain(int camera) const;
    QList<int> closedBySelectVice(int camera) const;
    QList<int> closedByViceOff() const;
    // Vice preview off, in its own area (opening `camera` when it was off),
    // or in the main picture.
    void setViceMode(ViceMode mode, int camera = -1);
    // Main and vice change places. False when the vice preview is off.
    bool swap();
    void setViceResolution(int index);

    // A camera arrived: main and vice follow their devices to their new
    // indices; a main camera that was missing opens (into the surface it is
    // shown in) with every setting, and a vice camera that was missing opens
    // again. True when the main camera opened (its controls need filling).
    bool deviceArrived();
    // A camera left: main and vice follow their devices; the main camera is
    // missing when its device left (the next arrival opens it).
    void deviceRemoved();

    // The window the main camera's picture is shown in: the preview, or
    // another window while it is shown (0: the preview again). A camera that
    // opens as main opens there.
    void showMainIn(WId window);
    WId mainSurface() const { return mainWindow_ ? mainWindow_ : surfaces_.preview; }

    // The mouse mode chosen for the main camera: 0 drag, 1 capture
    // rectangle. While the vice picture lies inside the main picture the
    // main camera runs mode -1; leaving it brings the chosen mode back.
    void setMouseMode(int mode);
    int mouseMode() const { return mouseMode_; }

    // Both cameras closed, at exit.
    void closeAll();

    // Applies every per-camera setting to the main camera.
    void applyMainSettings();

    // The watermark on (the main camera gets the source's record now and
    // whenever another camera becomes main) or off (an empty source: the
    // main camera's watermark is cleared).
    void setWatermark(WatermarkSource source);
    bool watermarkOn() const { return bool(watermark_); }
    // Page-turn detection with the auto-capture callback, on the main
    // camera; it moves with the main camera and is switched off wherever it
    // was switched on.
    void setAutoCapture(bool on);
    bool autoCaptureOn() const { return autoCapture_; }

    struct MainSetting;
    // The names of the per-camera settings, in the order they are applied.
    static QList<QByteArray> mainSettingNames();

private:
    // The camera that stops being main loses what only a main camera carries
    // (watermark, detection, zoom-rate display, auto crop).
    void leaveMain(int camera);
    void applyMouseMode();
    void applyWatermark();
    void applyAutoCapture();
    WId viceSurface() const;
    void readZoomRange();
    void runAtFirstResolution(int currentResolution);
    void rememberIdentities();
    // Main and vice to the indices their devices have now.
    void followIdentities();
    static const MainSetting mainSettings_[];

    Settings& settings_;
    Surfaces surfaces_;
    OrvZoomCallback zoomCallback_ = nullptr;
    OrvAutoCapCallback autoCapCallback_ = nullptr;
    WatermarkSource watermark_;
    bool autoCapture_ = false;
    int detecting_ = -1; // the camera whose detection is on
    int vice_ = 1;
    int viceResolution_ = 0;
    ViceMode viceMode_ = ViceMode::Off;
    bool missing_ = false;
    bool viceMissing_ = false;
    QByteArray mainId_;
    QByteArray viceId_;
    WId mainWindow_ = 0;
    int mouseMode_ = 0;
    float minZoom_ = 0.0f;
    float maxZoom_ = 0.0f;
};

} // namespace camera
