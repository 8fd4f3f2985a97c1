#include "camera/CameraPair.h"

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
    return n;
}

void CameraPair::openMain() {
    OrvSetDefaultResolution(main(), settings_.resolutionIndex);
    OrvOpenCamera(main(), surfaces_.preview);
    applyMainSettings();
}

void CameraPair::applyMainSettings() {
    const int m = main();
    OrvSetResize(m, settings_.ResizeImage, settings_.ResizeImageRatio);
    OrvSetShowZoomRate(m, settings_.ShowRatio);
    OrvSetDPI(m, dpiAt(settings_.DPIIndex));
    OrvSetJpgQuality(m, settings_.JPGQuality);
    OrvDelBackColor(m, settings_.DelBack);
    OrvEnableAutoRotate(m, settings_.AutoCrop);
    readZoomRange();
    if (zoomCallback_)
        OrvSetZoomCB(m, zoomCallback_);
    applyWatermark();
    applyAutoCapture();
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

void CameraPair::leaveMain(int camera) {
    if (watermark_)
        OrvClearWatermark(camera);
    if (detecting_ == camera) {
        OrvSetAutoCap(camera, false);
        detecting_ = -1;
    }
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
        OrvSetHwnd(camera, surfaces_.preview);
        OrvSetHwnd(oldMain, viceSurface());
        const int oldMainResolution = settings_.resolutionIndex;
        settings_.mainCameraIndex = camera;
        vice_ = oldMain;
        runAtFirstResolution(viceResolution_);
        viceResolution_ = oldMainResolution;
        OrvSetShowZoomRate(vice_, false);
        if (settings_.AutoCrop)
            OrvEnableAutoRotate(vice_, false);
    } else {
        OrvCloseCamera(oldMain);
        settings_.mainCameraIndex = camera;
        OrvOpenCamera(camera, surfaces_.preview);
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
    return true;
}

void CameraPair::setViceMode(ViceMode mode, int camera) {
    if (mode == viceMode_)
        return;
    const int m = main();
    if (viceMode_ == ViceMode::InPicture) {
        // Leaving the picture-in-picture: zoom and dragging come back.
        OrvSetMouseMode(m, 0);
    }
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
        OrvSetMouseMode(m, -1);
        OrvSetHwnd(vice_, surfaces_.smallWindow);
        break;
    }
    viceMode_ = mode;
    settings_.OpenSub = viceOn();
}

bool CameraPair::swap() {
    if (!viceOn())
        return false;
    const int oldMain = main();
    leaveMain(oldMain);
    OrvSetHwnd(oldMain, viceSurface());
    OrvSetHwnd(vice_, surfaces_.preview);
    settings_.mainCameraIndex = vice_;
    vice_ = oldMain;
    std::swap(settings_.resolutionIndex, viceResolution_);
    OrvSetShowZoomRate(vice_, false);
    if (settings_.AutoCrop)
        OrvEnableAutoRotate(vice_, false);
    applyMainSettings();
    return true;
}

void CameraPair::setViceResolution(int index) {
    if (index < 0 || index == viceResolution_)
        return;
    OrvSetResolution(vice_, index);
    viceResolution_ = index;
}

bool CameraPair::deviceArrived() {
    if (!missing_)
        return false;
    const int n = OrvGetCameraCount();
    if (n <= 0)
        return false;
    if (settings_.mainCameraIndex >= n)
        settings_.mainCameraIndex = n - 1;
    if (settings_.resolutionIndex >= OrvGetResCount(main()))
        settings_.resolutionIndex = 0;
    openMain();
    missing_ = false;
    const QList<int> candidates = others();
    if (!viceOn() && !candidates.isEmpty())
        vice_ = candidates.last();
    return true;
}

void CameraPair::closeAll() {
    OrvCloseCamera(main());
    OrvCloseCamera(vice_);
}

} // namespace camera
