#include "VideoView.h"

#include "FrameScaler.h"
#include "ThreadAnnotations.h"
#include "ViewGeometry.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QWheelEvent>

#include <cmath>
#include <utility>

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
    m_cursor.reset();
    notePainted(); // a new window paints whatever is ready
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

void VideoView::setDisplay(const Display& display) {
    m_display = display;
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        if (display.state != m_state || display.colourMode != m_colourMode) {
            m_state = display.state;
            m_colourMode = display.colourMode;
            m_dirty = wake = true;
        }
    }
    if (wake)
        m_wake.notify_one();
    requestRepaint(); // the overlays at once, the picture when the worker has it
}

void VideoView::submitFrame(const Frame& frame) {
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
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        m_cursor = static_cast<QMouseEvent*>(event)->position().toPoint();
        break;
    case QEvent::Wheel:
        m_cursor = static_cast<QWheelEvent*>(event)->position().toPoint();
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
    notePainted();
    QPainter p(widget);
    const ViewLayout layout = layoutView(frameSize, widget->size(), m_display.state);
    const QRect area = layout.target;
    if (picture.isNull() || area.isEmpty()) {
        p.fillRect(widget->rect(), Qt::black);
        return;
    }
    for (const QRect& strip : QRegion(widget->rect()).subtracted(area))
        p.fillRect(strip, Qt::black);
    if (QSizeF(picture.size()) / picture.devicePixelRatio() == QSizeF(area.size()))
        p.drawImage(area.topLeft(), picture);
    else // the worker has not caught up with a new size or view yet
        p.drawImage(QRectF(area), picture);
    paintWatermarkOver(p, layout, frameSize);
    paintOverlays(p, layout);
}

void VideoView::setWatermark(std::shared_ptr<const capture::WatermarkSpec> stamp) {
    m_watermark = std::move(stamp);
    requestRepaint();
}

// The watermark as a capture of the whole frame would carry it, mapped onto
// the picture shown (turned and zoomed with it).
void VideoView::paintWatermarkOver(QPainter& p, const ViewLayout& layout, QSize frameSize) {
    if (!m_watermark || frameSize.isEmpty())
        return;
    const QSize turned = turnedSize(frameSize, m_display.state.rotation);
    p.save();
    p.setClipRect(layout.target);
    p.translate(layout.picture.topLeft());
    p.scale(layout.picture.width() / turned.width(), layout.picture.height() / turned.height());
    capture::paintWatermark(p, turned, std::min(frameSize.width(), frameSize.height()),
                            *m_watermark, QDateTime::currentDateTime());
    p.restore();
}

// The capture rectangle (or the one being dragged) as a black and white
// dashed line, visible on any picture; the zoom rate in the top-right corner.
void VideoView::paintOverlays(QPainter& p, const ViewLayout& layout) {
    const QRectF frameRect =
        m_display.draftRect.isNull() ? m_display.state.captureRect : m_display.draftRect;
    if (!frameRect.isNull()) {
        const QRectF r = frameRectToWindow(layout, m_display.state.rotation, frameRect)
                             .adjusted(0.5, 0.5, -0.5, -0.5);
        p.save();
        p.setClipRect(layout.target);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(r);
        p.setPen(QPen(Qt::white, 1, Qt::DashLine));
        p.drawRect(r);
        p.restore();
    }
    if (!m_display.zoomText.isEmpty()) {
        p.save();
        QFont font = p.font();
        font.setPixelSize(16);
        font.setBold(true);
        p.setFont(font);
        const QFontMetrics metrics(font);
        const QSize text(metrics.horizontalAdvance(m_display.zoomText), metrics.height());
        QRect box(QPoint(), text + QSize(12, 6));
        box.moveTopRight(layout.target.topRight() + QPoint(-8, 8));
        p.setClipRect(layout.target);
        p.fillRect(box, QColor(0, 0, 0, 160));
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, m_display.zoomText);
        p.restore();
    }
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

void VideoView::notePainted() {
    {
        std::lock_guard lock(m_mutex);
        if (!std::exchange(m_unpainted, false))
            return;
    }
    m_wake.notify_one();
}

void VideoView::forgetWindow() {
    std::lock_guard lock(m_mutex);
    m_windowPixels = QSize();
}

namespace {

// The view picture of frame for layout: a JPEG decoded only as large as the
// part shown needs to fill the window, then cropped, scaled and turned.
QImage renderFrame(const Frame& frame, const ViewLayout& layout, int rotation) {
    const QSize out = rotation % 2 != 0 ? layout.target.size().transposed() : layout.target.size();
    const QRectF& source = layout.source;
    // The whole frame shown (to a hair of rounding): decoded to the window's
    // size straight away where the frame allows it.
    const QRectF whole(QPointF(), QSizeF(frame.size()));
    if (std::abs(source.left()) < 0.5 && std::abs(source.top()) < 0.5 &&
        std::abs(source.right() - whole.right()) < 0.5 &&
        std::abs(source.bottom() - whole.bottom()) < 0.5) {
        const QImage fitted = frame.fitted(out);
        if (!fitted.isNull())
            return turnImage(fitted, rotation);
    }
    const double scale = std::max(out.width() / source.width(), out.height() / source.height());
    const QImage picture = frame.scaled(scale);
    if (picture.isNull())
        return {};
    const double kx = double(picture.width()) / frame.size().width();
    const double ky = double(picture.height()) / frame.size().height();
    const QRectF part(source.x() * kx, source.y() * ky, source.width() * kx, source.height() * ky);
    return renderView(picture, part, layout.target.size(), rotation);
}

} // namespace

void VideoView::scaleLoop() {
    qint64 doneKey = 0;
    QSize doneSize;
    qreal doneRatio = 0;
    ViewState doneState;
    int doneColour = -1;
    for (;;) {
        Frame frame;
        QSize window;
        qreal ratio = 1;
        ViewState state;
        int colour = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || (m_dirty && !m_unpainted); });
            if (m_stopping)
                return;
            m_dirty = false;
            frame = m_frame;
            window = m_windowPixels;
            ratio = m_pixelRatio;
            state = m_state;
            colour = m_colourMode;
        }
        if (frame.isNull() || window.isEmpty())
            continue;
        if (frame.key() == doneKey && window == doneSize && ratio == doneRatio &&
            state == doneState && colour == doneColour)
            continue; // the same picture of the same view: nothing to do
        const ViewLayout layout = layoutView(frame.size(), window, state);
        if (layout.isEmpty())
            continue;
        QImage picture = renderFrame(frame, layout, state.rotation);
        if (picture.isNull())
            continue;
        previewColourMode(picture, colour);
        picture.setDevicePixelRatio(ratio);
        {
            std::lock_guard lock(m_mutex);
            m_picture = picture;
            m_pictureFrame = frame.size();
            m_unpainted = true;
        }
        doneKey = frame.key();
        doneSize = window;
        doneRatio = ratio;
        doneState = state;
        doneColour = colour;
        postRepaint();
    }
}

void VideoView::postRepaint() {
    if (m_repaintPosted.exchange(true))
        return; // one wake-up pending is enough
    tsan::release(tsan::queuedCalls());
    QMetaObject::invokeMethod(
        this,
        [this] {
            tsan::acquire(tsan::queuedCalls());
            m_repaintPosted = false;
            requestRepaint();
        },
        Qt::QueuedConnection);
}

} // namespace orv
