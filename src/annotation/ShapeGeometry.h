#pragma once

#include <QLine>
#include <QPoint>
#include <QRect>

#include <array>

// The geometry rules of the shapes as plain functions.
namespace shapes {

// An arrow from start to end: shaft length and direction in whole degrees.
// Arrows shorter than 10 pixels are not drawn at all.
struct ArrowGeometry {
    bool visible = false;
    int length = 0; // integer part of the length, single precision
    int angle = 0;  // 0 right, 90 down, 180 left, 270 up (screen coordinates)
};
ArrowGeometry arrowGeometry(QPoint start, QPoint end);

// The three lines of an arrow of that length before rotation: the shaft
// along the x axis from the origin and two barbs 8 back and 4 to each side.
std::array<QLine, 3> arrowLines(int length);

// The three lines of a triangle dragged from start to end: the apex in the
// middle of the start row, the base on the end row.
std::array<QLine, 3> triangleLines(QPoint start, QPoint end);

// The square whose inscribed disc one eraser point clears: 40 pixels across,
// x - 20 to x + 19 and y - 20 to y + 19.
QRect eraserSquare(QPoint p);

} // namespace shapes
