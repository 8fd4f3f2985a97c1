#include "CaptureJob.h"

#include "FileCommit.h"
#include "JpegWriter.h"
#include "PdfWriter.h"
#include "PngBmpWriter.h"
#include "TiffWriter.h"

#include <QFile>

#include <memory>
#include <vector>

namespace orv::capture {

namespace {

// The file name part of path starts after its last '/'.
qsizetype extensionDot(const QByteArray& path) {
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype slash = path.lastIndexOf('/');
    return dot > slash + 1 ? dot : -1;
}

// Writes picture into the open temporary file.
bool writeInto(FileCommit& file, Format format, const Picture& picture) {
    switch (format) {
    case Format::Jpeg: {
        const QByteArray data = encodeJpeg(picture);
        return !data.isEmpty() && file.write(data);
    }
    case Format::Png:
    case Format::Bmp: {
        const QByteArray data = encodeWithQt(picture, format == Format::Png ? "png" : "bmp");
        return !data.isEmpty() && file.write(data);
    }
    case Format::Tiff:
        return writeTiff(picture, file.fd());
    case Format::Pdf:
    case Format::Unknown:
        break;
    }
    return false;
}

int writePdf(const QByteArray& path, const ChainResult& result, bool append) {
    // The whole desk is not a page of its own when the documents on it are.
    const qsizetype first = result.kind == ChainResult::Documents ? 1 : 0;
    QList<PdfImage> pages;
    for (qsizetype i = first; i < result.pictures.size(); ++i) {
        pages << pdfImageOf(result.pictures.at(i));
        if (pages.constLast().stream.isEmpty())
            return -1;
    }
    const PdfStatus status = append ? appendPdf(path, pages) : writeNewPdf(path, pages);
    return status == PdfStatus::Written ? int(pages.size()) : -1;
}

// The page image of a picture file; empty stream when it is none.
PdfImage pageOfFile(const QByteArray& path) {
    PdfImage page;
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return page;
    const QByteArray bytes = file.readAll();
    if (pdfImageFromJpeg(bytes, Picture{}.dpi, &page))
        return page;
    QImage image;
    if (!image.loadFromData(bytes) || image.isNull())
        return PdfImage{};
    Picture picture;
    const bool mono = image.depth() == 1;
    picture.image = mono || image.allGray() ? image.convertToFormat(QImage::Format_Grayscale8)
                                            : image.convertToFormat(QImage::Format_RGB32);
    picture.bilevel = mono;
    if (image.dotsPerMeterX() > 0)
        picture.dpi = qRound(image.dotsPerMeterX() * 0.0254);
    return pdfImageOf(picture);
}

} // namespace

int writePdfFromFiles(const QByteArray& path, bool append, const QList<QByteArray>& pictures,
                      const QList<QByteArray>& words) {
    QList<PdfImage> pages;
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        pages << pageOfFile(pictures.at(i));
        if (pages.constLast().stream.isEmpty())
            return -1;
        pages.last().words = parseWords(words.value(i));
    }
    if (pages.isEmpty())
        return -1;
    const PdfStatus status = append ? appendPdf(path, pages) : writeNewPdf(path, pages);
    return status == PdfStatus::Written ? int(pages.size()) : -1;
}

Format formatOf(const QByteArray& path) {
    const qsizetype dot = extensionDot(path);
    if (dot < 0)
        return Format::Unknown;
    const QByteArray ext = path.mid(dot + 1).toLower();
    if (ext == "jpg" || ext == "jpeg")
        return Format::Jpeg;
    if (ext == "png")
        return Format::Png;
    if (ext == "bmp")
        return Format::Bmp;
    if (ext == "tif" || ext == "tiff")
        return Format::Tiff;
    if (ext == "pdf")
        return Format::Pdf;
    return Format::Unknown;
}

QByteArray withSuffix(const QByteArray& path, const QByteArray& suffix) {
    const qsizetype dot = extensionDot(path);
    return dot < 0 ? path + suffix : path.left(dot) + suffix + path.mid(dot);
}

bool writePicture(const QByteArray& path, Format format, const Picture& picture) {
    FileCommit file(path);
    return file.open() && writeInto(file, format, picture) && file.commit();
}

int runCapture(const QByteArray& path, const CaptureRequest& request) {
    const Format format = formatOf(path);
    if (format == Format::Unknown || request.frame.isNull())
        return -1;
    ChainResult result;
    if (!runChain(request.frame, request.chain, &result))
        return -1;
    if (format == Format::Pdf)
        return writePdf(path, result, request.appendPdf);

    QList<QByteArray> targets{path};
    if (result.kind == ChainResult::Split)
        targets << withSuffix(path, "_split");
    else if (result.kind == ChainResult::Documents)
        for (qsizetype i = 1; i < result.pictures.size(); ++i)
            targets << withSuffix(path, "_" + QByteArray::number(i));

    // Every file is written in full before any of them is renamed into place:
    // a failure leaves none of them.
    std::vector<std::unique_ptr<FileCommit>> files;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        files.push_back(std::make_unique<FileCommit>(targets.at(i)));
        if (!files.back()->open() || !writeInto(*files.back(), format, result.pictures.at(i)))
            return -1;
    }
    for (auto& file : files)
        if (!file->commit())
            return -1;
    return result.kind == ChainResult::Documents ? int(result.pictures.size() - 1) : 1;
}

} // namespace orv::capture
