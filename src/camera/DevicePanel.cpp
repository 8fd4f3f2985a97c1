#include "camera/DevicePanel.h"

#include "camera/CameraPair.h"
#include "platform/Paths.h"

#include <orvcore/OrvCoreLib.h>

namespace camera {

namespace {
QString deviceName(int camera) {
    return platform::fromLocal(OrvGetDevName(camera));
}
} // namespace

DevicePanel::DevicePanel(Settings& settings, const CameraPair& cameras)
    : cfg(settings), pair(cameras) {}

QStringList DevicePanel::deviceNames() const {
    QStringList out;
    const int n = OrvGetCameraCount();
    for (int i = 0; i < n; ++i)
        out << deviceName(i);
    return out;
}

QStringList DevicePanel::viceNames() const {
    QStringList out;
    for (int c : pair.others())
        out << deviceName(c);
    return out;
}

int DevicePanel::mainEntry() const {
    return OrvGetCameraCount() > 0 ? pair.main() : -1;
}

QStringList DevicePanel::resolutions(int camera) {
    QStringList out;
    const int count = OrvGetResCount(camera);
    for (int r = 0; r < count; ++r)
        out << QStringLiteral("%1x%2")
                   .arg(OrvGetResWidth(camera, r))
                   .arg(OrvGetResHeight(camera, r));
    return out;
}

QStringList DevicePanel::dpiTexts() {
    QStringList out;
    for (int dpi : dpiValues())
        out << QString::number(dpi);
    return out;
}

bool DevicePanel::viceAvailable() {
    return OrvGetCameraCount() > 1;
}

bool DevicePanel::chooseResolution(int index) {
    if (index < 0 || index == cfg.resolutionIndex)
        return false;
    OrvSetResolution(pair.main(), index);
    cfg.resolutionIndex = index;
    return true;
}

bool DevicePanel::chooseDpi(int index) {
    if (index < 0 || index == cfg.DPIIndex)
        return false;
    cfg.DPIIndex = index;
    OrvSetDPI(pair.main(), dpi());
    return true;
}

int DevicePanel::dpi() const {
    return dpiAt(cfg.DPIIndex);
}

} // namespace camera
