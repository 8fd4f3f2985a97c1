#include "SoftwareControls.h"

#include <QMutexLocker>

#include <cmath>

namespace orv {

namespace {

ControlInfo integer(int id, const char* name, int minimum, int maximum, int defaultValue,
                    bool hasAuto = false) {
    ControlInfo info;
    info.id = id;
    info.name = QString::fromLatin1(name);
    info.minimum = minimum;
    info.maximum = maximum;
    info.defaultValue = defaultValue;
    info.hasAuto = hasAuto;
    info.defaultAuto = hasAuto;
    return info;
}

constexpr int kNeutralTemperature = 4600; // white balance that leaves colours as they are

} // namespace

const QList<ControlInfo>& SoftwareControls::standardControls() {
    static const QList<ControlInfo> list = [] {
        QList<ControlInfo> l;
        l << integer(kBrightness, "Brightness", -64, 64, 0);
        l << integer(kContrast, "Contrast", 0, 100, 50);
        l << integer(kHue, "Hue", -180, 180, 0);
        l << integer(kSaturation, "Saturation", 0, 100, 50);
        l << integer(kSharpness, "Sharpness", 0, 100, 50);
        l << integer(kGamma, "Gamma", 50, 300, 100);
        l << integer(kWhiteBalance, "White balance temperature", 2800, 6500, kNeutralTemperature,
                     true);
        ControlInfo backlight = integer(kBacklightCompensation, "Backlight compensation", 0, 1, 0);
        backlight.type = ControlInfo::Type::Boolean;
        l << backlight;
        l << integer(kGain, "Gain", 0, 100, 0);
        l << integer(kExposure, "Exposure", -13, -1, -5, true);
        ControlInfo power = integer(kPowerLineFrequency, "Power line frequency", 0, 2, 1);
        power.type = ControlInfo::Type::Menu;
        power.menuItems = QStringList{QStringLiteral("Disabled"), QStringLiteral("50 Hz"),
                                      QStringLiteral("60 Hz")};
        l << power;
        return l;
    }();
    return list;
}

SoftwareControls::SoftwareControls() {
    for (const ControlInfo& info : standardControls())
        m_values[info.id] = ControlValue{info.defaultAuto, info.defaultValue};
}

bool SoftwareControls::value(int id, ControlValue* out) const {
    QMutexLocker lock(&m_mutex);
    const auto it = m_values.find(id);
    if (it == m_values.end() || !out)
        return false;
    *out = it->second;
    return true;
}

bool SoftwareControls::setValue(int id, const ControlValue& value) {
    const ControlInfo* info = ControlSet::find(standardControls(), id);
    if (!info || (value.isAuto && !info->hasAuto))
        return false;
    const bool inRange = value.value >= info->minimum && value.value <= info->maximum;
    if (!value.isAuto && !inRange)
        return false;
    QMutexLocker lock(&m_mutex);
    ControlValue& stored = m_values[id];
    const ControlValue next{value.isAuto, inRange ? value.value : stored.value};
    if (next != stored) {
        stored = next;
        ++m_generation;
    }
    return true;
}

PictureAdjustment SoftwareControls::adjustmentFor(const std::map<int, ControlValue>& values) {
    const auto get = [&](int id) {
        const auto it = values.find(id);
        return it == values.end() ? ControlValue{} : it->second;
    };
    PictureAdjustment a;
    a.brightness = get(kBrightness).value / 255.0;
    a.contrast = get(kContrast).value / 50.0;
    a.hue = get(kHue).value;
    a.saturation = get(kSaturation).value / 50.0;
    const int sharpness = get(kSharpness).value - 50;
    a.sharpen = sharpness < 0 ? sharpness / 50.0 : sharpness / 25.0;
    a.gamma = get(kGamma).value / 100.0;
    const ControlValue balance = get(kWhiteBalance);
    if (!balance.isAuto) {
        // Telling the camera the light is warmer than neutral makes it cooler.
        const double warmth = (kNeutralTemperature - balance.value) / 3700.0;
        a.red = 1 - 0.5 * warmth;
        a.blue = 1 + 0.5 * warmth;
    }
    a.backlight = get(kBacklightCompensation).value != 0;
    a.gain = 1 + get(kGain).value * 3 / 100.0;
    const ControlValue exposure = get(kExposure);
    if (!exposure.isAuto) // half a stop of picture per step, neutral at the default
        a.exposure = std::pow(2.0, (exposure.value + 5) / 2.0);
    return a;
}

PictureAdjustment SoftwareControls::adjustment() const {
    QMutexLocker lock(&m_mutex);
    return adjustmentFor(m_values);
}

QImage SoftwareControls::apply(const QImage& frame) {
    PictureAdjustment a;
    quint64 generation = 0;
    {
        QMutexLocker lock(&m_mutex);
        a = adjustmentFor(m_values);
        generation = m_generation;
    }
    if (a.isIdentity())
        return frame;
    QMutexLocker lock(&m_cacheMutex);
    if (!m_done.isNull() && m_doneKey == frame.cacheKey() && m_doneGeneration == generation)
        return m_done;
    m_done = applyAdjustment(frame, a);
    m_doneKey = frame.cacheKey();
    m_doneGeneration = generation;
    return m_done;
}

} // namespace orv
