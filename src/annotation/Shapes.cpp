#include "annotation/Shapes.h"

AbstractShape* createShape(int kind) {
    switch (ShapeKind(kind)) {
    case ShapeKind::Pen:
        return new Curve;
    case ShapeKind::Line:
        return new Line;
    case ShapeKind::Triangle:
        return new Trangle;
    case ShapeKind::Rect:
        return new Orvanta::Rectangle;
    case ShapeKind::Ellipse:
        return new OrvEllipse;
    case ShapeKind::Text:
        return new ShapeText;
    case ShapeKind::Arrow:
        return new Arrow;
    case ShapeKind::Eraser:
        return new Eraser;
    }
    return nullptr;
}
