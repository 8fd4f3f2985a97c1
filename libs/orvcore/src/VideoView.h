#pragma once

// The live picture of one camera inside a widget of the application.
//
// Frames arrive on the source thread; a worker thread of the view scales the
// newest one to the widget's current size; the GUI thread only blits that
// ready picture when the widget paints. The view paints through an event
// filter on the target widget, so it needs no cooperation from the widget's
// class. Only the GUI thread touches the widget: the worker wakes it with a
// queued call to update().

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace orv {

class VideoView final : public QObject {
public:
    VideoView();
    ~VideoView() override;

    // GUI thread. Draws into widget from now on (nullptr: nowhere). The
    // widget given up repaints itself without the picture.
    void setTarget(QWidget* widget);
    QWidget* target() const { return m_target; }
    // Schedules a repaint of the target from the ready picture.
    void requestRepaint();

    // Any thread. Offers a new full-size frame to the view.
    void submitFrame(const QImage& frame);
    // The size, in device pixels, of the picture ready to be blitted.
    QSize readyPictureSize() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint(QWidget* widget);
    void noteWindowSize(QWidget* widget);
    void forgetWindow();
    void scaleLoop();
    void postRepaint();

    QPointer<QWidget> m_target;
    QMetaObject::Connection m_targetGone;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_dirty = false;
    QImage m_frame;       // newest frame submitted
    QSize m_windowPixels; // the target's size in device pixels, empty when none
    qreal m_pixelRatio = 1;
    QImage m_picture;     // m_frame scaled for the window
    QSize m_pictureFrame; // size of the frame m_picture was made from

    std::atomic<bool> m_repaintPosted{false};
    std::thread m_worker;
};

} // namespace orv
