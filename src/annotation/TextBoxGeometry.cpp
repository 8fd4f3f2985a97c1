#include "annotation/TextBoxGeometry.h"

#include <QtGlobal>

namespace textbox {

QSize editSize(qreal documentWidth, qreal documentHeight, int frameWidth) {
    int width = int(documentWidth + 2 * frameWidth);
    if (width < kMinWidth)
        width = kMinWidth;
    const int height = int(documentHeight + 2 * frameWidth);
    return QSize(width, height);
}

QPoint textOffset(qreal textLeft, qreal firstBaseline, qreal paintAscent) {
    return QPoint(qRound(textLeft), qRound(firstBaseline - paintAscent));
}

QRect shapeRect(const QRect& box, QPoint offset) {
    return box.translated(offset);
}

QRect initialBox(QPoint p) {
    return QRect(p.x() - 2, p.y() - 2, kMinWidth, kInitialHeight);
}

} // namespace textbox
