#include "annotation/AbstractShape.h"

#include <QPainter>

AbstractShape::AbstractShape() : QWidget(nullptr) {}

void AbstractShape::setPen(const QPen& pen) {
    m_pen = pen;
}

void AbstractShape::setBrush(const QBrush& brush) {
    m_brush = brush;
}

void AbstractShape::applyStrokePen(QPainter& painter) {
    m_color.setAlpha(m_alpha);
    painter.setPen(QPen(QBrush(m_color, Qt::SolidPattern), qreal(m_lineWidth), Qt::SolidLine,
                        Qt::RoundCap, Qt::RoundJoin));
}

void AbstractShape::applyStoredPenAndBrush(QPainter& painter) const {
    painter.setPen(m_pen);
    painter.setBrush(m_brush);
}
