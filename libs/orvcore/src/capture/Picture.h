#pragma once

// One finished picture of a capture, ready for a writer.

#include <QImage>

namespace orv::capture {

struct Picture {
    // Format_RGB32 in colour; Format_Grayscale8 in gray and black-and-white.
    QImage image;
    bool bilevel = false; // black-and-white: every pixel is 0 or 255
    int dpi = 200;
    int jpgQuality = 75; // 1..100

    bool isGray() const { return image.format() == QImage::Format_Grayscale8; }
};

} // namespace orv::capture
