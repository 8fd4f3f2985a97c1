// The capture scenarios shared with the recording fake, against the engine
// with a virtual camera.

#include "CaptureScenarios.h"
#include "EngineTestSupport.h"

class TestEngineCaptureScenarios : public QObject {
    Q_OBJECT
    std::unique_ptr<QWidget> surface;

private slots:
    void initTestCase() {
        QVERIFY(enginetest::restartEngine(1));
        surface = enginetest::makeSurface();
    }
    void cleanupTestCase() {
        OrvTestShutdown();
        surface.reset();
    }
    void scenarios_data() { capturescenarios::addRows(); }
    void scenarios() {
        capturescenarios::runRow([this](int camera) {
            if (OrvOpenCamera(camera, surface->winId()) != 0)
                return false;
            return QTest::qWaitFor([camera] { return enginetest::frameSizeOf(camera).isValid(); },
                                   10000);
        });
    }
};

QTEST_MAIN(TestEngineCaptureScenarios)
#include "tst_engine_capture_scenarios.moc"
