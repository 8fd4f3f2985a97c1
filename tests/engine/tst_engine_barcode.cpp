// Barcode reading: OrvReadBarcode through the real liborvcore on the virtual
// cameras' pictures and on pages shown from a folder, and the reader itself
// (compiled in) on pages made here with ZXing's writer.

#include "BarcodeReader.h"
#include "SceneRenderer.h"

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include "EngineTestSupport.h"

#define ZX_USE_UTF8
#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>
#include <ZXing/ReadBarcode.h>

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

using ZXing::BarcodeFormat;

namespace {

constexpr int kPictureTimeout = 20000;

// A symbol as ZXing's writer draws it at about size: whole pixels per module,
// black on white; text in encoding, which an ECI names (Unknown: the bytes of
// text read as Latin-1, without an ECI).
QImage symbol(BarcodeFormat format, const std::string& text, QSize size,
              ZXing::CharacterSet encoding = ZXing::CharacterSet::UTF8) {
    ZXing::MultiFormatWriter writer(format);
    writer.setMargin(0);
    if (encoding != ZXing::CharacterSet::Unknown)
        writer.setEncoding(encoding);
    const ZXing::BitMatrix matrix = writer.encode(text, size.width(), size.height());
    QImage image(matrix.width(), matrix.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < matrix.height(); ++y)
        for (int x = 0; x < matrix.width(); ++x)
            image.scanLine(y)[x] = matrix.get(x, y) ? 0 : 255;
    return image;
}

struct Placed {
    BarcodeFormat format;
    std::string text;
    QRect where;
    ZXing::CharacterSet encoding = ZXing::CharacterSet::UTF8;
};

QImage whitePage(QSize size) {
    QImage page(size, QImage::Format_RGB32);
    page.fill(Qt::white);
    return page;
}

QImage pageWith(QSize size, const QList<Placed>& codes, qreal turn = 0) {
    QImage page = whitePage(size);
    QPainter p(&page);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(size.width() / 2.0, size.height() / 2.0);
    p.rotate(turn);
    p.translate(-size.width() / 2.0, -size.height() / 2.0);
    p.setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 18));
    p.drawText(QRect(0, 0, size.width(), 60), Qt::AlignCenter,
               QStringLiteral("Orvanta test page 条码测试"));
    for (const Placed& c : codes)
        p.drawImage(c.where.topLeft(), symbol(c.format, c.text, c.where.size(), c.encoding));
    return page;
}

// How a camera sees a page: ink and paper as gray levels under light that
// falls off to the right, the page tilted in perspective on a dark desk,
// defocused (by blur pixels), noisy (by up to noise levels each way) and
// passed through JPEG at quality 50.
struct Seen {
    int ink = 0, paper = 255;
    qreal blur = 0;
    int noise = 0;
    qreal tilt = 0; // how far the page's far corners come in, as a share of its width
    int glare = 0;  // light added at glareAt, falling off over glareRadius
    QPoint glareAt;
    qreal glareRadius = 100;
};

QImage photographed(const QImage& page, const Seen& seen) {
    const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    QImage lit(gray.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < gray.height(); ++y)
        for (int x = 0; x < gray.width(); ++x) {
            const int v = seen.ink + (seen.paper - seen.ink) * gray.constScanLine(y)[x] / 255;
            const qreal dx = x - seen.glareAt.x(), dy = y - seen.glareAt.y();
            const qreal shine =
                seen.glare * std::exp(-(dx * dx + dy * dy) / (seen.glareRadius * seen.glareRadius));
            lit.scanLine(y)[x] = uchar(std::min(255.0, v * (1 - 0.3 * x / gray.width()) + shine));
        }
    const qreal w = page.width(), h = page.height(), in = seen.tilt * w;
    QTransform tilt;
    QTransform::quadToQuad(
        QPolygonF(QRectF(0, 0, w, h)),
        QPolygonF({QPointF(in, in / 2), QPointF(w - in, 0), QPointF(w, h), QPointF(0, h - in / 2)}),
        tilt);
    QImage seenPage(page.size(), QImage::Format_Grayscale8);
    seenPage.fill(40);
    {
        QPainter p(&seenPage);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setTransform(tilt);
        p.drawImage(0, 0, lit);
    }
    if (seen.blur > 0) {
        const QSize small = (QSizeF(page.size()) / (1 + seen.blur)).toSize();
        seenPage = seenPage.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .scaled(page.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    quint32 state = 12345; // the same noise on every run
    for (int y = 0; y < seenPage.height() && seen.noise > 0; ++y)
        for (int x = 0; x < seenPage.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int d = int(state >> 24) % (2 * seen.noise + 1) - seen.noise;
            uchar& v = seenPage.scanLine(y)[x];
            v = uchar(std::clamp(v + d, 0, 255));
        }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    seenPage.save(&buffer, "JPG", 50);
    return QImage::fromData(jpeg, "JPG").convertToFormat(QImage::Format_RGB32);
}

// Lines of print to the left of and below where, up to its edge.
void printBeside(QImage& page, const QRect& where) {
    QPainter p(&page);
    p.setPen(Qt::black);
    p.setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 11));
    for (int y = where.top(); y < where.bottom(); y += 24)
        p.drawText(QRect(where.left() - 420, y, 410, 22), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("invoice delivery 2026 order page"));
    for (int y = where.bottom() + 6; y < where.bottom() + 80; y += 24)
        p.drawText(QRect(where.left() - 420, y, 420 + where.width(), 22), Qt::AlignLeft,
                   QStringLiteral("shipment warehouse reference total qty item No."));
}

QByteArray element(const char* type, const QByteArray& text) {
    return QByteArray("<barcode type=\"") + type + "\">" + text + "</barcode>";
}

// A page with a wide Code 128 beside a QR code, each drawn stretched. Asked
// for every symbol at once, Debian's ZXing 1.4 aborts on it (an assertion in
// Result::operator== when a 1-D code is found again on its reduced layer).
QImage pageThatAbortsMultiRead() {
    const QSize size(2592, 1944);
    QImage page(size, QImage::Format_Grayscale8);
    page.fill(255);
    QPainter p(&page);
    p.drawImage(QRect(259, 486, 648, 648), symbol(BarcodeFormat::QRCode, "Left QR", {0, 0}));
    p.drawImage(QRect(1296, 648, 777, 243), symbol(BarcodeFormat::Code128, "RIGHT-128", {0, 0}));
    return page;
}

// How ZXing's multi-symbol read ends on page in a child process: the number
// of symbols, or minus the signal that ended it.
int multiReadInChild(const QImage& page) {
    const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    const pid_t child = fork();
    if (child == 0) {
        // Ends as ZXing makes it end: no test-library handler, no core
        // file, no assertion text in the test's output.
        signal(SIGABRT, SIG_DFL);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0)
            dup2(null, STDERR_FILENO);
        const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                    ZXing::ImageFormat::Lum, int(gray.bytesPerLine()));
        _exit(int(ZXing::ReadBarcodes(view).size()));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return 0;
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

using enginetest::frameSizeOf;
using enginetest::makeSurface;

} // namespace

class TestEngineBarcode : public QObject {
    Q_OBJECT

    void startEngine(int cameras, const QByteArray& pages = {}) {
        QVERIFY(enginetest::restartEngine(cameras, pages));
    }

    // Opens camera at resolution into surface and waits for a frame.
    void openAndWait(int camera, int resolution, QWidget* surface) {
        const QSize size(OrvGetResWidth(camera, resolution), OrvGetResHeight(camera, resolution));
        QCOMPARE(OrvSetDefaultResolution(camera, resolution), 0);
        QCOMPARE(OrvOpenCamera(camera, surface->winId()), 0);
        QTRY_COMPARE_WITH_TIMEOUT(frameSizeOf(camera), size, kPictureTimeout);
    }

    // Shows page through camera 0 from a pages folder, in a frame of the
    // page's own size (one of the camera's resolutions), and reads it
    // through the library.
    QByteArray readThroughLibrary(const QImage& page) {
        const int resolution = page.width() == 2592 ? 0 : 2; // 2592 x 1944 or 1600 x 1200
        QTemporaryDir dir;
        if (!dir.isValid() || !page.save(dir.filePath(QStringLiteral("page.png"))))
            return "(no page)";
        OrvTestShutdown();
        qputenv("ORVANTA_VIRTUAL_CAMERAS", "1");
        qputenv("ORVANTA_VIRTUAL_PAGES", QFile::encodeName(dir.path()));
        if (OrvInit() != 0)
            return "(no engine)";
        auto w = makeSurface();
        OrvSetDefaultResolution(0, resolution);
        OrvOpenCamera(0, w->winId());
        if (!QTest::qWaitFor([&] { return frameSizeOf(0) == page.size(); }, kPictureTimeout))
            return "(no frame)";
        const QByteArray text(OrvReadBarcode(0));
        OrvCloseCamera(0);
        return text;
    }

private slots:
    void cleanup() { OrvTestShutdown(); }

    // ---- Through the library ----

    void documentCodesAreReadInReadingOrder_data() {
        QTest::addColumn<int>("resolution");
        QTest::newRow("1280 x 960") << 3;
        QTest::newRow("2592 x 1944") << 0;
    }
    void documentCodesAreReadInReadingOrder() {
        QFETCH(int, resolution);
        startEngine(1);
        auto w = makeSurface();
        openAndWait(0, resolution, w.get());
        const orv::SceneCodes codes = orv::sceneCodes(0);
        // The QR code stands above the Code 128 on the page.
        const QByteArray expected = element("QRCode", codes.qrText.toUtf8()) +
                                    element("Code128", codes.barcodeText.toUtf8());
        QCOMPARE(QByteArray(OrvReadBarcode(0)), expected);
        // The application reads on a worker thread: the same text there.
        QByteArray fromWorker;
        std::unique_ptr<QThread> worker(
            QThread::create([&fromWorker] { fromWorker = OrvReadBarcode(0); }));
        worker->start();
        QVERIFY(worker->wait(kPictureTimeout));
        QCOMPARE(fromWorker, expected);
    }

    void cardCodeIsRead() {
        startEngine(2);
        auto w = makeSurface();
        openAndWait(1, 3, w.get());
        QCOMPARE(QByteArray(OrvReadBarcode(1)),
                 element("QRCode", orv::sceneCodes(1).qrText.toUtf8()));
    }

    void noCameraOrNoCodeGivesEmptyText() {
        OrvTestShutdown();
        QCOMPARE(OrvReadBarcode(0), ""); // before OrvInit

        startEngine(2);
        QCOMPARE(OrvReadBarcode(0), ""); // closed
        QCOMPARE(OrvReadBarcode(-1), "");
        QCOMPARE(OrvReadBarcode(2), "");

        auto w = makeSurface();
        openAndWait(1, 5, w.get());
        QVERIFY(QByteArray(OrvReadBarcode(1)).startsWith("<barcode type=\"QRCode\">"));
        QCOMPARE(OrvCloseCamera(1), 0);
        QCOMPARE(OrvReadBarcode(1), ""); // closed again: nothing left of the last reading

        // A page without codes, shown from a folder.
        QImage page = whitePage({1600, 1200});
        QPainter(&page).drawText(QRect(100, 100, 800, 200), Qt::AlignLeft,
                                 QStringLiteral("No codes on this page; 这一页没有条码"));
        QCOMPARE(readThroughLibrary(page), QByteArray());
    }

    void pageCodesReachTheApplicationWhole() {
        const QByteArray utf8 = QStringLiteral("条码 Ünïcode ✓ <b>&amp;").toUtf8();
        const QList<Placed> codes{
            {BarcodeFormat::QRCode, utf8.toStdString(), QRect(200, 200, 330, 330)},
            {BarcodeFormat::QRCode, std::string("AB\0CD", 5), QRect(200, 700, 250, 250)},
            {BarcodeFormat::DataMatrix, "Orvanta DataMatrix", QRect(900, 700, 240, 240)},
        };
        const QByteArray text = readThroughLibrary(pageWith({1600, 1200}, codes));
        // UTF-8 bytes as they are, nothing escaped; a NUL byte is left out
        // rather than ending the string early.
        QCOMPARE(text, element("QRCode", utf8) + element("QRCode", "ABCD") +
                           element("DataMatrix", "Orvanta DataMatrix"));
    }

    // Codes whose ECI names their character set, and codes without one as
    // phones and label printers make them: UTF-8, GBK and Latin-1 bytes.
    // None reads as Shift_JIS unless it says so.
    void textsAreReadInTheirCharacterSet() {
        using ZXing::CharacterSet;
        // Bytes as the writer's Latin-1 characters: a code with these bytes and no ECI.
        const auto raw = [](const QByteArray& bytes) {
            return QString::fromLatin1(bytes).toUtf8().toStdString();
        };
        const QByteArray gbk = QByteArray::fromHex("d6d0cec447424bb1e0c2ebb2e2cad4");
        const auto qr = [](std::string text, int column, int row, CharacterSet encoding) {
            return Placed{BarcodeFormat::QRCode, std::move(text),
                          QRect(100 + 500 * column, 120 + 520 * row, 300, 300), encoding};
        };
        const QList<Placed> codes{
            qr(raw(gbk), 0, 0, CharacterSet::Unknown),
            qr(raw(QStringLiteral("中文UTF8编码 ✓").toUtf8()), 1, 0, CharacterSet::Unknown),
            qr(raw("M\xfcller caf\xe9"), 2, 0, CharacterSet::Unknown),
            qr("中文GB18030", 0, 1, CharacterSet::GB18030),
            qr("ECI 条码", 1, 1, CharacterSet::UTF8),
            qr("テスト abc", 2, 1, CharacterSet::Shift_JIS),
        };
        QCOMPARE(readThroughLibrary(pageWith({1600, 1200}, codes)),
                 element("QRCode", "中文GBK编码测试") + element("QRCode", "中文UTF8编码 ✓") +
                     element("QRCode", "Müller café") + element("QRCode", "中文GB18030") +
                     element("QRCode", "ECI 条码") + element("QRCode", "テスト abc"));
    }

    void pageThatAbortsMultiReadIsReadSafely() {
        const QImage page = pageThatAbortsMultiRead();
        const QByteArray expected = element("QRCode", "Left QR") + element("Code128", "RIGHT-128");
        QCOMPARE(orv::barcodeElements(orv::readBarcodes(page)), expected);
        QCOMPARE(orv::barcodeElements(orv::readBarcodes(page, {24, 0})),
                 expected);                           // full size only
        QCOMPARE(readThroughLibrary(page), expected); // shown by a camera

        const int multi = multiReadInChild(page);
        if (multi >= 0)
            QSKIP("this ZXing reads the page whole; the page no longer shows the fault");
        QCOMPARE(multi, -SIGABRT);
    }

    // ---- The reader on pages made here ----

    void everyCodeIsFoundOnce_data() {
        QTest::addColumn<QImage>("page");
        QTest::addColumn<QByteArray>("expected");
        const QList<Placed> grid{
            {BarcodeFormat::QRCode, "Orvanta QR one", QRect(100, 100, 300, 300)},
            {BarcodeFormat::Code128, "ORV-128-TEST", QRect(700, 180, 700, 150)},
            {BarcodeFormat::EAN13, "590123412345", QRect(100, 650, 500, 200)},
            {BarcodeFormat::DataMatrix, "Orvanta DataMatrix", QRect(900, 650, 240, 240)},
        };
        const QByteArray gridText =
            element("QRCode", "Orvanta QR one") + element("Code128", "ORV-128-TEST") +
            element("EAN-13", "5901234123457") + element("DataMatrix", "Orvanta DataMatrix");
        QTest::newRow("grid of four") << pageWith({1600, 1200}, grid) << gridText;
        QTest::newRow("grid of four, turned 6 degrees")
            << pageWith({1600, 1200}, grid, 6) << gridText;
        QTest::newRow("grid of four at 2592 x 1944") << pageWith({2592, 1944}, grid) << gridText;
        // Every symbology, in three rows; the last QR code is too small to
        // be read on the reduced copy.
        QTest::newRow("every symbology at 2592 x 1944")
            << pageWith({2592, 1944},
                        {{BarcodeFormat::QRCode, "Orvanta QR", QRect(150, 150, 300, 300)},
                         {BarcodeFormat::DataMatrix, "Orvanta DM", QRect(700, 170, 260, 260)},
                         {BarcodeFormat::PDF417, "Orvanta PDF417", QRect(1250, 160, 800, 280)},
                         {BarcodeFormat::Code128, "ORV-128", QRect(150, 700, 700, 180)},
                         {BarcodeFormat::Code39, "ORV 39", QRect(1100, 720, 800, 180)},
                         {BarcodeFormat::ITF, "0123456789", QRect(150, 1250, 600, 180)},
                         {BarcodeFormat::EAN13, "590123412345", QRect(1000, 1250, 500, 200)},
                         {BarcodeFormat::QRCode, "tiny", QRect(1800, 1300, 66, 66)}})
            << element("QRCode", "Orvanta QR") + element("DataMatrix", "Orvanta DM") +
                   element("PDF417", "Orvanta PDF417") + element("Code128", "ORV-128") +
                   element("Code39", "ORV 39") + element("ITF", "0123456789") +
                   element("EAN-13", "5901234123457") + element("QRCode", "tiny");
        QTest::newRow("three 1-D codes stacked")
            << pageWith({1600, 1200},
                        {{BarcodeFormat::Code128, "STACK-ONE", QRect(300, 100, 800, 160)},
                         {BarcodeFormat::Code39, "STACK TWO", QRect(300, 400, 900, 160)},
                         {BarcodeFormat::EAN13, "400638133393", QRect(300, 700, 500, 200)}})
            << element("Code128", "STACK-ONE") + element("Code39", "STACK TWO") +
                   element("EAN-13", "4006381333931");
        QTest::newRow("the same code twice")
            << pageWith({1600, 1200}, {{BarcodeFormat::QRCode, "twice", QRect(100, 300, 300, 300)},
                                       {BarcodeFormat::QRCode, "twice", QRect(900, 320, 300, 300)}})
            << element("QRCode", "twice") + element("QRCode", "twice");

        // A Code 128 turned a quarter (bars lying down) beside a QR code.
        QImage page = whitePage({1600, 1200});
        {
            QPainter p(&page);
            const QImage bars = symbol(BarcodeFormat::Code128, "TURNED-128", {700, 150});
            p.drawImage(200, 150, bars.transformed(QTransform().rotate(90)));
            p.drawImage(700, 350, symbol(BarcodeFormat::QRCode, "beside", {300, 300}));
        }
        QTest::newRow("1-D code turned a quarter")
            << page << element("Code128", "TURNED-128") + element("QRCode", "beside");
        QTest::newRow("no codes") << whitePage({2592, 1944}) << QByteArray();
    }
    void everyCodeIsFoundOnce() {
        QFETCH(QImage, page);
        QFETCH(QByteArray, expected);
        // Through a file, as captured pages are.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("page.png"));
        QVERIFY(page.save(path));
        const QImage loaded(path);
        QCOMPARE(orv::barcodeElements(orv::readBarcodes(loaded)), expected);
    }

    // Codes as a camera sees them on a page (photographed()), which the
    // reader once missed: beside print, small, in glare, soft, all in gray
    // ink at JPEG quality 50.
    void photographedCodesAreRead_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("side");
        QTest::addColumn<bool>("print");
        QTest::addColumn<int>("ink");
        QTest::addColumn<qreal>("blur");
        QTest::addColumn<int>("glare");
        const int qr = int(BarcodeFormat::QRCode), dm = int(BarcodeFormat::DataMatrix);
        QTest::newRow("small QR code in gray ink beside print")
            << qr << QByteArray("4xrX6eR0ZTiS") << 66 << true << 100 << 1.0 << 0;
        QTest::newRow("QR code beside print, soft, in glare")
            << qr << QByteArray("uQl5:kR:kJxHNg1VyA-GsCrsHYbqhfP8nMhTMi3F") << 180 << true << 60
            << 3.0 << 150;
        QTest::newRow("Data Matrix beside print in glare")
            << dm << QByteArray("u3DR5nIJ1Tc-D6f0ZyLTs8Io") << 130 << true << 60 << 2.0 << 150;
        QTest::newRow("Data Matrix in gray ink in some glare")
            << dm << QByteArray("u3DR5nIJ1Tc-D6f0ZyLTs8Io") << 130 << false << 100 << 1.0 << 90;
        QTest::newRow("small Data Matrix in gray ink beside print")
            << dm << QByteArray("cw0l79hiDtGvJO0A9cU5nM") << 64 << true << 60 << 1.0 << 0;
        QTest::newRow("small Data Matrix in glare")
            << dm << QByteArray("94jJJrzYZPpm1Gn2N04:HAKN") << 110 << false << 60 << 1.0 << 150;
    }
    void photographedCodesAreRead() {
        QFETCH(int, format);
        QFETCH(QByteArray, text);
        QFETCH(int, side);
        QFETCH(bool, print);
        QFETCH(int, ink);
        QFETCH(qreal, blur);
        QFETCH(int, glare);
        const QRect where(1400, 800, side, side);
        QImage page = pageWith({2592, 1944}, {{BarcodeFormat(format), text.toStdString(), where}});
        if (print)
            printBeside(page, where);
        const Seen seen{
            ink,        210, blur, 6, 0.04, glare, where.center() + QPoint(side / 3, side / 4),
            qreal(side)};
        const QList<orv::FoundCode> codes = orv::readBarcodes(photographed(page, seen));
        QCOMPARE(codes.size(), 1);
        QCOMPARE(codes.first().format, QByteArray(ZXing::ToString(BarcodeFormat(format))));
        QCOMPARE(codes.first().text, text);
    }

    // ITF has no check digit, and a read line that leaves a turned code
    // through its side can decode a part of it as a shorter code. Softened
    // as a camera's picture is, these read parts of the code when nothing
    // checks for the bars going on.
    void turnedItfIsReadWholeOrNotAtAll() {
        const std::string whole = "7701829669";
        struct Case {
            QSize size;
            int turn;
        };
        int read = 0;
        for (const Case& c :
             {Case{{300, 70}, 14}, Case{{400, 40}, 6}, Case{{400, 70}, -14}, Case{{480, 40}, 2},
              Case{{480, 70}, -12}, Case{{480, 70}, -11}, Case{{480, 110}, 4}}) {
            const QImage sharp = pageWith(
                {2592, 1944}, {{BarcodeFormat::ITF, whole, QRect({1000, 800}, c.size)}}, c.turn);
            const QImage page =
                sharp.scaled(sharp.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            for (const orv::FoundCode& code : orv::readBarcodes(page)) {
                QCOMPARE(code.text, QByteArray::fromStdString(whole));
                ++read;
            }
        }
        QVERIFY(read > 0);
    }

    void findsAreBounded() {
        QList<Placed> many;
        for (int i = 0; i < 6; ++i)
            many << Placed{BarcodeFormat::QRCode, "code " + std::to_string(i),
                           QRect(60 + i * 250, 400, 200, 200)};
        const QImage page = pageWith({1600, 1200}, many);
        QCOMPARE(orv::readBarcodes(page).size(), 6);
        // Three finds read three codes; the rest are not looked for.
        QCOMPARE(orv::readBarcodes(page, {3, 0}).size(), 3);
        QCOMPARE(orv::readBarcodes(page, {0, 0}).size(), 0);
        QCOMPARE(orv::readBarcodes(QImage()).size(), 0);
    }

    void readingOrderIsRowsThenColumns() {
        auto code = [](const char* text, QRectF box) {
            return orv::FoundCode{"QRCode", text, QPolygonF(box)};
        };
        QList<orv::FoundCode> codes{
            code("row 2 right", QRectF(800, 520, 100, 100)),
            code("row 1 right, lower", QRectF(600, 140, 80, 40)), // centre within row 1
            code("row 3", QRectF(100, 900, 50, 50)),
            code("row 1 left", QRectF(100, 100, 200, 200)),
            code("row 2 left, higher", QRectF(300, 500, 100, 100)),
            code("row 1 middle", QRectF(400, 120, 50, 50)),
        };
        orv::sortReadingOrder(codes);
        QStringList order;
        for (const orv::FoundCode& c : codes)
            order << QString::fromUtf8(c.text);
        QCOMPARE(order, QStringList({"row 1 left", "row 1 middle", "row 1 right, lower",
                                     "row 2 left, higher", "row 2 right", "row 3"}));
        QCOMPARE(orv::barcodeElements({}), QByteArray());
    }
};

QTEST_MAIN(TestEngineBarcode)
#include "tst_engine_barcode.moc"
