#pragma once

// Finding and decoding every barcode in a picture, 1-D and 2-D, with
// ZXing-cpp.
//
// ZXing 1.4 (Debian 12) can abort the process when asked for several symbols
// in one read: it compares two reads of the same 1-D code and trips an
// assertion. So the reader never asks for more than one symbol: each read
// finds one code, whose area is then painted white, and the picture is read
// again, until a read finds nothing or the number of finds runs out. Large
// pictures are read on a reduced copy first (fast for the codes big enough
// to be seen there), then once more at full size for the small ones.
//
// ZXing 1.4 looks for Data Matrix and Aztec codes only along the middle row
// and column of a picture, so bands of rows across the whole picture are
// read for those as well (on the reduced copy when there is one: a Data
// Matrix code too small to be read there, and off the middle lines, is
// missed).
//
// Thread-safe: no shared state.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPolygonF>

namespace orv {

struct FoundCode {
    QByteArray format; // ZXing's name of the symbology: "QRCode", "Code128", "EAN-13"...
    QByteArray text;   // the content in UTF-8, NUL bytes left out
    QPolygonF where;   // the symbol's outline in picture pixels (a 1-D code's: its bars)
};

struct BarcodeReadOptions {
    // How many reads may find a code (a code found again counts as well);
    // reading stops there.
    int maxFinds = 24;
    // Pictures whose longer side is above this are first read on a copy
    // reduced by a whole factor to at most this; 0 reads at full size only.
    int reducedSide = 1400;
};

// Every code in picture, each once, in reading order.
QList<FoundCode> readBarcodes(const QImage& picture, const BarcodeReadOptions& options = {});

// Reading order: rows from top to bottom, in each row from left to right. A
// code belongs to the row of the code above it when its centre lies within
// that code's height.
void sortReadingOrder(QList<FoundCode>& codes);

// The codes as <barcode type="FORMAT">text</barcode> elements, one after the
// other, nothing between them; empty for no codes. Nothing inside is escaped.
QByteArray barcodeElements(const QList<FoundCode>& codes);

} // namespace orv
