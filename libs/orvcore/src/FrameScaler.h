#pragma once

// Scaling of camera frames down to view size, the per-frame cost of the live
// picture. Meant for worker threads; never touches a widget.

#include <QImage>
#include <QSize>

namespace orv {

// Halves an RGB32 / ARGB32 picture in both directions by averaging 2x2
// blocks (an odd last row or column is dropped).
QImage halveImage(const QImage& image);

// frame scaled to exactly target (aspect is the caller's concern). Large
// reductions are done by repeated halving first, then one smooth scale of
// what is left; the result is Format_RGB32 or Format_ARGB32_Premultiplied.
QImage scaleForView(const QImage& frame, QSize target);

} // namespace orv
