#pragma once

// PNG and BMP through Qt's writers, with the DPI in the file (PNG pHYs, BMP
// pixels per metre). Black-and-white pictures are stored with 1 bit a pixel.

#include "Picture.h"

#include <QByteArray>

namespace orv::capture {

// format: "png" or "bmp". Empty on failure.
QByteArray encodeWithQt(const Picture& picture, const char* format);

// The picture as Qt stores it: 1-bit Format_Mono for black-and-white (0
// black, 1 white), the picture itself otherwise; its dots per metre set.
QImage qtImageOf(const Picture& picture);

// A gray picture as 1-bit Format_Mono: index 1 (white) where it is 128 or more.
QImage monoOf(const QImage& gray);

} // namespace orv::capture
