#pragma once

// The view operations of one camera: zoom, pan, quarter turns, the mouse
// modes and the capture rectangle. Lives as long as its camera, so rotation,
// mouse mode and the zoom callback outlast a close; while the camera is open
// it drives the camera's VideoView. GUI thread only.

#include "ViewState.h"

#include <orvcore/OrvCoreLib.h>

#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

namespace orv {

class Camera;
class VideoView;

class ViewControl {
public:
    enum MouseMode { kMouseIgnored = -1, kMouseDrag = 0, kMouseRectangle = 1 };
    // How long the zoom rate stays over the picture after a change.
    static constexpr int kZoomRateMs = 1500;

    explicit ViewControl(const Camera& camera);
    ViewControl(const ViewControl&) = delete;
    ViewControl& operator=(const ViewControl&) = delete;

    // The view to drive; nullptr while the camera is closed. A new view
    // starts at zoom 1 without pan or rectangle; rotation stays.
    void attach(VideoView* view);

    const ViewState& state() const { return m_state; }

    // Zoom to ratio (clamped) about the middle of the view, or by factor.
    // Every zoom request ends with the callback, given the resulting ratio.
    void zoomTo(float ratio);
    void zoomBy(float factor);
    // One wheel notch (kWheelNotch) zooms by kZoomStep about the cursor's
    // last position in the window (its middle when unknown). Ignored in
    // kMouseIgnored mode. False when ignored.
    bool wheel(int delta);
    void setZoomCallback(OrvZoomCallback callback) { m_zoomCallback = callback; }
    // While on, the zoom rate ("150%") is drawn over the picture for
    // kZoomRateMs after each zoom request.
    void setShowZoomRate(bool show);
    bool showZoomRate() const { return m_showZoomRate; }
    QString zoomRateText() const { return m_zoomText; }

    void setRotation(int rotation); // quarter turns clockwise; any integer
    void rotate(int quarterTurns);

    // False for a mode other than the three; a gesture under way ends.
    bool setMouseMode(int mode);
    int mouseMode() const { return m_mouseMode; }
    void press(QPoint at);
    void move(QPoint at);
    void release(QPoint at);

    // Zoom 1, no pan, no capture rectangle (rotation stays); reports the zoom.
    void reset();

    void setColourPreview(int mode);

    // Where the picture is drawn in the camera's window; empty without one.
    QRect videoRect() const;
    // The capture rectangle in pixels of the camera's frame size; empty when none.
    QRect captureRect() const;

private:
    enum class Gesture { None, Pan, Rectangle };

    QSize frameSize() const;
    QSize windowSize() const;
    void setState(const ViewState& state);
    void zoomDone();
    void push();
    QPointF clampedFraction(QPoint at) const;
    void finishRectangle(QPoint at);

    const Camera& m_camera;
    VideoView* m_view = nullptr;
    ViewState m_state;
    int m_mouseMode = kMouseDrag;
    int m_colourMode = 0;
    OrvZoomCallback m_zoomCallback = nullptr;
    bool m_showZoomRate = false;
    QString m_zoomText;
    QTimer m_zoomTextTimer;

    Gesture m_gesture = Gesture::None;
    QPoint m_pressAt;
    ViewState m_pressState;
    QPointF m_rectStart; // frame fractions
    QPointF m_rectEnd;
};

} // namespace orv
