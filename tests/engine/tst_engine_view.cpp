// The view and the picture of a camera through the real liborvcore: zoom,
// wheel, rotation, the mouse modes, the reported video rectangle, the zoom
// rate, picture controls, capture settings, the control panel and printing.
// Camera 0 shows a gradient page, so every grabbed pixel tells which frame
// point it shows. The geometry, scaler, emulated controls, control panel and
// page printing are compiled in and tested directly as well.

#include "FrameScaler.h"
#include "PrintPage.h"
#include "PropertyDialog.h"
#include "SoftwareControls.h"
#include "ViewGeometry.h"
#include "ViewState.h"
#include "ViewTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSlider>
#include <QWheelEvent>

using namespace viewtest;

namespace {

QList<float> g_zooms;
void recordZoom(float ratio) {
    g_zooms << ratio;
}

} // namespace

class TestEngineView : public QObject {
    Q_OBJECT

    QTemporaryDir m_pages;
    std::unique_ptr<QWidget> m_surface;

    // The library with two cameras, camera 0 showing the gradient page at
    // 640x480 in a fresh surface of window size.
    QWidget* openPage(QSize window) {
        OrvTestShutdown();
        qputenv("ORVANTA_VIRTUAL_CAMERAS", "2");
        qputenv("ORVANTA_VIRTUAL_PAGES", QFile::encodeName(m_pages.path()));
        if (OrvInit() != 0)
            return nullptr;
        m_surface = makeSurface(window);
        OrvSetDefaultResolution(0, k640);
        if (OrvOpenCamera(0, m_surface->winId()) != 0)
            return nullptr;
        return m_surface.get();
    }

    // Waits until the window pixel at shows the frame point fraction.
    static bool shows(QWidget* w, QPoint at, QPointF fraction) {
        return QTest::qWaitFor([&] { return near(frameFractionAt(grab(w), at), fraction, 0.02); },
                               kTimeout);
    }

    // Waits until the window shows the picture of the current view.
    static bool settle(QWidget* w, QSize viewSize) {
        return QTest::qWaitFor(
            [&] {
                const QRect r = videoRectOf(0);
                return viewSizeOf(0) == viewSize && !r.isEmpty() && showsPage(grab(w), r.center());
            },
            kTimeout);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_pages.isValid());
        QVERIFY(gradientPage().save(m_pages.filePath(QStringLiteral("page.png"))));
    }
    void cleanup() {
        OrvTestShutdown();
        m_surface.reset();
        g_zooms.clear();
    }

    // ---- Geometry ----

    void zoomOneIsTheFitOfTheTurnedFrame_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QRect>("target");
        QTest::newRow("upright") << 0 << QRect(0, 50, 400, 300);
        QTest::newRow("right") << 1 << QRect(50, 0, 300, 400);
        QTest::newRow("upside down") << 2 << QRect(0, 50, 400, 300);
        QTest::newRow("left") << 3 << QRect(50, 0, 300, 400);
    }
    void zoomOneIsTheFitOfTheTurnedFrame() {
        QFETCH(int, rotation);
        QFETCH(QRect, target);
        orv::ViewState state;
        state.rotation = rotation;
        const orv::ViewLayout layout = orv::layoutView({640, 480}, {400, 400}, state);
        QCOMPARE(layout.target, target);
        QCOMPARE(layout.target, orv::fitRect(orv::turnedSize({640, 480}, rotation), {400, 400}));
        QCOMPARE(layout.source, QRectF(0, 0, 640, 480));
    }

    void zoomShowsTheMiddleAndPansToTheEdges() {
        orv::ViewState state;
        state.zoom = 2;
        const QSize frame(640, 480), window(400, 300);
        orv::ViewLayout layout = orv::layoutView(frame, window, state);
        QCOMPARE(layout.picture, QRectF(-200, -150, 800, 600));
        QCOMPARE(layout.target, QRect(0, 0, 400, 300));
        QCOMPARE(layout.source, QRectF(160, 120, 320, 240));
        // Pulled far right: held at the left edge of the frame.
        state = orv::panned(frame, window, state, {1000, 10});
        layout = orv::layoutView(frame, window, state);
        QCOMPARE(layout.picture.topLeft(), QPointF(0, -140));
        QCOMPARE(layout.source.left(), 0.0);
        // Zoom 1 cannot be panned.
        orv::ViewState whole;
        QCOMPARE(orv::panned(frame, window, whole, {50, 50}).centre, QPointF(0.5, 0.5));
        // A wide window: the zoomed picture covers it across, centred down.
        state = orv::zoomedTo(frame, {800, 300}, whole, 1.5);
        layout = orv::layoutView(frame, {800, 300}, state);
        QCOMPARE(layout.target, QRect(100, 0, 600, 300));
        QCOMPARE(orv::zoomedTo(frame, window, whole, 20).zoom, orv::kMaxZoom);
        QCOMPARE(orv::zoomedTo(frame, window, whole, 0.1f).zoom, orv::kMinZoom);
        QCOMPARE(orv::clampZoom(std::nanf("")), orv::kMinZoom);
    }

    void zoomAboutKeepsTheAnchor_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<float>("from");
        QTest::addColumn<float>("to");
        QTest::addColumn<QPointF>("anchor");
        QTest::newRow("in at top-left") << 0 << 1.0f << 2.0f << QPointF(100, 100);
        QTest::newRow("in, turned") << 1 << 2.0f << 3.0f << QPointF(250, 120);
        QTest::newRow("out") << 2 << 4.0f << 2.0f << QPointF(210, 160);
        QTest::newRow("far in, left turn") << 3 << 1.0f << 8.0f << QPointF(180, 190);
    }
    void zoomAboutKeepsTheAnchor() {
        QFETCH(int, rotation);
        QFETCH(float, from);
        QFETCH(float, to);
        QFETCH(QPointF, anchor);
        const QSize frame(640, 480), window(400, 400);
        orv::ViewState state;
        state.rotation = rotation;
        state = orv::zoomedTo(frame, window, state, from);
        const orv::ViewLayout before = orv::layoutView(frame, window, state);
        const orv::ViewState after = orv::zoomedAbout(frame, window, state, to, anchor);
        QCOMPARE(after.zoom, to);
        const orv::ViewLayout layout = orv::layoutView(frame, window, after);
        QVERIFY(near(orv::windowToFrame(before, rotation, anchor),
                     orv::windowToFrame(layout, rotation, anchor), 1e-9));
    }

    void turnsMapFractionsAndRectangles() {
        QCOMPARE(orv::turnFraction({0, 0}, 1), QPointF(1, 0)); // top-left goes top-right
        QCOMPARE(orv::turnFraction({0, 0}, 2), QPointF(1, 1));
        QCOMPARE(orv::turnFraction({0, 0}, -1), QPointF(0, 1));
        const QPointF p(0.2, 0.7);
        for (int r = -4; r < 8; ++r)
            QVERIFY(near(orv::unturnFraction(orv::turnFraction(p, r), r), p, 1e-12));
        QPointF q = p;
        for (int i = 0; i < 4; ++i)
            q = orv::turnFraction(q, 1);
        QVERIFY(near(q, p, 1e-12));
        const QRectF rect(0.1, 0.2, 0.3, 0.4);
        QCOMPARE(orv::turnFractionRect(rect, 1), QRectF(QPointF(0.4, 0.1), QPointF(0.8, 0.4)));
        QCOMPARE(orv::turnedSize({640, 480}, 3), QSize(480, 640));
        orv::ViewState state;
        state.captureRect = QRectF(0.25, 0.25, 0.5, 0.5);
        QCOMPARE(orv::captureRectPixels(state, {640, 480}), QRect(160, 120, 320, 240));
        QCOMPARE(orv::captureRectPixels(orv::ViewState(), {640, 480}), QRect());
    }

    // ---- The scaler ----

    void renderViewCropsScalesAndTurns() {
        const QImage page = gradientPage();
        // Zoom 1 is the plain view scaling.
        QCOMPARE(orv::renderView(page, QRectF(0, 0, 640, 480), {400, 300}, 0),
                 orv::scaleForView(page, {400, 300}));
        // The middle half, enlarged: the corner shows frame point (160, 120).
        const QImage middle = orv::renderView(page, QRectF(160, 120, 320, 240), {400, 300}, 0);
        QCOMPARE(middle.size(), QSize(400, 300));
        QVERIFY(near(frameFractionAt(middle, {0, 0}), {160 / 639.0, 120 / 479.0}, 0.01));
        QVERIFY(near(frameFractionAt(middle, {399, 299}), {480 / 639.0, 360 / 479.0}, 0.01));
        // A quarter turn right: the frame's bottom-left lands top-left.
        const QImage right = orv::renderView(page, QRectF(0, 0, 640, 480), {300, 400}, 1);
        QCOMPARE(right.size(), QSize(300, 400));
        QVERIFY(near(frameFractionAt(right, {0, 0}), {0, 1}, 0.01));
        QVERIFY(near(frameFractionAt(right, {299, 0}), {0, 0}, 0.01));
        QVERIFY(near(frameFractionAt(right, {299, 399}), {1, 0}, 0.01));
        // Far down a huge frame, only the shown part counts.
        QImage big(2592, 1944, QImage::Format_RGB32);
        big.fill(qRgb(10, 20, 30));
        const QImage part = orv::renderView(big, QRectF(2000.5, 1500.25, 81, 61), {700, 500}, 2);
        QCOMPARE(part.size(), QSize(700, 500));
        QCOMPARE(part.pixel(350, 250) & 0xffffff, qRgb(10, 20, 30) & 0xffffff);
        QVERIFY(orv::renderView(big, QRectF(), {700, 500}, 0).isNull());
    }

    void colourModePreview() {
        QImage image = gradientPage();
        orv::previewColourMode(image, 1);
        const QRgb g = image.pixel(300, 200);
        QVERIFY(qRed(g) == qGreen(g) && qGreen(g) == qBlue(g));
        image = gradientPage();
        orv::previewColourMode(image, 2);
        for (const QPoint& p : {QPoint(0, 0), QPoint(639, 479), QPoint(320, 240)})
            QVERIFY((image.pixel(p) & 0xffffff) == 0 || (image.pixel(p) & 0xffffff) == 0xffffff);
    }

    // ---- Through the library ----

    void zoomChangesTheVideoRectAndCallsBack() {
        QWidget* w = openPage({800, 400});
        QVERIFY(w);
        QCOMPARE(OrvSetZoomCB(0, recordZoom), 0);
        QCOMPARE(OrvGetMinZoomRatio(0), 1.0f);
        QCOMPARE(OrvGetMaxZoomRatio(0), 8.0f);
        QVERIFY(settle(w, {533, 400}));
        QCOMPARE(QByteArray(OrvGetVideoRect(0)), QByteArray("133.0.666.400"));

        QCOMPARE(OrvZoom(0, 2.0f), 0);
        QCOMPARE(g_zooms, QList<float>({2.0f}));
        QCOMPARE(QByteArray(OrvGetVideoRect(0)), QByteArray("0.0.800.400"));
        QCOMPARE(settingsOf(0).zoom, 2.0f);
        // The picture is made for the view: only the shown part, at window size.
        QVERIFY(settle(w, {800, 400}));
        const QImage zoomed = grab(w);
        QVERIFY(near(frameFractionAt(zoomed, {400, 200}), {0.5, 0.5}, 0.02));
        QVERIFY(showsPage(zoomed, {2, 2}));

        QCOMPARE(OrvZoomIn(0), 0);
        QCOMPARE(OrvZoomOut(0), 0);
        QCOMPARE(g_zooms, QList<float>({2.0f, 2.5f, 2.0f}));
        QCOMPARE(OrvResetVideo(0), 0);
        QCOMPARE(g_zooms.constLast(), 1.0f);
        QCOMPARE(QByteArray(OrvGetVideoRect(0)), QByteArray("133.0.666.400"));
        QVERIFY(settle(w, {533, 400}));
    }

    void zoomIsClampedToItsRange() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        QCOMPARE(OrvSetZoomCB(0, recordZoom), 0);
        QCOMPARE(OrvZoom(0, 0.25f), 0);
        QCOMPARE(OrvZoom(0, 100.0f), 0);
        QCOMPARE(OrvZoomIn(0), 0); // at the top already
        QCOMPARE(g_zooms, QList<float>({1.0f, 8.0f, 8.0f}));
        QCOMPARE(OrvZoom(0, std::nanf("")), -1);
        QCOMPARE(OrvZoom(0, INFINITY), -1);
        QCOMPARE(g_zooms.size(), 3);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(OrvZoomOut(0), 0);
        QCOMPARE(g_zooms.constLast(), 1.0f);
        // Removing the callback stops the reports.
        QCOMPARE(OrvSetZoomCB(0, nullptr), 0);
        QCOMPARE(OrvZoom(0, 3.0f), 0);
        QCOMPARE(g_zooms.size(), 15);
        QCOMPARE(settingsOf(0).zoom, 3.0f);
    }

    void wheelKeepsThePointUnderTheCursor() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        QCOMPARE(OrvSetZoomCB(0, recordZoom), 0);
        QVERIFY(settle(w, {400, 300}));
        const QPoint cursor(100, 80), elsewhere(320, 240);
        const QImage before = grab(w);
        QCOMPARE(OrvOnMouseMoving(w->winId(), cursor.x(), cursor.y()), 0);
        QCOMPARE(OrvOnWheel(w->winId(), 120), 0);
        QCOMPARE(g_zooms, QList<float>({1.25f}));
        QTRY_VERIFY_WITH_TIMEOUT(
            !near(frameFractionAt(grab(w), elsewhere), frameFractionAt(before, elsewhere), 0.03),
            kTimeout);
        QVERIFY(near(frameFractionAt(grab(w), cursor), frameFractionAt(before, cursor), 0.01));

        // The position of a real wheel event on the window counts as well.
        const QPoint second(300, 200);
        const QImage middle = grab(w);
        QWheelEvent event(QPointF(second), w->mapToGlobal(QPointF(second)), QPoint(),
                          QPoint(0, 240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &event);
        QCOMPARE(OrvOnWheel(w->winId(), 240), 0);
        QCOMPARE(g_zooms.constLast(), 1.25f * 1.25f * 1.25f);
        QTRY_VERIFY_WITH_TIMEOUT(
            !near(frameFractionAt(grab(w), cursor), frameFractionAt(middle, cursor), 0.03),
            kTimeout);
        QVERIFY(near(frameFractionAt(grab(w), second), frameFractionAt(middle, second), 0.01));

        // Zooming out all the way brings back the whole picture.
        QCOMPARE(OrvOnWheel(w->winId(), -120 * 20), 0);
        QCOMPARE(g_zooms.constLast(), 1.0f);
        QCOMPARE(videoRectOf(0), QRect(0, 0, 400, 300));
    }

    void rotationTurnsThePicture() {
        QWidget* w = openPage({400, 400});
        QVERIFY(w);
        QVERIFY(settle(w, {400, 300}));
        const QImage upright = grab(w);
        QVERIFY(near(frameFractionAt(upright, {2, 52}), {0, 0}, 0.02));

        QCOMPARE(OrvRotateRight(0), 0);
        QCOMPARE(videoRectOf(0), QRect(50, 0, 300, 400));
        QVERIFY(settle(w, {300, 400})); // a 4:3 frame now shows 3:4
        QVERIFY(shows(w, {52, 2}, {0, 1}));
        QCOMPARE(settingsOf(0).rotation, 1);

        QCOMPARE(OrvSetRotate(0, 2), 0);
        QVERIFY(settle(w, {400, 300}));
        QVERIFY(shows(w, {2, 52}, {1, 1}));
        QCOMPARE(OrvRotateLeft(0), 0);
        QVERIFY(settle(w, {300, 400}));
        QVERIFY(shows(w, {52, 2}, {0, 1}));

        // Four right turns bring the start back.
        QCOMPARE(OrvSetRotate(0, 0), 0);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(OrvRotateRight(0), 0);
        QCOMPARE(settingsOf(0).rotation, 0);
        QVERIFY(settle(w, {400, 300}));
        QVERIFY(shows(w, {2, 52}, {0, 0}));

        // Out of range codes change nothing; reset and reopening keep the turn.
        QCOMPARE(OrvSetRotate(0, 3), 0);
        QCOMPARE(OrvSetRotate(0, 4), -1);
        QCOMPARE(OrvSetRotate(0, -1), -1);
        QCOMPARE(OrvResetVideo(0), 0);
        QCOMPARE(OrvCloseCamera(0), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QCOMPARE(settingsOf(0).rotation, 3);
        QVERIFY(settle(w, {300, 400}));
        QVERIFY(shows(w, {52, 2}, {1, 0}));
    }

    // A window that does not paint (hidden, minimised, its GUI thread busy)
    // has its frames superseded undecoded, and shows the newest view as soon
    // as it paints again.
    void windowThatDoesNotPaintGetsNoNewPicture() {
        QWidget* w = openPage({400, 400});
        QVERIFY(w);
        QVERIFY(settle(w, {400, 300}));
        w->hide();
        // The page's frames are one picture: the turn is the first change.
        QCOMPARE(OrvRotateRight(0), 0);
        QTRY_COMPARE(viewSizeOf(0), QSize(300, 400)); // made, never painted
        QCOMPARE(OrvRotateLeft(0), 0);
        QTest::qWait(300);
        QCOMPARE(viewSizeOf(0), QSize(300, 400)); // held back
        w->show();
        QVERIFY(settle(w, {400, 300}));
    }

    void rectangleModeRecordsARectangleUntilReset() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        QVERIFY(settle(w, {400, 300}));
        const WId id = w->winId();
        QCOMPARE(OrvSetMouseMode(0, 1), 0);
        QCOMPARE(OrvOnLMousePress(id, 100, 75), 0);
        QCOMPARE(OrvOnMouseMoving(id, 200, 150), 0);
        QCOMPARE(OrvOnLMouseRelease(id, 300, 225), 0);
        QCOMPARE(captureRectOf(0), QRect(160, 120, 320, 240)); // frame pixels
        QCOMPARE(settingsOf(0).zoom, 1.0f);                    // no pan, no zoom
        // Drawn dashed in black and white along its edges.
        const auto edgeIsDrawn = [&] {
            const QImage image = grab(w);
            const auto bw = [&](int x, int y) {
                const QRgb c = image.pixel(x, y) & 0xffffff;
                return c == 0 || c == 0xffffff;
            };
            int marked = 0;
            for (int x = 110; x < 290; ++x)
                marked += (bw(x, 75) || bw(x, 76)) ? 1 : 0;
            return marked > 170;
        };
        QTRY_VERIFY(edgeIsDrawn());

        // The rectangle belongs to the frame: a turn keeps it.
        QCOMPARE(OrvRotateRight(0), 0);
        QCOMPARE(captureRectOf(0), QRect(160, 120, 320, 240));
        QCOMPARE(OrvSetRotate(0, 0), 0);
        QCOMPARE(OrvResetVideo(0), 0);
        QCOMPARE(captureRectOf(0), QRect());
        QTRY_VERIFY(!edgeIsDrawn());

        // A click is no rectangle; a drag past the picture stops at its edge.
        QCOMPARE(OrvOnLMousePress(id, 50, 50), 0);
        QCOMPARE(OrvOnLMouseRelease(id, 51, 52), 0);
        QCOMPARE(captureRectOf(0), QRect());
        QCOMPARE(OrvOnLMousePress(id, 300, 150), 0);
        QCOMPARE(OrvOnLMouseRelease(id, 500, -40), 0);
        QCOMPARE(captureRectOf(0), QRect(480, 0, 160, 240));
    }

    void dragPansOnlyWhenZoomed() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        const WId id = w->winId();
        QCOMPARE(OrvSetMouseMode(0, 0), 0);
        QVERIFY(settle(w, {400, 300}));
        const QImage whole = grab(w);
        QCOMPARE(OrvOnLMousePress(id, 200, 150), 0);
        QCOMPARE(OrvOnMouseMoving(id, 260, 190), 0);
        QCOMPARE(OrvOnLMouseRelease(id, 260, 190), 0);
        QCOMPARE(videoRectOf(0), QRect(0, 0, 400, 300));
        QTest::qWait(100);
        QVERIFY(
            near(frameFractionAt(grab(w), {200, 150}), frameFractionAt(whole, {200, 150}), 0.01));
        QCOMPARE(captureRectOf(0), QRect());

        QCOMPARE(OrvZoom(0, 2.0f), 0);
        QVERIFY(shows(w, {0, 0}, {0.25, 0.25}));
        const QImage zoomed = grab(w);
        QCOMPARE(OrvOnLMousePress(id, 200, 150), 0);
        QCOMPARE(OrvOnMouseMoving(id, 230, 170), 0);
        QCOMPARE(OrvOnLMouseRelease(id, 240, 180), 0);
        // What was under (200, 150) followed the mouse to (240, 180).
        QTRY_VERIFY_WITH_TIMEOUT(
            near(frameFractionAt(grab(w), {240, 180}), frameFractionAt(zoomed, {200, 150}), 0.01),
            kTimeout);
        QCOMPARE(videoRectOf(0), QRect(0, 0, 400, 300));
    }

    void ignoredMouseModeChangesNothing() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        const WId id = w->winId();
        QCOMPARE(OrvSetZoomCB(0, recordZoom), 0);
        QCOMPARE(OrvZoom(0, 2.0f), 0);
        QVERIFY(shows(w, {0, 0}, {0.25, 0.25}));
        const QImage before = grab(w);
        QCOMPARE(OrvSetMouseMode(0, -1), 0);
        QCOMPARE(OrvOnLMousePress(id, 200, 150), 0);
        QCOMPARE(OrvOnMouseMoving(id, 300, 250), 0);
        QCOMPARE(OrvOnLMouseRelease(id, 300, 250), 0);
        QCOMPARE(OrvOnWheel(id, 120), 0);
        QCOMPARE(g_zooms, QList<float>({2.0f}));
        QCOMPARE(captureRectOf(0), QRect());
        QTest::qWait(100);
        QVERIFY(
            near(frameFractionAt(grab(w), {200, 150}), frameFractionAt(before, {200, 150}), 0.01));
        // Modes other than the three are refused.
        QCOMPARE(OrvSetMouseMode(0, 2), -1);
        QCOMPARE(OrvSetMouseMode(0, -2), -1);
        QCOMPARE(settingsOf(0).mouseMode, -1);
        // Zoom calls still work in this mode.
        QCOMPARE(OrvZoom(0, 1.0f), 0);
        QCOMPARE(g_zooms.constLast(), 1.0f);
    }

    void zoomRateIsShownBrieflyAfterAChange() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        QVERIFY(settle(w, {400, 300}));
        QCOMPARE(OrvZoom(0, 1.5f), 0);
        QCOMPARE(OrvTestGetZoomRateText(0), ""); // off by default
        QVERIFY(shows(w, {0, 0}, {1 / 6.0, 1 / 6.0}));
        const QImage plain = grab(w);
        QCOMPARE(OrvSetShowZoomRate(0, true), 0);
        QCOMPARE(OrvZoom(0, 1.5f), 0);
        QCOMPARE(OrvTestGetZoomRateText(0), "150%");
        // Drawn in the picture's top-right corner.
        const QRect box(345, 12, 40, 18);
        const auto boxIsDrawn = [&] {
            const QImage now = grab(w);
            double change = 0;
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    change += std::abs(qGray(now.pixel(x, y)) - qGray(plain.pixel(x, y)));
            return change / (box.width() * box.height()) > 25;
        };
        QTRY_VERIFY(boxIsDrawn());
        QTRY_VERIFY_WITH_TIMEOUT(QByteArray(OrvTestGetZoomRateText(0)).isEmpty(), 10000);
        QTRY_VERIFY(!boxIsDrawn());
        QCOMPARE(OrvZoomIn(0), 0);
        QCOMPARE(OrvTestGetZoomRateText(0), "188%");
        QCOMPARE(OrvSetShowZoomRate(0, false), 0);
        QCOMPARE(OrvTestGetZoomRateText(0), "");
    }

    void badInputIsRefused() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        auto other = makeSurface({200, 150});
        const int bad[] = {-1, 2, 99};
        for (int cam : bad) {
            QCOMPARE(OrvZoom(cam, 2.0f), -1);
            QCOMPARE(OrvZoomIn(cam), -1);
            QCOMPARE(OrvZoomOut(cam), -1);
            QCOMPARE(OrvResetVideo(cam), -1);
            QCOMPARE(OrvGetMinZoomRatio(cam), 0.0f);
            QCOMPARE(OrvGetMaxZoomRatio(cam), 0.0f);
            QCOMPARE(OrvSetZoomCB(cam, recordZoom), -1);
            QCOMPARE(OrvSetShowZoomRate(cam, true), -1);
            QCOMPARE(OrvRotateLeft(cam), -1);
            QCOMPARE(OrvRotateRight(cam), -1);
            QCOMPARE(OrvSetRotate(cam, 1), -1);
            QCOMPARE(OrvSetMouseMode(cam, 1), -1);
            QCOMPARE(OrvGetVideoRect(cam), "");
        }
        // Windows no camera draws into.
        for (WId window : {WId(0), other->winId()}) {
            QCOMPARE(OrvOnLMousePress(window, 1, 1), -1);
            QCOMPARE(OrvOnMouseMoving(window, 1, 1), -1);
            QCOMPARE(OrvOnLMouseRelease(window, 1, 1), -1);
            QCOMPARE(OrvOnWheel(window, 120), -1);
        }
        // Camera 1 exists but is closed: no live view to zoom or reset.
        QCOMPARE(OrvZoom(1, 2.0f), -1);
        QCOMPARE(OrvResetVideo(1), -1);
        QCOMPARE(videoRectOf(1), QRect());
        QCOMPARE(OrvTestGetCaptureRect(0, nullptr, nullptr, nullptr, nullptr), -1);
        // Nothing changed on camera 0.
        const OrvTestCameraSettings s = settingsOf(0);
        QCOMPARE(s.zoom, 1.0f);
        QCOMPARE(s.rotation, 0);
        QCOMPARE(s.mouseMode, 0);
        QCOMPARE(videoRectOf(0), QRect(0, 0, 400, 300));
        // A camera moved to another window takes its mouse input there.
        QCOMPARE(OrvSetHwnd(0, other->winId()), 0);
        QCOMPARE(OrvOnWheel(w->winId(), 120), -1);
        QCOMPARE(OrvOnWheel(other->winId(), 120), 0);
        QCOMPARE(settingsOf(0).zoom, 1.25f);
    }
    // ---- Picture controls, settings, the control panel, printing ----

    void emulatedControlsMoveThePicture_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("direction"); // of the mean gray: +1 up, -1 down, 0 see below
        QTest::newRow("brightness up") << int(orv::kBrightness) << 64 << 1;
        QTest::newRow("brightness down") << int(orv::kBrightness) << -64 << -1;
        QTest::newRow("gamma up") << int(orv::kGamma) << 250 << 1;
        QTest::newRow("gain") << int(orv::kGain) << 100 << 1;
        QTest::newRow("exposure longest") << int(orv::kExposure) << -1 << 1;
        QTest::newRow("exposure shortest") << int(orv::kExposure) << -13 << -1;
        QTest::newRow("backlight") << int(orv::kBacklightCompensation) << 1 << 1;
        QTest::newRow("contrast flat") << int(orv::kContrast) << 0 << 0;
        QTest::newRow("saturation none") << int(orv::kSaturation) << 0 << 0;
        QTest::newRow("sharpness high") << int(orv::kSharpness) << 100 << 0;
        QTest::newRow("hue half turn") << int(orv::kHue) << 180 << 0;
        QTest::newRow("white balance warm light") << int(orv::kWhiteBalance) << 2800 << 0;
    }
    void emulatedControlsMoveThePicture() {
        QFETCH(int, id);
        QFETCH(int, value);
        QFETCH(int, direction);
        QImage page = gradientPage();
        for (int y = 200; y < 280; ++y) // a hard edge for the sharpness to work on
            for (int x = 0; x < 640; ++x)
                page.setPixel(x, y, (x / 40) % 2 ? qRgb(40, 40, 40) : qRgb(200, 200, 200));
        orv::SoftwareControls controls;
        QCOMPARE(controls.apply(page).cacheKey(), page.cacheKey()); // neutral: untouched
        QVERIFY(controls.setValue(id, orv::ControlValue{false, value}));
        const QImage out = controls.apply(page);
        QCOMPARE(out.size(), page.size());
        QCOMPARE(controls.apply(page).cacheKey(), out.cacheKey()); // the same frame: done once
        const double before = meanGray(page, page.rect()), after = meanGray(out, out.rect());
        if (direction != 0) {
            QVERIFY2(direction * (after - before) > 8, qPrintable(QString::number(after - before)));
            return;
        }
        const QRgb in = page.pixel(600, 50), got = out.pixel(600, 50);
        switch (id) {
        case orv::kContrast:
            QVERIFY(std::abs(qGray(out.pixel(0, 0)) - qGray(out.pixel(639, 479))) <= 2);
            break;
        case orv::kSaturation:
            QVERIFY(std::abs(qRed(got) - qBlue(got)) <= 2 &&
                    std::abs(qRed(got) - qGreen(got)) <= 2);
            break;
        case orv::kSharpness: // the edge overshoots on both sides
            QVERIFY(qGray(out.pixel(39, 240)) > 215 && qGray(out.pixel(40, 240)) < 25);
            break;
        case orv::kHue: // red turns towards cyan
            QVERIFY(qRed(got) < qRed(in) - 40 && qGreen(got) > qGreen(in) + 40);
            break;
        case orv::kWhiteBalance: // the gray bars turn blue
            QVERIFY(qBlue(out.pixel(20, 240)) > qRed(out.pixel(20, 240)) + 40);
            break;
        }
    }

    void controlValuesAreChecked() {
        orv::SoftwareControls c;
        orv::ControlValue v;
        QVERIFY(c.value(orv::kExposure, &v));
        QCOMPARE(v, (orv::ControlValue{true, -5}));        // automatic at first
        QVERIFY(!c.setValue(orv::kExposure, {false, 0}));  // above -1
        QVERIFY(!c.setValue(orv::kBrightness, {true, 0})); // no automatic mode
        QVERIFY(!c.setValue(77, {false, 0}));
        QVERIFY(!c.value(77, &v));
        QVERIFY(c.setValue(orv::kExposure, {false, -3}));
        QVERIFY(c.setValue(orv::kExposure, {true, 0})); // auto keeps the manual value
        QVERIFY(c.value(orv::kExposure, &v));
        QCOMPARE(v, (orv::ControlValue{true, -3}));
        QVERIFY(!c.setValue(orv::kPowerLineFrequency, {false, 3}));
        QVERIFY(c.setValue(orv::kPowerLineFrequency, {false, 2}));
    }

    void propertiesChangeTheLivePicture() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        QVERIFY(settle(w, {400, 300}));
        bool isAuto = true;
        int upper = 0, lower = 0, value = 99;
        QCOMPARE(OrvGetVideoProp(0, 0, &isAuto, &upper, &lower, &value), 0);
        QCOMPARE(QList<int>({isAuto, upper, lower, value}), QList<int>({false, 64, -64, 0}));
        QCOMPARE(OrvGetExposure(0, &isAuto, &upper, &lower, &value), 0);
        QCOMPARE(QList<int>({isAuto, upper, lower, value}), QList<int>({true, -1, -13, -5}));
        for (int property = 0; property < 9; ++property)
            QCOMPARE(OrvGetVideoProp(0, property, &isAuto, &upper, &lower, &value), 0);
        for (int unknown : {-1, 9, 100})
            QCOMPARE(OrvGetVideoProp(0, unknown, &isAuto, &upper, &lower, &value), -1);
        QCOMPARE(OrvSetVideoProp(0, 9, false, 0), -1);
        QCOMPARE(OrvGetVideoProp(0, 0, nullptr, &upper, &lower, &value), -1);

        const double before = meanGray(grab(w), w->rect());
        QCOMPARE(OrvSetVideoProp(0, 0, false, 64), 0);
        QTRY_VERIFY_WITH_TIMEOUT(meanGray(grab(w), w->rect()) > before + 30, kTimeout);
        QCOMPARE(OrvSetVideoProp(0, 0, false, 65), -1); // out of range: unchanged
        QCOMPARE(OrvGetVideoProp(0, 0, &isAuto, &upper, &lower, &value), 0);
        QCOMPARE(value, 64);
        QCOMPARE(OrvSetVideoProp(0, 0, false, 0), 0);
        QCOMPARE(OrvSetExposure(0, false, -13), 0);
        QTRY_VERIFY_WITH_TIMEOUT(meanGray(grab(w), w->rect()) < before - 30, kTimeout);
        QCOMPARE(OrvSetExposure(0, false, 0), -1);
        QCOMPARE(OrvSetExposure(0, true, 0), 0); // back to automatic
        QCOMPARE(OrvGetExposure(0, &isAuto, &upper, &lower, &value), 0);
        QCOMPARE(QList<int>({isAuto, value}), QList<int>({true, -13}));
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(meanGray(grab(w), w->rect()) - before) < 3, kTimeout);
        // Values belong to the camera: a closed one keeps and takes them.
        QCOMPARE(OrvSetVideoProp(1, 3, false, 0), 0);
        QCOMPARE(OrvGetVideoProp(1, 3, &isAuto, &upper, &lower, &value), 0);
        QCOMPARE(value, 0);
        QCOMPARE(OrvSetVideoProp(2, 3, false, 0), -1);
    }

    void settingsAreCheckedAndKept() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        QCOMPARE(OrvSetDPI(0, 300), 0);
        QCOMPARE(OrvSetDPI(0, 0), -1);
        QCOMPARE(OrvSetJpgQuality(0, 90), 0);
        QCOMPARE(OrvSetJpgQuality(0, 101), -1);
        QCOMPARE(OrvSetDevColor(0, 3), -1);
        QCOMPARE(OrvDelBackColor(0, true), 0);
        QCOMPARE(OrvEnableAutoRotate(0, true), 0);
        QCOMPARE(OrvSetResize(0, true, 0.5f), 0);
        QCOMPARE(OrvSetResize(0, true, 0.0f), -1);
        QCOMPARE(OrvSetResize(0, true, std::nanf("")), -1);
        OrvTestCameraSettings s = settingsOf(0);
        QCOMPARE(QList<int>({s.dpi, s.jpgQuality, s.colorMode, s.removeBackground, s.autoRotate,
                             s.resize}),
                 QList<int>({300, 90, 0, true, true, true}));
        QCOMPARE(s.resizeRatio, 0.5f);
        QCOMPARE(OrvSetJpgQuality(0, 0), 0); // the default
        QCOMPARE(OrvSetResize(0, false, -1.0f), 0);
        QCOMPARE(OrvCloseCamera(0), 0); // kept while closed
        s = settingsOf(0);
        QCOMPARE(QList<int>({s.dpi, s.jpgQuality, s.resize}), QList<int>({300, 75, false}));
        QCOMPARE(s.resizeRatio, 0.5f);
        for (int bad : {-1, 2}) {
            QCOMPARE(OrvSetDPI(bad, 300), -1);
            QCOMPARE(OrvSetJpgQuality(bad, 80), -1);
            QCOMPARE(OrvSetDevColor(bad, 1), -1);
            QCOMPARE(OrvDelBackColor(bad, true), -1);
            QCOMPARE(OrvEnableAutoRotate(bad, true), -1);
            QCOMPARE(OrvSetResize(bad, true, 1.0f), -1);
            QCOMPARE(OrvShowVideoProperty(bad), -1);
            QCOMPARE(OrvPrint(bad), -1);
        }
        QCOMPARE(OrvPrint(0), -1); // closed: no frame to print
    }

    void colourModeIsPreviewed() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        QVERIFY(settle(w, {400, 300}));
        const auto isGray = [&] {
            const QRgb c = grab(w).pixel(300, 60);
            return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
        };
        QVERIFY(!isGray());
        QCOMPARE(OrvSetDevColor(0, 1), 0);
        QTRY_VERIFY_WITH_TIMEOUT(isGray(), kTimeout);
        QCOMPARE(OrvSetDevColor(0, 2), 0);
        QTRY_VERIFY_WITH_TIMEOUT((grab(w).pixel(300, 60) & 0xffffff) == 0 ||
                                     (grab(w).pixel(300, 60) & 0xffffff) == 0xffffff,
                                 kTimeout);
        QCOMPARE(OrvSetDevColor(0, 0), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!isGray(), kTimeout);
    }

    void controlPanelListsAndDrivesTheControls() {
        orv::SoftwareControls controls;
        orv::PropertyDialog dialog(controls, QStringLiteral("Test"));
        const QList<orv::ControlInfo> list = controls.controls();
        QCOMPARE(dialog.findChildren<QSlider*>().size(), 9);
        QCOMPARE(dialog.findChildren<QComboBox*>().size(), 1);
        QCOMPARE(dialog.findChildren<QCheckBox*>().size(), 3); // backlight, two "Auto"
        for (const orv::ControlInfo& info : list)
            QVERIFY(dialog.findChild<QWidget*>(QStringLiteral("control_%1").arg(info.id)));
        auto* contrast = dialog.findChild<QSlider*>(QStringLiteral("control_1"));
        contrast->setValue(80);
        orv::ControlValue v;
        QVERIFY(controls.value(orv::kContrast, &v));
        QCOMPARE(v.value, 80);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("value_1"))->text(),
                 QStringLiteral("80"));
        auto* exposure = dialog.findChild<QSlider*>(QStringLiteral("control_100"));
        auto* exposureAuto = dialog.findChild<QCheckBox*>(QStringLiteral("auto_100"));
        QVERIFY(exposureAuto->isChecked());
        QVERIFY(!exposure->isEnabled());
        exposureAuto->setChecked(false);
        QVERIFY(exposure->isEnabled());
        exposure->setValue(-2);
        QVERIFY(controls.value(orv::kExposure, &v));
        QCOMPARE(v, (orv::ControlValue{false, -2}));
        dialog.findChild<QComboBox*>(QStringLiteral("control_101"))->setCurrentIndex(2);
        dialog.findChild<QCheckBox*>(QStringLiteral("control_7"))->setChecked(true);
        QVERIFY(controls.value(orv::kPowerLineFrequency, &v) && v.value == 2);
        QVERIFY(controls.value(orv::kBacklightCompensation, &v) && v.value == 1);
        dialog.findChild<QPushButton*>(QStringLiteral("defaults"))->click();
        for (const orv::ControlInfo& info : list) {
            QVERIFY(controls.value(info.id, &v));
            QCOMPARE(v, (orv::ControlValue{info.defaultAuto, info.defaultValue}));
        }
        QCOMPARE(contrast->value(), 50);
        QVERIFY(exposureAuto->isChecked());
    }

    void controlPanelOfTheLibraryIsModal() {
        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        int sliders = 0, brightnessInside = 0;
        QTimer::singleShot(0, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            sliders = int(dialog->findChildren<QSlider*>().size());
            if (auto* s = dialog->findChild<QSlider*>(QStringLiteral("control_0")))
                s->setValue(40);
            bool a = false;
            int u = 0, l = 0;
            OrvGetVideoProp(0, 0, &a, &u, &l, &brightnessInside); // applied while open
            dialog->close();
        });
        QCOMPARE(OrvShowVideoProperty(0), 0);
        QCOMPARE(sliders, 9);
        QCOMPARE(brightnessInside, 40);
    }

    void printingRendersAPage() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("page.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        QVERIFY(!orv::printPicture(printer, QImage()));
        QVERIFY(orv::printPicture(printer, gradientPage()));
        QFile pdf(file);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.size() > 1000);
        QVERIFY(pdf.read(5) == "%PDF-");

        QWidget* w = openPage({400, 300});
        QVERIFY(w);
        QVERIFY(settle(w, {400, 300}));
        QCOMPARE(OrvRotateRight(0), 0);
        const QByteArray fromLibrary = QFile::encodeName(dir.filePath(QStringLiteral("cam.pdf")));
        QCOMPARE(OrvTestPrintToFile(0, fromLibrary.constData()), 0);
        QVERIFY(QFileInfo(QString::fromLocal8Bit(fromLibrary)).size() > 1000);
        QCOMPARE(OrvTestPrintToFile(1, fromLibrary.constData()), -1); // closed
        // The print dialog is modal; cancelling it prints nothing.
        bool asked = false;
        QTimer::singleShot(0, this, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                asked = true;
                dialog->reject();
            }
        });
        QCOMPARE(OrvPrint(0), 1);
        QVERIFY(asked);
    }
};

QTEST_MAIN(TestEngineView)
#include "tst_engine_view.moc"
