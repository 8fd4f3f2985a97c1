#pragma once

// Scaling of camera frames down to view size, the per-frame cost of the live
// picture. Meant for worker threads; never touches a widget.

#include <QImage>
#include <QRectF>
#include <QSize>

#include <memory>

namespace orv {

// Halves an RGB32 / ARGB32 picture in both directions by averaging 2x2
// blocks (an odd last row or column is dropped).
QImage halveImage(const QImage& image);

// frame scaled to exactly target (aspect is the caller's concern). Large
// reductions are done by repeated halving first, then one bilinear reduction
// of what is left (a smooth scale for enlargements); the result is
// Format_RGB32 or Format_ARGB32_Premultiplied.
QImage scaleForView(const QImage& frame, QSize target);

// The view picture of one layout: the part source (in frame pixels) of frame,
// scaled to target (its size in the window, after turning) and turned by
// rotation quarter turns clockwise. Only the part shown is scaled, so zooming
// in never scales the whole frame. Null when there is nothing to show.
QImage renderView(const QImage& frame, const QRectF& source, QSize target, int rotation);

// A picture reduced as its rows arrive, top to bottom, with the blends of
// scaleForView's mild reduction: out no larger than the source (from) and at
// least half its size in each direction.
class RowReducer {
public:
    // out: Format_RGB32 at the size to reduce to; written as rows complete.
    RowReducer(QSize from, QImage& out);
    ~RowReducer();
    RowReducer(const RowReducer&) = delete;
    RowReducer& operator=(const RowReducer&) = delete;
    // Where source row y goes (from's width in pixels); rows come in order.
    quint32* row(int y);
    // Source row y is written: makes each output row it completes.
    void rowDone(int y);

private:
    struct Plan;
    std::unique_ptr<Plan> m_plan;
};

// image turned by quarter turns clockwise (any integer).
QImage turnImage(const QImage& image, int rotation);

// The live preview of a capture colour mode on an RGB32 picture, in place:
// 1 gray, 2 black and white (fixed mid threshold); other modes leave it.
void previewColourMode(QImage& image, int mode);

} // namespace orv
