// Captures through the real liborvcore with virtual cameras: every format and
// its DPI, the settings applied on the way, multi-page PDF appends, split
// capture, automatic crop, several documents, the card's two sides, and the
// failures (closed camera, unknown extension, unwritable folder, a file at
// the path that is not ours).

#include "../support/Unprivileged.h"
#include "CaptureTestSupport.h"
#include "capture/ImageChain.h"

#include "orvcore/OrvCoreTesting.h"
#include <modaocr/ModaOCRWords.h>
#include <orvcore/OrvCoreLib.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <cmath>
#include <memory>

#include <unistd.h>

using namespace capturetest;

namespace {

constexpr int k1600 = 2; // resolution index of 1600x1200
constexpr int kTimeout = 20000;

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

int capture(int cam, const QString& path) {
    return OrvCapture(cam, local(path).constData());
}

QImage readImage(const QString& path, QByteArray* format = nullptr,
                 QImage::Format* pixels = nullptr) {
    QImageReader reader(path);
    if (format)
        *format = reader.format();
    const QImage image = reader.read();
    if (pixels)
        *pixels = image.format();
    return image;
}

int dpiOf(const QImage& image) {
    return int(std::lround(image.dotsPerMeterX() * 0.0254));
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestEngineCapture : public QObject {
    Q_OBJECT

    QTemporaryDir m_out;
    QTemporaryDir m_pages;
    std::unique_ptr<QWidget> m_surface;

    QString out(const QString& name) const { return m_out.filePath(name); }

    // The library with two virtual cameras; camera 0 shows picture when it is
    // given, its desk scene otherwise. Camera cam is opened at 1600x1200 and
    // has a frame when this returns true.
    bool openCamera(int cam, const QImage& picture = {}) {
        OrvTestShutdown();
        qputenv("ORVANTA_REAL_CAMERAS", "0");
        qputenv("ORVANTA_VIRTUAL_CAMERAS", "2");
        QDir(m_pages.path()).removeRecursively();
        QDir().mkpath(m_pages.path());
        if (picture.isNull()) {
            qunsetenv("ORVANTA_VIRTUAL_PAGES");
        } else {
            if (!picture.save(m_pages.filePath(QStringLiteral("page.png"))))
                return false;
            qputenv("ORVANTA_VIRTUAL_PAGES", local(m_pages.path()));
        }
        if (OrvInit() != 0)
            return false;
        m_surface = std::make_unique<QWidget>();
        m_surface->resize(640, 480);
        m_surface->show();
        if (OrvSetDefaultResolution(cam, k1600) != 0 || OrvOpenCamera(cam, m_surface->winId()) != 0)
            return false;
        return QTest::qWaitFor(
            [cam] {
                int w = 0, h = 0;
                return OrvTestGetFrameSize(cam, &w, &h) == 0 && w == 1600 && h == 1200;
            },
            kTimeout);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_out.isValid());
        QVERIFY(m_pages.isValid());
    }
    void init() {
        QDir(m_out.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_out.path()));
    }
    void cleanup() {
        OrvTestShutdown();
        m_surface.reset();
    }
    void cleanupTestCase() {
        qunsetenv("ORVANTA_REAL_CAMERAS");
        qunsetenv("ORVANTA_VIRTUAL_CAMERAS");
        qunsetenv("ORVANTA_VIRTUAL_PAGES");
    }

    // ---- Formats and what goes into them ----

    void qtFormatsCarryTheDpi_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("colour");
        QTest::addColumn<QImage::Format>("pixels");
        QTest::newRow("jpg colour") << "a.jpg" << QByteArray("jpeg") << 0 << QImage::Format_RGB32;
        QTest::newRow("jpeg gray")
            << "b.JPEG" << QByteArray("jpeg") << 1 << QImage::Format_Grayscale8;
        QTest::newRow("png colour") << "c.png" << QByteArray("png") << 0 << QImage::Format_RGB32;
        QTest::newRow("png bw") << "d.PNG" << QByteArray("png") << 2 << QImage::Format_Mono;
        QTest::newRow("bmp colour") << "e.bmp" << QByteArray("bmp") << 0 << QImage::Format_RGB32;
        QTest::newRow("bmp gray") << "f.bmp" << QByteArray("bmp") << 1 << QImage::Format_Indexed8;
    }
    void qtFormatsCarryTheDpi() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(int, colour);
        QFETCH(QImage::Format, pixels);
        QVERIFY(openCamera(0));
        QCOMPARE(OrvSetDPI(0, 300), 0);
        QCOMPARE(OrvSetDevColor(0, colour), 0);
        QCOMPARE(capture(0, out(name)), 1);
        QByteArray readFormat;
        QImage::Format readPixels;
        const QImage image = readImage(out(name), &readFormat, &readPixels);
        QCOMPARE(readFormat, format);
        QCOMPARE(image.size(), QSize(1600, 1200));
        QCOMPARE(dpiOf(image), 300);
        QCOMPARE(readPixels, pixels);
        QCOMPARE(filesIn(m_out.path()), QStringList{name}); // no temporary file is left
    }

    void tiffHasItsCompressionDepthAndDpi_data() {
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("compression");
        QTest::newRow("colour") << 0 << 8 << 3 << int(COMPRESSION_LZW);
        QTest::newRow("gray") << 1 << 8 << 1 << int(COMPRESSION_LZW);
        QTest::newRow("black and white") << 2 << 1 << 1 << int(COMPRESSION_CCITTFAX4);
    }
    void tiffHasItsCompressionDepthAndDpi() {
        QFETCH(int, colour);
        QFETCH(int, bits);
        QFETCH(int, samples);
        QFETCH(int, compression);
        QVERIFY(openCamera(0));
        QCOMPARE(OrvSetDPI(0, 400), 0);
        QCOMPARE(OrvSetDevColor(0, colour), 0);
        QCOMPARE(capture(0, out("page.tif")), 1);
        const TiffFacts f = readTiff(out("page.tif"));
        QVERIFY(f.readable);
        QCOMPARE(f.width, 1600u);
        QCOMPARE(f.height, 1200u);
        QCOMPARE(int(f.bits), bits);
        QCOMPARE(int(f.samples), samples);
        QCOMPARE(int(f.compression), compression);
        QCOMPARE(int(f.unit), int(RESUNIT_INCH));
        QCOMPARE(f.xdpi, 400.0f);
        QCOMPARE(f.ydpi, 400.0f);
        // The pixels decode, with paper and print both present.
        const double light = lightShare(f.firstPixels, 160);
        QVERIFY2(light > 0.1 && light < 0.995, qPrintable(QString::number(light)));
    }

    void jpegQualityChangesTheFile() {
        QVERIFY(openCamera(0)); // the desk scene, wood grain and print
        QCOMPARE(OrvSetJpgQuality(0, 20), 0);
        QCOMPARE(capture(0, out("low.jpg")), 1);
        QCOMPARE(OrvSetJpgQuality(0, 95), 0);
        QCOMPARE(capture(0, out("high.jpg")), 1);
        QVERIFY(QFileInfo(out("high.jpg")).size() > 2 * QFileInfo(out("low.jpg")).size());
    }

    void singlePagePdfHasTheJpegAndPageSize() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetDPI(0, 200), 0);
        QCOMPARE(OrvSetPDFMode(0, 1), 0);
        QCOMPARE(capture(0, out("one.pdf")), 1);
        QCOMPARE(capture(0, out("same.jpg")), 1);
        const PdfContents pdf = readPdf(out("one.pdf"));
        QVERIFY(pdf.readable);
        QCOMPARE(pdf.pages.size(), 1);
        QCOMPARE(pdf.pages[0].filter, QByteArray("/DCTDecode"));
        // 1600 x 1200 pixels at 200 DPI: 8 x 6 inches.
        QCOMPARE(pdf.pages[0].size, QSizeF(576, 432));
        // Embedded as encoded, not decoded and encoded again.
        QCOMPARE(pdf.pages[0].imageStream, contents(out("same.jpg")));
        QCOMPARE(qpdfCheck(out("one.pdf")), 0);
        QCOMPARE(popplerPageCount(out("one.pdf")), 1);
        // Single-page mode makes a new file each time.
        QCOMPARE(capture(0, out("one.pdf")), 1);
        QCOMPARE(readPdf(out("one.pdf")).pages.size(), 1);
    }

    void blackAndWhitePdfPageIsOneBit() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetDevColor(0, 2), 0);
        QCOMPARE(capture(0, out("bw.pdf")), 1);
        const PdfContents pdf = readPdf(out("bw.pdf"));
        QCOMPARE(pdf.pages.size(), 1);
        QCOMPARE(pdf.pages[0].filter, QByteArray("/FlateDecode"));
        QCOMPARE(qpdfCheck(out("bw.pdf")), 0);
    }

    // ---- Multi-page PDF ----

    void multiPagePdfAppendsPages() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetPDFMode(0, 0), 0);
        const QString path = out("book.pdf");
        for (int i = 0; i < 3; ++i) {
            const qint64 before = QFileInfo(path).size();
            QCOMPARE(capture(0, path), 1);
            // The earlier bytes stay as they were: an update is only added.
            QVERIFY(QFileInfo(path).size() > before);
        }
        const PdfContents pdf = readPdf(path);
        QVERIFY(pdf.readable);
        QCOMPARE(pdf.pages.size(), 3);
        for (const PdfPage& page : pdf.pages) {
            QVERIFY(page.imageStream.startsWith("\xFF\xD8"));
            QCOMPARE(QImage::fromData(page.imageStream, "JPEG").size(), QSize(1600, 1200));
        }
        QCOMPARE(qpdfCheck(path), 0);
        QCOMPARE(popplerPageCount(path), 3);
        QCOMPARE(filesIn(m_out.path()), QStringList{QStringLiteral("book.pdf")});
    }

    void appendKeepsEarlierRevisionsByteForByte() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetPDFMode(0, 0), 0);
        const QString path = out("grow.pdf");
        QCOMPARE(capture(0, path), 1);
        const QByteArray first = contents(path);
        QCOMPARE(OrvSetDevColor(0, 1), 0); // a gray page after a colour one
        QCOMPARE(capture(0, path), 1);
        const QByteArray second = contents(path);
        QVERIFY(second.startsWith(first));
        QVERIFY(second.mid(first.size()).contains("/Prev "));
        QCOMPARE(readPdf(path).pages.size(), 2);
    }

    void appendToAFileNotOursFailsAndKeepsIt_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("text") << QByteArray("minutes of the meeting\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("jpeg") << QByteArray("\xFF\xD8\xFF\xE0 not really", 16);
        QTest::newRow("pdf look-alike") << QByteArray("%PDF-1.4\nnothing here\n%%EOF\n");
    }
    void appendToAFileNotOursFailsAndKeepsIt() {
        QFETCH(QByteArray, data);
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetPDFMode(0, 0), 0);
        const QString path = out("theirs.pdf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
        f.close();
        QVERIFY(capture(0, path) <= 0);
        QCOMPARE(contents(path), data);
        QCOMPARE(filesIn(m_out.path()), QStringList{QStringLiteral("theirs.pdf")});
    }

    void appendToAnotherProgramsPdfFailsAndKeepsIt() {
        const QString path = out("report.pdf");
        {
            QPdfWriter writer(path);
            QPainter p(&writer);
            p.drawText(100, 100, QStringLiteral("a report"));
        }
        const QByteArray before = contents(path);
        QVERIFY(before.startsWith("%PDF-"));
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetPDFMode(0, 0), 0);
        QVERIFY(capture(0, path) <= 0);
        QCOMPARE(contents(path), before);
    }

    // An append cut short (power lost, process killed) leaves bytes after the
    // last trailer: the pages before stay readable, and the next capture cuts
    // the remains away and appends after them.
    void interruptedAppendKeepsEarlierPages_data() {
        // Where the third update was cut: a share of its new objects (the
        // picture, its content and page), or into its second step (the tree
        // and trailer written again).
        QTest::addColumn<double>("cutAt");
        QTest::addColumn<bool>("inSecondStep");
        QTest::newRow("a few bytes") << 0.01 << false;
        QTest::newRow("half the picture") << 0.5 << false;
        QTest::newRow("all new objects") << 1.0 << false;
        QTest::newRow("part of the tree") << 0.3 << true;
        QTest::newRow("all but the trailer's end") << 0.97 << true;
    }
    void interruptedAppendKeepsEarlierPages() {
        QFETCH(double, cutAt);
        QFETCH(bool, inSecondStep);
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetPDFMode(0, 0), 0);
        const QString path = out("cut.pdf");
        QCOMPARE(capture(0, path), 1);
        QCOMPARE(capture(0, path), 1);
        const qint64 twoPages = QFileInfo(path).size();
        QCOMPARE(capture(0, path), 1);
        const qint64 threePages = QFileInfo(path).size();
        // The second step starts with the last leaf written again.
        const QByteArray whole = contents(path);
        const qint64 secondStep = whole.indexOf("\n4 0 obj\n", twoPages) + 1;
        QVERIFY(secondStep > twoPages);
        const qint64 cut = inSecondStep ? secondStep + qint64((threePages - secondStep) * cutAt)
                                        : twoPages + qint64((secondStep - twoPages) * cutAt);
        QVERIFY(QFile::resize(path, cut));

        if (!inSecondStep) {
            // Other readers find the two pages complete.
            const PdfContents cutFile = readPdf(path);
            QVERIFY(cutFile.readable);
            QCOMPARE(cutFile.pages.size(), 2);
            for (const PdfPage& page : cutFile.pages)
                QVERIFY(!QImage::fromData(page.imageStream, "JPEG").isNull());
            QCOMPARE(popplerPageCount(path), 2);
        }

        QCOMPARE(capture(0, path), 1);
        const PdfContents repaired = readPdf(path);
        QCOMPARE(repaired.pages.size(), 3);
        QCOMPARE(qpdfCheck(path), 0);
        QCOMPARE(popplerPageCount(path), 3);
    }

    // ---- Searchable PDF ----

    // The way the program makes a searchable multi-page PDF: each capture
    // a JPEG, its words from the OCR engine, both appended as one update.
    // A word of page 2 is found on page 2; the pages hold the JPEGs as
    // captured; an update cut anywhere leaves the earlier pages with their
    // text.
    void searchablePagesOfTheVirtualCamera() {
        QImage sheet(1600, 1200, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        {
            QPainter p(&sheet);
            QFont font(QStringLiteral("WenQuanYi Micro Hei"));
            font.setPixelSize(56);
            p.setFont(font);
            p.drawText(120, 300, QStringLiteral("Searchable pages 2024"));
            p.drawText(120, 450, QStringLiteral("文档摄像头识别文字"));
        }
        QVERIFY(openCamera(0, sheet));
        fnInit(4, "");
        const QString path = out("book.pdf");
        QList<QByteArray> jpegs;
        qint64 twoPages = 0;
        for (int i = 0; i < 3; ++i) {
            const QByteArray picture = QFile::encodeName(out(QStringLiteral("page%1.jpg").arg(i)));
            QCOMPARE(capture(0, QFile::decodeName(picture)), 1);
            jpegs << contents(QFile::decodeName(picture));
            const QByteArray words(fnModaOCRWords(picture.constData()));
            QVERIFY(words.contains("Searchable"));
            const char* pictures[] = {picture.constData()};
            const char* texts[] = {words.constData()};
            QCOMPARE(OrvWritePdfPages(QFile::encodeName(path).constData(), 0, 1, pictures, texts),
                     1);
            if (i == 1)
                twoPages = QFileInfo(path).size();
        }
        QCOMPARE(qpdfCheck(path), 0);
        const PdfContents pdf = readPdf(path);
        QCOMPARE(pdf.pages.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(pdf.pages[i].imageStream, jpegs[i]);
        const QString second = pdfText(path, 2, 2);
        QVERIFY2(second.contains(QStringLiteral("Searchable pages 2024")), qPrintable(second));
        QVERIFY2(second.contains(QStringLiteral("文档摄像头识别文字")), qPrintable(second));

        // A kill stops the append while it writes the new objects (the
        // second step, the tree and trailer written again, is one small
        // write that the next append completes).
        const QByteArray whole = contents(path);
        const qint64 secondStep = whole.indexOf("\n4 0 obj\n", twoPages) + 1;
        QVERIFY(secondStep > twoPages);
        for (const double share : {0.02, 0.5, 1.0}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(whole.left(twoPages + qint64((secondStep - twoPages) * share)));
            f.close();
            QCOMPARE(popplerPageCount(path), 2);
            QVERIFY(pdfText(path, 2, 2).contains(QStringLiteral("Searchable")));
        }
        // Bad arguments change nothing.
        const char* none[] = {nullptr};
        QCOMPARE(OrvWritePdfPages(QFile::encodeName(path).constData(), 0, 1, none, nullptr), -1);
        QCOMPARE(OrvWritePdfPages(QFile::encodeName(path).constData(), 7, 0, none, nullptr), -1);
        QCOMPARE(OrvWritePdfPages(nullptr, 0, 1, none, nullptr), -1);
    }

    // ---- Settings applied on the way ----

    void rotationTurnsTheCapture() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetRotate(0, 1), 0);
        QCOMPARE(capture(0, out("turned.png")), 1);
        const QImage image = readImage(out("turned.png"));
        QCOMPARE(image.size(), QSize(1200, 1600));
        // The left card is at the top after a quarter turn clockwise.
        QVERIFY(lightShare(image.copy(0, 0, 1200, 800)) > 0.05);
        QVERIFY(qGray(image.pixel(600, 800)) < 80); // the mat between the cards
    }

    void rectangleCropsTheCapture() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetMouseMode(0, 1), 0);
        const WId window = m_surface->winId();
        // The 640x480 window shows the whole 1600x1200 frame: 2.5 pixels each.
        QCOMPARE(OrvOnLMousePress(window, 40, 120), 0);
        QCOMPARE(OrvOnMouseMoving(window, 200, 300), 0);
        QCOMPARE(OrvOnLMouseRelease(window, 280, 360), 0);
        int l = 0, t = 0, r = 0, b = 0;
        QCOMPARE(OrvTestGetCaptureRect(0, &l, &t, &r, &b), 0);
        QCOMPARE(capture(0, out("rect.png")), 1);
        const QImage image = readImage(out("rect.png"));
        QCOMPARE(image.size(), QSize(r - l, b - t));
        QCOMPARE(image.size(), QSize(600, 600));
        // The left card's right part, then the mat.
        QVERIFY(qGray(image.pixel(100, 300)) > 200);
        QVERIFY(qGray(image.pixel(580, 300)) < 80);
    }

    void resizeScalesThePicture() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetResize(0, true, 0.5f), 0);
        QCOMPARE(capture(0, out("half.jpg")), 1);
        QCOMPARE(readImage(out("half.jpg")).size(), QSize(800, 600));
        QCOMPARE(OrvSetResize(0, false, 0.5f), 0);
        QCOMPARE(capture(0, out("whole.jpg")), 1);
        QCOMPARE(readImage(out("whole.jpg")).size(), QSize(1600, 1200));
    }

    // An enlargement past the largest picture is made as large as fits, at
    // the camera's largest resolution too.
    void largeEnlargementStopsAtTheLargestPicture() {
        QVERIFY(openCamera(0));
        QCOMPARE(OrvSetResolution(0, 0), 0);
        QVERIFY(QTest::qWaitFor(
            [] {
                int w = 0, h = 0;
                return OrvTestGetFrameSize(0, &w, &h) == 0 && w == 2592 && h == 1944;
            },
            kTimeout));
        QCOMPARE(OrvSetResize(0, true, 8.0f), 0);
        QCOMPARE(capture(0, out("large.jpg")), 1);
        const QSize size = QImageReader(out("large.jpg")).size();
        QVERIFY(qint64(size.width()) * size.height() <= orv::capture::kMaxPicturePixels);
        QVERIFY(size.width() > 2592 * 3);
        QVERIFY(std::abs(size.width() * 3 - size.height() * 4) <= 4);
    }

    void backgroundRemovalWhitensThePaper() {
        // A grey sheet under uneven light, with print.
        QImage desk(1600, 1200, QImage::Format_RGB32);
        QLinearGradient light(0, 0, 1600, 0);
        light.setColorAt(0, QColor(150, 150, 140));
        light.setColorAt(1, QColor(205, 205, 195));
        QPainter p(&desk);
        p.fillRect(desk.rect(), light);
        paintPrint(p, QRectF(0, 0, 1600, 1200));
        p.end();
        QVERIFY(openCamera(0, desk));
        QCOMPARE(capture(0, out("plain.png")), 1);
        QCOMPARE(OrvDelBackColor(0, true), 0);
        QCOMPARE(capture(0, out("clean.png")), 1);
        const QImage plain = readImage(out("plain.png")), clean = readImage(out("clean.png"));
        QVERIFY(lightShare(plain, 230) < 0.05);
        QVERIFY2(lightShare(clean, 230) > 0.75,
                 qPrintable(QString::number(lightShare(clean, 230))));
        // Print stays dark.
        QVERIFY(qGray(clean.pixel(400, 172)) < 120); // the first line
    }

    // ---- Page geometry through the library ----

    void autoCropLiftsTheVirtualPage() {
        QVERIFY(openCamera(0)); // the desk scene: an A4 page turned by 3 degrees
        QCOMPARE(OrvEnableAutoRotate(0, true), 0);
        QCOMPARE(capture(0, out("page.png")), 1);
        const QImage page = readImage(out("page.png"));
        const double aspect = double(page.width()) / page.height();
        QVERIFY2(std::abs(aspect - 210.0 / 297.0) < 0.02, qPrintable(QString::number(aspect)));
        QVERIFY(page.height() > 1000); // most of the 1200 rows
        QVERIFY2(lightShare(page, 200) > 0.8, qPrintable(QString::number(lightShare(page, 200))));
        // Straightened: the page's corners are paper, not desk.
        for (QPoint corner :
             {QPoint(3, 3), QPoint(page.width() - 4, 3), QPoint(3, page.height() - 4),
              QPoint(page.width() - 4, page.height() - 4)})
            QVERIFY2(qGray(page.pixel(corner)) > 200, qPrintable(QString::number(corner.x())));
    }

    void autoCropWritesEachDocument() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvEnableAutoRotate(0, true), 0);
        QCOMPARE(capture(0, out("desk.jpg")), 2);
        QCOMPARE(filesIn(m_out.path()), (QStringList{"desk.jpg", "desk_1.jpg", "desk_2.jpg"}));
        QCOMPARE(readImage(out("desk.jpg")).size(), QSize(1600, 1200)); // the whole desk
        for (const char* name : {"desk_1.jpg", "desk_2.jpg"}) {
            const QImage card = readImage(out(name));
            QVERIFY2(std::abs(card.width() - 500) < 25 && std::abs(card.height() - 320) < 25, name);
            QVERIFY(lightShare(card) > 0.6);
        }
        // In a PDF the documents are the pages.
        QCOMPARE(capture(0, out("desk.pdf")), 2);
        QCOMPARE(readPdf(out("desk.pdf")).pages.size(), 2);
    }

    void splitCutsAtTheFold() {
        QVERIFY(openCamera(0, bookSpread(720)));
        QCOMPARE(OrvEnableSplitCap(0, true), 0);
        QCOMPARE(capture(0, out("spread.png")), 1);
        QCOMPARE(filesIn(m_out.path()), (QStringList{"spread.png", "spread_split.png"}));
        const QImage left = readImage(out("spread.png")),
                     right = readImage(out("spread_split.png"));
        QVERIFY2(std::abs(left.width() - 720) <= 16, qPrintable(QString::number(left.width())));
        QCOMPARE(left.width() + right.width(), 1600);
        QCOMPARE(left.height(), 1200);
        // With automatic crop the spread is lifted off the desk first.
        QCOMPARE(OrvEnableAutoRotate(0, true), 0);
        QCOMPARE(capture(0, out("lifted.png")), 1);
        const QImage liftedLeft = readImage(out("lifted.png"));
        QVERIFY2(std::abs(liftedLeft.width() - 620) <= 20,
                 qPrintable(QString::number(liftedLeft.width())));
        // A PDF gets both pages.
        QCOMPARE(capture(0, out("spread.pdf")), 2);
        QCOMPARE(readPdf(out("spread.pdf")).pages.size(), 2);
    }

    void splitOfTheVirtualPageFindsAFoldOrTheMiddle() {
        QVERIFY(openCamera(0));
        QCOMPARE(OrvEnableSplitCap(0, true), 0);
        QCOMPARE(capture(0, out("scene.jpg")), 1);
        const QImage left = readImage(out("scene.jpg")), right = readImage(out("scene_split.jpg"));
        QCOMPARE(left.width() + right.width(), 1600);
        QVERIFY(left.width() > 480 && left.width() < 1120);
    }

    void doubleCaptureStacksTheCardSides() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetCaptureMode(0, 1), 0);
        QCOMPARE(capture(0, out("card.png")), 1);
        const QImage sheet = readImage(out("card.png"));
        QVERIFY2(std::abs(sheet.width() - 500) < 25, qPrintable(QString::number(sheet.width())));
        QVERIFY2(sheet.height() > 600 && sheet.height() < 720,
                 qPrintable(QString::number(sheet.height())));
        QVERIFY(lightShare(sheet) > 0.6);
        // Without two cards: the left half of the desk above the right half.
        QVERIFY(openCamera(0));
        QCOMPARE(OrvSetCaptureMode(0, 1), 0);
        QCOMPARE(capture(0, out("halves.png")), 1);
        const QImage halves = readImage(out("halves.png"));
        QCOMPARE(halves.width(), 800);
        QVERIFY(halves.height() > 2400);
    }

    // ---- Failures ----

    void failuresWriteNothing() {
        QVERIFY(openCamera(0, twoCardsDesk()));
        QVERIFY(capture(0, out("page.xyz")) <= 0);
        QVERIFY(capture(0, out("no_extension")) <= 0);
        QVERIFY(capture(0, out("missing/page.jpg")) <= 0);
        QVERIFY(OrvCapture(0, nullptr) <= 0);
        QVERIFY(OrvCapture(0, "") <= 0);
        QVERIFY(capture(7, out("page.jpg")) <= 0);
        QVERIFY(capture(-1, out("page.jpg")) <= 0);
        // A path under a regular file.
        QFile plain(out("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(capture(0, out("plain/page.jpg")) <= 0);
        QCOMPARE(filesIn(m_out.path()), QStringList{QStringLiteral("plain")});
        // Camera 1 is not open, and camera 0 no longer.
        QVERIFY(capture(1, out("page.jpg")) <= 0);
        QCOMPARE(OrvCloseCamera(0), 0);
        QVERIFY(capture(0, out("page.jpg")) <= 0);
        QCOMPARE(filesIn(m_out.path()), QStringList{QStringLiteral("plain")});
    }

    void unwritableFolderFailsAndKeepsItsFiles_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"page.jpg", "page.tif", "page.pdf", "old.pdf"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void unwritableFolderFailsAndKeepsItsFiles() {
        QFETCH(QString, name);
        QVERIFY(openCamera(0, twoCardsDesk()));
        QCOMPARE(OrvSetPDFMode(0, 0), 0);
        const QString folder = out("locked");
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(capture(0, folder + "/old.pdf"), 1);
        const QByteArray old = contents(folder + "/old.pdf");
        QVERIFY(QFile::setPermissions(m_out.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                        QFile::ExeOwner | QFile::ReadOther |
                                                        QFile::ExeOther));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner |
                                                  QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(folder + "/old.pdf", QFile::ReadOwner | QFile::ReadOther));
        int result = 0;
        {
            Unprivileged nobody;
            result = capture(0, folder + "/" + name);
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(result <= 0);
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("old.pdf")});
        QCOMPARE(contents(folder + "/old.pdf"), old);
    }
};

QTEST_MAIN(TestEngineCapture)
#include "tst_engine_capture.moc"
