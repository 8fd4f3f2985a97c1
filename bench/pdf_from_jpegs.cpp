// A PDF of JPEG files, one page each, the JPEG bytes embedded as they are:
// the comparison partner of img2pdf in bench/pdf_from_jpegs.sh.
//   pdf_from_jpegs make DIR          20 JPEG files of the desk scenes, 2592x1944, quality 75
//   pdf_from_jpegs build OUT FILE... the PDF; prints the time taken in ms
//   pdf_from_jpegs same PDF FILE...  exit 0 when page i's image stream is FILE i byte for byte

#include "JpegWriter.h"
#include "PdfWriter.h"
#include "SceneRenderer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <cstdio>
#include <exception>

using namespace orv::capture;

namespace {

QByteArray readAll(const char* path) {
    QFile f(QFile::decodeName(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int make(const char* dir) {
    for (int i = 0; i < 20; ++i) {
        Picture p;
        p.image = orv::renderScene(i % 4, QSize(2592, 1944)); // documents and cards
        p.jpgQuality = 75;
        p.dpi = 200;
        const QByteArray jpeg = encodeJpeg(p);
        QFile f(QString::fromLocal8Bit(dir) +
                QStringLiteral("/page%1.jpg").arg(i, 2, 10, QChar('0')));
        if (jpeg.isEmpty() || !f.open(QIODevice::WriteOnly) || f.write(jpeg) != jpeg.size())
            return 1;
    }
    return 0;
}

int build(const char* out, int count, char** files) {
    QElapsedTimer timer;
    timer.start();
    QList<PdfImage> pages;
    for (int i = 0; i < count; ++i) {
        PdfImage page;
        if (!pdfImageFromJpeg(readAll(files[i]), 72, &page))
            return 1;
        pages << page;
    }
    if (writeNewPdf(QByteArray(out), pages) != PdfStatus::Written)
        return 1;
    std::printf("%.2f\n", timer.nsecsElapsed() / 1e6);
    return 0;
}

int same(const char* pdfPath, int count, char** files) {
    try {
        QPDF pdf;
        pdf.processFile(pdfPath);
        const auto pages = QPDFPageDocumentHelper(pdf).getAllPages();
        if (int(pages.size()) != count)
            return 1;
        for (int i = 0; i < count; ++i) {
            auto images = QPDFPageObjectHelper(pages[size_t(i)]).getImages();
            if (images.size() != 1)
                return 1;
            const auto data = images.begin()->second.getRawStreamData();
            const QByteArray stream(reinterpret_cast<const char*>(data->getBuffer()),
                                    qsizetype(data->getSize()));
            if (stream != readAll(files[i])) {
                std::fprintf(stderr, "page %d differs from %s\n", i + 1, files[i]);
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the scenes
    if (argc == 3 && QByteArray(argv[1]) == "make")
        return make(argv[2]);
    if (argc >= 4 && QByteArray(argv[1]) == "build")
        return build(argv[2], argc - 3, argv + 3);
    if (argc >= 4 && QByteArray(argv[1]) == "same")
        return same(argv[2], argc - 3, argv + 3);
    std::fprintf(stderr, "usage: pdf_from_jpegs make DIR | build OUT FILE... | same PDF FILE...\n");
    return 2;
}
