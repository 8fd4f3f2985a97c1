#include "annotation/AnnotatedPicture.h"

#include "annotation/QBasePlate.h"

#include <QPainter>

namespace annotation {

QTransform boardToPicture(const QRect& videoRect, const QSize& picture) {
    if (videoRect.width() <= 0 || videoRect.height() <= 0)
        return QTransform();
    QTransform t;
    t.scale(qreal(picture.width()) / videoRect.width(),
            qreal(picture.height()) / videoRect.height());
    t.translate(-videoRect.left(), -videoRect.top());
    return t;
}

QImage annotate(const QImage& picture, const QBasePlate& board, const QRect& videoRect) {
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    const QImage layer = board.renderShapes(out.size(), boardToPicture(videoRect, picture.size()));
    QPainter p(&out);
    p.drawImage(QPoint(0, 0), layer);
    return out;
}

} // namespace annotation
