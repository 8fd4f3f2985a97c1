#include "ViewControl.h"

#include "Camera.h"
#include "VideoView.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

// A dragged rectangle smaller than this, in window pixels, is a click: it
// leaves no capture rectangle.
constexpr double kMinRectPixels = 4;

} // namespace

ViewControl::ViewControl(const Camera& camera) : m_camera(camera) {
    m_zoomTextTimer.setSingleShot(true);
    m_zoomTextTimer.setInterval(kZoomRateMs);
    m_zoomTextTimer.callOnTimeout([this] {
        m_zoomText.clear();
        push();
    });
}

void ViewControl::attach(VideoView* view) {
    m_view = view;
    m_gesture = Gesture::None;
    ViewState fresh;
    fresh.rotation = m_state.rotation;
    m_state = fresh;
    m_zoomText.clear();
    m_zoomTextTimer.stop();
    push();
}

QSize ViewControl::frameSize() const {
    return m_camera.frameSize();
}

QSize ViewControl::windowSize() const {
    const QWidget* window = m_view ? m_view->target() : nullptr;
    return window ? window->size() : QSize();
}

void ViewControl::setState(const ViewState& state) {
    m_state = state;
    push();
}

void ViewControl::push() {
    if (!m_view)
        return;
    VideoView::Display display;
    display.state = m_state;
    display.colourMode = m_colourMode;
    if (m_gesture == Gesture::Rectangle)
        display.draftRect = QRectF(m_rectStart, m_rectEnd).normalized();
    display.zoomText = m_zoomText;
    m_view->setDisplay(display);
}

void ViewControl::zoomDone() {
    if (m_gesture == Gesture::Pan) { // a drag goes on from the new zoom
        m_pressState = m_state;
        if (m_view && m_view->lastCursor())
            m_pressAt = *m_view->lastCursor();
    }
    if (m_showZoomRate) {
        m_zoomText = QString::number(std::lround(m_state.zoom * 100.0)) + QLatin1Char('%');
        m_zoomTextTimer.start();
    }
    push();
    if (m_zoomCallback)
        m_zoomCallback(m_state.zoom);
}

void ViewControl::zoomTo(float ratio) {
    m_state = zoomedTo(frameSize(), windowSize(), m_state, ratio);
    zoomDone();
}

void ViewControl::zoomBy(float factor) {
    zoomTo(m_state.zoom * factor);
}

bool ViewControl::wheel(int delta) {
    if (m_mouseMode == kMouseIgnored)
        return false;
    const QSize window = windowSize();
    const QPoint middle(window.width() / 2, window.height() / 2);
    const QPoint anchor = m_view && m_view->lastCursor() ? *m_view->lastCursor() : middle;
    const float factor = float(std::pow(double(kZoomStep), double(delta) / kWheelNotch));
    m_state = zoomedAbout(frameSize(), window, m_state, m_state.zoom * factor, anchor);
    zoomDone();
    return true;
}

void ViewControl::setShowZoomRate(bool show) {
    m_showZoomRate = show;
    if (!show && !m_zoomText.isEmpty()) {
        m_zoomText.clear();
        m_zoomTextTimer.stop();
        push();
    }
}

void ViewControl::setRotation(int rotation) {
    rotate(normalRotation(rotation) - m_state.rotation);
}

void ViewControl::rotate(int quarterTurns) {
    m_gesture = Gesture::None;
    setState(settled(frameSize(), windowSize(), turned(m_state, quarterTurns)));
}

bool ViewControl::setMouseMode(int mode) {
    if (mode != kMouseIgnored && mode != kMouseDrag && mode != kMouseRectangle)
        return false;
    m_mouseMode = mode;
    if (m_gesture != Gesture::None) {
        m_gesture = Gesture::None;
        push();
    }
    return true;
}

QPointF ViewControl::clampedFraction(QPoint at) const {
    const ViewLayout layout = layoutView(frameSize(), windowSize(), m_state);
    if (layout.isEmpty())
        return {};
    const QPointF f = windowToFrame(layout, m_state.rotation, at);
    return {std::clamp(f.x(), 0.0, 1.0), std::clamp(f.y(), 0.0, 1.0)};
}

void ViewControl::press(QPoint at) {
    if (m_view)
        m_view->noteCursor(at);
    if (layoutView(frameSize(), windowSize(), m_state).isEmpty())
        return;
    m_pressAt = at;
    m_pressState = m_state;
    switch (m_mouseMode) {
    case kMouseDrag:
        m_gesture = Gesture::Pan;
        break;
    case kMouseRectangle:
        m_gesture = Gesture::Rectangle;
        m_rectStart = m_rectEnd = clampedFraction(at);
        push();
        break;
    default:
        m_gesture = Gesture::None;
        break;
    }
}

void ViewControl::move(QPoint at) {
    if (m_view)
        m_view->noteCursor(at);
    switch (m_gesture) {
    case Gesture::Pan:
        setState(panned(frameSize(), windowSize(), m_pressState, at - m_pressAt));
        break;
    case Gesture::Rectangle:
        m_rectEnd = clampedFraction(at);
        push();
        break;
    case Gesture::None:
        break;
    }
}

void ViewControl::release(QPoint at) {
    move(at);
    if (m_gesture == Gesture::Rectangle)
        finishRectangle(at);
    m_gesture = Gesture::None;
    push();
}

void ViewControl::finishRectangle(QPoint at) {
    m_rectEnd = clampedFraction(at);
    const QRectF rect = QRectF(m_rectStart, m_rectEnd).normalized();
    const ViewLayout layout = layoutView(frameSize(), windowSize(), m_state);
    const QRectF inWindow = frameRectToWindow(layout, m_state.rotation, rect);
    const bool isClick = inWindow.width() < kMinRectPixels || inWindow.height() < kMinRectPixels;
    m_state.captureRect = isClick ? QRectF() : rect;
}

void ViewControl::reset() {
    m_gesture = Gesture::None;
    ViewState fresh;
    fresh.rotation = m_state.rotation;
    m_state = fresh;
    zoomDone();
}

void ViewControl::setColourPreview(int mode) {
    m_colourMode = mode;
    push();
}

QRect ViewControl::videoRect() const {
    const QSize window = windowSize();
    return window.isEmpty() ? QRect() : layoutView(frameSize(), window, m_state).target;
}

QRect ViewControl::captureRect() const {
    return captureRectPixels(m_state, frameSize());
}

} // namespace orv
