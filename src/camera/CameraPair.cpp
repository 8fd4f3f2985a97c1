#include "camera/CameraPair.h"
#include "camera/DeviceIdentity.h"

#include <algorithm>

namespace camera {

const QList<int>& dpiValues() {
    static const QList<int> values{100, 200, 255, 300, 400, 500, 600};
    return values;
}

int dpiAt(int index) {
    return dpiValues().value(index, 0);
}

CameraPair::CameraPair(Settings& settings) : settings_(settings) {}

QList<int> CameraPair::others() const {
    QList<int> out;
    const int n = OrvGetCameraCount();
    for (int c = 0; c < n; ++c)
        if (c != main())
            out << c;
    return out;
}

int CameraPair::viceAt(int position) const {
    return others().value(position, -1);
}

int CameraPair::positionOfVice() const {
    return others().indexOf(vice_);
}

int CameraPair::start() {
    const int n = OrvGetCameraCount();
    missing_ = n <= 0;
    if (n > 0 && settings_.mainCameraIndex >= n)
        settings_.mainCameraIndex = n - 1;
    if (settings_.mainCameraIndex < 0)
        settings_.mainCameraIndex = 0;
    const QList<int> candidates = others();
    if (!candidates.isEmpty())
        vice_ = candidates.last();
    rememberIdentities();
    return n;
}

void CameraPair::openMain() {
    OrvSetDefaultResolution(main(), settings_.resolutionIndex);
    OrvOpenCamera(main(), mainSurface());
    applyMainSettings();
    rememberIdentities();
}

// Every setting a main camera carries, applied in this order to whichever
// camera becomes main; `leave` (when set) takes from the camera that stops
// being main what only the main camera has.
struct CameraPair::MainSetting {
    const char* name;
    void (*apply)(CameraPair& pair, int camera);
    void (*leave)(CameraPair& pair, int camera);
};

const CameraPair::MainSetting CameraPair::mainSettings_[] = {
    {"resize",
     [](CameraPair& p, int m) {
         OrvSetResize(m, p.settings_.ResizeImage, p.settings_.ResizeImageRatio);
     },
     nullptr},
    {"zoom-rate display",
     [](CameraPair& p, int m) { OrvSetShowZoomRate(m, p.settings_.ShowRatio); },
     [](CameraPair&, int c) { OrvSetShowZoomRate(c, false); }},
    {"dpi", [](CameraPair& p, int m) { OrvSetDPI(m, dpiAt(p.settings_.DPIIndex)); }, nullptr},
    {"jpeg quality", [](CameraPair& p, int m) { OrvSetJpgQuality(m, p.settings_.JPGQuality); },
     nullptr},
    {"background removal", [](CameraPair& p, int m) { OrvDelBackColor(m, p.settings_.DelBack); },
     nullptr},
    {"auto crop", [](CameraPair& p, int m) { OrvEnableAutoRotate(m, p.settings_.AutoCrop); },
     [](CameraPair& p, int c) {
         if (p.settings_.AutoCrop)
             OrvEnableAutoRotate(c, false);
     }},
    {"colour mode", [](CameraPair& p, int m) { OrvSetDevColor(m, p.settings_.colorMode); },
     nullptr},
    {"exposure",
     [](CameraPair& p, int m) { OrvSetExposure(m, p.settings_.AutoExp, p.settings_.Exposure); },
     nullptr},
    {"mouse mode", [](CameraPair& p, int) { p.applyMouseMode(); }, nullptr},
    {"zoom",
     [](CameraPair& p, int m) {
         p.readZoomRange();
         if (p.zoomCallback_)
             OrvSetZoomCB(m, p.zoomCallback_);
     },
     nullptr},
    {"watermark", [](CameraPair& p, int) { p.applyWatermark(); },
     [](CameraPair& p, int c) {
         if (p.watermark_)
             OrvClearWatermark(c);
     }},
    {"page-turn detection", [](CameraPair& p, int) { p.applyAutoCapture(); },
     [](CameraPair& p, int c) {
         if (p.detecting_ == c) {
             OrvSetAutoCap(c, false);
             p.detecting_ = -1;
         }
     }},
};

QList<QByteArray> CameraPair::mainSettingNames() {
    QList<QByteArray> names;
    for (const MainSetting& s : mainSettings_)
        names << s.name;
    return names;
}

void CameraPair::applyMainSettings() {
    const int m = main();
    for (const MainSetting& s : mainSettings_)
        s.apply(*this, m);
}

void CameraPair::leaveMain(int camera) {
    for (const MainSetting& s : mainSettings_)
        if (s.leave)
            s.leave(*this, camera);
}

void CameraPair::setMouseMode(int mode) {
    if (mode != 0 && mode != 1)
        return;
    mouseMode_ = mode;
    applyMouseMode();
}

void CameraPair::applyMouseMode() {
    OrvSetMouseMode(main(), viceMode_ == ViceMode::InPicture ? -1 : mouseMode_);
}

QSize CameraPair::mainVideoSize() const {
    return QSize(OrvGetResWidth(main(), settings_.resolutionIndex),
                 OrvGetResHeight(main(), settings_.resolutionIndex));
}

void CameraPair::showMainIn(WId window) {
    mainWindow_ = window;
    OrvSetHwnd(main(), mainSurface());
}

void CameraPair::setWatermark(WatermarkSource source) {
    watermark_ = std::move(source);
    if (watermark_)
        applyWatermark();
    else
        OrvClearWatermark(main());
}

void CameraPair::applyWatermark() {
    if (!watermark_)
        return;
    const int m = main();
    const WatermarkStamp stamp = watermark_(OrvGetResWidth(m, settings_.resolutionIndex),
                                            OrvGetResHeight(m, settings_.resolutionIndex));
    OrvClearWatermark(m);
    OrvAddWaterMark(m, stamp.mode, &stamp.record);
}

void CameraPair::setAutoCapture(bool on) {
    autoCapture_ = on;
    if (on) {
        applyAutoCapture();
    } else if (detecting_ >= 0) {
        OrvSetAutoCap(detecting_, false);
        detecting_ = -1;
    }
}

void CameraPair::applyAutoCapture() {
    if (!autoCapture_)
        return;
    const int m = main();
    if (detecting_ >= 0 && detecting_ != m)
        OrvSetAutoCap(detecting_, false);
    OrvSetAutoCapCB(m, autoCapCallback_);
    OrvSetAutoCap(m, true);
    detecting_ = m;
}

void CameraPair::readZoomRange() {
    minZoom_ = OrvGetMinZoomRatio(main());
    maxZoom_ = OrvGetMaxZoomRatio(main());
}

WId CameraPair::viceSurface() const {
    return viceMode_ == ViceMode::InPicture ? surfaces_.smallWindow : surfaces_.viceArea;
}

void CameraPair::runAtFirstResolution(int currentResolution) {
    if (currentResolution != 0)
        OrvSetResolution(main(), 0);
    settings_.resolutionIndex = 0;
}

bool CameraPair::selectMain(int camera) {
    const int oldMain = main();
    if (camera < 0 || camera == oldMain || camera >= OrvGetCameraCount())
        return false;
    leaveMain(oldMain);
    if (viceOn() && camera == vice_) {
        // The two change windows; neither is reopened.
        OrvSetHwnd(camera, mainSurface());
        OrvSetHwnd(oldMain, viceSurface());
        const int oldMainResolution = settings_.resolutionIndex;
        settings_.mainCameraIndex = camera;
        vice_ = oldMain;
        runAtFirstResolution(viceResolution_);
        viceResolution_ = oldMainResolution;
    } else {
        OrvCloseCamera(oldMain);
        settings_.mainCameraIndex = camera;
        OrvOpenCamera(camera, mainSurface());
        runAtFirstResolution(settings_.resolutionIndex);
        if (viceOn()) {
            const int first = others().value(0, -1);
            if (first >= 0 && first != vice_)
                selectVice(first);
        } else {
            // The vice candidate while the preview is off: the last other camera.
            const QList<int> candidates = others();
            if (!candidates.isEmpty())
                vice_ = candidates.last();
        }
    }
    applyMainSettings();
    rememberIdentities();
    return true;
}

QList<int> CameraPair::closedBySelectMain(int camera) const {
    const int n = OrvGetCameraCount();
    if (camera < 0 || camera == main() || camera >= n || (viceOn() && camera == vice_))
        return {};
    QList<int> closed{main()};
    const int first = camera == 0 ? (n > 1 ? 1 : -1) : 0; // the new vice
    if (viceOn() && first >= 0 && first != vice_)
        closed << vice_;
    return closed;
}

QList<int> CameraPair::closedBySelectVice(int camera) const {
    if (!viceOn() || camera < 0 || camera == vice_ || camera == main())
        return {};
    return {vice_};
}

QList<int> CameraPair::closedByViceOff() const {
    return viceOn() ? QList<int>{vice_} : QList<int>{};
}

bool CameraPair::selectVice(int camera) {
    if (!viceOn() || camera < 0 || camera == vice_ || camera == main())
        return false;
    OrvCloseCamera(vice_);
    vice_ = camera;
    OrvOpenCamera(camera, viceSurface());
    OrvSetShowZoomRate(camera, false);
    viceResolution_ = 0;
    rememberIdentities();
    return true;
}

void CameraPair::setViceMode(ViceMode mode, int camera) {
    if (mode == viceMode_)
        return;
    const int m = main();
    const ViceMode before = viceMode_;
    switch (mode) {
    case ViceMode::Off:
        OrvCloseCamera(vice_);
        break;
    case ViceMode::OwnArea:
        if (viceMode_ == ViceMode::Off) {
            if (camera < 0 || camera == m)
                return;
            vice_ = camera;
            viceResolution_ = 0;
            OrvOpenCamera(camera, surfaces_.viceArea);
            OrvSetShowZoomRate(camera, false);
        } else {
            OrvSetHwnd(vice_, surfaces_.viceArea);
        }
        break;
    case ViceMode::InPicture:
        if (viceMode_ == ViceMode::Off)
            return; // the vice preview has to be on first
        OrvResetVideo(m);
        OrvSetHwnd(vice_, surfaces_.smallWindow);
        break;
    }
    viceMode_ = mode;
    viceMissing_ = false;
    settings_.OpenSub = viceOn();
    // Into the picture-in-picture the main camera stops taking the mouse;
    // out of it, zoom and the chosen mouse mode come back.
    if (before == ViceMode::InPicture || mode == ViceMode::InPicture)
        applyMouseMode();
    rememberIdentities();
}

bool CameraPair::swap() {
    if (!viceOn())
        return false;
    const int oldMain = main();
    leaveMain(oldMain);
    OrvSetHwnd(oldMain, viceSurface());
    OrvSetHwnd(vice_, mainSurface());
    settings_.mainCameraIndex = vice_;
    vice_ = oldMain;
    std::swap(settings_.resolutionIndex, viceResolution_);
    applyMainSettings();
    rememberIdentities();
    return true;
}

void CameraPair::setViceResolution(int index) {
    if (index < 0 || index == viceResolution_)
        return;
    OrvSetResolution(vice_, index);
    viceResolution_ = index;
}

void CameraPair::rememberIdentities() {
    if (!missing_)
        mainId_ = deviceIdentity(main());
    if (viceOn() && !viceMissing_)
        viceId_ = deviceIdentity(vice_);
}

void CameraPair::followIdentities() {
    const int m = deviceIndex(mainId_);
    if (m >= 0) {
        settings_.mainCameraIndex = m;
    } else if (!mainId_.isEmpty()) {
        missing_ = true; // its device left; the engine closed it
    }
    if (viceOn()) {
        const int v = deviceIndex(viceId_);
        // While the main camera is missing its stored index names nothing.
        if (v >= 0 && (missing_ || v != main()))
            vice_ = v;
        else
            viceMissing_ = true;
    }
    if (detecting_ >= 0 && m >= 0)
        detecting_ = m; // detection runs only on the main camera
}

void CameraPair::deviceRemoved() {
    followIdentities();
    if (mainId_.isEmpty())
        missing_ = true; // no device known: the next arrival opens one
    if (!viceOn()) {
        const QList<int> candidates = others();
        if (!candidates.isEmpty())
            vice_ = candidates.last();
    }
}

bool CameraPair::deviceArrived() {
    const bool mainWasMissing = missing_;
    followIdentities();
    const int n = OrvGetCameraCount();
    bool opened = false;
    if (mainWasMissing && n > 0) {
        int m = deviceIndex(mainId_);
        if (m < 0) {
            // Another device than the one that left: the stored index, or
            // the first camera that is not the vice camera.
            m = std::min(settings_.mainCameraIndex, n - 1);
            const bool viceThere = viceOn() && !viceMissing_;
            for (int c = 0; viceThere && m == vice_ && c < n; ++c)
                if (c != vice_)
                    m = c;
        }
        if (!(viceOn() && !viceMissing_ && m == vice_)) {
            settings_.mainCameraIndex = m;
            if (settings_.resolutionIndex >= OrvGetResCount(m))
                settings_.resolutionIndex = 0;
            missing_ = false;
            openMain();
            opened = true;
        }
    }
    if (viceOn() && viceMissing_) {
        const int v = deviceIndex(viceId_);
        if (v >= 0 && v != main()) {
            vice_ = v;
            OrvSetDefaultResolution(v, viceResolution_);
            OrvOpenCamera(v, viceSurface());
            OrvSetShowZoomRate(v, false);
            viceMissing_ = false;
        }
    }
    if (!viceOn()) {
        const QList<int> candidates = others();
        if (!candidates.isEmpty())
            vice_ = candidates.last();
    }
    return opened;
}

void CameraPair::closeAll() {
    OrvCloseCamera(main());
    OrvCloseCamera(vice_);
}

} // namespace camera
