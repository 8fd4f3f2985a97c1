// The capture scenarios shared with the engine, against the recording fake
// the application tests link.

#include "CaptureScenarios.h"
#include "FakeOrvCore.h"

class TestFakeCaptureScenarios : public QObject {
    Q_OBJECT

private slots:
    void init() { fake::core().reset(); }
    void scenarios_data() { capturescenarios::addRows(); }
    void scenarios() {
        capturescenarios::runRow([](int camera) { return OrvOpenCamera(camera, 0) == 0; });
    }
};

QTEST_MAIN(TestFakeCaptureScenarios)
#include "tst_fake_capture_scenarios.moc"
