// Two virtual cameras previewing side by side for a fixed time, as the
// program shows a main and a vice camera: each opened at its default (full)
// resolution into its own 700x500 widget. Prints the painted frames, the
// GUI-thread time spent painting them and the process's CPU use; run it
// under /usr/bin/time -v (bench/two_cameras.sh does) for the whole picture.
//
//   two_cameras [seconds=20] [--adjust] [--zoom RATIO]
//   --adjust  moves brightness and contrast away from neutral on both
//             cameras, so the emulated controls run on every new frame
//   --zoom    zooms both views to RATIO

#include <orvcore/OrvCoreLib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Times the paint events of the preview surfaces on the GUI thread.
class TimingApp final : public QApplication {
public:
    using QApplication::QApplication;
    QList<QWidget*> surfaces;
    qint64 paintNs = 0;
    int paints = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        if (event->type() != QEvent::Paint || !surfaces.contains(receiver))
            return QApplication::notify(receiver, event);
        QElapsedTimer timer;
        timer.start();
        const bool done = QApplication::notify(receiver, event);
        paintNs += timer.nsecsElapsed();
        ++paints;
        return done;
    }
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("ORVANTA_VIRTUAL_CAMERAS", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApp app(argc, argv);
    int seconds = 20;
    bool adjust = false;
    float zoom = 1.0f;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--adjust") == 0)
            adjust = true;
        else if (std::strcmp(argv[i], "--zoom") == 0 && i + 1 < argc)
            zoom = std::strtof(argv[++i], nullptr);
        else
            seconds = std::max(1, std::atoi(argv[i]));
    }

    std::vector<std::unique_ptr<QWidget>> windows;
    for (int i = 0; i < 2; ++i) {
        auto w = std::make_unique<QWidget>();
        w->resize(700, 500);
        w->move(i * 720, 0);
        w->show();
        app.surfaces << w.get();
        windows.push_back(std::move(w));
    }
    if (OrvInit() != 0 || OrvGetCameraCount() < 2) {
        std::fprintf(stderr, "no virtual cameras\n");
        return 1;
    }
    for (int i = 0; i < 2; ++i) {
        if (OrvOpenCamera(i, windows[std::size_t(i)]->winId()) != 0) {
            std::fprintf(stderr, "camera %d does not open\n", i);
            return 1;
        }
        if (adjust) {
            OrvSetVideoProp(i, 0, false, 20);
            OrvSetVideoProp(i, 1, false, 60);
        }
        if (zoom != 1.0f)
            OrvZoom(i, zoom);
    }
    std::printf("%d x %d frames, 2 cameras, %d s%s, zoom %.2f\n", OrvGetResWidth(0, 0),
                OrvGetResHeight(0, 0), seconds, adjust ? ", controls adjusted" : "", zoom);

    // The first full-size scenes take a moment to draw: measure after them.
    double cpuStart = 0;
    QElapsedTimer wall;
    QTimer::singleShot(2000, [&] {
        app.paintNs = 0;
        app.paints = 0;
        cpuStart = cpuSeconds();
        wall.start();
        QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    });
    app.exec();
    const double elapsed = wall.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuStart;
    std::printf("painted frames: %d (%.1f per second)\n", app.paints, app.paints / elapsed);
    std::printf("GUI-thread paint time: %.3f ms per frame, %.3f%% of the wall time\n",
                app.paints ? app.paintNs / 1e6 / app.paints : 0.0,
                app.paintNs / 1e9 / elapsed * 100);
    std::printf("CPU (user+sys) / wall over the run: %.3f s / %.3f s = %.1f%% of one core\n", cpu,
                elapsed, cpu / elapsed * 100);
    OrvCloseCamera(0);
    OrvCloseCamera(1);
    return 0;
}
