#include "annotation/TextBoxGeometry.h"

namespace textbox {

QSize editSize(qreal documentWidth, qreal documentHeight, int frameWidth) {
    int width = int(documentWidth + 2 * frameWidth);
    if (width < kMinWidth)
        width = kMinWidth;
    const int height = int(documentHeight + 2 * frameWidth);
    return QSize(width, height);
}

int textOffset(int pointSize) {
    return 11 + (pointSize - 25) * 7 / 40;
}

QRect shapeRect(const QRect& box, int pointSize) {
    const int d = textOffset(pointSize);
    return QRect(QPoint(box.left() + 6, box.top() + d), QPoint(box.right() + 6, box.bottom() + d));
}

QRect initialBox(QPoint p) {
    return QRect(p.x() - 2, p.y() - 2, kMinWidth, kInitialHeight);
}

} // namespace textbox
