#pragma once

// The size of a picture file, read from its header without decoding the
// picture: JPEG, PNG, BMP, TIFF and the other formats Qt reads, and the
// first picture of a PDF (PdfImage.h).

#include <QSize>
#include <QString>

namespace orv {

// Invalid when the file is missing or not a readable picture.
QSize pictureFileSize(const QString& path);

} // namespace orv
