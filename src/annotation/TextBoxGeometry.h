#pragma once

#include <QRect>
#include <QSize>

// The arithmetic of the board's text box: how big the box is for the text
// typed so far and where the text shape paints so that its text lies where
// the box shows it.
namespace textbox {

constexpr int kMinWidth = 100;
constexpr int kInitialHeight = 30;

// The edit's size for a document of that size: document plus the frame on
// both sides, truncated; never narrower than 100 pixels.
QSize editSize(qreal documentWidth, qreal documentHeight, int frameWidth);

// Vertical offset of the painted text for an edit font of pointSize points:
// 11 + (p - 25) * 7 / 40 in integer arithmetic truncating toward zero.
int textOffset(int pointSize);

// The text shape's rectangle for a box with that geometry: the corners
// (left + 6, top + d) and (right + 6, bottom + d).
QRect shapeRect(const QRect& box, int pointSize);

// The box's first geometry for a press at p: 100 x 30 at p - (2, 2).
QRect initialBox(QPoint p);

} // namespace textbox
