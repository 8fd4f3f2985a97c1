#pragma once

#include <QPoint>
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

// Where the text shape's rectangle lies relative to the box, so that the
// painted text covers the edit's: the edit's text starts textLeft pixels
// into the box with its first baseline firstBaseline pixels down, and the
// shape paints its first line paintAscent pixels above its baseline.
QPoint textOffset(qreal textLeft, qreal firstBaseline, qreal paintAscent);

// The text shape's rectangle for a box with that geometry: the box moved by
// the offset.
QRect shapeRect(const QRect& box, QPoint offset);

// The box's first geometry for a press at p: 100 x 30 at p - (2, 2).
QRect initialBox(QPoint p);

} // namespace textbox
