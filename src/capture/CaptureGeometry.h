#pragma once

#include <QPoint>
#include <QSize>

// Where the vice picture goes inside the main picture when the two are
// composed: the small vice window's place over the displayed main video,
// carried over to the main picture's pixels.
namespace capture {

struct Composition {
    int videoLeft = 0, videoTop = 0, videoRight = 0, videoBottom = 0; // video in the preview
    QSize smallSize;                                                  // the small window
    QPoint smallPos;                                                  // its top-left on screen
    QPoint videoOrigin;                  // top-left of the displayed video on screen
    int imageWidth = 0, imageHeight = 0; // the main picture
};

struct Placement {
    int width = 0, height = 0; // the vice picture's size in the main picture
    int offsetX = 0;           // from the main picture's left edge
    int offsetY = 0;           // from the main picture's bottom edge
};

// Scale factors in single precision, values truncated toward zero. A video
// of zero width or height places nothing.
Placement placeSubPicture(const Composition& c);

} // namespace capture
