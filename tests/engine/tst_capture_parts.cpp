// The parts of the capture path on their own: file names and formats, the
// page geometry, the picture steps, and PDF files built and appended page by
// page (past the size of one page-tree leaf).

#include "CaptureTestSupport.h"

#include "CaptureJob.h"
#include "FileCommit.h"
#include "ImageChain.h"
#include "JpegWriter.h"
#include "PageGeometry.h"
#include "PdfWriter.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include <turbojpeg.h>

using namespace capturetest;
using namespace orv::capture;

namespace {

Picture colourPicture(const QImage& image, int dpi = 200, int quality = 75) {
    Picture p;
    p.image = image.convertToFormat(QImage::Format_RGB32);
    p.dpi = dpi;
    p.jpgQuality = quality;
    return p;
}

double aspectOf(const QImage& image) {
    return double(image.width()) / image.height();
}

// jpeg decoded by TurboJPEG, as RGB32 or Grayscale8.
QImage decodedByTurboJpeg(const QByteArray& jpeg, bool gray) {
    tjhandle tj = tjInitDecompress();
    int width = 0, height = 0, sampling = 0, space = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.constData());
    QImage out;
    if (tjDecompressHeader3(tj, bytes, (unsigned long)(jpeg.size()), &width, &height, &sampling,
                            &space) == 0) {
        out = QImage(width, height, gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        if (tjDecompress2(tj, bytes, (unsigned long)(jpeg.size()), out.bits(), width,
                          int(out.bytesPerLine()), height, gray ? TJPF_GRAY : TJPF_BGRX, 0) != 0)
            out = QImage();
    }
    tjDestroy(tj);
    return out;
}

// TurboJPEG's compression of picture with our settings, in one piece.
QByteArray turboJpegOf(const Picture& picture) {
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const QImage& image = picture.image;
    QByteArray out;
    if (tjCompress2(tj, image.constBits(), image.width(), int(image.bytesPerLine()), image.height(),
                    picture.isGray() ? TJPF_GRAY : TJPF_BGRX, &jpeg, &size,
                    picture.isGray() ? TJSAMP_GRAY : TJSAMP_420, picture.jpgQuality,
                    picture.jpgQuality > 90 ? TJFLAG_ACCURATEDCT : TJFLAG_FASTDCT) == 0)
        out = QByteArray(reinterpret_cast<const char*>(jpeg), qsizetype(size));
    tjFree(jpeg);
    tjDestroy(tj);
    return out;
}

} // namespace

class TestCaptureParts : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // ---- Names and formats ----

    void formatComesFromTheExtension_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("format");
        QTest::newRow("jpg") << QByteArray("/a/b.jpg") << int(Format::Jpeg);
        QTest::newRow("JPEG") << QByteArray("/a/b.JPEG") << int(Format::Jpeg);
        QTest::newRow("png") << QByteArray("b.Png") << int(Format::Png);
        QTest::newRow("bmp") << QByteArray("/a/b.bmp") << int(Format::Bmp);
        QTest::newRow("tif") << QByteArray("/a/b.TIF") << int(Format::Tiff);
        QTest::newRow("tiff") << QByteArray("/a/b.tiff") << int(Format::Tiff);
        QTest::newRow("pdf") << QByteArray("/a/b.PDF") << int(Format::Pdf);
        QTest::newRow("gif") << QByteArray("/a/b.gif") << int(Format::Unknown);
        QTest::newRow("dot in folder") << QByteArray("/a.jpg/b") << int(Format::Unknown);
        QTest::newRow("hidden file") << QByteArray("/a/.jpg") << int(Format::Unknown);
        QTest::newRow("no name") << QByteArray("") << int(Format::Unknown);
    }
    void formatComesFromTheExtension() {
        QFETCH(QByteArray, path);
        QFETCH(int, format);
        QCOMPARE(int(formatOf(path)), format);
    }

    void suffixGoesBeforeTheExtension() {
        QCOMPARE(withSuffix("/w/Image00007.jpg", "_split"), QByteArray("/w/Image00007_split.jpg"));
        QCOMPARE(withSuffix("/w/x.y/Image", "_1"), QByteArray("/w/x.y/Image_1"));
        QCOMPARE(withSuffix("/w/a.b.tif", "_2"), QByteArray("/w/a.b_2.tif"));
    }

    void fileCommitShowsNothingUntilCommitted() {
        const QByteArray target = QFile::encodeName(m_dir.filePath("commit.bin"));
        {
            FileCommit file(target);
            QVERIFY(file.open());
            QVERIFY(file.write(QByteArray(1000, 'x')));
            QVERIFY(!QFile::exists(QFile::decodeName(target)));
            QVERIFY(QFile::exists(QFile::decodeName(file.tempPath())));
        } // dropped: the temporary file goes
        QVERIFY(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        FileCommit file(target);
        QVERIFY(file.open());
        QVERIFY(file.write("done"));
        QVERIFY(file.commit());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("commit.bin")});
        QFile::remove(QFile::decodeName(target));
        QVERIFY(!FileCommit(QFile::encodeName(m_dir.filePath("none/x.bin"))).open());
    }

    // ---- Page geometry ----

    void documentsAreFoundInReadingOrder() {
        const QList<Quad> found = findDocuments(twoCardsDesk());
        QCOMPARE(found.size(), 2);
        const QList<Quad> ordered = readingOrder(found);
        QVERIFY(ordered[0][0].x() < ordered[1][0].x());
        for (const Quad& q : ordered) {
            const double width = std::hypot(q[1].x() - q[0].x(), q[1].y() - q[0].y());
            const double height = std::hypot(q[3].x() - q[0].x(), q[3].y() - q[0].y());
            QVERIFY2(std::abs(width - 500) < 12 && std::abs(height - 320) < 12,
                     qPrintable(QStringLiteral("%1 x %2").arg(width).arg(height)));
        }
    }

    void nothingStandsOutOnAPlainPicture_data() {
        QTest::addColumn<QColor>("colour");
        QTest::newRow("white") << QColor(Qt::white);
        QTest::newRow("dark") << kMat;
    }
    void nothingStandsOutOnAPlainPicture() {
        QFETCH(QColor, colour);
        QImage plain(800, 600, QImage::Format_RGB32);
        plain.fill(colour);
        QVERIFY(findDocuments(plain).isEmpty());
        // A sheet that fills the whole picture is no document on a desk.
        QImage full(800, 600, QImage::Format_RGB32);
        full.fill(Qt::white);
        QPainter p(&full);
        paintPrint(p, QRectF(0, 0, 800, 600));
        p.end();
        QVERIFY(findDocuments(full).isEmpty());
    }

    void liftedPageIsStraightAndWhole() {
        QImage desk(1600, 1200, QImage::Format_RGB32);
        desk.fill(kMat);
        QPainter p(&desk);
        p.setRenderHint(QPainter::Antialiasing);
        paintSheet(p, {800, 600}, {700, 990}, 5);
        p.end();
        const QList<Quad> found = findDocuments(desk);
        QCOMPARE(found.size(), 1);
        const QImage page = liftDocument(desk, found[0]);
        QVERIFY2(std::abs(aspectOf(page) - 700.0 / 990) < 0.01,
                 qPrintable(QString::number(aspectOf(page))));
        QVERIFY(std::abs(page.height() - 990) < 15);
        // No mat at the corners; the print lines run level.
        for (QPoint c : {QPoint(1, 1), QPoint(page.width() - 2, page.height() - 2)})
            QVERIFY(qGray(page.pixel(c)) > 200);
        const int lineY = 70 + 10 - 3; // the first print line, less the trim at the edge
        QVERIFY(qGray(page.pixel(int(page.width() * 0.15), lineY)) < 100);
        QVERIFY(qGray(page.pixel(int(page.width() * 0.6), lineY)) < 100);
    }

    void gutterIsTheFoldOrTheMiddle() {
        QVERIFY(std::abs(findGutter(bookSpread(720)) - 720) <= 8);
        QVERIFY(std::abs(findGutter(bookSpread(900)) - 900) <= 8);
        QImage page(1000, 700, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        paintPrint(p, QRectF(0, 0, 1000, 700));
        // A dark block in one half only (a photograph, a code): no fold.
        p.fillRect(QRect(420, 60, 120, 200), Qt::black);
        p.end();
        QCOMPARE(findGutter(page), 500);
    }

    void cardSidesStackOnWhite() {
        QImage a(300, 200, QImage::Format_RGB32), b(280, 180, QImage::Format_RGB32);
        a.fill(Qt::red);
        b.fill(Qt::blue);
        const QImage sheet = stackVertically(a, b);
        QCOMPARE(sheet.width(), 300);
        QVERIFY(sheet.height() > 380);
        QCOMPARE(sheet.pixel(150, 100), qRgb(255, 0, 0));
        QCOMPARE(sheet.pixel(150, sheet.height() - 90), qRgb(0, 0, 255));
        QCOMPARE(sheet.pixel(2, sheet.height() - 90), qRgb(255, 255, 255));
    }

    // ---- Picture steps ----

    void blackAndWhiteIsTwoLevels() {
        const QImage bw = applyColourMode(bookSpread(800), 2);
        QCOMPARE(bw.format(), QImage::Format_Grayscale8);
        qint64 black = 0;
        for (int y = 0; y < bw.height(); ++y)
            for (int x = 0; x < bw.width(); ++x) {
                const int v = bw.constScanLine(y)[x];
                QVERIFY(v == 0 || v == 255);
                black += v == 0;
            }
        // Print and the dark mat around the book are black, paper white.
        const double share = double(black) / (bw.width() * bw.height());
        QVERIFY2(share > 0.28 && share < 0.45, qPrintable(QString::number(share)));
        QCOMPARE(qGray(bw.pixel(130, 600)), 255); // the margin of the left page
        QCOMPARE(qGray(bw.pixel(300, 180)), 0);   // its first line of print
        // A solid block larger than a text line stays black inside.
        QImage block(1000, 800, QImage::Format_RGB32);
        block.fill(QColor(240, 240, 235));
        QPainter p(&block);
        p.fillRect(QRect(300, 200, 240, 240), QColor(25, 25, 25));
        p.end();
        const QImage solid = applyColourMode(block, 2);
        QCOMPARE(qGray(solid.pixel(420, 320)), 0);
        QCOMPARE(qGray(solid.pixel(100, 100)), 255);
    }

    void cropAndResizeFollowTheNumbers() {
        QImage image(1000, 800, QImage::Format_RGB32);
        image.fill(Qt::gray);
        QCOMPARE(cropFraction(image, QRectF(0.1, 0.25, 0.5, 0.5)).size(), QSize(500, 400));
        QCOMPARE(cropFraction(image, QRectF()).size(), QSize(1000, 800));
        QCOMPARE(resizeBy(image, 0.25f).size(), QSize(250, 200));
        QCOMPARE(resizeBy(image, 1.5f).size(), QSize(1500, 1200));
        // Past the largest picture: as large as fits, in proportion.
        const QSize largest = resizeBy(image, 1000.0f).size();
        QVERIFY(qint64(largest.width()) * largest.height() <= kMaxPicturePixels);
        QVERIFY(qint64(largest.width() + 1) * (largest.height() + 1) > kMaxPicturePixels);
        QVERIFY(std::abs(largest.width() * 4 - largest.height() * 5) <= 5);
        const QImage strip(4000, 2, QImage::Format_RGB32);
        QCOMPARE(resizeBy(strip, 20.0f).width(), kMaxPictureSide);
    }

    void chainArrangesThePictures() {
        ChainSettings s;
        s.autoCrop = true;
        ChainResult result;
        QVERIFY(runChain(twoCardsDesk(), s, &result));
        QCOMPARE(int(result.kind), int(ChainResult::Documents));
        QCOMPARE(result.pictures.size(), 3);
        s.split = true; // a spread to split: one object
        QVERIFY(runChain(bookSpread(720), s, &result));
        QCOMPARE(int(result.kind), int(ChainResult::Split));
        QCOMPARE(result.pictures.size(), 2);
        s = ChainSettings();
        s.rotation = -1;
        s.colourMode = 1;
        QVERIFY(runChain(twoCardsDesk(), s, &result));
        QCOMPARE(result.pictures[0].image.size(), QSize(1200, 1600));
        QVERIFY(result.pictures[0].isGray());
        QVERIFY(!runChain(QImage(), s, &result));
    }

    // ---- PDF ----

    void jpegHeadersGiveThePageImage() {
        Picture picture = colourPicture(twoCardsDesk(), 300);
        const QByteArray jpeg = encodeJpeg(picture);
        PdfImage image;
        QVERIFY(pdfImageFromJpeg(jpeg, 72, &image));
        QCOMPARE(image.width, 1600);
        QCOMPARE(image.height, 1200);
        QCOMPARE(image.components, 3);
        QCOMPARE(image.dpi, 300);
        QCOMPARE(image.stream, jpeg);
        picture.image = picture.image.convertToFormat(QImage::Format_Grayscale8);
        QVERIFY(pdfImageFromJpeg(encodeJpeg(picture), 72, &image));
        QCOMPARE(image.components, 1);
        QVERIFY(!pdfImageFromJpeg("not a jpeg", 72, &image));
        QVERIFY(!pdfImageFromJpeg(jpeg.left(100), 72, &image)); // cut before its frame header
    }

    // A large picture is encoded in bands on several cores; what decodes
    // from it is what decodes from a compression in one piece.
    void jpegBandsDecodeAsOnePiece_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("gray");
        QTest::addColumn<int>("quality");
        QTest::newRow("5 MP") << QSize(2592, 1944) << false << 75;
        QTest::newRow("odd sides, exact transform") << QSize(1601, 1201) << false << 95;
        QTest::newRow("gray") << QSize(2001, 1333) << true << 85;
        QTest::newRow("more bands than restart numbers") << QSize(30000, 1100) << true << 75;
        QTest::newRow("one piece") << QSize(300, 120) << false << 75;
    }
    void jpegBandsDecodeAsOnePiece() {
        QFETCH(QSize, size);
        QFETCH(bool, gray);
        QFETCH(int, quality);
        QImage image(size, gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        QRandomGenerator rng(5);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
            if (gray)
                for (int x = 0; x < image.width(); ++x)
                    image.scanLine(y)[x] = uchar((x + y) / 16 + rng.bounded(40));
            else
                for (int x = 0; x < image.width(); ++x)
                    line[x] = qRgb(x / 8 + rng.bounded(24), y / 8, rng.bounded(256));
        }
        Picture picture;
        picture.image = image;
        picture.jpgQuality = quality;
        const QImage ours = decodedByTurboJpeg(encodeJpeg(picture), gray);
        QCOMPARE(ours.size(), size);
        QVERIFY(ours == decodedByTurboJpeg(turboJpegOf(picture), gray));
        PdfImage page;
        QVERIFY(pdfImageFromJpeg(encodeJpeg(picture), 72, &page));
        QCOMPARE(QSize(page.width, page.height), size);
    }

    // 150 single-page appends: three leaves of the page tree, every page in
    // order, each embedded JPEG exactly as encoded.
    void manyAppendsStayInOrder() {
        const QString path = m_dir.filePath("many.pdf");
        QList<QByteArray> streams;
        constexpr int kPages = 150;
        for (int i = 0; i < kPages; ++i) {
            QImage image(64 + i, 48, QImage::Format_RGB32); // each page a size of its own
            image.fill(QColor::fromHsv(i * 2, 200, 200));
            const PdfImage page = pdfImageOf(colourPicture(image, 100 + i));
            streams << page.stream;
            QCOMPARE(int(appendPdf(QFile::encodeName(path), {page})), int(PdfStatus::Written));
        }
        const PdfContents pdf = readPdf(path);
        QVERIFY(pdf.readable);
        QCOMPARE(pdf.pages.size(), kPages);
        for (int i = 0; i < kPages; ++i) {
            QCOMPARE(pdf.pages[i].imageStream, streams[i]);
            QCOMPARE(pdf.pages[i].size.width(),
                     std::round((64 + i) * 72.0 / (100 + i) * 1000) / 1000);
        }
        QCOMPARE(qpdfCheck(path), 0);
        QCOMPARE(popplerPageCount(path), kPages);
    }

    void severalPagesInOneUpdate() {
        const QString path = m_dir.filePath("several.pdf");
        QList<PdfImage> pages;
        for (int i = 0; i < kLeafCapacity + 5; ++i) {
            QImage image(40, 30, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 3, 255, 255));
            pages << pdfImageOf(colourPicture(image));
        }
        QCOMPARE(int(writeNewPdf(QFile::encodeName(path), pages)), int(PdfStatus::Written));
        QCOMPARE(int(appendPdf(QFile::encodeName(path), pages)), int(PdfStatus::Written));
        QCOMPARE(readPdf(path).pages.size(), 2 * pages.size());
        QCOMPARE(qpdfCheck(path), 0);
    }

    // Words over the picture: poppler reads them back exactly (Latin,
    // Chinese, a character outside the BMP) on their boxes; the picture is
    // the JPEG as written; a page without words is the plain page of old.
    void textLayerIsReadBackInPlace() {
        QImage white(1240, 1754, QImage::Format_RGB32); // A4 at 150 dpi
        white.fill(Qt::white);
        const QByteArray jpeg = encodeJpeg(colourPicture(white, 150));
        const QString picture = m_dir.filePath("page.jpg");
        QFile f(picture);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(jpeg) == jpeg.size());
        f.close();
        const QByteArray words = "0 150 150 330 200 95 Hello\n"
                                 "0 360 150 560 210 91 world,\n"
                                 "1 150 300 200 350 88 \xE4\xB8\xAD\n"     // 中
                                 "1 200 300 250 350 90 \xE6\x96\x87\n"     // 文
                                 "1 250 300 300 350 90 \xF0\xA0\x80\x80\n" // U+20000
                                 "1 400 300 600 350 5 noise\n"
                                 "2 150 450 400 500 80 Invoice-2024\n"
                                 "not a word line\n";
        const QString path = m_dir.filePath("searchable.pdf");
        const QByteArray file = QFile::encodeName(path);
        const QByteArray pictureFile = QFile::encodeName(picture);
        QCOMPARE(writePdfFromFiles(file, true, {pictureFile}, {QByteArray()}), 1);
        QCOMPARE(writePdfFromFiles(file, true, {pictureFile}, {words}), 1);
        QCOMPARE(qpdfCheck(path), 0);
        const PdfContents pdf = readPdf(path);
        QCOMPARE(pdf.pages.size(), 2);
        QCOMPARE(pdf.pages[1].imageStream, jpeg);
        QCOMPARE(pdfText(path, 1, 1).trimmed(), QString());
        const QString text = pdfText(path, 2, 2);
        QVERIFY2(text.contains(QStringLiteral("Hello world,\n中文\U00020000\n")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Invoice-2024")), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("noise")), qPrintable(text));
        // Boxes in points: pixels * 72 / 150; the line's height for each word.
        const QList<PdfWordBox> boxes = pdfWordBoxes(path, 2);
        QCOMPARE(boxes.size(), 4);
        const double k = 72.0 / 150;
        const QRectF expected[] = {
            QRectF(150 * k, 150 * k, 180 * k, 60 * k), QRectF(360 * k, 150 * k, 200 * k, 60 * k),
            QRectF(150 * k, 300 * k, 150 * k, 50 * k), QRectF(150 * k, 450 * k, 250 * k, 50 * k)};
        for (int i = 0; i < 4; ++i) {
            const QRectF got = boxes[i].box;
            QVERIFY2(std::abs(got.left() - expected[i].left()) < 0.5 &&
                         std::abs(got.top() - expected[i].top()) < 0.5 &&
                         std::abs(got.right() - expected[i].right()) < 0.5 &&
                         std::abs(got.bottom() - expected[i].bottom()) < 0.5,
                     qPrintable(boxes[i].text));
        }
        // Without words, today's page exactly.
        PdfImage plain;
        QVERIFY(pdfImageFromJpeg(jpeg, 72, &plain));
        const QString plainPath = m_dir.filePath("plain.pdf");
        QCOMPARE(writePdfFromFiles(QFile::encodeName(plainPath), false, {pictureFile}, {}), 1);
        QVERIFY(!contents(plainPath).contains("/Font"));
        QVERIFY(contents(plainPath).contains(jpeg));
        QCOMPARE(writePdfFromFiles(file, true, {file}, {}), -1); // not a picture
    }

    void appendRefusesWhatIsNotOurs() {
        const QString path = m_dir.filePath("edited.pdf");
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::green);
        const PdfImage page = pdfImageOf(colourPicture(image));
        QCOMPARE(int(writeNewPdf(QFile::encodeName(path), {page})), int(PdfStatus::Written));
        // Another program's incremental save after ours: its trailer is last.
        QByteArray bytes = contents(path);
        const qint64 xref = bytes.size();
        bytes += "3 0 obj\n<< /Producer (Some editor) >>\nendobj\n";
        bytes += "xref\n3 1\n" + QByteArray::number(xref).rightJustified(10, '0') +
                 " 00000 n\r\ntrailer\n<< /Size 8 /Root 1 0 R /Info 3 0 R /Prev 0 >>\n"
                 "startxref\n" +
                 QByteArray::number(xref + 46) + "\n%%EOF\n";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        QCOMPARE(int(appendPdf(QFile::encodeName(path), {page})), int(PdfStatus::NotOurs));
        QCOMPARE(contents(path), bytes);
    }

private:
    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

QTEST_MAIN(TestCaptureParts)
#include "tst_capture_parts.moc"
