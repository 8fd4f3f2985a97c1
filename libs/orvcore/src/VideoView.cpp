#include "VideoView.h"

#include "FrameScaler.h"
#include "ViewGeometry.h"

#include <QEvent>
#include <QPainter>
#include <QRegion>

namespace orv {

VideoView::VideoView() {
    m_worker = std::thread([this] { scaleLoop(); });
}

VideoView::~VideoView() {
    setTarget(nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void VideoView::setTarget(QWidget* widget) {
    if (widget == m_target)
        return;
    if (m_target) {
        m_target->removeEventFilter(this);
        m_target->update(); // it paints itself again
    }
    disconnect(m_targetGone);
    m_target = widget;
    if (!widget) {
        forgetWindow();
        return;
    }
    widget->installEventFilter(this);
    m_targetGone = connect(widget, &QObject::destroyed, this, [this] { forgetWindow(); });
    noteWindowSize(widget);
    widget->update();
}

void VideoView::requestRepaint() {
    if (m_target)
        m_target->update();
}

void VideoView::submitFrame(const QImage& frame) {
    {
        std::lock_guard lock(m_mutex);
        m_frame = frame;
        m_dirty = true;
    }
    m_wake.notify_one();
}

QSize VideoView::readyPictureSize() const {
    std::lock_guard lock(m_mutex);
    return m_picture.size();
}

bool VideoView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_target.data())
        return false;
    switch (event->type()) {
    case QEvent::Paint:
        paint(m_target);
        return true; // the camera owns this window's picture
    case QEvent::Resize:
        noteWindowSize(m_target);
        break;
    default:
        break;
    }
    return false;
}

void VideoView::paint(QWidget* widget) {
    noteWindowSize(widget); // catches size or pixel-ratio changes without a resize event
    QImage picture;
    QSize frameSize;
    {
        std::lock_guard lock(m_mutex);
        picture = m_picture;
        frameSize = m_pictureFrame;
    }
    QPainter p(widget);
    const QRect area = fitRect(frameSize, widget->size());
    if (picture.isNull() || area.isEmpty()) {
        p.fillRect(widget->rect(), Qt::black);
        return;
    }
    for (const QRect& strip : QRegion(widget->rect()).subtracted(area))
        p.fillRect(strip, Qt::black);
    if (QSizeF(picture.size()) / picture.devicePixelRatio() == QSizeF(area.size()))
        p.drawImage(area.topLeft(), picture);
    else // the worker has not caught up with a new size yet
        p.drawImage(QRectF(area), picture);
}

void VideoView::noteWindowSize(QWidget* widget) {
    const qreal ratio = widget->devicePixelRatioF();
    const QSize pixels = (QSizeF(widget->size()) * ratio).toSize();
    {
        std::lock_guard lock(m_mutex);
        if (pixels == m_windowPixels && ratio == m_pixelRatio)
            return;
        m_windowPixels = pixels;
        m_pixelRatio = ratio;
        m_dirty = true;
    }
    m_wake.notify_one();
}

void VideoView::forgetWindow() {
    std::lock_guard lock(m_mutex);
    m_windowPixels = QSize();
}

void VideoView::scaleLoop() {
    qint64 doneKey = 0;
    QSize doneSize;
    qreal doneRatio = 0;
    for (;;) {
        QImage frame;
        QSize window;
        qreal ratio = 1;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || m_dirty; });
            if (m_stopping)
                return;
            m_dirty = false;
            frame = m_frame;
            window = m_windowPixels;
            ratio = m_pixelRatio;
        }
        if (frame.isNull() || window.isEmpty())
            continue;
        const QSize size = fitRect(frame.size(), window).size();
        if (frame.cacheKey() == doneKey && size == doneSize && ratio == doneRatio)
            continue; // the same picture at the same size: nothing to do
        QImage picture = scaleForView(frame, size);
        picture.setDevicePixelRatio(ratio);
        {
            std::lock_guard lock(m_mutex);
            m_picture = picture;
            m_pictureFrame = frame.size();
        }
        doneKey = frame.cacheKey();
        doneSize = size;
        doneRatio = ratio;
        postRepaint();
    }
}

void VideoView::postRepaint() {
    if (m_repaintPosted.exchange(true))
        return; // one wake-up pending is enough
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_repaintPosted = false;
            requestRepaint();
        },
        Qt::QueuedConnection);
}

} // namespace orv
