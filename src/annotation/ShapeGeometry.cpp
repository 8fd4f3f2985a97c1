#include "annotation/ShapeGeometry.h"

#include <cmath>

namespace shapes {

ArrowGeometry arrowGeometry(QPoint start, QPoint end) {
    ArrowGeometry g;
    const int dx = end.x() - start.x();
    const int dy = end.y() - start.y();
    g.length = int(std::sqrt(float(dx * dx + dy * dy)));
    if (g.length < 10)
        return g;
    g.visible = true;
    // Single precision throughout, as the direction was always computed; a
    // vertical arrow divides by zero and atan gives +-90 degrees.
    const float quotient = float(dy) / float(dx);
    const float degrees = std::atan(quotient) * 180.0f / 3.1415927f;
    g.angle = int(degrees);
    if (dx < 0)
        g.angle += 180;
    else if (dy < 0)
        g.angle += 360;
    return g;
}

std::array<QLine, 3> arrowLines(int length) {
    return {QLine(0, 0, length, 0), QLine(length, 0, length - 8, -4),
            QLine(length, 0, length - 8, 4)};
}

std::array<QLine, 3> triangleLines(QPoint start, QPoint end) {
    const int x1 = start.x(), y1 = start.y();
    const int x2 = end.x(), y2 = end.y();
    const int mid = (x1 + x2) / 2; // truncates toward zero
    return {QLine(mid, y1, x1, y2), QLine(mid, y1, x2, y2), QLine(x1, y2, x2, y2)};
}

QRect eraserSquare(QPoint p) {
    return QRect(p.x() - 20, p.y() - 20, 40, 40);
}

} // namespace shapes
