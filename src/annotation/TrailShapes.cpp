#include "annotation/TrailShapes.h"

#include "annotation/ShapeGeometry.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

void Curve::paint(QPainter& painter) {
    applyStoredPenAndBrush(painter);
    applyStrokePen(painter);
    QPolygonF line;
    line.reserve(m_points.size());
    for (const QPoint& p : m_points)
        line << QPointF(p);
    painter.drawPolyline(line);
}

void Eraser::paint(QPainter& painter) {
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    const QBrush solid(Qt::black, Qt::SolidPattern);
    for (const QPoint& p : m_points) {
        QPainterPath disc;
        disc.addEllipse(QRectF(shapes::eraserSquare(p)));
        painter.fillPath(disc, solid);
    }
    painter.setCompositionMode(mode);
}
