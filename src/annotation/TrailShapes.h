#pragma once

#include "annotation/AbstractShape.h"

#include <QVector>

// Shapes made of every point the pointer was dragged through.
class TrailShape : public AbstractShape {
    Q_OBJECT
public:
    void dragTo(QPoint p) override { m_points.append(p); }
    const QVector<QPoint>& points() const { return m_points; }

protected:
    QVector<QPoint> m_points;
};

// A free-hand stroke: the points as one open polyline.
class Curve : public TrailShape {
    Q_OBJECT
public:
    void paint(QPainter& painter) override;
};

// Clears a disc 40 pixels across around every point, whatever shapes earlier
// in the list painted there; colour, opacity and width play no part.
class Eraser : public TrailShape {
    Q_OBJECT
public:
    void paint(QPainter& painter) override;
};
