// The live picture of an MJPEG camera against the bare decode of its stream.
//
// A camera-like JPEG (the first virtual camera's desk scene with a document,
// sensor noise of +-4 levels, 4:2:2 chroma, quality 85, as UVC document
// cameras send; +-2 as well, a cleaner sensor) is looped by multifilesrc, stamped at the frame rate
// and paced to the clock, and given to the library as a device through its test hook, previewed in
// an 800 x 600 window. Side by side in one run, each for the same time (20 s; ORVANTA_BENCH_SECONDS
// changes it); ours and bare take turns in four rounds of a quarter of that
// time each (ORVANTA_BENCH_ROUNDS), so that the machine's drift weighs on both:
//   ours    the camera as the library runs it (frames kept compressed,
//           decoded reduced for the window);
//   before  the same stream with jpegdec ! videoconvert in the device's
//           source, so the library gets every frame decoded in full, as it
//           did when its pipeline decoded MJPEG;
//   bare    gst-launch-1.0 <source> ! jpegdec ! videoconvert !
//           video/x-raw,format=BGRx ! fakesink sync=true, measured from /proc.
// Counters: the CPU of each in % of one core, ours/bare (over all rounds, and
// its lowest and highest round) and before/bare,
// frames painted per second, the GUI thread's longest gap and 99th
// percentile while previewing (ours), and the capture latency (OrvCapture of
// the newest frame to a .jpg, mean and longest of 10) of ours and before.
// Run: build/bin/bench_preview (offscreen unless QT_QPA_PLATFORM is set).

#include "CameraJpeg.h"

#include <orvcore/OrvCoreLib.h>
#include <orvcore/OrvCoreTesting.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

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
QWidget* g_window = nullptr;
QTemporaryDir* g_dir = nullptr;

int seconds() {
    const int s = qEnvironmentVariableIntValue("ORVANTA_BENCH_SECONDS");
    return s > 0 ? s : 20;
}

int rounds() {
    const int r = qEnvironmentVariableIntValue("ORVANTA_BENCH_ROUNDS");
    return r > 0 ? r : 4;
}

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double selfCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

// utime + stime of another process, from /proc.
double processCpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// The camera-like frame of size with sensor noise of +-noise levels, written
// once; its path.
QString cameraJpeg(QSize size, int noise) {
    const QString path = g_dir->filePath(
        QStringLiteral("camera-%1x%2-%3.jpg").arg(size.width()).arg(size.height()).arg(noise));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(cameraLikeJpeg(size, noise));
    return path;
}

// The looped file, stamped at fps and paced to the clock.
QByteArray sourceFor(QSize size, int fps, int noise) {
    const QString path = cameraJpeg(size, noise);
    const qint64 bytes = QFileInfo(path).size();
    return QStringLiteral("multifilesrc location=%1 loop=true "
                          "caps=image/jpeg,width=%2,height=%3,framerate=%4/1 "
                          "! jpegparse ! identity datarate=%5 ! clocksync")
        .arg(path)
        .arg(size.width())
        .arg(size.height())
        .arg(fps)
        .arg(bytes * fps)
        .toUtf8();
}

QByteArray capsFor(const char* media, QSize size, int fps) {
    return QStringLiteral("%1,width=%2,height=%3,framerate=%4/1")
        .arg(QLatin1String(media))
        .arg(size.width())
        .arg(size.height())
        .arg(fps)
        .toUtf8();
}

struct Preview {
    double cpuPercent = 0;
    double paintsPerSecond = 0;
    double maxGapMs = 0;
    double p99GapMs = 0;
    double captureMeanMs = 0;
    double captureMaxMs = 0;
    bool ok = false;
};

// One pretend device previewed for cpuMs; with extras, then watched for the
// GUI thread's gaps for the benchmark's time, then captured.
Preview preview(const QByteArray& source, const QByteArray& caps, QSize size, int cpuMs,
                bool extras) {
    Preview result;
    if (OrvInit() != 0 || OrvTestPlugDevice("bench", "Bench Camera", source, caps) != 0 ||
        OrvOpenCamera(0, g_window->winId()) != 0)
        return result;
    QElapsedTimer waited;
    waited.start();
    int w = 0, h = 0;
    while ((OrvTestGetFrameSize(0, &w, &h) != 0 || w != size.width()) && waited.elapsed() < 10000)
        spin(20);
    if (w != size.width())
        return result;
    spin(1000); // settle

    // The CPU first, then the gaps: the 1 ms timer that finds them costs CPU.
    const int paints = g_app->paints;
    const double cpu = selfCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    spin(cpuMs);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    result.cpuPercent = 100 * (selfCpuSeconds() - cpu) / elapsed;
    result.paintsPerSecond = (g_app->paints - paints) / elapsed;
    if (!extras) {
        OrvCloseCamera(0);
        OrvTestShutdown();
        result.ok = true;
        return result;
    }

    std::vector<double> gaps;
    QElapsedTimer clock;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        gaps.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
    });
    clock.start();
    tick.start();
    spin(seconds() * 1000);
    tick.stop();
    std::sort(gaps.begin(), gaps.end());
    if (!gaps.empty()) {
        result.maxGapMs = gaps.back();
        result.p99GapMs = gaps[std::min(gaps.size() - 1, size_t(0.99 * double(gaps.size())))];
    }

    std::vector<double> captures;
    for (int i = 0; i < 10; ++i) {
        const QByteArray path =
            QFile::encodeName(g_dir->filePath(QStringLiteral("c%1.jpg").arg(i)));
        QFile::remove(QFile::decodeName(path));
        QElapsedTimer timer;
        timer.start();
        if (OrvCapture(0, path.constData()) != 1)
            return result;
        captures.push_back(double(timer.nsecsElapsed()) / 1e6);
        spin(300);
    }
    double total = 0;
    for (double c : captures)
        total += c;
    result.captureMeanMs = total / double(captures.size());
    result.captureMaxMs = *std::max_element(captures.begin(), captures.end());
    OrvCloseCamera(0);
    OrvTestShutdown();
    result.ok = true;
    return result;
}

// CPU of gst-launch-1.0 running description, over ms after a second of
// start-up, in % of one core.
double bareDecodePercent(const QByteArray& description, int ms) {
    QStringList args;
    for (const QByteArray& part : description.split(' '))
        if (!part.isEmpty())
            args << QString::fromUtf8(part);
    QProcess process;
    process.start(QStringLiteral("gst-launch-1.0"), QStringList{QStringLiteral("-q")} + args);
    if (!process.waitForStarted())
        return -1;
    spin(1000);
    const double from = processCpuSeconds(process.processId());
    QElapsedTimer wall;
    wall.start();
    spin(ms);
    const double to = processCpuSeconds(process.processId());
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    process.kill();
    process.waitForFinished();
    return from < 0 || to < 0 ? -1 : 100 * (to - from) / elapsed;
}

void BM_MjpegPreview(benchmark::State& state) {
    const QSize size(int(state.range(0)), int(state.range(1)));
    const int fps = int(state.range(2));
    const int noise = int(state.range(3));
    for (auto _ : state) {
        const QByteArray source = sourceFor(size, fps, noise);
        const QByteArray jpegCaps = capsFor("image/jpeg", size, fps);
        const QByteArray bareLine = source + " ! jpegdec ! videoconvert ! "
                                             "video/x-raw,format=BGRx ! fakesink sync=true";
        // Ours and bare in turns; the CPU and paints are their means.
        const int ms = seconds() * 1000 / rounds();
        double oursSum = 0, bareSum = 0, paintsSum = 0;
        double lowest = 1e9, highest = 0;
        for (int round = 0; round < rounds(); ++round) {
            const Preview part = preview(source, jpegCaps, size, ms, false);
            const double bare = bareDecodePercent(bareLine, ms);
            if (!part.ok || bare <= 0) {
                state.SkipWithError("a stream did not run");
                return;
            }
            oursSum += part.cpuPercent;
            bareSum += bare;
            paintsSum += part.paintsPerSecond;
            lowest = std::min(lowest, part.cpuPercent / bare);
            highest = std::max(highest, part.cpuPercent / bare);
        }
        Preview ours = preview(source, jpegCaps, size, 1000, true); // gaps and captures
        const Preview before =
            preview(source + " ! jpegdec ! videoconvert", capsFor("video/x-raw", size, fps), size,
                    seconds() * 1000, true);
        if (!ours.ok || !before.ok) {
            state.SkipWithError("a stream did not run");
            return;
        }
        ours.cpuPercent = oursSum / rounds();
        ours.paintsPerSecond = paintsSum / rounds();
        const double bare = bareSum / rounds();
        state.counters["ours/bare_lowest"] = lowest;
        state.counters["ours/bare_highest"] = highest;
        state.counters["jpeg_KiB"] = double(QFileInfo(cameraJpeg(size, noise)).size()) / 1024;
        state.counters["ours_cpu_%"] = ours.cpuPercent;
        state.counters["before_cpu_%"] = before.cpuPercent;
        state.counters["bare_cpu_%"] = bare;
        state.counters["ours/bare"] = ours.cpuPercent / bare;
        state.counters["before/bare"] = before.cpuPercent / bare;
        state.counters["ours_paints/s"] = ours.paintsPerSecond;
        state.counters["before_paints/s"] = before.paintsPerSecond;
        state.counters["ours_max_gap_ms"] = ours.maxGapMs;
        state.counters["ours_p99_gap_ms"] = ours.p99GapMs;
        state.counters["before_max_gap_ms"] = before.maxGapMs;
        state.counters["ours_capture_ms"] = ours.captureMeanMs;
        state.counters["ours_capture_max_ms"] = ours.captureMaxMs;
        state.counters["before_capture_ms"] = before.captureMeanMs;
        state.counters["before_capture_max_ms"] = before.captureMaxMs;
    }
}
BENCHMARK(BM_MjpegPreview)
    ->ArgNames({"w", "h", "fps", "noise"})
    ->Args({2592, 1944, 15, 4})
    ->Args({2592, 1944, 15, 2})
    ->Args({1920, 1080, 30, 4})
    ->Args({1920, 1080, 30, 2})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ORVANTA_REAL_CAMERAS", "0");
    qputenv("ORVANTA_VIRTUAL_CAMERAS", "0");
    CountingApp app(argc, argv);
    g_app = &app;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    g_dir = &dir;
    auto window = std::make_unique<QWidget>();
    window->resize(800, 600);
    window->show();
    g_window = window.get();
    app.surface = window.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
