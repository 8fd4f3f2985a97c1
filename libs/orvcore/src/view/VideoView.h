#pragma once

// The live picture of one camera inside a widget of the application.
//
// Frames arrive on the source thread; a worker thread of the view makes the
// picture for the widget's size and the view state (the shown part of the
// frame cropped, scaled and turned); the GUI thread only blits that ready
// picture when the widget paints, with the capture rectangle and the zoom
// rate drawn over it. The view paints through an event filter on the target
// widget, so it needs no cooperation from the widget's class. Only the GUI thread touches the
// widget: the worker wakes it with a queued call to update(). A picture not
// yet painted holds the worker back: frames that come before the window
// paints (a busy GUI thread, a hidden or minimised window) are superseded
// undecoded, and the paint takes the newest.

#include "Frame.h"
#include "ViewState.h"
#include "capture/Watermark.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QPainter;

namespace orv {

class VideoView final : public QObject {
public:
    // What the view shows besides the frame.
    struct Display {
        ViewState state;
        int colourMode = 0; // previewed: 0 colour, 1 gray, 2 black and white
        QRectF draftRect;   // frame fractions: a rectangle being dragged, drawn instead
                            // of the capture rectangle; null when none
        QString zoomText;   // drawn over the picture; empty when none
    };

    VideoView();
    ~VideoView() override;

    // GUI thread. Draws into widget from now on (nullptr: nowhere). The
    // widget given up repaints itself without the picture.
    void setTarget(QWidget* widget);
    QWidget* target() const { return m_target; }
    // Schedules a repaint of the target from the ready picture.
    void requestRepaint();
    // GUI thread. Shows display from now on; the worker makes a new picture
    // when the part of the frame shown or its look changes.
    void setDisplay(const Display& display);
    const Display& display() const { return m_display; }
    // GUI thread. The cursor's last position in the target (mouse and wheel
    // events the target received, and positions noted by the engine).
    void noteCursor(QPoint position) { m_cursor = position; }
    std::optional<QPoint> lastCursor() const { return m_cursor; }

    // GUI thread. The watermark drawn over the picture as captures stamp it;
    // null for none.
    void setWatermark(std::shared_ptr<const capture::WatermarkSpec> stamp);

    // Any thread. Offers a new frame to the view; a JPEG is decoded at the
    // smallest scale that still fills the window's device pixels.
    void submitFrame(const Frame& frame);
    // The size, in device pixels, of the picture ready to be blitted.
    QSize readyPictureSize() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint(QWidget* widget);
    void paintOverlays(QPainter& painter, const ViewLayout& layout);
    void paintWatermarkOver(QPainter& painter, const ViewLayout& layout, QSize frameSize);
    void noteWindowSize(QWidget* widget);
    void notePainted();
    void forgetWindow();
    void scaleLoop();
    void postRepaint();

    QPointer<QWidget> m_target;
    QMetaObject::Connection m_targetGone;
    Display m_display;                                         // GUI thread
    std::optional<QPoint> m_cursor;                            // GUI thread
    std::shared_ptr<const capture::WatermarkSpec> m_watermark; // GUI thread

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_dirty = false;
    Frame m_frame;        // newest frame submitted
    QSize m_windowPixels; // the target's size in device pixels, empty when none
    qreal m_pixelRatio = 1;
    ViewState m_state; // the worker's copy of the view state
    int m_colourMode = 0;
    QImage m_picture;         // the view picture of m_frame for the window
    QSize m_pictureFrame;     // size of the frame m_picture was made from
    bool m_unpainted = false; // m_picture has not been painted yet

    std::atomic<bool> m_repaintPosted{false};
    std::thread m_worker;
};

} // namespace orv
