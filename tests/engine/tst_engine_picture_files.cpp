// Pictures in files through the real liborvcore: merging two shots
// (OrvImagesMix), placing the vice picture into the main one
// (OrvCombineMainSubEn) and sizes from file headers (OrvGetImageWidth and
// OrvGetImageHeight), with JPEG, PNG, BMP, TIFF and PDF files.

#include <orvcore/OrvCoreLib.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QRgb kRed = qRgb(220, 30, 30);
const QRgb kBlue = qRgb(30, 40, 210);
const QRgb kGreen = qRgb(40, 180, 60);
const QRgb kWhite = qRgb(255, 255, 255);

QImage filled(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Lossy formats change colours a little; lossless ones not at all.
int toleranceFor(const QString& path) {
    return path.endsWith(QLatin1String(".jpg")) || path.endsWith(QLatin1String(".pdf")) ? 24 : 0;
}

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

// A one-page PDF as the capture writer makes it: one image XObject whose
// stream is given as it is, with a direct /Length.
QByteArray onePagePdf(const QByteArray& imageDict, const QByteArray& stream, QSize size) {
    QByteArray pdf = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";
    QList<qsizetype> offsets;
    auto object = [&](const QByteArray& body) {
        offsets << pdf.size();
        pdf += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    const QByteArray w = QByteArray::number(size.width()), h = QByteArray::number(size.height());
    const QByteArray content = "q " + w + " 0 0 " + h + " 0 0 cm /Im1 Do Q";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h +
           "] /Resources << /XObject << /Im1 5 0 R >> >> /Contents 4 0 R >>");
    object("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
           "\nendstream");
    object("<< " + imageDict + " /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" +
           stream + "\nendstream");
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 6\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf +=
        "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestEnginePictureFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString save(const QImage& image, const QString& name) {
        const QString file = path(name);
        if (!image.save(file))
            qWarning("cannot write %s", qPrintable(file));
        return file;
    }

    QStringList folderEntries() const {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup() {
        QDir dir(m_dir.path());
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
            dir.remove(name);
    }

    // ---- Merging two shots ----

    void mergePlacesPicturesCentredOnWhite_data() {
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("c");
        QTest::addColumn<QString>("outName");
        for (const char* ext : {"png", "bmp", "tif", "jpg"}) {
            QTest::addRow("vertical %s", ext) << 2 << 0 << QStringLiteral("out.") + ext;
            QTest::addRow("horizontal %s", ext) << 1 << 2 << QStringLiteral("out.") + ext;
        }
    }
    void mergePlacesPicturesCentredOnWhite() {
        QFETCH(int, b);
        QFETCH(int, c);
        QFETCH(QString, outName);
        const bool vertical = c == 0;
        const QString first = save(filled({200, 100}, kRed), QStringLiteral("first.png"));
        const QString second = save(filled({120, 80}, kBlue), QStringLiteral("second.bmp"));
        const QByteArray list = local(first) + ';' + local(second) + ';';
        const QString out = path(outName);
        const int a = vertical ? 1 : 0;
        QVERIFY(OrvImagesMix(list.constData(), a, b, c, 0, local(out).constData()) > 0);

        QImage merged(out);
        QVERIFY(!merged.isNull());
        merged = merged.convertToFormat(QImage::Format_RGB32);
        const int tol = toleranceFor(out);
        if (vertical) {
            // 200 x 100 above 120 x 80, the narrower one centred: x 40..159.
            QCOMPARE(merged.size(), QSize(200, 180));
            QVERIFY(near(merged.pixel(100, 50), kRed, tol));
            QVERIFY(near(merged.pixel(2, 97), kRed, tol));
            QVERIFY(near(merged.pixel(100, 140), kBlue, tol));
            QVERIFY(near(merged.pixel(43, 104), kBlue, tol));
            QVERIFY(near(merged.pixel(156, 176), kBlue, tol));
            QVERIFY(near(merged.pixel(20, 140), kWhite, tol));
            QVERIFY(near(merged.pixel(180, 140), kWhite, tol));
            if (tol == 0) {
                QCOMPARE(merged.pixel(39, 140), kWhite);
                QCOMPARE(merged.pixel(40, 140), kBlue);
                QCOMPARE(merged.pixel(159, 100), kBlue);
                QCOMPARE(merged.pixel(160, 100), kWhite);
                QCOMPARE(merged.pixel(100, 99), kRed);
            }
        } else {
            // 200 x 100 left of 120 x 80, the lower one centred: y 10..89.
            QCOMPARE(merged.size(), QSize(320, 100));
            QVERIFY(near(merged.pixel(100, 50), kRed, tol));
            QVERIFY(near(merged.pixel(260, 50), kBlue, tol));
            QVERIFY(near(merged.pixel(260, 4), kWhite, tol));
            QVERIFY(near(merged.pixel(260, 95), kWhite, tol));
            if (tol == 0) {
                QCOMPARE(merged.pixel(199, 5), kRed);
                QCOMPARE(merged.pixel(200, 10), kBlue);
                QCOMPARE(merged.pixel(319, 89), kBlue);
                QCOMPARE(merged.pixel(319, 90), kWhite);
                QCOMPARE(merged.pixel(200, 9), kWhite);
            }
        }
        // Written under another name first: nothing else is left in the folder.
        QCOMPARE(folderEntries(),
                 QStringList({QStringLiteral("first.png"), outName, QStringLiteral("second.bmp")}));
    }

    void mergeKeepsGrayAndResolution() {
        QImage gray(100, 50, QImage::Format_Grayscale8);
        gray.fill(90);
        gray.setDotsPerMeterX(11811); // 300 dpi
        gray.setDotsPerMeterY(11811);
        const QString a = save(gray, QStringLiteral("a.png"));
        const QString b = save(gray.scaled(60, 40), QStringLiteral("b.png"));
        const QByteArray list = local(a) + ';' + local(b) + ';';
        const QString out = path(QStringLiteral("gray.png"));
        QVERIFY(OrvImagesMix(list.constData(), 0, 1, 2, 0, local(out).constData()) > 0);
        const QImage merged(out);
        QCOMPARE(merged.size(), QSize(160, 50));
        QVERIFY(merged.isGrayscale());
        QCOMPARE(qGray(merged.pixel(130, 25)), 90);
        QCOMPARE(qRound(merged.dotsPerMeterX() * 0.0254), 300);
    }

    void mergeReadsAndWritesPdf() {
        const QString first = save(filled({300, 200}, kRed), QStringLiteral("first.jpg"));
        const QString second = save(filled({300, 100}, kGreen), QStringLiteral("second.png"));
        const QByteArray list = local(first) + ';' + local(second) + ';';
        const QString pdf = path(QStringLiteral("merged.pdf"));
        QVERIFY(OrvImagesMix(list.constData(), 1, 2, 0, 0, local(pdf).constData()) > 0);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.peek(5) == "%PDF-");
        file.close();
        QCOMPARE(OrvGetImageWidth(local(pdf).constData()), 300);
        QCOMPARE(OrvGetImageHeight(local(pdf).constData()), 300);

        // A PDF made here is read back as a picture for the next merge.
        const QByteArray again = local(pdf) + ';' + local(first) + ';';
        const QString out = path(QStringLiteral("again.png"));
        QVERIFY(OrvImagesMix(again.constData(), 1, 2, 0, 0, local(out).constData()) > 0);
        const QImage merged(out);
        QCOMPARE(merged.size(), QSize(300, 500));
        QVERIFY(near(merged.pixel(150, 100), kRed, 24));
        QVERIFY(near(merged.pixel(150, 250), kGreen, 24));
        QVERIFY(near(merged.pixel(150, 400), kRed, 24));
    }

    void capturePdfPagesAreReadAsPictures() {
        // A JPEG page, its bytes embedded as they are.
        QByteArray jpeg;
        {
            QBuffer buffer(&jpeg);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QVERIFY(filled({64, 48}, kBlue).save(&buffer, "JPEG", 95));
        }
        const QString jpegPdf = path(QStringLiteral("jpeg.pdf"));
        QVERIFY(writeBytes(jpegPdf, onePagePdf("/Type /XObject /Subtype /Image /Width 64 "
                                               "/Height 48 /ColorSpace /DeviceRGB "
                                               "/BitsPerComponent 8 /Filter /DCTDecode",
                                               jpeg, {64, 48})));
        // A black-and-white page: 1-bit rows, 1 white, compressed.
        QByteArray rows;
        for (int y = 0; y < 20; ++y)
            rows += y < 10 ? QByteArray("\x00\x00\x00\x00", 4) : QByteArray("\xff\xff\xff\xf0", 4);
        const QString monoPdf = path(QStringLiteral("mono.pdf"));
        QVERIFY(writeBytes(monoPdf, onePagePdf("/Type /XObject /Subtype /Image /Width 28 "
                                               "/Height 20 /ColorSpace /DeviceGray "
                                               "/BitsPerComponent 1 /Filter /FlateDecode",
                                               qCompress(rows).mid(4), {28, 20})));
        QCOMPARE(OrvGetImageWidth(local(jpegPdf).constData()), 64);
        QCOMPARE(OrvGetImageHeight(local(jpegPdf).constData()), 48);
        QCOMPARE(OrvGetImageWidth(local(monoPdf).constData()), 28);
        QCOMPARE(OrvGetImageHeight(local(monoPdf).constData()), 20);

        const QByteArray list = local(jpegPdf) + ';' + local(monoPdf) + ';';
        const QString out = path(QStringLiteral("pages.png"));
        QVERIFY(OrvImagesMix(list.constData(), 1, 2, 0, 0, local(out).constData()) > 0);
        const QImage merged = QImage(out).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(merged.size(), QSize(64, 68));
        QVERIFY(near(merged.pixel(32, 24), kBlue, 24));
        QCOMPARE(merged.pixel(30, 50), qRgb(0, 0, 0)); // black half, x 18..45
        QCOMPARE(merged.pixel(30, 62), kWhite);        // white half
        QCOMPARE(merged.pixel(10, 50), kWhite);        // beside the narrower page
    }

    void mergeFailsCleanly() {
        const QString good = save(filled({50, 50}, kRed), QStringLiteral("good.png"));
        const QString notPicture = path(QStringLiteral("notes.jpg"));
        QVERIFY(writeBytes(notPicture, "not a picture at all"));
        const QString kept = save(filled({10, 10}, kGreen), QStringLiteral("kept.png"));
        const QByteArray twoGood = local(good) + ';' + local(good) + ';';
        const QByteArray out = local(path(QStringLiteral("out.png")));

        // Unknown modes.
        QVERIFY(OrvImagesMix(twoGood.constData(), 1, 0, 0, 0, out.constData()) <= 0);
        QVERIFY(OrvImagesMix(twoGood.constData(), 0, 0, 0, 0, out.constData()) <= 0);
        QVERIFY(OrvImagesMix(twoGood.constData(), 2, 1, 0, 0, out.constData()) <= 0);
        // Bad lists and paths.
        QVERIFY(OrvImagesMix(nullptr, 1, 2, 0, 0, out.constData()) <= 0);
        QVERIFY(OrvImagesMix("", 1, 2, 0, 0, out.constData()) <= 0);
        QVERIFY(OrvImagesMix(";;", 1, 2, 0, 0, out.constData()) <= 0);
        QVERIFY(OrvImagesMix(twoGood.constData(), 1, 2, 0, 0, nullptr) <= 0);
        QVERIFY(OrvImagesMix(twoGood.constData(), 1, 2, 0, 0, "") <= 0);
        const QByteArray missing =
            local(good) + ';' + local(path(QStringLiteral("gone.png"))) + ';';
        QVERIFY(OrvImagesMix(missing.constData(), 1, 2, 0, 0, out.constData()) <= 0);
        const QByteArray unreadable = local(good) + ';' + local(notPicture) + ';';
        QVERIFY(OrvImagesMix(unreadable.constData(), 0, 1, 2, 0, out.constData()) <= 0);
        // Outputs that cannot be written.
        QVERIFY(OrvImagesMix(twoGood.constData(), 1, 2, 0, 0,
                             local(path(QStringLiteral("no/such/folder/out.png"))).constData()) <=
                0);
        QVERIFY(OrvImagesMix(twoGood.constData(), 1, 2, 0, 0,
                             local(path(QStringLiteral("out.xyz"))).constData()) <= 0);
        // A failed merge leaves a file already at the output path alone.
        QVERIFY(OrvImagesMix(missing.constData(), 1, 2, 0, 0, local(kept).constData()) <= 0);
        QCOMPARE(QImage(kept).size(), QSize(10, 10));

        QCOMPARE(folderEntries(),
                 QStringList({QStringLiteral("good.png"), QStringLiteral("kept.png"),
                              QStringLiteral("notes.jpg")}));
        // And the good list still merges, over the file that was there.
        QVERIFY(OrvImagesMix(twoGood.constData(), 1, 2, 0, 0, local(kept).constData()) > 0);
        QCOMPARE(QImage(kept).size(), QSize(50, 100));
    }

    // ---- Placing the vice picture into the main one ----

    void combinePlacesInsetFromNegatedOffsets_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QRect>("expected");
        // Main picture 400 x 300; -x from the left, -y from the bottom.
        QTest::newRow("inside") << QSize(100, 80) << -30 << -20 << QRect(30, 200, 100, 80);
        QTest::newRow("bottom left corner") << QSize(100, 80) << 0 << 0 << QRect(0, 220, 100, 80);
        QTest::newRow("top right corner")
            << QSize(120, 90) << -280 << -210 << QRect(280, 0, 120, 90);
        QTest::newRow("past the right and the top")
            << QSize(100, 80) << -1000 << -1000 << QRect(300, 0, 100, 80);
        QTest::newRow("left of the picture and below it")
            << QSize(100, 80) << 25 << 40 << QRect(0, 220, 100, 80);
        QTest::newRow("larger than the picture")
            << QSize(500, 400) << -10 << -10 << QRect(0, 0, 400, 300);
    }
    void combinePlacesInsetFromNegatedOffsets() {
        QFETCH(QSize, size);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QRect, expected);
        const QString mainFile = save(filled({400, 300}, kGreen), QStringLiteral("main.png"));
        const QString subFile = save(filled({64, 48}, kRed), QStringLiteral("sub.bmp"));
        const QString out = path(QStringLiteral("combined.png"));
        QVERIFY(OrvCombineMainSubEn(local(mainFile).constData(), local(subFile).constData(),
                                    local(out).constData(), size.width(), size.height(), x, y) > 0);
        const QImage combined = QImage(out).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(combined.size(), QSize(400, 300));
        QRect found;
        for (int py = 0; py < 300; ++py)
            for (int px = 0; px < 400; ++px)
                if (combined.pixel(px, py) == kRed)
                    found |= QRect(px, py, 1, 1);
                else
                    QCOMPARE(combined.pixel(px, py), expected.contains(px, py) ? kRed : kGreen);
        QCOMPARE(found, expected);
        QCOMPARE(folderEntries(),
                 QStringList({QStringLiteral("combined.png"), QStringLiteral("main.png"),
                              QStringLiteral("sub.bmp")}));
    }

    void combineWritesEveryFormat_data() {
        QTest::addColumn<QString>("outName");
        for (const char* name : {"c.jpg", "c.jpeg", "c.png", "c.bmp", "c.tif", "c.tiff", "c.pdf"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void combineWritesEveryFormat() {
        QFETCH(QString, outName);
        const QString mainFile = save(filled({320, 240}, kGreen), QStringLiteral("main.jpg"));
        const QString subFile = save(filled({32, 24}, kBlue), QStringLiteral("sub.jpg"));
        const QString out = path(outName);
        QVERIFY(OrvCombineMainSubEn(local(mainFile).constData(), local(subFile).constData(),
                                    local(out).constData(), 80, 60, -200, -10) > 0);
        QCOMPARE(OrvGetImageWidth(local(out).constData()), 320);
        QCOMPARE(OrvGetImageHeight(local(out).constData()), 240);
        if (!outName.endsWith(QLatin1String(".pdf"))) {
            const QImage combined = QImage(out).convertToFormat(QImage::Format_RGB32);
            QVERIFY(near(combined.pixel(240, 200), kBlue, toleranceFor(out) + 8));
            QVERIFY(near(combined.pixel(100, 100), kGreen, toleranceFor(out) + 8));
        }
    }

    void combineFailsCleanly() {
        const QByteArray mainFile =
            local(save(filled({100, 100}, kGreen), QStringLiteral("m.png")));
        const QByteArray subFile = local(save(filled({10, 10}, kRed), QStringLiteral("s.png")));
        const QByteArray missing = local(path(QStringLiteral("gone.png")));
        const QByteArray out = local(path(QStringLiteral("out.png")));
        QVERIFY(OrvCombineMainSubEn(missing, subFile, out, 20, 20, 0, 0) <= 0);
        QVERIFY(OrvCombineMainSubEn(mainFile, missing, out, 20, 20, 0, 0) <= 0);
        QVERIFY(OrvCombineMainSubEn(nullptr, subFile, out, 20, 20, 0, 0) <= 0);
        QVERIFY(OrvCombineMainSubEn(mainFile, subFile, nullptr, 20, 20, 0, 0) <= 0);
        QVERIFY(OrvCombineMainSubEn(mainFile, subFile, out, 0, 20, 0, 0) <= 0);
        QVERIFY(OrvCombineMainSubEn(mainFile, subFile, out, 20, -5, 0, 0) <= 0);
        QVERIFY(OrvCombineMainSubEn(mainFile, subFile,
                                    local(path(QStringLiteral("no/folder/out.png"))), 20, 20, 0,
                                    0) <= 0);
        QVERIFY(OrvCombineMainSubEn(mainFile, subFile, local(path(QStringLiteral("out.gif"))), 20,
                                    20, 0, 0) <= 0);
        // Extreme offsets are clamped, not overflowed.
        QVERIFY(OrvCombineMainSubEn(mainFile, subFile, out, 20, 20, INT_MIN, INT_MIN) > 0);
        QCOMPARE(QImage(QString::fromLocal8Bit(out)).pixel(90, 5), kRed);
        QCOMPARE(folderEntries(), QStringList({QStringLiteral("m.png"), QStringLiteral("out.png"),
                                               QStringLiteral("s.png")}));
    }

    // ---- Sizes from headers ----

    void headerSizesMatch_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"h.jpg", "h.png", "h.bmp", "h.tif"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void headerSizesMatch() {
        QFETCH(QString, name);
        const QString file = save(filled({2592, 1944}, kBlue), name);
        QCOMPARE(OrvGetImageWidth(local(file).constData()), 2592);
        QCOMPARE(OrvGetImageHeight(local(file).constData()), 1944);
    }

    void headerSizeNeedsOnlyTheHeader() {
        // A JPEG cut off after its first 4 KiB still tells its size.
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QImage noise(1600, 1200, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, (x * y) % 256));
        QVERIFY(noise.save(&buffer, "JPEG"));
        const QString cut = path(QStringLiteral("cut.jpg"));
        QVERIFY(writeBytes(cut, jpeg.left(4096)));
        QCOMPARE(OrvGetImageWidth(local(cut).constData()), 1600);
        QCOMPARE(OrvGetImageHeight(local(cut).constData()), 1200);
    }

    void headerSizesOfBadFilesAreMinusOne() {
        const QString empty = path(QStringLiteral("empty.png"));
        QVERIFY(writeBytes(empty, QByteArray()));
        const QString text = path(QStringLiteral("text.jpg"));
        QVERIFY(writeBytes(text, "just some text, no picture"));
        const QString noImagePdf = path(QStringLiteral("text.pdf"));
        QVERIFY(writeBytes(noImagePdf, "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n%%EOF\n"));
        const QString cutPdf = path(QStringLiteral("cut.pdf"));
        QVERIFY(writeBytes(cutPdf, "%PDF-1.4\n5 0 obj\n<< /Subtype /Image /Width 40 /Height"));
        for (const QString& file :
             {empty, text, noImagePdf, cutPdf, path(QStringLiteral("gone.png")), m_dir.path()}) {
            QCOMPARE(OrvGetImageWidth(local(file).constData()), -1);
            QCOMPARE(OrvGetImageHeight(local(file).constData()), -1);
        }
        QCOMPARE(OrvGetImageWidth(nullptr), -1);
        QCOMPARE(OrvGetImageHeight(""), -1);
    }
};

QTEST_MAIN(TestEnginePictureFiles)
#include "tst_engine_picture_files.moc"
