#pragma once

// Helpers of the capture tests: desk pictures drawn for the virtual camera's
// pages folder, and readers that look into written files with other
// libraries (qpdf, libtiff, poppler's pdfinfo).

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <tiffio.h>

#include <exception>

namespace capturetest {

const QColor kMat(0x22, 0x26, 0x2b);

// Dark lines of text on a sheet, so that crops and thresholds see print.
inline void paintPrint(QPainter& p, const QRectF& sheet) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    const qreal margin = sheet.width() * 0.1, line = sheet.height() / 24;
    for (qreal y = sheet.top() + margin; y + line < sheet.bottom() - margin; y += 2 * line)
        p.drawRect(QRectF(sheet.left() + margin, y, sheet.width() * 0.6, line * 0.5));
    p.restore();
}

// A white sheet of size centred at centre, turned by degrees, on painter p.
inline void paintSheet(QPainter& p, QPointF centre, QSizeF size, qreal degrees) {
    p.save();
    p.translate(centre);
    p.rotate(degrees);
    const QRectF sheet(-size.width() / 2, -size.height() / 2, size.width(), size.height());
    p.fillRect(sheet, QColor(0xf6, 0xf6, 0xf2));
    paintPrint(p, sheet);
    p.restore();
}

// 1600x1200: two cards of 500x320 side by side on a dark mat.
inline QImage twoCardsDesk() {
    QImage desk(1600, 1200, QImage::Format_RGB32);
    desk.fill(kMat);
    QPainter p(&desk);
    p.setRenderHint(QPainter::Antialiasing);
    paintSheet(p, {420, 600}, {500, 320}, -2);
    paintSheet(p, {1180, 620}, {500, 320}, 3);
    return desk;
}

// 1600x1200: an open book filling most of the desk, its fold a shadow at
// gutterX.
inline QImage bookSpread(int gutterX) {
    QImage desk(1600, 1200, QImage::Format_RGB32);
    desk.fill(kMat);
    QPainter p(&desk);
    const QRectF left(100, 100, gutterX - 100, 1000), right(gutterX, 100, 1500 - gutterX, 1000);
    p.fillRect(left, QColor(0xf4, 0xf3, 0xee));
    p.fillRect(right, QColor(0xf4, 0xf3, 0xee));
    paintPrint(p, left);
    paintPrint(p, right);
    QLinearGradient shadow(gutterX - 60, 0, gutterX + 60, 0);
    shadow.setColorAt(0, QColor(0, 0, 0, 0));
    shadow.setColorAt(0.5, QColor(0, 0, 0, 150));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(gutterX - 60, 100, 120, 1000), shadow);
    return desk;
}

// Share of pixels at least this light.
inline double lightShare(const QImage& image, int level = 200) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    qint64 light = 0;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            light += row[x] >= level;
    }
    return double(light) / (qint64(gray.width()) * gray.height());
}

// ---- PDF ----

struct PdfPage {
    QSizeF size;            // points
    QByteArray imageStream; // raw (still encoded) bytes
    QByteArray filter;
};

struct PdfContents {
    bool readable = false;
    QList<PdfPage> pages;
};

inline PdfContents readPdf(const QString& path) {
    PdfContents out;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(path.toLocal8Bit().constData());
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            PdfPage entry;
            const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
            entry.size = QSizeF(box.urx - box.llx, box.ury - box.lly);
            for (auto& [name, image] : page.getImages()) {
                const auto data = image.getRawStreamData();
                entry.imageStream = QByteArray(reinterpret_cast<const char*>(data->getBuffer()),
                                               qsizetype(data->getSize()));
                entry.filter =
                    QByteArray::fromStdString(image.getDict().getKey("/Filter").getName());
            }
            out.pages << entry;
        }
        out.readable = true;
    } catch (const std::exception&) {
        out.readable = false;
    }
    return out;
}

// `qpdf --check`: 0 for a sound file (2 errors, 3 warnings only).
inline int qpdfCheck(const QString& path) {
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    if (!qpdf.waitForFinished(60000))
        return -1;
    return qpdf.exitStatus() == QProcess::NormalExit ? qpdf.exitCode() : -1;
}

// Pages that poppler's pdfinfo counts; -1 when it cannot read the file.
inline int popplerPageCount(const QString& path) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(60000) || info.exitCode() != 0)
        return -1;
    for (const QByteArray& line : info.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The text poppler's pdftotext finds on pages first..last (0: to the end).
inline QString pdfText(const QString& path, int first = 1, int last = 0) {
    QProcess text;
    QStringList args{QStringLiteral("-f"), QString::number(first)};
    if (last > 0)
        args << QStringLiteral("-l") << QString::number(last);
    text.start(QStringLiteral("pdftotext"), args << path << QStringLiteral("-"));
    if (!text.waitForFinished(60000) || text.exitCode() != 0)
        return QStringLiteral("(pdftotext failed)");
    return QString::fromUtf8(text.readAllStandardOutput());
}

// The words of `pdftotext -bbox` with their boxes in points (origin top
// left of the page), in the order poppler reads them.
struct PdfWordBox {
    QString text;
    QRectF box;
};
inline QList<PdfWordBox> pdfWordBoxes(const QString& path, int page = 1) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
    QList<PdfWordBox> words;
    if (!text.waitForFinished(60000) || text.exitCode() != 0)
        return words;
    const QString html = QString::fromUtf8(text.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words << PdfWordBox{m.captured(5),
                            QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                   QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))};
    }
    return words;
}

// ---- TIFF ----

struct TiffFacts {
    bool readable = false;
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0, compression = 0, unit = 0;
    float xdpi = 0, ydpi = 0;
    QImage firstPixels; // decoded through libtiff's RGBA reader
};

inline TiffFacts readTiff(const QString& path) {
    TiffFacts f;
    TIFF* tiff = TIFFOpen(path.toLocal8Bit().constData(), "r");
    if (!tiff)
        return f;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &f.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &f.height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &f.bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &f.samples);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &f.compression);
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &f.unit);
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &f.xdpi);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &f.ydpi);
    QImage pixels(int(f.width), int(f.height), QImage::Format_RGBA8888);
    f.readable =
        !pixels.isNull() && TIFFReadRGBAImageOriented(tiff, f.width, f.height,
                                                      reinterpret_cast<uint32_t*>(pixels.bits()),
                                                      ORIENTATION_TOPLEFT, 0) == 1;
    f.firstPixels = pixels;
    TIFFClose(tiff);
    return f;
}

} // namespace capturetest
