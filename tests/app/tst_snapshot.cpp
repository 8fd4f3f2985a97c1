// Whiteboard and snapshot mode seen from the main window: where the video
// goes on entering and leaving, the small vice window, the snapshot files
// and their drag, and saving the annotated picture.

#include "AppTestEnv.h"
#include "annotation/AbstractShape.h"
#include "annotation/AnnotatedPicture.h"
#include "annotation/PanelGeometry.h"
#include "annotation/QBasePlate.h"
#include "annotation/QPanel.h"
#include "annotation/QSnapWidget.h"
#include "annotation/QTopPlate.h"
#include "annotation/QVisualizer.h"
#include "annotation/SnapNaming.h"
#include "camera/QSmallWidget.h"
#include "capture/ThumbnailStrip.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"

#include <QMimeData>
#include <QScreen>
#include <QtTest>

using fake::core;

namespace {

struct DragSeen {
    QWidget* source = nullptr;
    QList<QUrl> urls;
    Qt::DropActions actions;
    Qt::DropAction preferred = Qt::IgnoreAction;
};

qulonglong lastHwndTarget() {
    const QList<fake::Call> calls = core().callsOf("OrvSetHwnd");
    return calls.isEmpty() ? 0 : calls.last().args[1].toULongLong();
}

// The fake camera writes a picture to every capture path when told to.
void writePicturesOnCapture(QSize size, QColor fill = Qt::white) {
    core().onCall = [size, fill](const fake::Call& c) {
        if (c.name != "OrvCapture" || core().script.captureResult <= 0)
            return;
        QImage img(size, QImage::Format_RGB32);
        img.fill(fill);
        img.save(QString::fromLocal8Bit(c.args[1].toByteArray()), "JPG");
    };
}

} // namespace

class TestSnapshot : public QObject {
    Q_OBJECT
    AppTestEnv env;
    QTemporaryDir* tmp = nullptr;
    QList<DragSeen> drags;

    std::unique_ptr<MainForm> build() {
        auto form = env.makeForm();
        onScreen::strip(form).clear();
        return form;
    }
    // Two cameras with the vice picture merged into the main picture.
    void mergeVicePicture(MainForm* form) {
        form->widgets()->checkBoxPIP->click();
        form->widgets()->checkBoxInVideo->click();
        QVERIFY(onScreen::child<QSmallWidget>(form)->isVisible());
    }
    QString snapFile(int n) const {
        return QString::fromLocal8Bit(platform::privateTempFolder()) +
               QStringLiteral("Image%1.jpg").arg(n, 5, 10, QLatin1Char('0'));
    }

private slots:
    void init() {
        env.setUp();
        tmp = new QTemporaryDir;
        qputenv("TMPDIR", tmp->path().toLocal8Bit());
        drags.clear();
        platform::setDragStarter([this](QWidget* source, const QMimeData* data,
                                        Qt::DropActions actions, Qt::DropAction preferred) {
            drags << DragSeen{source, data->urls(), actions, preferred};
            return Qt::CopyAction;
        });
    }
    void cleanup() {
        core().onCall = nullptr;
        platform::setDragStarter({});
        qunsetenv("TMPDIR");
        delete tmp;
        tmp = nullptr;
    }

    void windowsAreCreatedHiddenAtStart();
    void linksAreGreenAndEnterTheModes();
    void enteringTheWhiteboardMovesTheVideoAndKeepsTheSmallWindow();
    void backButtonAndDoubleClickLeaveTheWhiteboard();
    void annotationsSurviveLeavingAndComingBack();
    void snapModeHidesTheSmallWindowAndDoubleClickBringsItBack();
    void snapshotNames();
    void successiveSnapshotsAreNumberedAndDragged();
    void quickClickCapturesNothingAndAHoldDrags();
    void doubleClickWithinTheHoldLeavesWithoutCapturing();
    void failedCaptureStartsNoDrag();
    void plantedLinkIsNotFollowed();
    void saveWritesTheAnnotatedPictureAsACapture();
    void saveReportsAFailedCapture();
    void annotationsScaleFromTheVideoRectangle();
};

void TestSnapshot::windowsAreCreatedHiddenAtStart() {
    auto form = build();
    QVERIFY(onScreen::window<QSnapWidget>() && onScreen::window<QVisualizer>());
    QVERIFY(!onScreen::window<QSnapWidget>()->isVisible());
    QVERIFY(!onScreen::window<QVisualizer>()->isVisible());
    QVERIFY(onScreen::window<QSnapWidget>()->isWindow() &&
            !onScreen::window<QSnapWidget>()->parentWidget());
    QVERIFY(onScreen::window<QVisualizer>()->isWindow() &&
            !onScreen::window<QVisualizer>()->parentWidget());
    const Qt::WindowFlags snapFlags = onScreen::window<QSnapWidget>()->windowFlags();
    QVERIFY(snapFlags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(snapFlags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(onScreen::window<QVisualizer>()->windowFlags().testFlag(Qt::FramelessWindowHint));

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    QCOMPARE(onScreen::window<QSnapWidget>()->size(), QSize(320, 240));
    QCOMPARE(onScreen::window<QSnapWidget>()->pos(),
             available.topLeft() + QPoint(available.width() - 320, available.height() - 240));
    QCOMPARE(QSnapWidget::placeIn(QRect(0, 0, 1280, 800)), QRect(960, 560, 320, 240));
    QCOMPARE(onScreen::window<QVisualizer>()->size(), screen->virtualGeometry().size());
    QCOMPARE(onScreen::window<QSnapWidget>()->cursor().shape(), Qt::OpenHandCursor);
    QCOMPARE(onScreen::window<QSnapWidget>()->snapCounter, 0);
    form.reset();
}

void TestSnapshot::linksAreGreenAndEnterTheModes() {
    auto form = build();
    QVERIFY(form->widgets()->labelMarkMode->text().contains(QStringLiteral("进入展台")));
    QVERIFY(form->widgets()->labelMarkMode->text().contains(QStringLiteral("color:#00A000")));
    QVERIFY(form->widgets()->labelSnapMode->text().contains(QStringLiteral("快速抓图")));
    QVERIFY(form->widgets()->labelSnapMode->text().contains(QStringLiteral("color:#00A000")));
    form->applyLanguage(1);
    QVERIFY(form->widgets()->labelMarkMode->text().contains(QStringLiteral("Whiteboard")));
    QVERIFY(form->widgets()->labelSnapMode->text().contains(QStringLiteral("Snapmode")));

    emit form->widgets()->labelMarkMode->linkActivated(QStringLiteral("http://example.invalid/"));
    QVERIFY(onScreen::window<QVisualizer>()->isVisible());
    onScreen::window<QVisualizer>()->leaveWhiteboard();
    emit form->widgets()->labelSnapMode->linkActivated(QStringLiteral("#"));
    QVERIFY(onScreen::window<QSnapWidget>()->isVisible());
    form.reset();
}

void TestSnapshot::enteringTheWhiteboardMovesTheVideoAndKeepsTheSmallWindow() {
    core().script.cameraCount = 2;
    auto form = build();
    mergeVicePicture(form.get());
    core().calls.clear();
    form->enterVisualizer(QString());
    QVERIFY(!form->isVisible());
    QVERIFY(onScreen::window<QVisualizer>()->isVisible());
    const fake::Call hwnd = core().callsOf("OrvSetHwnd").last();
    QCOMPARE(hwnd.args[0].toInt(), form->settings().mainCameraIndex);
    QCOMPARE(hwnd.args[1].toULongLong(), qulonglong(onScreen::window<QVisualizer>()->winId()));
    QCOMPARE(core().count("OrvSetHwnd"), 1);
    QVERIFY(onScreen::child<QSmallWidget>(form)->isVisible()); // not touched
    QVERIFY(onScreen::window<QVisualizer>()->board->isVisible());
    QVERIFY(onScreen::window<QVisualizer>()->panel->isVisible());
    form.reset();
}

void TestSnapshot::backButtonAndDoubleClickLeaveTheWhiteboard() {
    core().script.cameraCount = 2;
    auto form = build();
    mergeVicePicture(form.get());
    QVisualizer* board = onScreen::window<QVisualizer>();

    form->enterVisualizer(QString());
    onScreen::child<QSmallWidget>(form)->hide(); // shown again on leaving, as the box is checked
    core().calls.clear();
    QTest::mousePress(board->panel, Qt::LeftButton, {}, panel::buttonRect(panel::Back).center());
    QVERIFY(!board->isVisible());
    QVERIFY(form->isVisible());
    QVERIFY(onScreen::child<QSmallWidget>(form)->isVisible());
    QCOMPARE(lastHwndTarget(), qulonglong(form->cameras().surfaces().preview));
    QCOMPARE(core().callsOf("OrvSetHwnd").last().args[0].toInt(), form->settings().mainCameraIndex);

    // A double click over the picture lands on the top plate: a press for the
    // board, the whiteboard stays.
    form->enterVisualizer(QString());
    board->board->setTool(-1);
    QTest::mouseDClick(board->topPlate, Qt::LeftButton, {}, QPoint(600, 10));
    QVERIFY(board->isVisible());
    // One that reaches the whiteboard window itself leaves it.
    core().calls.clear();
    QMouseEvent dclick(QEvent::MouseButtonDblClick, QPointF(600, 10), QPointF(600, 10),
                       QPointF(600, 10), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(board, &dclick);
    QVERIFY(!board->isVisible());
    QVERIFY(form->isVisible());
    QCOMPARE(lastHwndTarget(), qulonglong(form->cameras().surfaces().preview));

    // Without the vice picture inside, leaving leaves the small window alone.
    form->widgets()->checkBoxInVideo->click();
    QVERIFY(!onScreen::child<QSmallWidget>(form)->isVisible());
    form->enterVisualizer(QString());
    board->leaveWhiteboard();
    QVERIFY(!onScreen::child<QSmallWidget>(form)->isVisible());
    form.reset();
}

void TestSnapshot::annotationsSurviveLeavingAndComingBack() {
    auto form = build();
    QVisualizer* window = onScreen::window<QVisualizer>();
    form->enterVisualizer(QString());
    QTest::mousePress(window->panel, Qt::LeftButton, {}, panel::buttonRect(panel::Line).center());
    QTest::mousePress(window->topPlate, Qt::LeftButton, {}, QPoint(300, 100));
    QTest::mouseRelease(window->topPlate, Qt::LeftButton, {}, QPoint(400, 100));
    window->leaveWhiteboard();
    form->enterVisualizer(QString());
    QCOMPARE(window->board->shapes().size(), 1);
    QVERIFY(window->panel->highlight()[3]);
    QCOMPARE(window->board->tool(), 1);
    form.reset();
}

void TestSnapshot::snapModeHidesTheSmallWindowAndDoubleClickBringsItBack() {
    core().script.cameraCount = 2;
    auto form = build();
    mergeVicePicture(form.get());
    core().calls.clear();
    form->switch2SnapMode(QString());
    QVERIFY(!form->isVisible());
    QVERIFY(!onScreen::child<QSmallWidget>(form)->isVisible());
    QVERIFY(onScreen::window<QSnapWidget>()->isVisible());
    QCOMPARE(lastHwndTarget(), qulonglong(onScreen::window<QSnapWidget>()->winId()));
    QCOMPARE(core().callsOf("OrvSetHwnd").last().args[0].toInt(), form->settings().mainCameraIndex);

    core().calls.clear();
    QTest::mouseDClick(onScreen::window<QSnapWidget>(), Qt::LeftButton);
    QVERIFY(!onScreen::window<QSnapWidget>()->isVisible());
    QVERIFY(form->isVisible());
    QVERIFY(onScreen::child<QSmallWidget>(form)->isVisible());
    QCOMPARE(lastHwndTarget(), qulonglong(form->cameras().surfaces().preview));

    // Esc leaves the same way instead of leaving every window hidden.
    form->switch2SnapMode(QString());
    QTest::keyClick(onScreen::window<QSnapWidget>(), Qt::Key_Escape);
    QVERIFY(!onScreen::window<QSnapWidget>()->isVisible());
    QVERIFY(form->isVisible());
    QCOMPARE(lastHwndTarget(), qulonglong(form->cameras().surfaces().preview));
    form.reset();
}

void TestSnapshot::snapshotNames() {
    QCOMPARE(snapshot::snapshotPath("/tmp/", 0), QByteArray("/tmp/Image00000.jpg"));
    QCOMPARE(snapshot::snapshotPath("/tmp/", 1), QByteArray("/tmp/Image00001.jpg"));
    QCOMPARE(snapshot::snapshotPath("/var/t", 42), QByteArray("/var/t/Image00042.jpg"));
    QCOMPARE(snapshot::snapshotPath("/tmp/", 123456), QByteArray("/tmp/Image123456.jpg"));
}

void TestSnapshot::successiveSnapshotsAreNumberedAndDragged() {
    writePicturesOnCapture(QSize(64, 48));
    auto form = build();
    form->switch2SnapMode(QString());
    QSnapWidget* snap = onScreen::window<QSnapWidget>();
    core().calls.clear();
    for (int i = 0; i < 3; ++i)
        snap->mouseClick();

    QList<QByteArray> paths;
    for (const fake::Call& c : core().callsOf("OrvCapture")) {
        QCOMPARE(c.args[0].toInt(), form->settings().mainCameraIndex);
        paths << c.args[1].toByteArray();
    }
    QCOMPARE(paths,
             (QList<QByteArray>{platform::toLocal(snapFile(0)), platform::toLocal(snapFile(1)),
                                platform::toLocal(snapFile(2))}));
    QCOMPARE(drags.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(drags[i].source, static_cast<QWidget*>(snap));
        QCOMPARE(drags[i].urls, QList<QUrl>{QUrl::fromLocalFile(snapFile(i))});
        QCOMPARE(drags[i].actions, Qt::CopyAction | Qt::MoveAction);
        QCOMPARE(drags[i].preferred, Qt::CopyAction);
    }
    QCOMPARE(snap->snapCounter, 3);
    QVERIFY(!snap->holdTimer.isActive());
    QVERIFY(env.messages.isEmpty());
    form.reset();

    // A new run starts again at 00000.
    core().calls.clear();
    form = build();
    onScreen::window<QSnapWidget>()->mouseClick();
    QCOMPARE(core().callsOf("OrvCapture").first().args[1].toByteArray(),
             platform::toLocal(snapFile(0)));
    form.reset();
}

void TestSnapshot::quickClickCapturesNothingAndAHoldDrags() {
    writePicturesOnCapture(QSize(64, 48));
    auto form = build();
    form->switch2SnapMode(QString());
    QSnapWidget* snap = onScreen::window<QSnapWidget>();
    core().calls.clear();
    QTest::mousePress(snap, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(snap->holdTimer.isActive());
    QCOMPARE(snap->holdTimer.interval(), 300);
    QTest::mouseRelease(snap, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(!snap->holdTimer.isActive()); // released before the hold: no drag
    QCOMPARE(snap->cursor().shape(), Qt::OpenHandCursor);
    QTest::qWait(400);
    QVERIFY(drags.isEmpty());
    QCOMPARE(core().count("OrvCapture"), 0);

    // Held down past the hold: captured and dragged while the button is down.
    QTest::mousePress(snap, Qt::LeftButton, {}, QPoint(100, 100));
    QTRY_COMPARE(drags.size(), 1);
    QCOMPARE(drags.first().urls, QList<QUrl>{QUrl::fromLocalFile(snapFile(0))});
    QVERIFY(!snap->holdTimer.isActive());
    QTest::mouseRelease(snap, Qt::LeftButton, {}, QPoint(100, 100));
    form.reset();
}

void TestSnapshot::doubleClickWithinTheHoldLeavesWithoutCapturing() {
    writePicturesOnCapture(QSize(64, 48));
    auto form = build();
    form->switch2SnapMode(QString());
    QSnapWidget* snap = onScreen::window<QSnapWidget>();
    core().calls.clear();
    QTest::mousePress(snap, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseRelease(snap, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseDClick(snap, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(!snap->holdTimer.isActive());
    QVERIFY(!snap->isVisible());
    QVERIFY(form->isVisible());
    QCOMPARE(core().count("OrvCapture"), 0);
    QVERIFY(drags.isEmpty());
    form.reset();
}

void TestSnapshot::failedCaptureStartsNoDrag() {
    writePicturesOnCapture(QSize(64, 48));
    auto form = build();
    form->switch2SnapMode(QString());
    core().script.captureResult = 0;
    onScreen::window<QSnapWidget>()->mouseClick();
    QVERIFY(drags.isEmpty());
    QVERIFY(!QFileInfo::exists(snapFile(0)));
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(onScreen::window<QSnapWidget>()->cursor().shape(), Qt::OpenHandCursor);

    // A library that reports success without writing the file: no drag either.
    core().onCall = nullptr;
    core().script.captureResult = 1;
    core().script.writeFiles = false;
    onScreen::window<QSnapWidget>()->mouseClick();
    QVERIFY(drags.isEmpty());
    core().script.writeFiles = true;

    // The next one that works is dragged, under the next number.
    writePicturesOnCapture(QSize(64, 48));
    onScreen::window<QSnapWidget>()->mouseClick();
    QCOMPARE(drags.size(), 1);
    QCOMPARE(drags.first().urls, QList<QUrl>{QUrl::fromLocalFile(snapFile(2))});
    form.reset();
}

void TestSnapshot::plantedLinkIsNotFollowed() {
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.path() + QStringLiteral("/victim.txt");
    {
        QFile f(victim);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    QVERIFY(QFile::link(victim, snapFile(0)));
    bool clearAtCapture = false;
    core().onCall = [&clearAtCapture, this](const fake::Call& c) {
        if (c.name != "OrvCapture")
            return;
        const QFileInfo there(snapFile(0));
        clearAtCapture = !there.exists() && !there.isSymLink();
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(Qt::white);
        img.save(QString::fromLocal8Bit(c.args[1].toByteArray()), "JPG");
    };
    auto form = build();
    form->switch2SnapMode(QString());
    onScreen::window<QSnapWidget>()->mouseClick();
    QVERIFY(clearAtCapture);
    QVERIFY(!QFileInfo(snapFile(0)).isSymLink());
    QFile f(victim);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
    QCOMPARE(drags.size(), 1);
    form.reset();
}

void TestSnapshot::saveWritesTheAnnotatedPictureAsACapture() {
    // The picture (640 x 480) was shown at (100, 50)-(420, 290): half size.
    writePicturesOnCapture(QSize(640, 480));
    core().script.rect[0] = 100;
    core().script.rect[1] = 50;
    core().script.rect[2] = 420;
    core().script.rect[3] = 290;
    auto form = build();
    form->widgets()->comboBoxFmt->setCurrentIndex(3); // another format: saved as JPEG all the same
    QVisualizer* window = onScreen::window<QVisualizer>();
    form->enterVisualizer(QString());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));

    QBasePlate* board = window->board;
    board->setColor(Qt::red);
    board->setOpacity(255);
    board->setLineWidth(4);
    board->setTool(1);
    QTest::mousePress(window->topPlate, Qt::LeftButton, {}, QPoint(150, 100));
    QTest::mouseRelease(window->topPlate, Qt::LeftButton, {}, QPoint(250, 100));
    board->setTool(7); // an eraser clears shapes, never the picture
    QTest::mousePress(window->topPlate, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(window->topPlate, QPoint(300, 200));
    QTest::mouseRelease(window->topPlate, Qt::LeftButton, {}, QPoint(300, 200));

    core().calls.clear();
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(core().count("OrvCapture"), 1);
    QCOMPARE(core().callsOf("OrvCapture").first().args[0].toInt(),
             form->settings().mainCameraIndex);
    QVERIFY(env.messages.isEmpty());
    QCOMPARE(onScreen::strip(form).count(), 1);
    const QString saved = QString::fromLocal8Bit(onScreen::strip(form).pathAt(0));
    QVERIFY(saved.endsWith(QStringLiteral(".jpg")));
    QVERIFY(saved.startsWith(QString::fromLocal8Bit(onScreen::folder(form))));
    const QImage img(saved);
    QCOMPARE(img.size(), QSize(640, 480));
    const QColor onLine = img.pixelColor(200, 100); // board (200, 100)
    QVERIFY(onLine.red() > 200 && onLine.green() < 80 && onLine.blue() < 80);
    const QColor beside = img.pixelColor(200, 130);
    QVERIFY(beside.red() > 230 && beside.green() > 230 && beside.blue() > 230);
    const QColor erased = img.pixelColor(400, 300); // board (300, 200)
    QVERIFY(erased.red() > 230 && erased.green() > 230 && erased.blue() > 230);
    // The temporary frame is gone.
    const QByteArray frame = core().callsOf("OrvCapture").first().args[1].toByteArray();
    QVERIFY(!QFileInfo::exists(QString::fromLocal8Bit(frame)));
    QVERIFY(!frame.startsWith(onScreen::folder(form)));
    form.reset();
}

void TestSnapshot::saveReportsAFailedCapture() {
    auto form = build();
    form->enterVisualizer(QString());
    core().script.captureResult = 0;
    QVERIFY(!form->saveAnnotatedCapture());
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(onScreen::strip(form).count(), 0);
    // Success reported without a readable picture: also a failure.
    core().script.captureResult = 1;
    QVERIFY(!form->saveAnnotatedCapture());
    QCOMPARE(env.messages.size(), 2);
    QCOMPARE(onScreen::strip(form).count(), 0);
    form.reset();
}

void TestSnapshot::annotationsScaleFromTheVideoRectangle() {
    const QTransform t = annotation::boardToPicture(QRect(100, 50, 320, 240), QSize(640, 480));
    QCOMPARE(t.map(QPointF(100, 50)), QPointF(0, 0));
    QCOMPARE(t.map(QPointF(420, 290)), QPointF(640, 480));
    QCOMPARE(t.map(QPointF(200, 100)), QPointF(200, 100));
    QVERIFY(annotation::boardToPicture(QRect(), QSize(10, 10)).isIdentity());
}

QTEST_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
