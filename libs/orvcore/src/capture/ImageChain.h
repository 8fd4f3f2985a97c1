#pragma once

// The processing of one capture, from the camera's full frame to the finished
// pictures: the capture rectangle, quarter turns, the page geometry (automatic
// crop and deskew, split of a book spread, the two sides of a card), then per
// picture background removal, the watermark, resizing and the colour mode.

#include "Picture.h"
#include "Watermark.h"

#include <QImage>
#include <QList>
#include <QRectF>

#include <memory>

namespace orv::capture {

struct ChainSettings {
    QRectF captureRect; // fractions of the unturned frame; null for none
    int rotation = 0;   // quarter turns clockwise
    bool autoCrop = false;
    int captureMode = 0; // 1: the front and back of a card onto one page
    bool split = false;
    bool removeBackground = false;
    bool resize = false;
    float resizeRatio = 1.0f;
    int colourMode = 0; // 0 colour, 1 gray, 2 black and white
    int dpi = 200;
    int jpgQuality = 75;
    // Stamped into every picture before resizing; none when null.
    std::shared_ptr<const WatermarkSpec> watermark;
    QDateTime stampTime; // the date and time a watermark shows
};

struct ChainResult {
    enum Kind {
        Single,    // pictures: the one picture
        Split,     // pictures: the left page, the right page
        Documents, // pictures: the whole desk, then each document in reading order (2 or more)
    };
    Kind kind = Single;
    QList<Picture> pictures;
};

// Largest picture an enlargement makes: 64 M pixels (256 MB in RGB32, an A4
// page at about 1150 dpi) and JPEG's longest side. An enlargement past
// either is made as large as fits, in the picture's proportions.
constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;
constexpr int kMaxPictureSide = 65500;

// False when frame is null or a picture would be empty.
bool runChain(const QImage& frame, const ChainSettings& settings, ChainResult* result);

// The steps, for tests and benchmarks.
QImage cropFraction(const QImage& image, const QRectF& fraction);
// Paper to white: each channel divided by a smooth estimate of the
// background (the picture with its dark print removed by a maximum filter).
QImage removeBackground(const QImage& image);
// The picture scaled by ratio, or by less where it would grow past the
// limits above.
QImage resizeBy(const QImage& image, float ratio);
// Colour mode 1: Grayscale8; 2: Grayscale8 of 0 and 255 by a local mean
// threshold; otherwise the picture as RGB32.
QImage applyColourMode(const QImage& image, int mode);

} // namespace orv::capture
