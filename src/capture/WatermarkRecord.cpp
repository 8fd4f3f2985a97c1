#include "capture/WatermarkRecord.h"

#include "config/Settings.h"

#include <cstring>

WatermarkSettings WatermarkSettings::from(const Settings& s) {
    WatermarkSettings w;
    w.text = s.waterText;
    w.red = s.waterRed;
    w.green = s.waterGreen;
    w.blue = s.waterBlue;
    w.withTime = s.showTimeWater;
    w.hRatio = s.waterHRatio;
    w.vRatio = s.waterVRatio;
    w.mode = s.waterMode;
    w.pos = s.waterPos;
    w.angle = s.waterAngle;
    w.fontSize = s.waterFontSize;
    w.fontFamily = s.waterFontFamily;
    return w;
}

void WatermarkSettings::storeInto(Settings& s) const {
    s.waterText = text;
    s.waterRed = red;
    s.waterGreen = green;
    s.waterBlue = blue;
    s.showTimeWater = withTime;
    s.waterHRatio = hRatio;
    s.waterVRatio = vRatio;
    s.waterMode = mode;
    s.waterPos = pos;
    s.waterAngle = angle;
    s.waterFontSize = fontSize;
    s.waterFontFamily = fontFamily;
}

QByteArray localBytesWithin(const QString& text, int maxBytes) {
    QByteArray bytes = text.toLocal8Bit();
    if (bytes.size() <= maxBytes)
        return bytes;
    // Drop whole characters (a surrogate pair is one) from the end.
    QString kept = text;
    while (!kept.isEmpty()) {
        kept.chop(kept.size() >= 2 && kept.back().isLowSurrogate() ? 2 : 1);
        bytes = kept.toLocal8Bit();
        if (bytes.size() <= maxBytes)
            return bytes;
    }
    return {};
}

_WATERMARKPARAM packWatermark(const WatermarkInput& in) {
    _WATERMARKPARAM r;
    std::memset(&r, 0, sizeof r);
    const QByteArray text = localBytesWithin(in.text, int(sizeof r.text) - 1);
    std::memcpy(r.text, text.constData(), size_t(text.size()));
    const QByteArray font = localBytesWithin(in.fontFamily, int(sizeof r.fontName) - 1);
    std::memcpy(r.fontName, font.constData(), size_t(font.size()));
    r.fontSize = in.fontSize;
    if (in.fontSize == -1)
        r.fontSize = in.sizeChoice == 2 ? 120 : in.sizeChoice == 1 ? 100 : 80;
    r.red = uint8_t(in.colour.red());
    r.green = uint8_t(in.colour.green());
    r.blue = uint8_t(in.colour.blue());
    r.opacity = uint8_t(qBound(0, in.opacity, 255));
    r.angle = in.angle;
    if (in.fixedPlace) {
        r.fixedPosition = 1;
        r.position = in.place >= 0 && in.place <= 4 ? in.place : 0;
    } else {
        const float h = float(in.hPercent / 100.0);
        const float v = float(in.vPercent / 100.0);
        r.x = int32_t(float(in.videoWidth) * h);
        r.y = int32_t(float(in.videoHeight) * v);
    }
    return r;
}
