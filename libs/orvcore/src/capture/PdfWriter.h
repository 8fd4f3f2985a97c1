#pragma once

// PDF files of captured pages, written without a PDF library.
//
// A file of ours is a catalog (object 1), a page tree root (2) whose kids are
// leaf page-tree nodes of at most kLeafCapacity pages each, and an
// information dictionary (3) with our producer. Each page is an image, a
// content stream that draws it over the whole page, and the page object.
// JPEG pages embed the encoded JPEG bytes as they are (/DCTDecode);
// black-and-white pages are 1-bit images (/FlateDecode).
//
// Adding pages to an existing file is a PDF incremental update appended to
// its end: the new page objects (a page's text layer among them), the changed last leaf (or a new
// one), the root and the information dictionary written again, a cross-reference section for just
// those objects and a trailer whose /Prev names the one before. The bytes before the update are
// never touched, so the earlier trailer stays valid until the new one is complete; the cost of an
// update does not depend on the pages already in the file (the root lists one leaf per
// kLeafCapacity pages).

#include "PdfTextLayer.h"
#include "Picture.h"

#include <QByteArray>
#include <QList>

namespace orv::capture {

// One page's picture as it goes into the file.
struct PdfImage {
    enum Filter { Dct, Flate };
    QByteArray stream; // the bytes of the image stream
    Filter filter = Dct;
    int width = 0;
    int height = 0;
    int components = 3; // 1 gray, 3 RGB
    int bitsPerComponent = 8;
    int dpi = 200; // gives the page size: pixels / dpi inches
    // The words laid invisibly over the picture (a second content stream
    // and a font of the page); none, and the page is the picture alone.
    QList<PdfWord> words;
};

enum class PdfStatus {
    Written,
    NotOurs, // a file is at the path that is not a PDF we wrote: left as it is
    Failed,  // reading or writing failed; the file is as it was
};

constexpr int kLeafCapacity = 64;
extern const char* const kPdfProducer;

// The page image of a picture: its JPEG for colour and gray, 1-bit pixels for
// black-and-white. Empty stream on failure.
PdfImage pdfImageOf(const Picture& picture);
// A JPEG file as a page image, its bytes unchanged; size, components and DPI
// from its headers (fallbackDpi when it gives none). False for a JPEG that is
// not baseline or progressive 8-bit gray or YCbCr.
bool pdfImageFromJpeg(const QByteArray& jpeg, int fallbackDpi, PdfImage* image);

// A new file at path holding pages, replacing any file there; through a
// temporary file and a rename.
PdfStatus writeNewPdf(const QByteArray& path, const QList<PdfImage>& pages);
// pages added at the end of our PDF at path; a new file when there is none.
// A file whose end was left incomplete by an interrupted update is first cut
// back to its last complete trailer.
PdfStatus appendPdf(const QByteArray& path, const QList<PdfImage>& pages);

} // namespace orv::capture
