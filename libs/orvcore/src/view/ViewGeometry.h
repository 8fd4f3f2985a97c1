#pragma once

// Where a frame is drawn inside a window: scaled with its aspect kept as large
// as the window allows, centred, the rest left black. Pure functions, so the
// reported video rectangle is computed, never measured from pixels.

#include <QRect>
#include <QSize>

namespace orv {

// The rectangle, in window coordinates, that a frame of frameSize fills in a
// window of windowSize. Empty when either size is empty. Both sides of the
// result are at least 1 pixel when neither size is empty.
inline QRect fitRect(QSize frameSize, QSize windowSize) {
    if (frameSize.isEmpty() || windowSize.isEmpty())
        return {};
    const qint64 fw = frameSize.width(), fh = frameSize.height();
    const qint64 ww = windowSize.width(), wh = windowSize.height();
    qint64 w = ww, h = wh;
    if (ww * fh <= wh * fw) // the window's width limits the picture
        h = (ww * fh + fw / 2) / fw;
    else
        w = (wh * fw + fh / 2) / fh;
    w = qBound<qint64>(1, w, ww);
    h = qBound<qint64>(1, h, wh);
    return QRect(int((ww - w) / 2), int((wh - h) / 2), int(w), int(h));
}

} // namespace orv
