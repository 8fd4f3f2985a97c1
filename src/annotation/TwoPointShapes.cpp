#include "annotation/TwoPointShapes.h"

#include "annotation/ShapeGeometry.h"

#include <QPainter>

void Line::paint(QPainter& painter) {
    applyStrokePen(painter);
    painter.drawLine(m_start, m_end);
}

void Arrow::paint(QPainter& painter) {
    applyStrokePen(painter);
    const shapes::ArrowGeometry g = shapes::arrowGeometry(m_start, m_end);
    if (!g.visible)
        return;
    painter.save();
    painter.translate(m_start);
    painter.rotate(g.angle);
    for (const QLine& l : shapes::arrowLines(g.length))
        painter.drawLine(l);
    painter.restore();
}

void Trangle::paint(QPainter& painter) {
    applyStoredPenAndBrush(painter);
    applyStrokePen(painter);
    for (const QLine& l : shapes::triangleLines(m_start, m_end))
        painter.drawLine(l);
}

void Orvanta::Rectangle::paint(QPainter& painter) {
    applyStrokePen(painter);
    painter.drawRect(QRect(m_start, m_end));
}

void OrvEllipse::paint(QPainter& painter) {
    applyStrokePen(painter);
    painter.drawEllipse(QRect(m_start, m_end));
}
