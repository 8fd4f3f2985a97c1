#pragma once

#include "config/Settings.h"

#include <QString>
#include <QStringList>

namespace camera {

class CameraPair;

// The device panel without its widgets: what the device, vice, resolution
// and DPI lists hold and the choices made in them, for the camera pair's
// cameras as they are now.
class DevicePanel {
public:
    DevicePanel(Settings& settings, const CameraPair& cameras);

    // Every camera (the device list) and the cameras other than the main one
    // (the vice list), by name.
    QStringList deviceNames() const;
    QStringList viceNames() const;
    // The main list's selection: the main camera, none without cameras.
    int mainEntry() const;
    // "2592x1944", ... for a camera's resolutions.
    static QStringList resolutions(int camera);
    static QStringList dpiTexts();
    // The vice preview can be switched on with a second camera.
    static bool viceAvailable();

    // The main camera's resolution chosen: false when it is no choice (none,
    // the stored one); otherwise the camera runs at it (the small window is
    // to be fitted to the new picture).
    bool chooseResolution(int index);
    // The DPI chosen: false when it is no choice.
    bool chooseDpi(int index);
    int dpi() const;

private:
    Settings& cfg;
    const CameraPair& pair;
};

} // namespace camera
