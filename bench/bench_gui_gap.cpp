// How long the GUI thread goes without turning its event loop while barcodes
// are read: camera 0 of the real library previews its 2592 x 1944 document
// scene (a QR code and a Code 128 on a page) into a window, and a 1 ms timer on
// the GUI thread notes every gap between its ticks. Measured for the preview
// alone, for reads the read button's way (BarcodeReadTask::start) and for
// reads the capture naming's way (BarcodeReadTask::readAndWait). The counters
// give the longest gap, the 99th percentile, the preview's paints (the scene
// changes once a second, with its clock) and the mean time of a read.
// Run: build/bin/bench_gui_gap, or under xvfb-run with QT_QPA_PLATFORM=xcb.

#include "recognition/BarcodeReadTask.h"

#include <orvcore/OrvCoreLib.h>
#include <orvcore/OrvCoreTesting.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kReads = 40;

// Counts the preview's paint events (the library filters them from the
// window, so they are counted as they are sent).
class CountingApp final : public QApplication {
public:
    using QApplication::QApplication;
    QObject* surface = nullptr;
    int paints = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        paints += receiver == surface && event->type() == QEvent::Paint;
        return QApplication::notify(receiver, event);
    }
};

CountingApp* g_app = nullptr;

// The gaps between the ticks of a 1 ms timer on the GUI thread, while it
// lives.
class GapWatch {
public:
    GapWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_gaps.push_back(double(m_clock.nsecsElapsed()) / 1e6);
            m_clock.restart();
        });
        m_clock.start();
        m_paintsAtStart = g_app->paints;
        m_timer.start();
    }

    void report(benchmark::State& state) {
        m_timer.stop();
        std::vector<double> gaps = m_gaps;
        std::sort(gaps.begin(), gaps.end());
        state.counters["max_gap_ms"] = gaps.empty() ? 0 : gaps.back();
        state.counters["p99_gap_ms"] =
            gaps.empty() ? 0 : gaps[std::min(gaps.size() - 1, size_t(0.99 * double(gaps.size())))];
        state.counters["paints"] = g_app->paints - m_paintsAtStart;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    std::vector<double> m_gaps;
    int m_paintsAtStart = 0;
};

// Runs the event loop for ms milliseconds.
void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_PreviewAlone(benchmark::State& state) {
    for (auto _ : state) {
        GapWatch watch;
        spin(3000);
        watch.report(state);
    }
}
BENCHMARK(BM_PreviewAlone)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs reads in an event loop; reads starts them and quits the loop when
// kReads of them have ended, leaving the last text in text.
void measureReads(benchmark::State& state,
                  const std::function<void(QEventLoop& loop, QByteArray& text)>& reads) {
    QEventLoop loop;
    QByteArray text;
    QElapsedTimer clock;
    GapWatch watch;
    clock.start();
    QTimer::singleShot(0, [&] { reads(loop, text); });
    loop.exec();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    watch.report(state);
    state.counters["read_ms"] = ms / kReads;
    if (text.isEmpty())
        state.SkipWithError("the reads found no code");
}

// The read button: a read started, its result taken in a callback.
void BM_ReadButton(benchmark::State& state) {
    for (auto _ : state) {
        BarcodeReadTask task;
        int reads = 0;
        std::function<void()> next; // outlives the reads it starts
        measureReads(state, [&](QEventLoop& loop, QByteArray& text) {
            next = [&] {
                if (reads++ == kReads)
                    return loop.quit();
                task.start(0, [&](const QByteArray& read) {
                    text = read;
                    QTimer::singleShot(0, next);
                });
            };
            next();
        });
    }
}
BENCHMARK(BM_ReadButton)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The capture naming: each read waited for inside the caller.
void BM_NamingRead(benchmark::State& state) {
    for (auto _ : state) {
        BarcodeReadTask task;
        measureReads(state, [&](QEventLoop& loop, QByteArray& text) {
            for (int i = 0; i < kReads; ++i)
                text = task.readAndWait(0);
            loop.quit();
        });
    }
}
BENCHMARK(BM_NamingRead)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ORVANTA_VIRTUAL_CAMERAS", "1");
    CountingApp app(argc, argv);
    g_app = &app;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    auto surface = std::make_unique<QWidget>();
    app.surface = surface.get();
    surface->resize(800, 600);
    surface->show();
    int width = 0, height = 0;
    if (OrvInit() != 0 || OrvSetDefaultResolution(0, 0) != 0 ||
        OrvOpenCamera(0, surface->winId()) != 0) {
        std::fprintf(stderr, "the virtual camera does not open\n");
        return 1;
    }
    QElapsedTimer waited;
    waited.start();
    while ((OrvTestGetFrameSize(0, &width, &height) != 0 || width != 2592) &&
           waited.elapsed() < 20000)
        spin(50);
    if (width != 2592) {
        std::fprintf(stderr, "no 2592 x 1944 frame from the virtual camera\n");
        return 1;
    }
    spin(1000); // the first frames settle

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    OrvCloseCamera(0);
    OrvTestShutdown();
    return 0;
}
