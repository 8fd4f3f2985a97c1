#pragma once

#include <QImage>
#include <QRect>
#include <QTransform>

class QBasePlate;

namespace annotation {

// Maps the whiteboard's coordinates onto the pixels of a picture that the
// window showed in videoRect. An empty video rectangle gives the identity.
QTransform boardToPicture(const QRect& videoRect, const QSize& picture);

// The picture with the board's shapes laid over it, scaled from the on-screen
// video rectangle to the picture's own resolution. The eraser clears only
// what shapes painted, never the picture.
QImage annotate(const QImage& picture, const QBasePlate& board, const QRect& videoRect);

} // namespace annotation
