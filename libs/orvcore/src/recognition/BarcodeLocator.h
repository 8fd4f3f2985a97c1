#pragma once

// Where barcodes may be in a grayscale picture, without decoding them: blocks
// of cells with many strong edges whose pixels are about half dark, as the
// bars and modules of 1-D and 2-D codes are. Printed text has edges as well
// but far less ink, and paper, cloth or wood have too little contrast; so
// few of the regions found are not codes. A small 2-D code touching print
// joins its block, which then has too little ink; so blocks of the cells
// about half dark are regions as well. Cheap: one pass over the picture.
//
// Thread-safe: no shared state.

#include <QImage>
#include <QList>
#include <QRect>

namespace orv {

struct CodeRegion {
    QRect area;   // the block grown by a quiet zone, inside the picture
    int busy = 0; // how many of its cells look like code
};

// The regions of gray (Format_Grayscale8), largest first.
QList<CodeRegion> locateCodeRegions(const QImage& gray);

} // namespace orv
