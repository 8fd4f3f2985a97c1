#pragma once

// Finding and decoding every barcode in a picture, 1-D and 2-D, with
// ZXing-cpp.
//
// ZXing 1.4 (Debian 12) can abort the process when asked for several symbols
// in one read: it compares two reads of the same 1-D code and trips an
// assertion. So the reader never asks for more than one symbol: each read
// finds one code, whose area is then painted white, and the same part is
// read again until a read finds nothing or the number of finds runs out.
//
// Reads are kept small. Large pictures are read on a reduced copy (about
// 1.3 MP for a 5 MP frame): first the regions where a cheap locator sees
// code-like blocks (BarcodeLocator.h), then the whole copy once for what it
// missed. Only the regions the locator still sees code in afterwards (codes
// too small or too soft for the copy) are read again at full size; the full
// picture is never read whole.
//
// ZXing 1.4 looks for Data Matrix and Aztec codes only along the middle row
// and column of what it reads, and a 2-D code beside print or at the edge of
// its label may go unread in a region. So a region that read nothing is read
// again for 2-D codes around each dark blob of a symbol's size and ink in
// it: in a square around it; then (blobs found on the reduced copy) the blob
// alone, at full size, on white, its levels stretched; then the square with
// one threshold for all of it (for soft symbols on uneven light); each only
// when the ones before read nothing, and a blob much longer than wide only
// for Data Matrix. Data Matrix symbols ZXing's detector misses are found by
// their own border (DataMatrixGrid.h).
//
// A read of an ITF code (no check digit) whose bars go on past the ends read
// is a part of a longer code, and is dropped: no code is better than a wrong
// one.
//
// A code's text is read in the character set its ECI names; one without an
// ECI in UTF-8 when its bytes are valid UTF-8, else in GB18030 when they are
// Chinese text in it, else in ISO-8859-1. ZXing's own guess (Shift_JIS for
// most GBK text) is not used.
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
    // Also look for Data Matrix symbols by their border where ZXing finds
    // none (DataMatrixGrid.h); the blobs that search finds are then where
    // 2-D codes are looked for again. Off, regions that read nothing are
    // read for Data Matrix and Aztec in squares over all of them, which
    // costs more and finds less.
    bool dataMatrixByBorder = true;
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
