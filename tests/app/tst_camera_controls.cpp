// The main window's camera controls against the fake library: switching
// cameras, resolutions and DPI, view operations, picture-in-picture, picture
// adjustments.

#include "AppTestEnv.h"
#include "camera/QPreviewWidget.h"
#include "camera/QSmallWidget.h"
#include "camera/SmallWindowGeometry.h"
#include "ui_MainForm.h"

#include <QTimerEvent>
#include <QtTest>

using fake::core;

class TestCameraControls : public QObject {
    Q_OBJECT
    AppTestEnv env;

    static QList<int> firstArgs(const char* name) {
        QList<int> out;
        for (const fake::Call& c : core().callsOf(name))
            out << c.args.value(0).toInt();
        return out;
    }

    static QTimer* fitTimer(MainForm* form) {
        return form->findChild<QTimer*>(QStringLiteral("fitTimer"));
    }

    // Three cameras, main 0, vice preview on with vice 1.
    std::unique_ptr<MainForm> threeCamerasWithVice() {
        core().script.cameraCount = 3;
        auto form = env.makeForm();
        form->widgets()->checkBoxPIP->click();
        return form;
    }

private slots:
    void init() { env.setUp(); }

    void choosingTheViceCameraAsMainSwapsWithoutReopening();
    void choosingAnotherCameraReopensAndViceBecomesFirstEntry();
    void withViceOffTheViceIndexEndsAtTheHighestOther();
    void viceListPositionsSkipTheMainCamera();
    void sameResolutionDoesNothing();
    void fitTimerGivesUpAfterTenTicks();
    void fitTimerStopsOnceTheRectangleIsValid();
    void dpiListPassesTheNumber();
    void zoomIsOffWhileTheVicePictureIsInside();
    void newMainCameraGetsEverySetting_data();
    void newMainCameraGetsEverySetting();
    void viceOffWhileInsideTheMainPictureRestoresZoom();
    void controlsShowWhatTheNewMainCameraRuns_data();
    void controlsShowWhatTheNewMainCameraRuns();
    void sliderZoomUsesTheRange();
    void rotationArithmetic();
    void switchWithoutVicePreviewIsRefused();
    void switchSwapsTheWindows();
    void smallWindowStaysInsideTheVideo();
    void allowedAreaFallsBackTo200();
    void smallWindowHitZones();
    void leavingAutoExposureKeepsTheStoredValue();
    void exposureSliderUnderAutoChangesOnlyTheLabel();
    void jpegQualityZeroShowsZeroWithSliderAtOne();
    void startupRotationCodes_data();
    void startupRotationCodes();
    void presetsSelectColourModes();
    void propertyDialogRereadsTheSliders();
};

void TestCameraControls::choosingTheViceCameraAsMainSwapsWithoutReopening() {
    auto form = threeCamerasWithVice();
    QCOMPARE(form->cameras().vice(), 1);
    core().calls.clear();
    form->widgets()->comboBoxDev->setCurrentIndex(1);
    QCOMPARE(form->settings().mainCameraIndex, 1);
    QCOMPARE(form->cameras().vice(), 0);
    QCOMPARE(core().count("OrvOpenCamera"), 0);
    QCOMPARE(core().count("OrvCloseCamera"), 0);
    const QList<fake::Call> moves = core().callsOf("OrvSetHwnd");
    QCOMPARE(moves.size(), 2);
    QCOMPARE(moves[0].args[0].toInt(), 1);
    QCOMPARE(moves[0].args[1].toULongLong(), qulonglong(form->cameras().surfaces().preview));
    QCOMPARE(moves[1].args[0].toInt(), 0);
    QCOMPARE(moves[1].args[1].toULongLong(), qulonglong(form->cameras().surfaces().viceArea));
    form.reset();
}

void TestCameraControls::choosingAnotherCameraReopensAndViceBecomesFirstEntry() {
    auto form = threeCamerasWithVice();
    core().calls.clear();
    form->widgets()->comboBoxDev->setCurrentIndex(2);
    QCOMPARE(form->settings().mainCameraIndex, 2);
    QCOMPARE(form->cameras().vice(), 0);
    // Main 0 closed and 2 opened; then vice 1 gives way to camera 0.
    QCOMPARE(firstArgs("OrvCloseCamera"), (QList<int>{0, 1}));
    QCOMPARE(firstArgs("OrvOpenCamera"), (QList<int>{2, 0}));
    QCOMPARE(form->widgets()->comboBoxDev_2->count(), 2);
    form.reset();
}

void TestCameraControls::withViceOffTheViceIndexEndsAtTheHighestOther() {
    core().script.cameraCount = 3;
    auto form = env.makeForm();
    form->widgets()->comboBoxDev->setCurrentIndex(1);
    QCOMPARE(form->settings().mainCameraIndex, 1);
    QCOMPARE(form->cameras().vice(), 2);
    // The resolution list and colour mode start over at entry 0.
    QCOMPARE(form->widgets()->comboBoxRes->currentIndex(), 0);
    QCOMPARE(core().callsOf("OrvSetZoomCB").last().args[0].toInt(), 1);
    form.reset();
}

void TestCameraControls::viceListPositionsSkipTheMainCamera() {
    env.writeProfile("DevIndex=1\n");
    core().script.cameraCount = 3;
    auto form = env.makeForm();
    QCOMPARE(form->cameras().viceAt(0), 0);
    QCOMPARE(form->cameras().viceAt(1), 2);
    form->widgets()->checkBoxPIP->click();
    form->widgets()->comboBoxDev_2->setCurrentIndex(1);
    QCOMPARE(form->cameras().vice(), 2);
    QCOMPARE(core().callsOf("OrvOpenCamera").last().args[0].toInt(), 2);
    form.reset();
}

void TestCameraControls::sameResolutionDoesNothing() {
    auto form = env.makeForm();
    core().calls.clear();
    form->widgets()->comboBoxRes->setCurrentIndex(0);
    QCOMPARE(core().count("OrvSetResolution"), 0);
    QVERIFY(!fitTimer(form.get()) || !fitTimer(form.get())->isActive());
    form->widgets()->comboBoxRes->setCurrentIndex(2);
    QCOMPARE(core().callsOf("OrvSetResolution").first().args[1].toInt(), 2);
    QCOMPARE(form->cameras().mainVideoSize().width(), 640);
    QVERIFY(fitTimer(form.get())->isActive());
    QCOMPARE(fitTimer(form.get())->interval(), 1000);
    form.reset();
}

// The fit asks the library for the picture rectangle once a tick.
void TestCameraControls::fitTimerGivesUpAfterTenTicks() {
    core().script.videoRect = "";
    core().script.rect[2] = 0; // never a valid rectangle
    auto form = env.makeForm();
    form->widgets()->comboBoxRes->setCurrentIndex(1);
    QTimer* timer = fitTimer(form.get());
    core().calls.clear();
    timer->setInterval(1);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(core().count("OrvGetVideoRectEx"), 10);
    form.reset();
}

void TestCameraControls::fitTimerStopsOnceTheRectangleIsValid() {
    auto form = env.makeForm();
    form->widgets()->comboBoxRes->setCurrentIndex(1);
    QTimer* timer = fitTimer(form.get());
    // A second change replaces the wait: ten ticks again from now.
    form->widgets()->comboBoxRes->setCurrentIndex(2);
    QCOMPARE(form->findChildren<QTimer*>(QStringLiteral("fitTimer")).size(), 1);
    core().calls.clear();
    timer->setInterval(1);
    QTRY_VERIFY(!timer->isActive());
    // One tick reads the settled rectangle; the fit reads it again.
    QCOMPARE(core().count("OrvGetVideoRect"), 2);
    form.reset();
}

void TestCameraControls::dpiListPassesTheNumber() {
    auto form = env.makeForm();
    QCOMPARE(form->widgets()->comboBoxDPI->count(), 7);
    form->widgets()->comboBoxDPI->setCurrentIndex(2);
    QCOMPARE(core().callsOf("OrvSetDPI").last().args[1].toInt(), 255);
    QCOMPARE(form->settings().DPIIndex, 2);
    form.reset();
}

void TestCameraControls::newMainCameraGetsEverySetting_data() {
    QTest::addColumn<bool>("vicePreview");
    QTest::newRow("vice off") << false;
    QTest::newRow("vice on, swap") << true;
}

void TestCameraControls::newMainCameraGetsEverySetting() {
    QFETCH(bool, vicePreview);
    env.writeProfile("DelBack=1\nAutoCrop=1\nResizeImage=1\nResizeImageRatio=0.5\nDPIIndex=3\n");
    core().script.cameraCount = 2;
    auto form = env.makeForm();
    if (vicePreview)
        form->widgets()->checkBoxPIP->click();
    form->widgets()->horizontalSliderJPG->setValue(42);
    emit form->widgets()->horizontalSliderJPG->sliderMoved(42);
    core().calls.clear();
    core().zoomCallback = nullptr;
    form->widgets()->comboBoxDev->setCurrentIndex(1);
    QCOMPARE(form->settings().mainCameraIndex, 1);
    // What the slider and boxes show is what camera 1 now captures with.
    auto last = [](const char* name) { return core().callsOf(name).last().args; };
    QCOMPARE(last("OrvSetJpgQuality"), (QVariantList{1, 42}));
    QCOMPARE(last("OrvSetDPI"), (QVariantList{1, 300}));
    QCOMPARE(last("OrvDelBackColor"), (QVariantList{1, true}));
    QCOMPARE(last("OrvEnableAutoRotate"), (QVariantList{1, true}));
    QCOMPARE(last("OrvSetResize").value(0).toInt(), 1);
    QCOMPARE(last("OrvSetResize").value(1).toBool(), true);
    QCOMPARE(last("OrvSetZoomCB").value(0).toInt(), 1);
    QVERIFY(core().zoomCallback);
    QCOMPARE(form->widgets()->horizontalSliderJPG->value(), 42);
    form.reset();
}

void TestCameraControls::controlsShowWhatTheNewMainCameraRuns_data() {
    QTest::addColumn<bool>("byList");
    QTest::newRow("swap button") << false;
    QTest::newRow("device list") << true;
}

// Grey colour mode, manual exposure -3 and the capture rectangle: after a
// swap the new main camera runs them and the controls still show them.
void TestCameraControls::controlsShowWhatTheNewMainCameraRuns() {
    QFETCH(bool, byList);
    env.writeProfile("AutoExp=0\nExposure=-3\n");
    core().script.cameraCount = 2;
    core().script.exposure = {true, 0, -13, -6};
    auto form = env.makeForm();
    Ui::MainForm* ui = form->widgets();
    ui->checkBoxPIP->click();
    ui->comboBoxColor->setCurrentIndex(1);
    ui->pushButtonCut->click();
    core().calls.clear();
    if (byList)
        ui->comboBoxDev->setCurrentIndex(1);
    else
        ui->pushButtonSwitchMainSub->click();
    QCOMPARE(form->settings().mainCameraIndex, 1);
    auto last = [](const char* name) { return core().callsOf(name).last().args; };
    QCOMPARE(last("OrvSetDevColor"), (QVariantList{1, 1}));
    QCOMPARE(ui->comboBoxColor->currentIndex(), 1);
    QCOMPARE(last("OrvSetExposure"), (QVariantList{1, false, -3}));
    QVERIFY(!ui->checkBoxAutoExp->isChecked());
    QVERIFY(ui->horizontalSliderexpos->isEnabled());
    QCOMPARE(ui->label_Expos->text(), QStringLiteral("-3"));
    QCOMPARE(last("OrvSetMouseMode"), (QVariantList{1, 1}));
    QVERIFY(ui->pushButtonCut->isChecked());
    QVERIFY(!ui->pushButtonDrag->isChecked());
    form.reset();
}

void TestCameraControls::viceOffWhileInsideTheMainPictureRestoresZoom() {
    core().script.cameraCount = 2;
    auto form = env.makeForm();
    form->widgets()->checkBoxPIP->click();
    form->widgets()->checkBoxInVideo->click();
    QVERIFY(onScreen::child<QSmallWidget>(form)->isVisible());
    form->widgets()->checkBoxPIP->click();
    QVERIFY(form->cameras().zoomEnabled());
    QVERIFY(!form->widgets()->checkBoxInVideo->isChecked());
    QCOMPARE(core().callsOf("OrvSetMouseMode").last().args, (QVariantList{0, 0}));
    // No empty small window comes back over the picture.
    form->resize(form->width() + 40, form->height() + 20);
    QCoreApplication::processEvents();
    QVERIFY(!onScreen::child<QSmallWidget>(form)->isVisible());
    core().calls.clear();
    form->widgets()->pushButtonZoomIn->click();
    QCOMPARE(core().count("OrvZoomIn"), 1);
    form.reset();
}

void TestCameraControls::zoomIsOffWhileTheVicePictureIsInside() {
    core().script.cameraCount = 2;
    auto form = env.makeForm();
    form->widgets()->checkBoxPIP->click();
    form->widgets()->checkBoxInVideo->click();
    QVERIFY(!form->cameras().zoomEnabled());
    QCOMPARE(core().callsOf("OrvSetMouseMode").last().args[1].toInt(), -1);
    QCOMPARE(core().callsOf("OrvSetHwnd").last().args[1].toULongLong(),
             qulonglong(form->cameras().surfaces().smallWindow));
    QVERIFY(onScreen::child<QSmallWidget>(form)->isVisible());
    core().calls.clear();
    form->widgets()->pushButtonZoomIn->click();
    form->widgets()->pushButtonZoomOut->click();
    emit form->widgets()->horizontalSliderScale->sliderReleased();
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(onScreen::child<QPreviewWidget>(form), &wheel);
    QCOMPARE(core().names({"OrvZoomIn", "OrvZoomOut", "OrvZoom", "OrvOnWheel"}), QStringList());

    form->widgets()->checkBoxInVideo->click();
    QVERIFY(form->cameras().zoomEnabled());
    QVERIFY(!onScreen::child<QSmallWidget>(form)->isVisible());
    QCoreApplication::sendEvent(onScreen::child<QPreviewWidget>(form), &wheel);
    QCOMPARE(core().callsOf("OrvOnWheel").last().args[1].toInt(), 120);
    form.reset();
}

void TestCameraControls::sliderZoomUsesTheRange() {
    core().script.minZoom = 1.0f;
    core().script.maxZoom = 4.0f;
    auto form = env.makeForm();
    form->widgets()->horizontalSliderScale->setValue(50);
    emit form->widgets()->horizontalSliderScale->sliderReleased();
    QCOMPARE(core().callsOf("OrvZoom").last().args[1].toFloat(), 2.5f);
    form.reset();
}

void TestCameraControls::rotationArithmetic() {
    auto form = env.makeForm();
    form->widgets()->pushButtonRotateLeft->click();
    QCOMPARE(form->settings().RotateAngle, 270);
    for (int i = 0; i < 3; ++i)
        form->widgets()->pushButtonRotateLeft->click();
    QCOMPARE(form->settings().RotateAngle, 0);
    form->widgets()->pushButtonRotateRight->click();
    QCOMPARE(form->settings().RotateAngle, 90);
    QCOMPARE(core().count("OrvRotateLeft"), 4);
    QCOMPARE(core().count("OrvRotateRight"), 1);
    form.reset();
}

void TestCameraControls::switchWithoutVicePreviewIsRefused() {
    core().script.cameraCount = 2;
    auto form = env.makeForm();
    form->onSwitchMainSub();
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages.first().first, QStringLiteral("副头未开启"));
    QCOMPARE(form->settings().mainCameraIndex, 0);
    form.reset();
}

void TestCameraControls::switchSwapsTheWindows() {
    core().script.cameraCount = 2;
    auto form = env.makeForm();
    form->widgets()->checkBoxPIP->click();
    form->widgets()->checkBoxAutoCrop->click();
    core().calls.clear();
    form->widgets()->pushButtonSwitchMainSub->click();
    QCOMPARE(form->settings().mainCameraIndex, 1);
    QCOMPARE(form->cameras().vice(), 0);
    const QList<fake::Call> moves = core().callsOf("OrvSetHwnd");
    QCOMPARE(moves[0].args[1].toULongLong(), qulonglong(form->cameras().surfaces().viceArea));
    QCOMPARE(moves[1].args[0].toInt(), 1);
    QCOMPARE(moves[1].args[1].toULongLong(), qulonglong(form->cameras().surfaces().preview));
    // Auto crop follows the main camera.
    const QList<fake::Call> crops = core().callsOf("OrvEnableAutoRotate");
    QVERIFY(crops.contains(fake::Call{"OrvEnableAutoRotate", {1, true}}));
    QVERIFY(crops.contains(fake::Call{"OrvEnableAutoRotate", {0, false}}));
    form.reset();
}

void TestCameraControls::smallWindowStaysInsideTheVideo() {
    const QRect area = smallwindow::allowedArea(QSize(136, 100), QPoint(202, 66),
                                                smallwindow::VideoRect{10, 20, 610, 470});
    QCOMPARE(area, QRect(QPoint(212, 86), QPoint(202 + 610 - 136, 66 + 470 - 100)));
    QCOMPARE(smallwindow::clamp(QPoint(0, 0), area), area.topLeft());
    QCOMPARE(smallwindow::clamp(QPoint(5000, 5000), area), area.bottomRight());
    QCOMPARE(smallwindow::clamp(QPoint(300, 200), area), QPoint(300, 200));

    QSmallWidget small(nullptr);
    small.placement.setArea(area);
    small.moveClamped(QPoint(-50, 4000));
    QCOMPARE(small.pos(), QPoint(area.left(), area.bottom()));
    // A move from anywhere else is put back too.
    small.show();
    small.move(QPoint(9000, 0));
    QCoreApplication::processEvents();
    QCOMPARE(small.pos(), QPoint(area.right(), area.top()));

    const smallwindow::VideoRect parsed = smallwindow::parseVideoRect("12.34.567.890");
    QCOMPARE(parsed.left, 12);
    QCOMPARE(parsed.bottom, 890);
    QCOMPARE(smallwindow::parseVideoRect("1.2.3.4").right, 0); // 7 characters: not parsed
}

void TestCameraControls::allowedAreaFallsBackTo200() {
    const QRect area =
        smallwindow::allowedArea(QSize(136, 100), QPoint(100, 50), smallwindow::VideoRect{});
    QCOMPARE(area, QRect(QPoint(100, 50), QPoint(100 + 200 - 136, 50 + 200 - 100)));
}

void TestCameraControls::smallWindowHitZones() {
    const QSize s(136, 100);
    QCOMPARE(smallwindow::hitZone(QPoint(1, 1), s), 0);
    QCOMPARE(smallwindow::hitZone(QPoint(60, 1), s), 1);
    QCOMPARE(smallwindow::hitZone(QPoint(134, 1), s), 2);
    QCOMPARE(smallwindow::hitZone(QPoint(1, 50), s), 10);
    QCOMPARE(smallwindow::hitZone(QPoint(60, 50), s), 11);
    QCOMPARE(smallwindow::hitZone(QPoint(135, 99), s), 22);
    QCOMPARE(smallwindow::cursorForZone(22), Qt::SizeFDiagCursor);
    QCOMPARE(smallwindow::cursorForZone(20), Qt::SizeBDiagCursor);
    QCOMPARE(smallwindow::cursorForZone(21), Qt::SizeVerCursor);
    QCOMPARE(smallwindow::cursorForZone(12), Qt::SizeHorCursor);
    QCOMPARE(smallwindow::cursorForZone(11), Qt::ArrowCursor);
}

void TestCameraControls::leavingAutoExposureKeepsTheStoredValue() {
    env.writeProfile("AutoExp=1\nExposure=-6\n");
    auto form = env.makeForm();
    QVERIFY(form->widgets()->checkBoxAutoExp->isChecked());
    QVERIFY(!form->widgets()->horizontalSliderexpos->isEnabled());
    QVERIFY(form->widgets()->label_Expos->text().isEmpty());
    form->widgets()->checkBoxAutoExp->click();
    QVERIFY(!form->settings().AutoExp);
    QVERIFY(form->widgets()->horizontalSliderexpos->isEnabled());
    // An empty value label must not send the camera to exposure 0.
    QCOMPARE(core().callsOf("OrvSetExposure").last().args, (QVariantList{0, false, -6}));
    form->widgets()->checkBoxAutoExp->click();
    QCOMPARE(core().callsOf("OrvSetExposure").last().args[1].toBool(), true);
    form.reset();
}

void TestCameraControls::exposureSliderUnderAutoChangesOnlyTheLabel() {
    env.writeProfile("AutoExp=1\n");
    auto form = env.makeForm();
    const int before = core().count("OrvSetExposure");
    emit form->widgets()->horizontalSliderexpos->sliderMoved(-7);
    QCOMPARE(form->widgets()->label_Expos->text(), QStringLiteral("-7"));
    QCOMPARE(core().count("OrvSetExposure"), before);
    form.reset();

    core().reset();
    env.writeProfile("AutoExp=0\nExposure=-3\n");
    form = env.makeForm();
    emit form->widgets()->horizontalSliderexpos->sliderMoved(-8);
    QCOMPARE(core().callsOf("OrvSetExposure").last().args, (QVariantList{0, false, -8}));
    QCOMPARE(form->settings().Exposure, -8);
    form.reset();
}

void TestCameraControls::jpegQualityZeroShowsZeroWithSliderAtOne() {
    env.writeProfile("JPGQuality=0\n");
    auto form = env.makeForm();
    QCOMPARE(form->widgets()->horizontalSliderJPG->value(), 1);
    QCOMPARE(form->widgets()->label_JPG->text(), QStringLiteral("0"));
    QCOMPARE(core().callsOf("OrvSetJpgQuality").first().args[1].toInt(), 0);
    emit form->widgets()->horizontalSliderJPG->sliderMoved(90);
    QCOMPARE(form->settings().JPGQuality, 90);
    QCOMPARE(form->widgets()->label_JPG->text(), QStringLiteral("90"));
    form.reset();
}

void TestCameraControls::startupRotationCodes_data() {
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("code");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("90") << 90 << 1;
    QTest::newRow("180") << 180 << 2;
    QTest::newRow("270") << 270 << 3;
    QTest::newRow("45") << 45 << 0;
}

void TestCameraControls::startupRotationCodes() {
    QFETCH(int, angle);
    QFETCH(int, code);
    env.writeProfile("RotateAngle=" + QByteArray::number(angle) + "\n");
    auto form = env.makeForm();
    QCOMPARE(core().callsOf("OrvSetRotate").first().args[1].toInt(), code);
    form.reset();
}

void TestCameraControls::presetsSelectColourModes() {
    auto form = env.makeForm();
    form->widgets()->radioButtonDocument->click();
    QCOMPARE(form->widgets()->comboBoxColor->currentIndex(), 2);
    form->widgets()->radioButtonCredent->click();
    QCOMPARE(form->widgets()->comboBoxColor->currentIndex(), 0);
    form.reset();
}

void TestCameraControls::propertyDialogRereadsTheSliders() {
    core().script.props[1] = fake::VideoProp{false, 64, -64, 10};
    core().script.props[3] = fake::VideoProp{false, 200, 0, 120};
    core().script.exposure = fake::VideoProp{true, -1, -13, -5};
    auto form = env.makeForm();
    form->widgets()->pushButtonSetImage->click();
    QCOMPARE(core().callsOf("OrvShowVideoProperty").first().args[0].toInt(), 0);
    QCOMPARE(form->widgets()->horizontalSliderContrast->minimum(), -64);
    QCOMPARE(form->widgets()->horizontalSliderContrast->value(), 10);
    QCOMPARE(form->widgets()->label_Saut->text(), QStringLiteral("120"));
    QVERIFY(form->settings().AutoExp);
    QVERIFY(form->widgets()->checkBoxAutoExp->isChecked());
    form.reset();
}

QTEST_MAIN(TestCameraControls)
#include "tst_camera_controls.moc"
