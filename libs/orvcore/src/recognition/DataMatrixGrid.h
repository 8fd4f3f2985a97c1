#pragma once

// Data Matrix symbols found by their own border, for those ZXing 1.4's
// detector misses (small, soft, low-contrast or skewed ones on photographs).
//
// In a part of the picture, dark blobs about the size of a symbol are
// outlined by a four-sided hull. Each outline is then fitted to a symbol's
// border: two solid sides (the L) and two sides of alternating modules, for
// every symbol size and each of the eight ways the L can lie; the corners are
// moved in small steps while the fit improves. A fit good enough gives the
// module grid, sampled at the module centres, drawn clean and upright with a
// quiet zone: a picture ZXing reads as a pure symbol, whose error correction
// then decides whether it is one.
//
// Thread-safe: no shared state.

#include <QImage>
#include <QList>
#include <QPolygonF>
#include <QRect>

namespace orv {

struct GridRendering {
    // Format_Grayscale8, black modules on white, quiet zone around: the
    // modules told dark by one threshold for the symbol, then by the mean of
    // the modules around each (for blurred symbols, whose small modules fade).
    QList<QImage> symbols;
    QPolygonF where; // the symbol's corners in the picture
};

struct GridSearch {
    QList<GridRendering> grids; // the blobs whose border fits a symbol's
    QList<QPolygonF> blobs;     // every blob of a symbol's size and ink: its outline in the picture
};

// Symbols that may be in area of gray (Format_Grayscale8, full size), found
// as blobs on reduced (gray reduced by factor, or gray itself with factor 1).
// fitted (when given): the blobs fitted to before, in gray's pixels; a blob
// whose middle lies in one is not fitted again, and each blob fitted to is
// added.
GridSearch dataMatrixGrids(const QImage& gray, const QImage& reduced, int factor, const QRect& area,
                           QList<QRectF>* fitted = nullptr);

} // namespace orv
