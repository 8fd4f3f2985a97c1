#include "camera/SmallWindowGeometry.h"

#include <cstdio>

namespace smallwindow {

VideoRect parseVideoRect(const QByteArray& text) {
    VideoRect r;
    if (text.size() > 7) {
        int l = 0, t = 0, rt = 0, b = 0;
        if (std::sscanf(text.constData(), "%d.%d.%d.%d", &l, &t, &rt, &b) == 4)
            r = VideoRect{l, t, rt, b};
    }
    return r;
}

QRect allowedArea(QSize smallSize, QPoint p, VideoRect v) {
    if (v.right == 0) {
        v.right = 200;
        v.bottom = 200;
    }
    return QRect(
        QPoint(p.x() + v.left, p.y() + v.top),
        QPoint(p.x() + v.right - smallSize.width(), p.y() + v.bottom - smallSize.height()));
}

QPoint clamp(QPoint pos, const QRect& area) {
    int x = qMax(pos.x(), area.left());
    x = qMin(x, area.right());
    int y = qMax(pos.y(), area.top());
    y = qMin(y, area.bottom());
    return QPoint(x, y);
}

int hitZone(QPoint pos, QSize size) {
    const int row = pos.y() < 4 ? 0 : (pos.y() > size.height() - 4 ? 2 : 1);
    const int column = pos.x() < 4 ? 0 : (pos.x() > size.width() - 4 ? 2 : 1);
    return row * 10 + column;
}

Qt::CursorShape cursorForZone(int zone) {
    switch (zone) {
    case 0:
    case 22:
        return Qt::SizeFDiagCursor;
    case 1:
    case 21:
        return Qt::SizeVerCursor;
    case 2:
    case 20:
        return Qt::SizeBDiagCursor;
    case 10:
    case 12:
        return Qt::SizeHorCursor;
    default:
        return Qt::ArrowCursor;
    }
}

bool settled(const VideoRect& v) {
    return v.left >= 0 && v.top >= 0 && v.right > v.left && v.bottom > v.top;
}

bool FitWait::tick(const VideoRect& video) {
    if (!waiting_)
        return false;
    const bool fit = settled(video);
    ++ticks_;
    if (fit || ticks_ >= kMaxTicks)
        waiting_ = false;
    return fit;
}

std::optional<QPoint> Placement::afterFit(QSize small) const {
    if (area_.contains(QRect(QPoint(0, 0), small - QSize(1, 1))))
        return std::nullopt;
    return clamped(QPoint(1, 0));
}

} // namespace smallwindow
