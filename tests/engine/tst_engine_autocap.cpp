// Automatic capture and the watermark through the real camera library: page
// turns of a folder-driven virtual camera, stamped captures and the stamped
// live picture; the page-turn detector itself against noise and a hand.

#include "CameraNoise.h"
#include "EngineTestSupport.h"
#include "PageTurnDetector.h"

#include <QDir>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <atomic>
#include <cstring>

using namespace enginetest;

namespace {

std::atomic<int> g_reports{0};
std::atomic<int> g_reportedCamera{-1};
void onAutoCap(int camera) {
    g_reportedCamera = camera;
    ++g_reports;
}

// A page: a white sheet on a dark desk with blocks of "text" placed by seed.
QImage page(int seed, QSize size = QSize(640, 480)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(60, 50, 40));
    QPainter p(&image);
    const QRect sheet(size.width() / 8, size.height() / 16, size.width() * 3 / 4,
                      size.height() * 7 / 8);
    p.fillRect(sheet, Qt::white);
    QRandomGenerator rng(quint32(seed) + 1);
    for (int line = 0; line < 14; ++line) {
        const int y = sheet.top() + 20 + line * (sheet.height() - 40) / 14;
        int x = sheet.left() + 20;
        while (x < sheet.right() - 40) {
            const int w = 10 + int(rng.bounded(60));
            p.fillRect(QRect(x, y, w, 12), Qt::black);
            x += w + 8 + int(rng.bounded(12));
        }
    }
    return image;
}

QImage withHand(const QImage& frame, QPoint at) {
    QImage out = frame.copy();
    QPainter p(&out);
    p.setBrush(QColor(200, 150, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRect(at, QSize(160, 110)));
    p.drawRect(QRect(at + QPoint(40, 80), QSize(90, 400)));
    return out;
}

QImage readPicture(const QString& path) {
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels that differ between two pictures of a size.
QRect differingArea(const QImage& a, const QImage& b, int* count) {
    QRect area;
    *count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                area |= QRect(x, y, 1, 1);
                ++*count;
            }
    return area;
}

} // namespace

class TestEngineAutoCap : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QWidget> m_surface;

    QString pagesFolder() const { return m_dir.filePath(QStringLiteral("pages")); }
    QByteArray out(const char* name) const {
        return m_dir.filePath(QString::fromLatin1(name)).toLocal8Bit();
    }

    // Camera 0 shows the pictures of the pages folder at 640 x 480.
    bool openFolderCamera(int pages) {
        QDir(pagesFolder()).removeRecursively();
        QDir().mkpath(pagesFolder());
        for (int i = 0; i < pages; ++i)
            if (!page(i).save(QStringLiteral("%1/page%2.png").arg(pagesFolder()).arg(i)))
                return false;
        if (!restartEngine(1, pagesFolder().toLocal8Bit()))
            return false;
        m_surface = makeSurface(QSize(640, 480));
        const int smallest = OrvGetResCount(0) - 1;
        if (OrvSetDefaultResolution(0, smallest) != 0 || OrvOpenCamera(0, m_surface->winId()) != 0)
            return false;
        return QTest::qWaitFor([] { return frameSizeOf(0) == QSize(640, 480); }, 5000);
    }

private slots:
    void cleanup() {
        OrvTestShutdown();
        m_surface.reset();
    }

    // ---- The detector, frame by frame at 15 frames a second ----

    void stillNoisyPageAndSteadyHandNeverTrigger() {
        orv::PageTurnDetector detector;
        QRandomGenerator rng(7);
        const QImage sheet = page(1);
        int reports = 0;
        qint64 ms = 0;
        for (int i = 0; i < 150; ++i, ms += 66)
            reports += detector.feedFrame(noisy(sheet, 12, rng), ms);
        QCOMPARE(detector.state(), orv::PageTurnDetector::State::Watching);
        // A hand resting on the page before the detector knew it is part of
        // the page; its tremor of a pixel or two is no turn.
        for (int i = 0; i < 150; ++i, ms += 66)
            reports += detector.feedFrame(
                noisy(withHand(sheet, QPoint(300 + (i % 3), 200 + (i % 2))), 12, rng), ms);
        QCOMPARE(reports, 0);
    }

    void aTurnReportsOnceAndAHandPassingByNever() {
        orv::PageTurnDetector detector;
        QRandomGenerator rng(3);
        const QImage first = page(1), second = page(2);
        int reports = 0;
        qint64 ms = 0;
        auto feed = [&](const QImage& frame, int frames) {
            for (int i = 0; i < frames; ++i, ms += 66)
                reports += detector.feedFrame(noisy(frame, 6, rng), ms);
        };
        feed(first, 15);
        // A hand sweeps across and leaves: the same page, no report.
        for (int x = -160; x < 640; x += 80)
            feed(withHand(first, QPoint(x, 150)), 1);
        feed(first, 30);
        QCOMPARE(reports, 0);
        // The page is turned by a hand, then lies still: one report, only
        // after it has lain still for a while.
        for (int x = 640; x > -160; x -= 80)
            feed(withHand(second, QPoint(x, 150)), 1);
        feed(second, 5);
        QCOMPARE(reports, 0);
        feed(second, 60);
        QCOMPARE(reports, 1);
        // A change of exposure is no turn.
        QImage brighter = second.copy();
        for (int y = 0; y < brighter.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(brighter.scanLine(y));
            for (int x = 0; x < brighter.width(); ++x)
                line[x] = qRgb(qMin(255, qRed(line[x]) + 20), qMin(255, qGreen(line[x]) + 20),
                               qMin(255, qBlue(line[x]) + 20));
        }
        feed(brighter, 60);
        QCOMPARE(reports, 1);
    }

    // ---- Through the library ----

    void turnedPagesOfAVirtualCameraCallBackOnceEach() {
        QVERIFY(openFolderCamera(3));
        QCOMPARE(OrvTestTurnPage(0), 0); // pages turn only by the hook from now on
        g_reports = 0;
        QCOMPARE(OrvSetAutoCapCB(0, &onAutoCap), 0);
        QCOMPARE(OrvSetAutoCap(0, true), 0);
        QTest::qWait(1200); // the first page is learnt, not reported
        QCOMPARE(g_reports.load(), 0);
        for (int turn = 1; turn <= 3; ++turn) {
            QCOMPARE(OrvTestTurnPage(0), 0);
            QTRY_COMPARE_WITH_TIMEOUT(g_reports.load(), turn, 3000);
            QTest::qWait(900); // still: nothing more
            QCOMPARE(g_reports.load(), turn);
        }
        QCOMPARE(g_reportedCamera.load(), 0);
        // Off: turns go unreported.
        QCOMPARE(OrvSetAutoCap(0, false), 0);
        QCOMPARE(OrvTestTurnPage(0), 0);
        QTest::qWait(1200);
        QCOMPARE(g_reports.load(), 3);
        QCOMPARE(OrvSetAutoCap(5, true), -1);
        QCOMPARE(OrvTestTurnPage(5), -1);
    }

    void aStampedCaptureDiffersOnlyWhereTheWatermarkIs() {
        QVERIFY(openFolderCamera(1));
        QCOMPARE(OrvCapture(0, out("plain.png").constData()), 1);
        _WATERMARKPARAM param;
        std::memset(&param, 0, sizeof param);
        std::strcpy(param.text, "Orvanta 水印");
        std::strcpy(param.fontName, "DejaVu Sans");
        param.fontSize = 72;
        param.red = 255;
        param.opacity = 200;
        param.fixedPosition = 1;
        param.position = 2; // right-bottom
        const QImage before = grab(m_surface.get());
        QCOMPARE(OrvAddWaterMark(0, 2, &param), 0);
        QCOMPARE(OrvCapture(0, out("stamped.png").constData()), 1);
        const QImage plain = readPicture(QString::fromLocal8Bit(out("plain.png")));
        const QImage stamped = readPicture(QString::fromLocal8Bit(out("stamped.png")));
        QCOMPARE(stamped.size(), plain.size());
        int changed = 0;
        const QRect area = differingArea(plain, stamped, &changed);
        QVERIFY2(changed > 500, qPrintable(QString::number(changed)));
        // Right-bottom, inside a margin of 2 % of 480 (at least 9 pixels).
        QVERIFY2(area.left() > 320 && area.top() > 380, qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                       .arg(area.x())
                                                                       .arg(area.y())
                                                                       .arg(area.width())
                                                                       .arg(area.height())));
        QVERIFY(area.right() <= 640 - 9 && area.bottom() <= 480 - 9);
        // The live picture shows it too, in the same corner.
        QTRY_VERIFY_WITH_TIMEOUT(grab(m_surface.get()) != before, 3000);
        int shownChanged = 0;
        const QRect shown = differingArea(before, grab(m_surface.get()), &shownChanged);
        QVERIFY(shown.left() > 320 && shown.top() > 380);

        // Mode 5 adds a line: the stamp grows upwards from the bottom margin.
        QCOMPARE(OrvAddWaterMark(0, 5, &param), 0);
        QCOMPARE(OrvCapture(0, out("timed.png").constData()), 1);
        int timedChanged = 0;
        const QRect timed = differingArea(
            plain, readPicture(QString::fromLocal8Bit(out("timed.png"))), &timedChanged);
        QVERIFY(timed.top() < area.top() - 20);

        // Offset placing at 50 % / 25 % of the frame; cleared, nothing is stamped.
        param.fixedPosition = 0;
        param.position = 0;
        param.x = 320;
        param.y = 120;
        QCOMPARE(OrvAddWaterMark(0, 2, &param), 0);
        QCOMPARE(OrvCapture(0, out("offset.png").constData()), 1);
        int offsetChanged = 0;
        const QRect offset = differingArea(
            plain, readPicture(QString::fromLocal8Bit(out("offset.png"))), &offsetChanged);
        QVERIFY2(qAbs(offset.left() - 320) < 12 && qAbs(offset.top() - 120) < 30,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        QCOMPARE(OrvClearWatermark(0), 0);
        QCOMPARE(OrvCapture(0, out("cleared.png").constData()), 1);
        QCOMPARE(readPicture(QString::fromLocal8Bit(out("cleared.png"))), plain);
        QCOMPARE(OrvAddWaterMark(0, 2, nullptr), -1);
        QCOMPARE(OrvClearWatermark(7), -1);
    }
};

QTEST_MAIN(TestEngineAutoCap)
#include "tst_engine_autocap.moc"
