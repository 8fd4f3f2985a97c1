#include "ThumbnailDecoder.h"

#include <QBuffer>
#include <QImageIOHandler>
#include <QImageReader>

namespace orv::thumb {

namespace {

QImage decode(QImageReader& reader, QSize box) {
    if (box.isEmpty())
        return {};
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (stored.isValid() && !stored.isEmpty()) {
        // The reduced size applies before the picture is turned upright.
        QSize limit = box;
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            limit.transpose();
        if (stored.width() > limit.width() || stored.height() > limit.height())
            reader.setScaledSize(stored.scaled(limit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > box.width() || image.height() > box.height())
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

} // namespace

QImage decodeThumbnailFile(const QString& path, QSize box) {
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return decode(reader, box);
}

QImage decodeThumbnailData(const QByteArray& data, QSize box) {
    if (data.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    return decode(reader, box);
}

} // namespace orv::thumb
