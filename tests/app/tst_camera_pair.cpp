// The camera pair on its own, against the fake library: the transitions
// leave main, vice, vice mode and the stored settings consistent.

#include "FakeOrvCore.h"
#include "camera/CameraPair.h"

#include <QtTest>

using camera::CameraPair;
using camera::ViceMode;
using fake::core;

class TestCameraPair : public QObject {
    Q_OBJECT
    Settings cfg;

    static QVariantList lastArgs(const char* name) { return core().callsOf(name).last().args; }

private slots:
    void init() {
        core().reset();
        cfg = Settings();
    }

    // Whichever way a camera becomes main, it gets the colour mode, the
    // exposure and the mouse mode of the table, as every other setting.
    void everyPathGivesTheNewMainTheSettings_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("swap") << "swap";
        QTest::newRow("device list, the vice camera") << "list vice";
        QTest::newRow("device list, another camera") << "list other";
        QTest::newRow("arrival") << "arrival";
    }
    void everyPathGivesTheNewMainTheSettings() {
        QFETCH(QString, path);
        cfg.colorMode = 1;
        cfg.AutoExp = false;
        cfg.Exposure = -3;
        core().script.cameraCount = path == "arrival" ? 0 : 3;
        CameraPair pair(cfg);
        pair.start();
        pair.setMouseMode(1);
        if (path != "arrival")
            pair.setViceMode(ViceMode::OwnArea, 1);
        core().calls.clear();
        int expected = 1;
        if (path == "swap") {
            QVERIFY(pair.swap());
        } else if (path == "list vice") {
            QVERIFY(pair.selectMain(1));
        } else if (path == "list other") {
            QVERIFY(pair.selectMain(2));
            expected = 2;
        } else {
            core().script.cameraCount = 1;
            QVERIFY(pair.deviceArrived());
            expected = 0;
        }
        QCOMPARE(pair.main(), expected);
        QCOMPARE(lastArgs("OrvSetDevColor"), (QVariantList{expected, 1}));
        QCOMPARE(lastArgs("OrvSetExposure"), (QVariantList{expected, false, -3}));
        QCOMPARE(lastArgs("OrvSetMouseMode"), (QVariantList{expected, 1}));
        QCOMPARE(lastArgs("OrvSetJpgQuality").value(0).toInt(), expected);
        for (const QByteArray& name : {QByteArray("colour mode"), QByteArray("exposure"),
                                       QByteArray("mouse mode"), QByteArray("watermark")})
            QVERIFY(CameraPair::mainSettingNames().contains(name));
    }

    // Into the picture-in-picture the main camera takes no mouse; out of it
    // the chosen mode comes back, and a swap inside it keeps the rule.
    void pictureInPictureSuspendsTheChosenMouseMode() {
        core().script.cameraCount = 2;
        CameraPair pair(cfg);
        pair.start();
        pair.setMouseMode(1);
        pair.setViceMode(ViceMode::OwnArea, 1);
        pair.setViceMode(ViceMode::InPicture);
        QCOMPARE(lastArgs("OrvSetMouseMode"), (QVariantList{0, -1}));
        pair.swap();
        QCOMPARE(lastArgs("OrvSetMouseMode"), (QVariantList{1, -1}));
        pair.setViceMode(ViceMode::OwnArea);
        QCOMPARE(lastArgs("OrvSetMouseMode"), (QVariantList{1, 1}));
    }

    // Main and vice follow their devices when cameras arrive before them or
    // leave; no camera is opened or closed for a mere move.
    void mainAndViceFollowTheirDevices() {
        core().script.cameraCount = 3;
        core().script.names = {"A", "B", "C"};
        cfg.mainCameraIndex = 1;
        CameraPair pair(cfg);
        pair.start();
        pair.setViceMode(ViceMode::OwnArea, 2);
        core().calls.clear();
        core().script.cameraCount = 4;
        core().script.names = {"D", "A", "B", "C"};
        QVERIFY(!pair.deviceArrived());
        QCOMPARE(pair.main(), 2);
        QCOMPARE(cfg.mainCameraIndex, 2);
        QCOMPARE(pair.vice(), 3);
        core().script.cameraCount = 3;
        core().script.names = {"D", "B", "C"};
        pair.deviceRemoved();
        QCOMPARE(pair.main(), 1);
        QCOMPARE(pair.vice(), 2);
        QVERIFY(!pair.cameraMissing());
        QCOMPARE(core().count("OrvOpenCamera"), 0);
        QCOMPARE(core().count("OrvCloseCamera"), 0);
        // The main camera's own device leaves and comes back elsewhere.
        core().script.cameraCount = 2;
        core().script.names = {"D", "C"};
        pair.deviceRemoved();
        QVERIFY(pair.cameraMissing());
        QCOMPARE(pair.vice(), 1);
        core().script.cameraCount = 3;
        core().script.names = {"D", "C", "B"};
        QVERIFY(pair.deviceArrived());
        QCOMPARE(pair.main(), 2);
        QCOMPARE(core().callsOf("OrvOpenCamera").last().args.value(0).toInt(), 2);
        QCOMPARE(pair.vice(), 1);
    }

    // While the main picture is shown in another window (the whiteboard), a
    // camera that is unplugged and plugged back opens there; the vice camera
    // opens again where it was, and the main camera is left alone.
    void replugKeepsThePictureWhereItIsShown() {
        core().script.cameraCount = 2;
        CameraPair pair(cfg);
        pair.setSurfaces({11, 22, 33});
        pair.start();
        pair.openMain();
        pair.setViceMode(ViceMode::OwnArea, 1);
        pair.showMainIn(77);
        core().calls.clear();
        core().script.cameraCount = 1; // the vice camera leaves
        pair.deviceRemoved();
        QVERIFY(!pair.cameraMissing());
        core().script.cameraCount = 2;
        QVERIFY(!pair.deviceArrived());
        QCOMPARE(core().callsOf("OrvOpenCamera"),
                 (QList<fake::Call>{{"OrvOpenCamera", {1, qulonglong(33)}}}));
        core().calls.clear();
        core().script.cameraCount = 0; // now both
        pair.deviceRemoved();
        core().script.cameraCount = 1;
        QVERIFY(pair.deviceArrived());
        QCOMPARE(core().callsOf("OrvOpenCamera"),
                 (QList<fake::Call>{{"OrvOpenCamera", {0, qulonglong(77)}}}));
        pair.showMainIn(0);
        QCOMPARE(lastArgs("OrvSetHwnd"), (QVariantList{0, qulonglong(11)}));
    }

    void storedMainPastTheCountIsClampedAndViceIsTheLastOther() {
        cfg.mainCameraIndex = 7;
        core().script.cameraCount = 3;
        CameraPair pair(cfg);
        QCOMPARE(pair.start(), 3);
        QCOMPARE(pair.main(), 2);
        QCOMPARE(pair.vice(), 1);
        QCOMPARE(pair.others(), (QList<int>{0, 1}));
        QCOMPARE(pair.viceAt(1), 1);
        QCOMPARE(pair.viceAt(2), -1);
    }

    void pictureInPictureNeedsTheVicePreviewFirst() {
        core().script.cameraCount = 2;
        CameraPair pair(cfg);
        pair.start();
        pair.setViceMode(ViceMode::InPicture);
        QCOMPARE(pair.viceMode(), ViceMode::Off);
        QVERIFY(pair.zoomEnabled());
        pair.setViceMode(ViceMode::OwnArea, 1);
        pair.setViceMode(ViceMode::InPicture);
        QVERIFY(!pair.zoomEnabled());
        QVERIFY(cfg.OpenSub);
        pair.setViceMode(ViceMode::Off);
        QVERIFY(pair.zoomEnabled());
        QVERIFY(!cfg.OpenSub);
        QCOMPARE(lastArgs("OrvCloseCamera"), (QVariantList{1}));
    }

    void swapExchangesResolutionsAndKeepsTheSurfaces() {
        core().script.cameraCount = 2;
        cfg.resolutionIndex = 2;
        CameraPair pair(cfg);
        pair.setSurfaces({11, 22, 33});
        pair.start();
        pair.setViceMode(ViceMode::OwnArea, 1);
        pair.setViceResolution(1);
        pair.setViceMode(ViceMode::InPicture);
        QVERIFY(pair.swap());
        QCOMPARE(pair.main(), 1);
        QCOMPARE(pair.vice(), 0);
        QCOMPARE(cfg.resolutionIndex, 1);
        QCOMPARE(pair.viceResolution(), 2);
        // The old main camera goes where the vice picture was shown.
        const QList<fake::Call> moves = core().callsOf("OrvSetHwnd");
        QVERIFY(moves.contains(fake::Call{"OrvSetHwnd", {0, qulonglong(22)}}));
        QVERIFY(moves.contains(fake::Call{"OrvSetHwnd", {1, qulonglong(11)}}));
    }

    void arrivalOpensOnlyWhenACameraWasMissing() {
        core().script.cameraCount = 0;
        CameraPair pair(cfg);
        pair.start();
        QVERIFY(pair.cameraMissing());
        QVERIFY(!pair.deviceArrived()); // still nothing there
        core().script.cameraCount = 1;
        QVERIFY(pair.deviceArrived());
        QVERIFY(!pair.deviceArrived());
        QCOMPARE(core().count("OrvOpenCamera"), 1);
    }

    // A camera that arrives after a start without one stamps and detects
    // page turns as the main camera would have.
    void arrivedCameraGetsWatermarkAndDetection() {
        core().script.cameraCount = 0;
        CameraPair pair(cfg);
        pair.start();
        pair.setWatermark([](int width, int) {
            camera::WatermarkStamp stamp;
            stamp.record.x = width;
            return stamp;
        });
        pair.setAutoCapture(true);
        core().calls.clear();
        core().script.cameraCount = 1;
        QVERIFY(pair.deviceArrived());
        QCOMPARE(core().count("OrvAddWaterMark"), 1);
        QCOMPARE(lastArgs("OrvSetAutoCap"), (QVariantList{0, true}));
        pair.setAutoCapture(false);
        QCOMPARE(lastArgs("OrvSetAutoCap"), (QVariantList{0, false}));
    }
};

QTEST_MAIN(TestCameraPair)
#include "tst_camera_pair.moc"
