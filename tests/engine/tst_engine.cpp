// The camera engine through the real liborvcore: virtual cameras, the live
// picture in widgets, resolutions, device changes. The geometry, scaling and
// scene helpers are also compiled in and tested directly.

#include "FrameScaler.h"
#include "SceneRenderer.h"
#include "ViewGeometry.h"

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include "EngineTestSupport.h"

#define ZX_USE_UTF8
#include <ZXing/DecodeHints.h>
#include <ZXing/ReadBarcode.h>

#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using enginetest::frameSizeOf;
using enginetest::grab;
using enginetest::kOwnBackground;
using enginetest::makeSurface;

struct Stats {
    double mean = 0;
    double deviation = 0;
};

Stats luminance(const QImage& image, const QRect& area) {
    double sum = 0, sumSq = 0;
    qint64 n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const double v = qGray(image.pixel(x, y));
            sum += v;
            sumSq += v * v;
            ++n;
        }
    if (n == 0)
        return {};
    const double mean = sum / n;
    return {mean, std::sqrt(std::max(0.0, sumSq / n - mean * mean))};
}

bool allPixels(const QImage& image, const QRect& area, QRgb colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xffffff) != (colour & 0xffffff))
                return false;
    return true;
}

QRect pictureArea(QWidget* w, QSize frameSize) {
    return orv::fitRect(frameSize, w->size());
}

// The widget shows a camera picture of frameSize: black letterbox outside the
// fitted area, a picture with real content inside.
bool showsPicture(QWidget* w, QSize frameSize) {
    const QImage image = grab(w);
    const QRect area = pictureArea(w, frameSize);
    for (const QRect& strip : QRegion(w->rect()).subtracted(area))
        if (!allPixels(image, strip, qRgb(0, 0, 0)))
            return false;
    return luminance(image, area).deviation > 12;
}

bool showsOwnBackground(QWidget* w) {
    const QImage image = grab(w);
    return allPixels(image, image.rect(), kOwnBackground.rgb());
}

// A coarse thumbnail: tells scenes apart, and barely notices the clock.
QImage signature(const QImage& image) {
    return image.scaled(16, 12, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

double difference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

QSize viewSizeOf(int cam) {
    int w = 0, h = 0;
    return OrvTestGetViewFrameSize(cam, &w, &h) == 0 ? QSize(w, h) : QSize();
}

QRect videoRectOf(int cam) {
    int l = -7, t = -7, r = -7, b = -7;
    if (OrvGetVideoRectEx(cam, &l, &t, &r, &b) != 0)
        return {};
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

QString decode(const QImage& image, ZXing::BarcodeFormat format) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                ZXing::ImageFormat::Lum, int(gray.bytesPerLine()));
    const ZXing::Result result =
        ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(format).setTryHarder(true));
    return result.isValid() ? QString::fromStdString(result.text()) : QString();
}

QList<int> g_deviceEvents;
void recordDeviceEvent(int event) {
    g_deviceEvents << event;
}

constexpr int k640 = 5; // resolution index of 640x480, quick to render
constexpr int kPictureTimeout = 20000;

} // namespace

class TestEngine : public QObject {
    Q_OBJECT

    // Restarts the library with n virtual cameras (and a pages folder).
    void startEngine(int cameras, const QByteArray& pages = {}) {
        QVERIFY(enginetest::restartEngine(cameras, pages));
    }

private slots:
    void cleanup() {
        OrvTestShutdown();
        g_deviceEvents.clear();
    }

    // ---- Geometry, scaling and scenes, tested directly ----

    void fitRectKeepsAspectAndCentres_data() {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("same aspect") << QSize(640, 480) << QSize(800, 600) << QRect(0, 0, 800, 600);
        QTest::newRow("wide window")
            << QSize(640, 480) << QSize(800, 400) << QRect(133, 0, 533, 400);
        QTest::newRow("tall window")
            << QSize(640, 480) << QSize(400, 600) << QRect(0, 150, 400, 300);
        QTest::newRow("odd sizes")
            << QSize(2592, 1944) << QSize(701, 333) << QRect(128, 0, 444, 333);
        QTest::newRow("enlarged") << QSize(640, 480) << QSize(1920, 1080)
                                  << QRect(240, 0, 1440, 1080);
        QTest::newRow("16:9 in 4:3")
            << QSize(1280, 720) << QSize(640, 480) << QRect(0, 60, 640, 360);
        QTest::newRow("thin strip") << QSize(1000, 10) << QSize(100, 100) << QRect(0, 49, 100, 1);
        QTest::newRow("thinner than a pixel")
            << QSize(4000, 10) << QSize(100, 100) << QRect(0, 49, 100, 1);
        QTest::newRow("tiny window") << QSize(3, 3) << QSize(4, 4) << QRect(0, 0, 4, 4);
        QTest::newRow("no frame") << QSize() << QSize(100, 100) << QRect();
        QTest::newRow("no window") << QSize(640, 480) << QSize(0, 100) << QRect();
    }
    void fitRectKeepsAspectAndCentres() {
        QFETCH(QSize, frame);
        QFETCH(QSize, window);
        QFETCH(QRect, expected);
        QCOMPARE(orv::fitRect(frame, window), expected);
    }

    void halvingAveragesEachChannel() {
        QImage image(5, 2, QImage::Format_RGB32); // the odd last column is dropped
        const QRgb block1[4] = {qRgb(0, 10, 255), qRgb(4, 20, 255), qRgb(8, 30, 0),
                                qRgb(12, 41, 1)};
        const QRgb block2[4] = {qRgb(255, 255, 255), qRgb(255, 255, 253), qRgb(255, 0, 255),
                                qRgb(254, 0, 255)};
        for (int i = 0; i < 4; ++i) {
            image.setPixel(i % 2, i / 2, block1[i]);
            image.setPixel(2 + i % 2, i / 2, block2[i]);
        }
        image.setPixel(4, 0, qRgb(1, 2, 3));
        image.setPixel(4, 1, qRgb(1, 2, 3));
        const QImage half = orv::halveImage(image);
        QCOMPARE(half.size(), QSize(2, 1));
        QCOMPARE(half.pixel(0, 0) & 0xffffff, qRgb(6, 25, 128) & 0xffffff);
        QCOMPARE(half.pixel(1, 0) & 0xffffff, qRgb(255, 128, 255) & 0xffffff);
    }

    void halvingKeepsPremultipliedAlpha() {
        QImage image(2, 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(qRgba(100, 50, 0, 200));
        image.setPixel(1, 1, qRgba(0, 0, 0, 0));
        const QImage half = orv::halveImage(image);
        QCOMPARE(qAlpha(half.pixel(0, 0)), 150);
        QCOMPARE(qRed(half.pixel(0, 0)), 75);
    }

    void viewScalingHitsTheTargetSize_data() {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("target");
        QTest::newRow("2592 to 667") << QSize(2592, 1944) << QSize(667, 500);
        QTest::newRow("exact halves") << QSize(2048, 1536) << QSize(512, 384);
        QTest::newRow("just below half") << QSize(1280, 960) << QSize(641, 481);
        QTest::newRow("enlarge") << QSize(640, 480) << QSize(1000, 750);
        QTest::newRow("same") << QSize(640, 480) << QSize(640, 480);
        QTest::newRow("one pixel") << QSize(640, 480) << QSize(1, 1);
    }
    void viewScalingHitsTheTargetSize() {
        QFETCH(QSize, frame);
        QFETCH(QSize, target);
        QImage image(frame, QImage::Format_RGB32);
        image.fill(qRgb(200, 120, 40));
        const QImage scaled = orv::scaleForView(image, target);
        QCOMPARE(scaled.size(), target);
        // A uniform picture stays the same colour at any size.
        for (const QPoint& p : {QPoint(0, 0), QPoint(target.width() - 1, target.height() - 1),
                                QPoint(target.width() / 2, target.height() / 2)})
            QCOMPARE(scaled.pixel(p) & 0xffffff, qRgb(200, 120, 40) & 0xffffff);
    }

    // A mild reduction is a bilinear blend of the 2 x 2 pixels around each
    // output pixel's centre, in every channel, to within the rounding.
    void viewReductionBlendsTheNeighbours() {
        QImage image(97, 61, QImage::Format_ARGB32_Premultiplied);
        quint32 seed = 7;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int a = int(seed >> 24);
                image.setPixel(x, y,
                               qRgba(int(seed >> 8) % (a + 1), int(seed >> 16) % (a + 1),
                                     int(seed) % (a + 1), a));
            }
        const QSize target(67, 43);
        const QImage scaled = orv::scaleForView(image, target);
        QCOMPARE(scaled.size(), target);
        auto at = [](int i, int from, int to) {
            return std::clamp((i + 0.5) * from / to - 0.5, 0.0, double(from - 1));
        };
        for (int y = 0; y < target.height(); ++y)
            for (int x = 0; x < target.width(); ++x) {
                const double fx = at(x, image.width(), target.width());
                const double fy = at(y, image.height(), target.height());
                const int x0 = std::min(int(fx), image.width() - 2);
                const int y0 = std::min(int(fy), image.height() - 2);
                const QRgb got = scaled.pixel(x, y);
                for (int shift : {0, 8, 16, 24}) {
                    auto c = [&](int px, int py) {
                        return double((image.pixel(px, py) >> shift) & 255);
                    };
                    const double top = c(x0, y0) + (c(x0 + 1, y0) - c(x0, y0)) * (fx - x0);
                    const double bottom =
                        c(x0, y0 + 1) + (c(x0 + 1, y0 + 1) - c(x0, y0 + 1)) * (fx - x0);
                    const double want = top + (bottom - top) * (fy - y0);
                    QVERIFY2(std::abs(double((got >> shift) & 255) - want) < 3.0,
                             qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                }
            }
    }

    void viewScalingConvertsOtherFormats() {
        QImage image(400, 300, QImage::Format_RGB888);
        image.fill(QColor(10, 200, 30));
        const QImage scaled = orv::scaleForView(image, QSize(100, 75));
        QCOMPARE(scaled.size(), QSize(100, 75));
        QCOMPARE(scaled.pixel(50, 40) & 0xffffff, qRgb(10, 200, 30) & 0xffffff);
    }

    void sceneCodesDecode_data() {
        QTest::addColumn<int>("camera");
        QTest::addColumn<QSize>("size");
        QTest::newRow("document 1280") << 0 << QSize(1280, 960);
        QTest::newRow("document 2592") << 0 << QSize(2592, 1944);
        QTest::newRow("card 1280") << 1 << QSize(1280, 960);
        QTest::newRow("third camera") << 2 << QSize(1600, 1200);
    }
    void sceneCodesDecode() {
        QFETCH(int, camera);
        QFETCH(QSize, size);
        const QImage scene = orv::renderScene(camera, size);
        QCOMPARE(scene.size(), size);
        const orv::SceneCodes codes = orv::sceneCodes(camera);
        QCOMPARE(decode(scene, ZXing::BarcodeFormat::QRCode), codes.qrText);
        if (!codes.barcodeText.isEmpty())
            QCOMPARE(decode(scene, ZXing::BarcodeFormat::Code128), codes.barcodeText);
    }

    void scenesOfCamerasDiffer() {
        const QSize size(640, 480);
        const QImage doc1 = orv::renderScene(0, size), card = orv::renderScene(1, size),
                     doc2 = orv::renderScene(2, size);
        QVERIFY(difference(signature(doc1), signature(card)) > 30);
        QVERIFY(doc1 != doc2); // the camera number is printed on the page
        QVERIFY(luminance(doc1, doc1.rect()).deviation > 20);
    }

    void clockChangesOnlyTheDeskCorner() {
        const QImage scene = orv::renderScene(0, QSize(1024, 768));
        QImage a = scene, b = scene;
        orv::paintClock(a, QTime(10, 20, 30));
        orv::paintClock(b, QTime(10, 20, 31));
        QVERIFY(a != b);
        QVERIFY(a != scene);
        const QRect rest(0, 0, 1024, 600); // above the clock
        QCOMPARE(a.copy(rest), scene.copy(rest));
        QCOMPARE(b.copy(rest), scene.copy(rest));
    }

    // ---- Devices and resolutions ----

    void cameraListFollowsEnvironment_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("count");
        QTest::newRow("unset") << QByteArray() << 0;
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("one") << QByteArray("1") << 1;
        QTest::newRow("three") << QByteArray("3") << 3;
        QTest::newRow("not a number") << QByteArray("two") << 0;
        QTest::newRow("negative") << QByteArray("-2") << 0;
    }
    void cameraListFollowsEnvironment() {
        QFETCH(QByteArray, value);
        QFETCH(int, count);
        OrvTestShutdown();
        if (value.isNull())
            qunsetenv("ORVANTA_VIRTUAL_CAMERAS");
        else
            qputenv("ORVANTA_VIRTUAL_CAMERAS", value);
        QCOMPARE(OrvInit(), 0);
        QCOMPARE(OrvGetCameraCount(), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(QString::fromUtf8(OrvGetDevName(i)),
                     QStringLiteral("Orvanta Virtual Camera %1").arg(i + 1));
        QCOMPARE(OrvGetDevName(count), "");
        QCOMPARE(OrvInit(), 0); // a second call keeps what is there
        QCOMPARE(OrvGetCameraCount(), count);
    }

    void callsBeforeInitFail() {
        OrvTestShutdown();
        auto w = makeSurface({320, 240});
        QCOMPARE(OrvGetCameraCount(), -1);
        QCOMPARE(OrvGetDevName(0), "");
        QCOMPARE(OrvOpenCamera(0, w->winId()), -1);
        QCOMPARE(OrvGetResCount(0), -1);
        QCOMPARE(OrvSetDeviceChangeCB(recordDeviceEvent), -1);
        QCOMPARE(OrvGetMaxZoomRatio(0), 0.0f);
        QVERIFY(showsOwnBackground(w.get()));
    }

    void resolutionsAreListedLargestFirst() {
        startEngine(2);
        const QList<QSize> expected{{2592, 1944}, {2048, 1536}, {1600, 1200},
                                    {1280, 960},  {1024, 768},  {640, 480}};
        for (int cam = 0; cam < 2; ++cam) {
            QCOMPARE(OrvGetResCount(cam), int(expected.size()));
            for (int r = 0; r < expected.size(); ++r)
                QCOMPARE(QSize(OrvGetResWidth(cam, r), OrvGetResHeight(cam, r)), expected[r]);
            QCOMPARE(OrvGetResWidth(cam, 6), -1);
            QCOMPARE(OrvGetResHeight(cam, -1), -1);
            QCOMPARE(OrvGetMinZoomRatio(cam), 1.0f);
            QCOMPARE(OrvGetMaxZoomRatio(cam), 8.0f);
        }
        QCOMPARE(OrvGetResCount(2), -1);
    }

    void badArgumentsChangeNothing() {
        startEngine(2);
        auto w = makeSurface({320, 240});
        auto gone = std::make_unique<QWidget>();
        const WId goneId = gone->winId();
        gone.reset();

        QCOMPARE(OrvOpenCamera(-1, w->winId()), -1);
        QCOMPARE(OrvOpenCamera(2, w->winId()), -1);
        QCOMPARE(OrvOpenCamera(0, 0), -1);
        QCOMPARE(OrvOpenCamera(0, goneId), -1);
        QCOMPARE(OrvCloseCamera(0), -1); // never opened
        QCOMPARE(OrvSetHwnd(0, w->winId()), -1);
        QCOMPARE(OrvUpdateVideo(0), -1);
        QCOMPARE(OrvSetResolution(0, 1), -1);
        QCOMPARE(OrvSetDefaultResolution(0, 6), -1);
        QCOMPARE(OrvSetDefaultResolution(-1, 0), -1);
        QCOMPARE(OrvGetVideoRect(0), "");
        QCOMPARE(OrvGetMinZoomRatio(5), 0.0f);
        QCOMPARE(OrvGetDevName(-1), "");
        QVERIFY(showsOwnBackground(w.get()));

        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_COMPARE_WITH_TIMEOUT(frameSizeOf(0), QSize(640, 480), kPictureTimeout);
        QCOMPARE(OrvSetHwnd(0, goneId), -1);
        QCOMPARE(OrvSetHwnd(0, 0), -1);
        QCOMPARE(OrvSetResolution(0, 6), -1);
        QCOMPARE(OrvSetResolution(0, -1), -1);
        int l = -7, t = -7, r = -7, b = -7;
        QCOMPARE(OrvGetVideoRectEx(0, nullptr, &t, &r, &b), -1);
        QCOMPARE(OrvGetVideoRectEx(1, &l, &t, &r, &b), -1); // closed
        QCOMPARE(QList<int>({l, t, r, b}), QList<int>({-7, -7, -7, -7}));
        QVERIFY(videoRectOf(0).isValid()); // still drawing into w
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(w.get(), {640, 480}), kPictureTimeout);
        QCOMPARE(frameSizeOf(0), QSize(640, 480));
    }

    void resolutionChangesFrameSize() {
        startEngine(1);
        auto w = makeSurface({400, 300});
        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_COMPARE_WITH_TIMEOUT(frameSizeOf(0), QSize(640, 480), kPictureTimeout);

        QCOMPARE(OrvSetResolution(0, 3), 0);
        QTRY_COMPARE_WITH_TIMEOUT(frameSizeOf(0), QSize(1280, 960), kPictureTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(w.get(), {1280, 960}), kPictureTimeout);

        // The default is for later opens, not for the running stream.
        QCOMPARE(OrvSetDefaultResolution(0, 4), 0);
        QCOMPARE(OrvCloseCamera(0), 0);
        QCOMPARE(frameSizeOf(0), QSize());
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_COMPARE_WITH_TIMEOUT(frameSizeOf(0), QSize(1024, 768), kPictureTimeout);
    }

    void deviceChangesReachTheCallback() {
        startEngine(1);
        QCOMPARE(OrvSetDeviceChangeCB(recordDeviceEvent), 0);
        OrvTestSetVirtualCameraCount(3);
        QCOMPARE(g_deviceEvents, QList<int>({ORV_DEVICE_ARRIVAL, ORV_DEVICE_ARRIVAL}));
        QCOMPARE(OrvGetCameraCount(), 3);
        QCOMPARE(QString::fromUtf8(OrvGetDevName(2)), QStringLiteral("Orvanta Virtual Camera 3"));

        // Removing a streaming camera closes it first.
        auto w = makeSurface({320, 240});
        QCOMPARE(OrvSetDefaultResolution(2, k640), 0);
        QCOMPARE(OrvOpenCamera(2, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(w.get(), {640, 480}), kPictureTimeout);
        g_deviceEvents.clear();
        OrvTestSetVirtualCameraCount(1);
        QCOMPARE(g_deviceEvents,
                 QList<int>({ORV_DEVICE_REMOVE_COMPLETE, ORV_DEVICE_REMOVE_COMPLETE}));
        QCOMPARE(OrvGetCameraCount(), 1);
        QCOMPARE(OrvGetDevName(2), "");
        QCOMPARE(OrvCloseCamera(2), -1);
        QTRY_VERIFY(showsOwnBackground(w.get()));

        QCOMPARE(OrvSetDeviceChangeCB(nullptr), 0);
        g_deviceEvents.clear();
        OrvTestSetVirtualCameraCount(2);
        QCOMPARE(OrvGetCameraCount(), 2);
        QVERIFY(g_deviceEvents.isEmpty());
    }

    // ---- The live picture ----

    void openCameraShowsLetterboxedPicture_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<QSize>("window");
        QTest::newRow("full size, wide window") << 0 << QSize(700, 500);
        QTest::newRow("640, tall window") << k640 << QSize(300, 500);
        QTest::newRow("640, enlarged") << k640 << QSize(1000, 600);
    }
    void openCameraShowsLetterboxedPicture() {
        QFETCH(int, resolution);
        QFETCH(QSize, window);
        startEngine(1);
        auto w = makeSurface(window);
        const QSize frame(OrvGetResWidth(0, resolution), OrvGetResHeight(0, resolution));
        QCOMPARE(OrvSetDefaultResolution(0, resolution), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(w.get(), frame), kPictureTimeout);
        // The picture was scaled for the window, not left to the painter.
        QTRY_COMPARE_WITH_TIMEOUT(viewSizeOf(0), pictureArea(w.get(), frame).size(),
                                  kPictureTimeout);
        QCOMPARE(frameSizeOf(0), frame);
        QCOMPARE(OrvUpdateVideo(0), 0);
    }

    void videoRectFollowsWindowGeometry_data() {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QByteArray>("rect");
        QTest::newRow("same aspect") << QSize(800, 600) << QByteArray("0.0.800.600");
        QTest::newRow("wide") << QSize(800, 400) << QByteArray("133.0.666.400");
        QTest::newRow("tall") << QSize(400, 600) << QByteArray("0.150.400.450");
        QTest::newRow("odd") << QSize(701, 333) << QByteArray("128.0.572.333");
    }
    void videoRectFollowsWindowGeometry() {
        QFETCH(QSize, window);
        QFETCH(QByteArray, rect);
        startEngine(1);
        auto w = makeSurface({320, 240});
        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        w->resize(window);
        QCOMPARE(QByteArray(OrvGetVideoRect(0)), rect);
        int l = 0, t = 0, r = 0, b = 0;
        QCOMPARE(OrvGetVideoRectEx(0, &l, &t, &r, &b), 0);
        QCOMPARE(QByteArray::number(l) + '.' + QByteArray::number(t) + '.' + QByteArray::number(r) +
                     '.' + QByteArray::number(b),
                 rect);
        // What is painted agrees with what is reported.
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(w.get(), {640, 480}), kPictureTimeout);
        QCOMPARE(videoRectOf(0), pictureArea(w.get(), {640, 480}));
    }

    void twoCamerasShowDifferentPictures() {
        startEngine(2);
        auto a = makeSurface({400, 300});
        auto b = makeSurface({400, 300});
        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvSetDefaultResolution(1, k640), 0);
        QCOMPARE(OrvOpenCamera(0, a->winId()), 0);
        QCOMPARE(OrvOpenCamera(1, b->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(a.get(), {640, 480}), kPictureTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(b.get(), {640, 480}), kPictureTimeout);
        QVERIFY(difference(signature(grab(a.get())), signature(grab(b.get()))) > 30);
    }

    void setHwndMovesThePicture() {
        startEngine(2);
        auto a = makeSurface({400, 300});
        auto b = makeSurface({500, 300});
        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvSetDefaultResolution(1, k640), 0);
        QCOMPARE(OrvOpenCamera(0, a->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(a.get(), {640, 480}), kPictureTimeout);
        const QImage camera0 = signature(grab(a.get()));

        QCOMPARE(OrvSetHwnd(0, b->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(b.get(), {640, 480}), kPictureTimeout);
        QTRY_VERIFY(showsOwnBackground(a.get()));
        QCOMPARE(videoRectOf(0), QRect(50, 0, 400, 300));

        // Camera 1 takes b from camera 0: only camera 1 paints it now.
        QCOMPARE(OrvOpenCamera(1, a->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(a.get(), {640, 480}), kPictureTimeout);
        const QImage camera1 = signature(grab(a.get()));
        QVERIFY(difference(camera0, camera1) > 30);
        QCOMPARE(OrvSetHwnd(1, b->winId()), 0);
        QCOMPARE(videoRectOf(0), QRect());
        QCOMPARE(OrvUpdateVideo(0), -1);
        QTRY_VERIFY(showsOwnBackground(a.get()));
        const QRect inB = pictureArea(b.get(), {640, 480});
        QTRY_VERIFY_WITH_TIMEOUT(difference(signature(grab(b.get()).copy(inB)), camera1) < 10,
                                 kPictureTimeout);

        // Camera 0 still streams and can be given a window again.
        QCOMPARE(OrvSetHwnd(0, a->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(a.get(), {640, 480}), kPictureTimeout);
        QVERIFY(difference(signature(grab(a.get())), camera0) < 10);
    }

    void pictureFollowsWindowResize() {
        startEngine(1);
        auto w = makeSurface({400, 300});
        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_COMPARE_WITH_TIMEOUT(viewSizeOf(0), QSize(400, 300), kPictureTimeout);
        w->resize(300, 500);
        QTRY_COMPARE_WITH_TIMEOUT(viewSizeOf(0), QSize(300, 225), kPictureTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(w.get(), {640, 480}), kPictureTimeout);
    }

    void closingStopsTheStream() {
        startEngine(2);
        auto a = makeSurface({320, 240});
        auto b = makeSurface({320, 240});
        QCOMPARE(OrvSetDefaultResolution(1, k640), 0);
        // Closing at once, while the first full-size scene is still being drawn.
        QCOMPARE(OrvOpenCamera(0, a->winId()), 0);
        QCOMPARE(OrvCloseCamera(0), 0);
        QVERIFY(showsOwnBackground(a.get()));

        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvOpenCamera(0, a->winId()), 0);
        QCOMPARE(OrvOpenCamera(1, b->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(a.get(), {640, 480}), kPictureTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(b.get(), {640, 480}), kPictureTimeout);
        QCOMPARE(OrvCloseCamera(0), 0);
        QCOMPARE(OrvCloseCamera(1), 0);
        QCOMPARE(OrvCloseCamera(1), -1);
        QVERIFY(showsOwnBackground(a.get()));
        QVERIFY(showsOwnBackground(b.get()));
        QCOMPARE(frameSizeOf(0), QSize());
        // Frames queued before the close paint nothing afterwards.
        QTest::qWait(200);
        QVERIFY(showsOwnBackground(a.get()));

        QCOMPARE(OrvOpenCamera(1, a->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(a.get(), {640, 480}), kPictureTimeout);
    }

    void destroyedWindowIsForgotten() {
        startEngine(1);
        auto w = makeSurface({320, 240});
        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(w.get(), {640, 480}), kPictureTimeout);
        const WId oldId = w->winId();
        w.reset();
        QTest::qWait(200); // frames keep coming with nowhere to go
        QCOMPARE(videoRectOf(0), QRect());
        QCOMPARE(OrvUpdateVideo(0), -1);
        QCOMPARE(OrvSetHwnd(0, oldId), -1);

        auto next = makeSurface({320, 240});
        QCOMPARE(OrvSetHwnd(0, next->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(next.get(), {640, 480}), kPictureTimeout);
    }

    void childWindowOfAFormIsPainted() {
        startEngine(1);
        auto form = makeSurface({600, 400});
        auto* preview = new QWidget(form.get());
        preview->setGeometry(100, 50, 400, 200);
        preview->show();
        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvOpenCamera(0, preview->winId()), 0);
        QCOMPARE(videoRectOf(0), QRect(66, 0, 267, 200));
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(preview, {640, 480}), kPictureTimeout);
        // The form around it keeps its own look.
        const QImage around = grab(form.get());
        QVERIFY(allPixels(around, QRect(0, 0, 600, 50), kOwnBackground.rgb()));
    }

    // ---- Pictures from a folder ----

    void folderPicturesAreShownInTurn() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto write = [&](const QString& name, const QColor& colour) {
            QImage page(300, 300, QImage::Format_RGB32); // square: fitted with side bars
            page.fill(colour);
            QVERIFY(page.save(dir.filePath(name)));
        };
        write(QStringLiteral("a.png"), QColor(0, 200, 0));
        write(QStringLiteral("c.png"), QColor(0, 0, 220));
        QFile broken(dir.filePath(QStringLiteral("b.png")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture");
        broken.close();
        QFile text(dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("ignored");
        text.close();

        startEngine(2, QFile::encodeName(dir.path()));
        auto w = makeSurface({640, 480});
        auto vice = makeSurface({320, 240});
        QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
        QCOMPARE(OrvSetDefaultResolution(1, k640), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QCOMPARE(OrvOpenCamera(1, vice->winId()), 0);
        const QRgb green = qRgb(0, 200, 0) & 0xffffff, blue = qRgb(0, 0, 220) & 0xffffff, black = 0,
                   sideBar = qRgb(0x30, 0x30, 0x30) & 0xffffff;
        // Watch the centre of the picture change; the side shows the frame's
        // background, as the square pictures are fitted into a 4:3 frame.
        QList<QRgb> seen;
        bool fitted = true;
        const auto watch = [&] {
            const QImage image = grab(w.get());
            const QRgb centre = image.pixel(320, 240) & 0xffffff;
            if (centre != black)
                fitted = fitted && (image.pixel(40, 240) & 0xffffff) == sideBar;
            if (centre != black && (seen.isEmpty() || seen.constLast() != centre))
                seen << centre;
            return seen;
        };
        // In name order, skipping what cannot be read, and round again.
        QTRY_VERIFY_WITH_TIMEOUT(watch().size() >= 3, 3 * kPictureTimeout);
        QVERIFY(seen == QList<QRgb>({green, blue, green}) ||
                seen == QList<QRgb>({blue, green, blue}));
        QVERIFY(fitted);
        // The other camera keeps its own scene.
        QTRY_VERIFY_WITH_TIMEOUT(showsPicture(vice.get(), {640, 480}), kPictureTimeout);
    }

    void unreadableFolderFallsBackToTheScene() {
        QTemporaryDir dir; // exists, but holds no picture
        for (const QByteArray& folder :
             {QByteArray("/nonexistent/orvanta-pages"), QFile::encodeName(dir.path())}) {
            startEngine(1, folder);
            auto w = makeSurface({400, 300});
            QCOMPARE(OrvSetDefaultResolution(0, k640), 0);
            QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
            QTRY_VERIFY_WITH_TIMEOUT(showsPicture(w.get(), {640, 480}), kPictureTimeout);
            QVERIFY(difference(signature(grab(w.get())),
                               signature(orv::renderScene(0, QSize(400, 300)))) < 12);
        }
    }
};

QTEST_MAIN(TestEngine)
#include "tst_engine.moc"
