#include "ImageMerge.h"

#include "PdfImage.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <limits>

namespace orv {

namespace {

constexpr int kJpegQuality = 90;
constexpr int kDefaultDpi = 200; // for PDF pages of pictures without a resolution
constexpr qint64 kMaxPixels = qint64(1) << 28;

bool allGray(const QList<QImage>& pictures) {
    return std::all_of(pictures.begin(), pictures.end(),
                       [](const QImage& p) { return p.isGrayscale(); });
}

QImage blankCanvas(QSize size, bool gray) {
    if (size.isEmpty() || qint64(size.width()) * size.height() > kMaxPixels)
        return {};
    QImage canvas(size, gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (!canvas.isNull())
        canvas.fill(Qt::white);
    return canvas;
}

void keepResolution(QImage& target, const QImage& source) {
    if (source.dotsPerMeterX() > 0 && source.dotsPerMeterY() > 0) {
        target.setDotsPerMeterX(source.dotsPerMeterX());
        target.setDotsPerMeterY(source.dotsPerMeterY());
    }
}

// QImageWriter's name of the format for a file suffix; empty when unknown.
QByteArray formatForSuffix(const QString& suffix) {
    const QString s = suffix.toLower();
    if (s == QLatin1String("jpg") || s == QLatin1String("jpeg"))
        return "jpeg";
    if (s == QLatin1String("png") || s == QLatin1String("bmp"))
        return s.toLatin1();
    if (s == QLatin1String("tif") || s == QLatin1String("tiff"))
        return "tiff";
    if (s == QLatin1String("pdf"))
        return "pdf";
    return {};
}

bool writePdfPage(const QImage& picture, QIODevice* device) {
    const double dpm = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() : 0;
    const int dpi = dpm > 0 ? std::max(1, qRound(dpm * 0.0254)) : kDefaultDpi;
    QPdfWriter pdf(device);
    pdf.setResolution(dpi);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    const QSizeF points(picture.width() * 72.0 / dpi, picture.height() * 72.0 / dpi);
    if (!pdf.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch)))
        return false;
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    painter.drawImage(QRect(QPoint(0, 0), picture.size()), picture);
    return painter.end();
}

} // namespace

QImage mergePictures(const QList<QImage>& pictures, MergeDirection direction) {
    if (pictures.isEmpty())
        return {};
    const bool vertical = direction == MergeDirection::Vertical;
    qint64 along = 0, across = 0;
    for (const QImage& p : pictures) {
        if (p.isNull())
            return {};
        along += vertical ? p.height() : p.width();
        across = std::max<qint64>(across, vertical ? p.width() : p.height());
    }
    if (along > std::numeric_limits<int>::max())
        return {};
    const QSize size = vertical ? QSize(int(across), int(along)) : QSize(int(along), int(across));
    QImage canvas = blankCanvas(size, allGray(pictures));
    if (canvas.isNull())
        return {};
    keepResolution(canvas, pictures.constFirst());
    QPainter painter(&canvas);
    int at = 0;
    for (const QImage& p : pictures) {
        if (vertical) {
            painter.drawImage(QPoint(int((across - p.width()) / 2), at), p);
            at += p.height();
        } else {
            painter.drawImage(QPoint(at, int((across - p.height()) / 2)), p);
            at += p.width();
        }
    }
    return canvas;
}

QRect insetRect(QSize pictureSize, QSize size, int fromLeft, int fromBottom) {
    const int w = std::clamp(size.width(), 0, pictureSize.width());
    const int h = std::clamp(size.height(), 0, pictureSize.height());
    const qint64 top = qint64(pictureSize.height()) - fromBottom - h;
    const int x = int(std::clamp<qint64>(fromLeft, 0, pictureSize.width() - w));
    const int y = int(std::clamp<qint64>(top, 0, pictureSize.height() - h));
    return QRect(x, y, w, h);
}

QImage placeInset(const QImage& picture, const QImage& inset, QSize size, int fromLeft,
                  int fromBottom) {
    if (picture.isNull() || inset.isNull() || size.isEmpty())
        return {};
    const QRect where = insetRect(picture.size(), size, fromLeft, fromBottom);
    if (where.isEmpty())
        return {};
    QImage out = picture.isGrayscale() && inset.isGrayscale()
                     ? picture.convertToFormat(QImage::Format_Grayscale8)
                     : picture.convertToFormat(QImage::Format_RGB32);
    keepResolution(out, picture);
    const QImage scaled =
        inset.scaled(where.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&out);
    painter.drawImage(where.topLeft(), scaled);
    return out;
}

QImage readPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (looksLikePdf(file.peek(8)))
        return readPdfFirstImage(path);
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    return reader.read();
}

bool writePictureFile(const QImage& picture, const QString& path) {
    const QByteArray format = formatForSuffix(QFileInfo(path).suffix());
    if (picture.isNull() || format.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool written = false;
    if (format == "pdf") {
        written = writePdfPage(picture, &file);
    } else {
        QImageWriter writer(&file, format);
        if (format == "jpeg")
            writer.setQuality(kJpegQuality);
        else if (format == "tiff")
            writer.setCompression(1); // LZW
        written = writer.write(picture);
    }
    if (!written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace orv
