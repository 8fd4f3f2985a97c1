#pragma once

// The first picture of a PDF file, found without a PDF library: the first
// image XObject dictionary in the file (the picture of the first page, in
// the files our capture writer and QPdfWriter make), its size and its
// stream. Object streams and cross-reference streams are not looked into,
// so a file that keeps its image dictionaries compressed has no picture here.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace orv {

struct PdfImageInfo {
    QSize size;
    int bitsPerComponent = 0;
    QByteArray colourSpace; // "DeviceRGB", "DeviceGray"...; empty when not a plain name
    QByteArray filter;      // "DCTDecode", "FlateDecode"...; empty for none
    bool hasDecodeParms = false;
    qint64 streamStart = -1; // offset of the stream's first byte
    qint64 streamLength = 0; // its length, or up to "endstream" for an indirect /Length
};

// True when data starts like a PDF file.
bool looksLikePdf(const QByteArray& head);

// The first image XObject in data (a whole PDF file); nothing when there is none.
std::optional<PdfImageInfo> findFirstPdfImage(const char* data, qint64 size);

// Size of the first picture of the PDF at path; invalid when there is none
// or the file cannot be read. Maps the file and stops at the first image
// dictionary, so the cost does not grow with the number of pages.
QSize pdfFirstImageSize(const QString& path);

// The first picture of the PDF at path, decoded: JPEG streams (DCTDecode),
// and 8-bit gray or RGB or 1-bit gray samples, uncompressed or FlateDecode
// without a predictor. Null for anything else.
QImage readPdfFirstImage(const QString& path);

} // namespace orv
