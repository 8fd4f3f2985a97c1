#pragma once

// Where documents lie on the desk, and how to lift them out: page outlines
// found with OpenCV's imgproc (a threshold of the whiteness of paper, contours,
// polygon approximation), perspective correction, the gutter of a book spread.
// Pure functions on QImage (Format_RGB32 in, Format_RGB32 out).

#include <QImage>
#include <QList>
#include <QPointF>

#include <array>

namespace orv::capture {

// Four corners in picture pixels: top-left, top-right, bottom-right,
// bottom-left as the document lies.
using Quad = std::array<QPointF, 4>;

// Separate documents on the desk, largest first. A document is a bright,
// nearly rectangular region of at least kMinDocumentShare of the picture that
// does not fill the whole picture. Empty when nothing stands out.
QList<Quad> findDocuments(const QImage& picture);
constexpr double kMinDocumentShare = 0.015;

// The smallest turned rectangle around all the quads' corners (a book whose
// fold shadow parts it into two bright regions is one object again).
Quad enclosingQuad(const QList<Quad>& quads);

// The quads in reading order: rows from the top, left to right within a row.
QList<Quad> readingOrder(QList<Quad> quads);

// The document inside quad, straightened: its size is the mean length of
// opposite sides.
QImage liftDocument(const QImage& picture, const Quad& quad);

// The column where a book spread folds: the darkest vertical band in the
// middle part of the picture when it stands out from its surroundings,
// otherwise the middle. 1 <= result < width.
int findGutter(const QImage& picture);

// Two pictures stacked, first above second, centred on a white sheet as wide
// as the wider one.
QImage stackVertically(const QImage& first, const QImage& second);

} // namespace orv::capture
