#pragma once

// Pictures made from captured files: two or more shots merged into one, a
// picture placed into another, and the reading and writing of such files.
// Thread-safe: no shared state.

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace orv {

enum class MergeDirection {
    Vertical,   // top to bottom, each centred across
    Horizontal, // left to right, each centred up and down
};

// The pictures one after the other on white; the result is as wide (tall)
// as the widest (tallest) of them. Gray when all of them are gray, RGB32
// otherwise; the first picture's resolution (dots per metre) is kept. Null
// for no pictures, a null picture or a size past what QImage can hold.
QImage mergePictures(const QList<QImage>& pictures, MergeDirection direction);

// Where an inset of size goes in a picture of pictureSize: left edge at
// fromLeft, bottom edge fromBottom above the picture's bottom, moved (and
// shrunk, when larger than the picture) to lie wholly inside it.
QRect insetRect(QSize pictureSize, QSize size, int fromLeft, int fromBottom);

// picture with inset scaled to size drawn at insetRect(). Null for a null
// picture or inset or an empty size.
QImage placeInset(const QImage& picture, const QImage& inset, QSize size, int fromLeft,
                  int fromBottom);

// A picture file as it is stored (no automatic turning): any format Qt reads,
// and the first picture of a PDF (see PdfImage.h). Null when unreadable.
QImage readPictureFile(const QString& path);

// Writes picture in the format of path's extension: jpg/jpeg, png, bmp,
// tif/tiff, or pdf (one page the size of the picture at its resolution,
// 200 dpi when it has none). The file is written under a temporary name in
// the same folder and renamed into place, so a failure leaves what was at
// path before. False for an unknown extension or when writing fails.
bool writePictureFile(const QImage& picture, const QString& path);

} // namespace orv
