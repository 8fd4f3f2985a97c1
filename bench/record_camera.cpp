// Recording a virtual camera with sound for a fixed time, as the program
// records the main camera: the camera previews into a 700x500 widget at
// 1280x960 (15 frames a second) and records with the virtual microphone.
// Prints the frames the recorder took and dropped, the process's CPU use
// while previewing alone and while recording, and the recorded file's
// duration (gst-discoverer-1.0) against the wall time of the recording.
//
//   record_camera [seconds=60] [--cameras N] [--resolution I] [--moving] [--keep]
//   --cameras  records N virtual cameras at once (1 or 2)
//   --resolution  the virtual cameras' resolution index (3: 1280x960, 0: 2592x1944)
//   --moving   records a pretend real camera showing a moving pattern
//              (GStreamer's videotestsrc) instead: every frame differs
//   --keep     leaves the files in the temporary folder

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int k1280x960 = 3; // index in the virtual cameras' resolution list

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The duration gst-discoverer-1.0 reports, in seconds, and what it found.
double discoveredSeconds(const QString& path, QString* streams) {
    QProcess process;
    process.start(QStringLiteral("gst-discoverer-1.0"), {path});
    process.waitForFinished(60000);
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Duration: (\\d+):(\\d+):(\\d+\\.\\d+)")).match(text);
    const QRegularExpression kind(QStringLiteral("^\\s+(video|audio) #\\d+: (.*)$"),
                                  QRegularExpression::MultilineOption);
    for (auto it = kind.globalMatch(text); it.hasNext();)
        *streams += it.next().captured(2) + QStringLiteral("; ");
    return m.hasMatch() ? m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60 +
                              m.captured(3).toDouble()
                        : -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("ORVANTA_VIRTUAL_CAMERAS", "2");
    qputenv("ORVANTA_REAL_CAMERAS", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 60;
    int cameras = 1;
    bool keep = false;
    bool moving = false;
    int resolution = k1280x960;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cameras") == 0 && i + 1 < argc)
            cameras = qBound(1, std::atoi(argv[++i]), 2);
        else if (std::strcmp(argv[i], "--keep") == 0)
            keep = true;
        else if (std::strcmp(argv[i], "--resolution") == 0 && i + 1 < argc)
            resolution = qBound(0, std::atoi(argv[++i]), 5);
        else if (std::strcmp(argv[i], "--moving") == 0)
            moving = true;
        else
            seconds = std::max(1, std::atoi(argv[i]));
    }
    QTemporaryDir dir;
    dir.setAutoRemove(!keep);

    std::vector<std::unique_ptr<QWidget>> windows;
    if (OrvInit() != 0 || OrvGetCameraCount() < 2) {
        std::fprintf(stderr, "no virtual cameras\n");
        return 1;
    }
    if (moving) {
        // Pretend real cameras lead the list, before the virtual ones.
        for (int i = 0; i < cameras; ++i) {
            const QByteArray id = "moving" + QByteArray::number(i);
            if (OrvTestPlugDevice(id.constData(), id.constData(),
                                  "videotestsrc is-live=true pattern=ball background-color=0xff"
                                  "406080 ! capsfilter caps=video/x-raw,format=YUY2",
                                  "video/x-raw,format=YUY2,width=1280,height=960,"
                                  "framerate=15/1") != 0) {
                std::fprintf(stderr, "pretend camera not added\n");
                return 1;
            }
        }
        resolution = 0;
    }
    for (int i = 0; i < cameras; ++i) {
        auto w = std::make_unique<QWidget>();
        w->resize(700, 500);
        w->show();
        OrvSetDefaultResolution(i, resolution);
        if (OrvOpenCamera(i, w->winId()) != 0) {
            std::fprintf(stderr, "camera %d does not open\n", i);
            return 1;
        }
        windows.push_back(std::move(w));
    }
    const int microphones = OrvGetAudioCount();
    OrvSetAudioDev(microphones - 1);
    std::printf("%d %s camera(s) at %d x %d, microphone \"%s\", %d s\n", cameras,
                moving ? "moving" : "virtual", OrvGetResWidth(0, resolution),
                OrvGetResHeight(0, resolution), OrvGetAudioName(microphones - 1), seconds);

    // Preview alone first (after the first scenes are drawn), then recording.
    const int previewSeconds = 10;
    double cpuMark = 0, previewCpu = 0, recordCpu = 0, recordedWall = 0;
    double startMs = 0, stopMs = 0; // the GUI thread inside the calls
    QElapsedTimer wall;
    QList<QString> files;
    QList<OrvTestRecordStats> stats;
    int failures = 0;
    QTimer::singleShot(2000, [&] {
        cpuMark = cpuSeconds();
        QTimer::singleShot(previewSeconds * 1000, [&] {
            previewCpu = cpuSeconds() - cpuMark;
            cpuMark = cpuSeconds();
            wall.start();
            for (int i = 0; i < cameras; ++i) {
                files << dir.filePath(QStringLiteral("camera%1.wmv").arg(i));
                QElapsedTimer call;
                call.start();
                if (OrvStartRecord(i, QFile::encodeName(files.last()).constData(), true) != 0)
                    ++failures;
                startMs = qMax(startMs, call.nsecsElapsed() / 1e6);
            }
            QTimer::singleShot(seconds * 1000, [&] {
                for (int i = 0; i < cameras; ++i) {
                    OrvTestRecordStats s{};
                    OrvTestGetRecordStats(i, &s);
                    stats << s;
                    QElapsedTimer call;
                    call.start();
                    if (OrvStopRecord(i) != 0)
                        ++failures;
                    stopMs = qMax(stopMs, call.nsecsElapsed() / 1e6);
                }
                recordedWall = wall.nsecsElapsed() / 1e9;
                recordCpu = cpuSeconds() - cpuMark;
                app.quit();
            });
        });
    });
    app.exec();
    std::printf("preview alone: %.1f%% of one core\n", previewCpu / previewSeconds * 100);
    std::printf("preview and recording: CPU %.3f s over %.3f s = %.1f%% of one core\n", recordCpu,
                recordedWall, recordCpu / recordedWall * 100);
    std::printf("longest OrvStartRecord %.1f ms, OrvStopRecord %.1f ms\n", startMs, stopMs);
    for (int i = 0; i < stats.size(); ++i) {
        QString streams;
        const double duration = discoveredSeconds(files.at(i), &streams);
        std::printf("camera %d: %lld frames recorded (%.2f per second), %lld dropped, sound %s\n",
                    i, static_cast<long long>(stats.at(i).framesWritten),
                    stats.at(i).framesWritten / recordedWall,
                    static_cast<long long>(stats.at(i).framesDropped),
                    stats.at(i).withSound ? "yes" : "no");
        std::printf("  file %.1f MB, duration %.3f s, wall %.3f s, difference %+.3f s; %s\n",
                    QFileInfo(files.at(i)).size() / 1e6, duration, recordedWall,
                    duration - recordedWall, qPrintable(streams));
    }
    if (keep)
        std::printf("files kept in %s\n", qPrintable(dir.path()));
    for (int i = 0; i < cameras; ++i)
        OrvCloseCamera(i);
    return failures ? 1 : 0;
}
