#pragma once

// The view of one camera as plain data, and the geometry rules that place the
// frame in its window: zoom, pan, quarter turns and the capture rectangle.
// Pure functions, so what the engine reports (the video rectangle) and what
// it draws are computed from the same numbers.
//
// Three coordinate spaces meet here:
// - frame fractions: (0,0) top-left to (1,1) bottom-right of the unturned
//   frame; independent of the resolution;
// - turned fractions: the same for the frame after the quarter turns;
// - window pixels: logical pixels of the widget the picture is drawn into.

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace orv {

constexpr float kMinZoom = 1.0f; // the whole frame fitted to the window
constexpr float kMaxZoom = 8.0f;
constexpr float kZoomStep = 1.25f; // one zoom-in or zoom-out step, one wheel notch
constexpr int kWheelNotch = 120;   // wheel delta of one notch

struct ViewState {
    float zoom = kMinZoom;
    QPointF centre{0.5, 0.5}; // frame fraction shown at the middle of the view
    int rotation = 0;         // quarter turns clockwise, 0..3
    QRectF captureRect;       // frame fractions; null when there is none

    bool operator==(const ViewState& o) const {
        return zoom == o.zoom && centre == o.centre && rotation == o.rotation &&
               captureRect == o.captureRect;
    }
    bool operator!=(const ViewState& o) const { return !(*this == o); }
};

// Where the picture goes for one frame size, window size and view state.
struct ViewLayout {
    QRectF picture; // the whole turned, zoomed frame in window pixels; may pass the window
    QRect target;   // the part of the window the picture covers (picture within the window)
    QRectF source;  // the part of the frame, in frame pixels (unturned), shown in target
    bool isEmpty() const { return target.isEmpty(); }
};

// zoom limited to [kMinZoom, kMaxZoom]; kMinZoom for a value that is not a number.
float clampZoom(float zoom);
// rotation reduced to 0..3 (negative turns count anticlockwise).
int normalRotation(int rotation);
QSize turnedSize(QSize size, int rotation);

// Frame fractions to turned fractions and back.
QPointF turnFraction(QPointF frameFraction, int rotation);
QPointF unturnFraction(QPointF turnedFraction, int rotation);
QRectF turnFractionRect(const QRectF& frameRect, int rotation);
QRectF unturnFractionRect(const QRectF& turnedRect, int rotation);

// The layout of frameSize in windowSize. At zoom 1 the picture is fitRect()
// of the turned frame. Zoomed, the picture grows about the state's centre;
// along an axis where it is larger than the window it always covers the
// window (the centre is held back at the edges), along an axis where it is
// smaller it is centred. Empty when either size is empty.
ViewLayout layoutView(QSize frameSize, QSize windowSize, const ViewState& state);

// The state with its centre moved to where layoutView() actually shows it.
ViewState settled(QSize frameSize, QSize windowSize, const ViewState& state);

// The frame fraction under a window point (outside [0,1] off the picture),
// and back. Need a non-empty layout.
QPointF windowToFrame(const ViewLayout& layout, int rotation, QPointF windowPoint);
QPointF frameToWindow(const ViewLayout& layout, int rotation, QPointF frameFraction);
// A rectangle of frame fractions in window pixels (unclipped).
QRectF frameRectToWindow(const ViewLayout& layout, int rotation, const QRectF& frameRect);

// The state zoomed to zoom (clamped) with the frame point under anchor (a
// window point) kept under it, as far as the edges allow.
ViewState zoomedAbout(QSize frameSize, QSize windowSize, const ViewState& state, float zoom,
                      QPointF anchor);
// The state zoomed to zoom (clamped) about the middle of the view.
ViewState zoomedTo(QSize frameSize, QSize windowSize, const ViewState& state, float zoom);
// The state with the picture moved by delta window pixels, held at the edges.
ViewState panned(QSize frameSize, QSize windowSize, const ViewState& state, QPointF delta);
// The state turned by quarterTurns clockwise; zoom, the frame point in the
// middle and the capture rectangle (frame fractions) stay.
ViewState turned(const ViewState& state, int quarterTurns);

// A capture rectangle in frame pixels of frameSize; empty when there is none.
QRect captureRectPixels(const ViewState& state, QSize frameSize);

} // namespace orv
