#include "ImageHeader.h"

#include "PdfImage.h"

#include <QFile>
#include <QImageReader>

namespace orv {

QSize pictureFileSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (looksLikePdf(file.peek(8))) {
        file.close();
        return pdfFirstImageSize(path);
    }
    QImageReader reader(&file);
    reader.setAutoTransform(false); // as readPictureFile() reads it
    QSize size = reader.size();
    if (!size.isValid() && reader.canRead())
        size = reader.read().size(); // a format whose header tells nothing
    return size.isEmpty() ? QSize() : size;
}

} // namespace orv
