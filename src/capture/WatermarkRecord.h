#pragma once

// The watermark's settings and the record the camera library takes: what the
// watermark dialog shows and keeps, and the 696-byte _WATERMARKPARAM packed
// from it. Pure functions.

#include <orvcore/OrvCoreLib.h>

#include <QByteArray>
#include <QColor>
#include <QString>

struct Settings;

// What the watermark keeps across runs (the opacity is not kept).
struct WatermarkSettings {
    QByteArray text = "水印";
    int red = 255, green = 0, blue = 0;
    bool withTime = false;
    int hRatio = 0, vRatio = 0; // percent
    int mode = 0;               // 0 offset placing, 1 fixed place
    int pos = 0;                // fixed place 0..4
    int angle = 0;
    int fontSize = 72;
    QByteArray fontFamily = "宋体";

    static WatermarkSettings from(const Settings& s);
    void storeInto(Settings& s) const;
};

// What a record is packed from: the dialog's widgets and the main camera's
// resolution.
struct WatermarkInput {
    QString text;
    QString fontFamily;
    int fontSize = 72;  // -1: by sizeChoice
    int sizeChoice = 0; // 0 little (80), 1 middle (100), 2 large (120)
    QColor colour{255, 0, 0};
    int opacity = 128;
    int angle = 0;
    bool fixedPlace = false;
    int place = 0; // 0..4; -1 none chosen
    int hPercent = 0, vPercent = 0;
    int videoWidth = 0, videoHeight = 0;
};

// The record, zero-filled, with the texts in the local 8-bit encoding cut at
// a character boundary to fit their fields (299 and 99 bytes and the NUL).
_WATERMARKPARAM packWatermark(const WatermarkInput& input);

// The library's watermark mode: 5 with the date and time, 2 without.
inline int watermarkMode(bool withTime) {
    return withTime ? 5 : 2;
}

// text in the local 8-bit encoding, whole characters only, at most maxBytes.
QByteArray localBytesWithin(const QString& text, int maxBytes);
