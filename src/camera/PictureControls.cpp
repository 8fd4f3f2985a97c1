#include "camera/PictureControls.h"

#include "camera/CameraPair.h"

#include <orvcore/OrvCoreLib.h>

#include <QString>

namespace camera {

const int PictureControls::kSliderProperties[3] = {ORV_PROP_SHARPNESS, ORV_PROP_CONTRAST,
                                                   ORV_PROP_SATURATION};

PictureControls::PictureControls(Settings& settings, const CameraPair& cameras)
    : cfg(settings), pair(cameras) {}

PictureControls::Range PictureControls::property(int id) const {
    Range r;
    OrvGetVideoProp(pair.main(), id, &r.isAuto, &r.upper, &r.lower, &r.value);
    return r;
}

void PictureControls::setProperty(int id, int value) {
    OrvSetVideoProp(pair.main(), id, false, value);
}

PictureControls::Range PictureControls::exposure() const {
    Range r;
    OrvGetExposure(pair.main(), &r.isAuto, &r.upper, &r.lower, &r.value);
    return r;
}

bool PictureControls::moveExposure(int value) {
    if (cfg.AutoExp || value == cfg.Exposure)
        return false;
    OrvSetExposure(pair.main(), false, value);
    cfg.Exposure = value;
    return true;
}

void PictureControls::setAutoExposure(bool on, const QString& shownValue) {
    bool ok = false;
    int value = shownValue.toInt(&ok);
    if (!ok)
        value = cfg.Exposure;
    cfg.AutoExp = on;
    OrvSetExposure(pair.main(), on, value);
}

void PictureControls::showDevicePanel() {
    OrvShowVideoProperty(pair.main());
}

PictureControls::Range PictureControls::followCameraExposure() {
    const Range e = exposure();
    cfg.AutoExp = e.isAuto;
    return e;
}

void PictureControls::setJpegQuality(int quality) {
    OrvSetJpgQuality(pair.main(), quality);
    cfg.JPGQuality = quality;
}

void PictureControls::setAutoCrop(bool on) {
    cfg.AutoCrop = on;
    OrvEnableAutoRotate(pair.main(), on);
}

void PictureControls::setBackgroundRemoval(bool on) {
    cfg.DelBack = on;
    OrvDelBackColor(pair.main(), on);
}

int PictureControls::quarterTurns(int angle) {
    switch (angle) {
    case 90:
        return 1;
    case 180:
        return 2;
    case 270:
        return 3;
    default:
        return 0;
    }
}

void PictureControls::applyStoredRotation() {
    OrvSetRotate(pair.main(), quarterTurns(cfg.RotateAngle));
}

} // namespace camera
