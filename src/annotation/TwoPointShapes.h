#pragma once

#include "annotation/AbstractShape.h"

// Shapes defined by the press point and the latest drag or release point.
class TwoPointShape : public AbstractShape {
    Q_OBJECT
public:
    void dragTo(QPoint p) override { m_end = p; }
};

class Line : public TwoPointShape {
    Q_OBJECT
public:
    void paint(QPainter& painter) override;
};

// A shaft with an open two-barb head at the end point; nothing under 10 pixels.
class Arrow : public TwoPointShape {
    Q_OBJECT
public:
    void paint(QPainter& painter) override;
};

// Apex in the middle of the start row, base on the end row.
class Trangle : public TwoPointShape {
    Q_OBJECT
public:
    void paint(QPainter& painter) override;
};

namespace Orvanta {
// QRect(start, end) as it is, not normalised.
class Rectangle : public TwoPointShape {
    Q_OBJECT
public:
    void paint(QPainter& painter) override;
};
} // namespace Orvanta

// The ellipse inscribed in QRect(start, end), not normalised.
class OrvEllipse : public TwoPointShape {
    Q_OBJECT
public:
    void paint(QPainter& painter) override;
};
