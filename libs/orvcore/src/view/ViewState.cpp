#include "ViewState.h"

#include "ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

// The start of the picture along one axis: centred when it fits the window,
// else placed so that centreFraction sits mid-window, held at the edges.
double placeAxis(double extent, double windowExtent, double centreFraction) {
    if (extent <= windowExtent)
        return std::floor((windowExtent - extent) / 2); // fitRect() rounds the same way
    const double start = windowExtent / 2 - centreFraction * extent;
    return std::clamp(start, windowExtent - extent, 0.0);
}

// The picture's size in the window at zoom: the fitted turned frame, grown.
QSizeF pictureSize(QSize frameSize, QSize windowSize, int rotation, double zoom) {
    const QRect fit = fitRect(turnedSize(frameSize, rotation), windowSize);
    return QSizeF(fit.width() * zoom, fit.height() * zoom);
}

// The state whose turned centre puts the picture's top-left at topLeft.
ViewState withPictureAt(const ViewState& state, QSize windowSize, QPointF topLeft, QSizeF picture) {
    ViewState out = state;
    const QPointF turnedCentre((windowSize.width() / 2.0 - topLeft.x()) / picture.width(),
                               (windowSize.height() / 2.0 - topLeft.y()) / picture.height());
    out.centre = unturnFraction(turnedCentre, out.rotation);
    return out;
}

} // namespace

float clampZoom(float zoom) {
    if (std::isnan(zoom))
        return kMinZoom;
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

int normalRotation(int rotation) {
    return ((rotation % 4) + 4) % 4;
}

QSize turnedSize(QSize size, int rotation) {
    return normalRotation(rotation) % 2 ? size.transposed() : size;
}

QPointF turnFraction(QPointF p, int rotation) {
    switch (normalRotation(rotation)) {
    case 1:
        return {1 - p.y(), p.x()};
    case 2:
        return {1 - p.x(), 1 - p.y()};
    case 3:
        return {p.y(), 1 - p.x()};
    default:
        return p;
    }
}

QPointF unturnFraction(QPointF p, int rotation) {
    return turnFraction(p, 4 - normalRotation(rotation));
}

QRectF turnFractionRect(const QRectF& rect, int rotation) {
    if (rect.isNull())
        return {};
    return QRectF(turnFraction(rect.topLeft(), rotation),
                  turnFraction(rect.bottomRight(), rotation))
        .normalized();
}

QRectF unturnFractionRect(const QRectF& rect, int rotation) {
    return turnFractionRect(rect, 4 - normalRotation(rotation));
}

ViewLayout layoutView(QSize frameSize, QSize windowSize, const ViewState& state) {
    ViewLayout out;
    if (frameSize.isEmpty() || windowSize.isEmpty())
        return out;
    const int rotation = normalRotation(state.rotation);
    const QSizeF size = pictureSize(frameSize, windowSize, rotation, clampZoom(state.zoom));
    const QPointF centre = turnFraction(state.centre, rotation);
    const double left = placeAxis(size.width(), windowSize.width(), centre.x());
    const double top = placeAxis(size.height(), windowSize.height(), centre.y());
    out.picture = QRectF(left, top, size.width(), size.height());

    const int x0 = std::max(0, int(std::lround(left)));
    const int y0 = std::max(0, int(std::lround(top)));
    const int x1 = std::min(windowSize.width(), int(std::lround(left + size.width())));
    const int y1 = std::min(windowSize.height(), int(std::lround(top + size.height())));
    if (x1 <= x0 || y1 <= y0)
        return out;
    out.target = QRect(x0, y0, x1 - x0, y1 - y0);

    const QRectF shown((x0 - left) / size.width(), (y0 - top) / size.height(),
                       (x1 - x0) / size.width(), (y1 - y0) / size.height());
    const QRectF fraction = unturnFractionRect(shown, rotation);
    out.source =
        QRectF(fraction.x() * frameSize.width(), fraction.y() * frameSize.height(),
               fraction.width() * frameSize.width(), fraction.height() * frameSize.height());
    return out;
}

ViewState settled(QSize frameSize, QSize windowSize, const ViewState& state) {
    ViewState out = state;
    out.zoom = clampZoom(state.zoom);
    out.rotation = normalRotation(state.rotation);
    const ViewLayout layout = layoutView(frameSize, windowSize, out);
    if (layout.picture.isEmpty())
        return out;
    out = withPictureAt(out, windowSize, layout.picture.topLeft(), layout.picture.size());
    // Along an axis the picture does not fill, it is centred: say so exactly.
    QPointF centre = turnFraction(out.centre, out.rotation);
    if (layout.picture.width() <= windowSize.width())
        centre.setX(0.5);
    if (layout.picture.height() <= windowSize.height())
        centre.setY(0.5);
    out.centre = unturnFraction(centre, out.rotation);
    return out;
}

QPointF windowToFrame(const ViewLayout& layout, int rotation, QPointF p) {
    const QRectF& pic = layout.picture;
    const QPointF turned((p.x() - pic.left()) / pic.width(), (p.y() - pic.top()) / pic.height());
    return unturnFraction(turned, rotation);
}

QPointF frameToWindow(const ViewLayout& layout, int rotation, QPointF f) {
    const QRectF& pic = layout.picture;
    const QPointF turned = turnFraction(f, rotation);
    return {pic.left() + turned.x() * pic.width(), pic.top() + turned.y() * pic.height()};
}

QRectF frameRectToWindow(const ViewLayout& layout, int rotation, const QRectF& frameRect) {
    return QRectF(frameToWindow(layout, rotation, frameRect.topLeft()),
                  frameToWindow(layout, rotation, frameRect.bottomRight()))
        .normalized();
}

ViewState zoomedAbout(QSize frameSize, QSize windowSize, const ViewState& state, float zoom,
                      QPointF anchor) {
    ViewState out = settled(frameSize, windowSize, state);
    const ViewLayout before = layoutView(frameSize, windowSize, out);
    out.zoom = clampZoom(zoom);
    if (before.picture.isEmpty())
        return out;
    const QPointF fraction((anchor.x() - before.picture.left()) / before.picture.width(),
                           (anchor.y() - before.picture.top()) / before.picture.height());
    const QSizeF size = pictureSize(frameSize, windowSize, out.rotation, out.zoom);
    const QPointF topLeft(anchor.x() - fraction.x() * size.width(),
                          anchor.y() - fraction.y() * size.height());
    return settled(frameSize, windowSize, withPictureAt(out, windowSize, topLeft, size));
}

ViewState zoomedTo(QSize frameSize, QSize windowSize, const ViewState& state, float zoom) {
    ViewState out = settled(frameSize, windowSize, state);
    out.zoom = clampZoom(zoom);
    return settled(frameSize, windowSize, out);
}

ViewState panned(QSize frameSize, QSize windowSize, const ViewState& state, QPointF delta) {
    ViewState out = settled(frameSize, windowSize, state);
    const ViewLayout layout = layoutView(frameSize, windowSize, out);
    if (layout.picture.isEmpty())
        return out;
    out = withPictureAt(out, windowSize, layout.picture.topLeft() + delta, layout.picture.size());
    return settled(frameSize, windowSize, out);
}

ViewState turned(const ViewState& state, int quarterTurns) {
    ViewState out = state;
    out.rotation = normalRotation(state.rotation + quarterTurns);
    return out;
}

QRect captureRectPixels(const ViewState& state, QSize frameSize) {
    if (state.captureRect.isNull() || frameSize.isEmpty())
        return {};
    const QRectF& r = state.captureRect;
    const int left = int(std::lround(r.left() * frameSize.width()));
    const int top = int(std::lround(r.top() * frameSize.height()));
    const int right = int(std::lround(r.right() * frameSize.width()));
    const int bottom = int(std::lround(r.bottom() * frameSize.height()));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & QRect(QPoint(), frameSize);
}

} // namespace orv
