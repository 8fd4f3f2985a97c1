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
