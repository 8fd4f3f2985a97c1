#pragma once

#include "config/Settings.h"

namespace camera {

class CameraPair;

// The picture controls of the main camera without widgets: the properties
// of the sliders, exposure, JPEG quality, auto crop, background removal and
// the stored rotation. Each change goes to whichever camera is main and is
// kept in the settings where the settings hold it.
class PictureControls {
public:
    // A control's range and value as the camera reports it.
    struct Range {
        int lower = 0, upper = 0, value = 0;
        bool isAuto = false;
    };
    // The properties of the sliders, by the library's numbers.
    static const int kSliderProperties[3];

    PictureControls(Settings& settings, const CameraPair& cameras);

    Range property(int id) const;
    void setProperty(int id, int value);
    // The camera's exposure range; its value is the camera's, the slider
    // shows the stored manual value.
    Range exposure() const;
    // The exposure slider moved: only a manual exposure that differs is
    // set and stored.
    bool moveExposure(int value);
    // Automatic exposure on or off; leaving it sets the shown value, or the
    // stored one when none is shown, so the camera never jumps to 0.
    void setAutoExposure(bool on, const QString& shownValue);
    // The device's own control panel (modal).
    void showDevicePanel();
    // The exposure the camera runs; the stored automatic-exposure flag
    // follows it (after the device's panel changed it).
    Range followCameraExposure();
    void setJpegQuality(int quality);
    void setAutoCrop(bool on);
    void setBackgroundRemoval(bool on);
    // The stored rotation, in quarter turns, given to the main camera.
    void applyStoredRotation();
    static int quarterTurns(int angle);

private:
    Settings& cfg;
    const CameraPair& pair;
};

} // namespace camera
