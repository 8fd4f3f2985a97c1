// Recordings through the real library: virtual cameras and the virtual
// microphone (a live test tone) into .wmv files, which GStreamer then decodes
// again and gst-discoverer-1.0 describes.

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include "../support/Unprivileged.h"
#include "EngineTestSupport.h"
#include "Recorder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <gst/gst.h>

#include <memory>
#include <mutex>

#include <sys/mount.h>
#include <sys/statvfs.h>

namespace {

constexpr int kSmallest = 5; // 640 x 480

struct StreamSeen {
    int buffers = 0;
    GstClockTime first = GST_CLOCK_TIME_NONE;
    GstClockTime end = 0;
};

// What decoding a file gave, stream by stream.
struct Decoded {
    std::mutex mutex;
    StreamSeen video;
    StreamSeen audio;
    bool finished = false; // reached the end without an error
};

GstPadProbeReturn countBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* decoded = static_cast<Decoded*>(g_object_get_data(G_OBJECT(pad), "decoded"));
    auto* seen = static_cast<StreamSeen*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    std::lock_guard lock(decoded->mutex);
    ++seen->buffers;
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    if (GST_CLOCK_TIME_IS_VALID(pts)) {
        if (!GST_CLOCK_TIME_IS_VALID(seen->first) || pts < seen->first)
            seen->first = pts;
        const GstClockTime duration = GST_BUFFER_DURATION(buffer);
        seen->end = qMax(seen->end, pts + (GST_CLOCK_TIME_IS_VALID(duration) ? duration : 0));
    }
    return GST_PAD_PROBE_OK;
}

void onDecodedPad(GstElement* decodebin, GstPad* pad, gpointer data) {
    auto* decoded = static_cast<Decoded*>(data);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    const QByteArray kind = caps ? gst_structure_get_name(gst_caps_get_structure(caps, 0)) : "";
    if (caps)
        gst_caps_unref(caps);
    StreamSeen* seen = kind.startsWith("video/")   ? &decoded->video
                       : kind.startsWith("audio/") ? &decoded->audio
                                                   : nullptr;
    GstElement* pipeline = GST_ELEMENT(gst_element_get_parent(decodebin));
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", FALSE, nullptr);
    gst_bin_add(GST_BIN(pipeline), sink);
    gst_element_sync_state_with_parent(sink);
    GstPad* sinkPad = gst_element_get_static_pad(sink, "sink");
    if (seen) {
        g_object_set_data(G_OBJECT(sinkPad), "decoded", decoded);
        gst_pad_add_probe(sinkPad, GST_PAD_PROBE_TYPE_BUFFER, countBuffer, seen, nullptr);
    }
    gst_pad_link(pad, sinkPad);
    gst_object_unref(sinkPad);
    gst_object_unref(pipeline);
}

// Decodes the whole file as a player would, as fast as it can.
void decode(const QString& path, Decoded& decoded) {
    GstElement* pipeline = gst_pipeline_new(nullptr);
    GstElement* decodebin = gst_element_factory_make("uridecodebin", nullptr);
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    g_object_set(decodebin, "uri", uri.constData(), nullptr);
    g_signal_connect(decodebin, "pad-added", G_CALLBACK(onDecodedPad), &decoded);
    gst_bin_add(GST_BIN(pipeline), decodebin);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 30 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    decoded.finished = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
}

// gst-discoverer-1.0's description of a file.
QString discover(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("gst-discoverer-1.0"), {path});
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The duration gst-discoverer-1.0 reports, in seconds; -1 when none.
double discoveredSeconds(const QString& description) {
    const QRegularExpression duration(QStringLiteral("Duration: (\\d+):(\\d+):(\\d+\\.\\d+)"));
    const QRegularExpressionMatch m = duration.match(description);
    if (!m.hasMatch())
        return -1;
    return m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60 +
           m.captured(3).toDouble();
}

// What ffprobe, reading every packet as ffmpeg-based players do, finds
// wrong with a file ("invalid padsize" on a packet, packets lost, video
// timestamps that do not increase); empty when nothing, or without ffprobe.
// *videoPackets: how many video packets it read.
QString ffprobeComplaints(const QString& path, int* videoPackets = nullptr) {
    if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
        return {};
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("warning"), QStringLiteral("-show_entries"),
                   QStringLiteral("packet=codec_type,pts"), QStringLiteral("-of"),
                   QStringLiteral("csv=p=0"), path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("ffprobe failed");
    QStringList complaints;
    for (const QString& line : QString::fromUtf8(process.readAllStandardError()).split('\n'))
        if (!line.isEmpty() && !line.contains(QStringLiteral("Guessed Channel Layout")))
            complaints << line;
    qint64 last = -1;
    int video = 0;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        const QStringList fields = line.trimmed().split(',');
        if (fields.value(0) != QLatin1String("video"))
            continue;
        ++video;
        const qint64 pts = fields.value(1).toLongLong();
        if (pts <= last)
            complaints
                << QStringLiteral("video packet %1 at %2 after %3").arg(video).arg(pts).arg(last);
        last = pts;
    }
    if (videoPackets)
        *videoPackets = video;
    return complaints.join('\n');
}

// What is wrong with a recording that should be finished and playable: its
// end, more than ten video frames, nothing ffprobe complains of; empty when
// nothing.
QString finishedRecordingProblems(const QString& path) {
    // On the heap: the file's streaming threads get memory of their own.
    const auto decoded = std::make_unique<Decoded>();
    decode(path, *decoded);
    if (!decoded->finished)
        return QStringLiteral("the recording has no end");
    if (decoded->video.buffers <= 10)
        return QStringLiteral("%1 video frames").arg(decoded->video.buffers);
    return ffprobeComplaints(path);
}

double seconds(GstClockTime time) {
    return double(time) / GST_SECOND;
}

// The recordings the engine ended itself: camera, reason, saved.
QList<QList<int>> g_ends;
void recordEnded(int camera, int reason, bool saved) {
    g_ends << QList<int>{camera, reason, int(saved)};
}

// A small file system of its own (a tmpfs), unmounted when done; not there
// where mounting is not allowed.
class SmallDisk {
public:
    SmallDisk(const QString& path, const char* size) : m_path(QFile::encodeName(path)) {
        QDir().mkpath(path);
        const QByteArray options = QByteArray("size=") + size;
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return m_mounted; }
    qint64 room() const {
        struct statvfs fs {};
        return ::statvfs(m_path.constData(), &fs) == 0 ? qint64(fs.f_bavail * fs.f_frsize) : -1;
    }

private:
    QByteArray m_path;
    bool m_mounted = false;
};

} // namespace

class TestEngineRecord : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QWidget> surfaces[2];

    // Opens cameras 0 .. count-1 at 640 x 480 and waits for their frames.
    void openCameras(int count) {
        QVERIFY(enginetest::restartEngine(2));
        for (int cam = 0; cam < count; ++cam) {
            surfaces[cam] = enginetest::makeSurface();
            QCOMPARE(OrvSetDefaultResolution(cam, kSmallest), 0);
            QCOMPARE(OrvOpenCamera(cam, surfaces[cam]->winId()), 0);
            QTRY_VERIFY_WITH_TIMEOUT(!enginetest::frameSizeOf(cam).isEmpty(), 10000);
        }
    }
    QString pathOf(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Only the finished file is left in the folder: no temporary beside it.
    void onlyFiles(const QStringList& names) const {
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), names);
    }

private slots:
    void init() {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
    }
    void cleanup() {
        OrvTestShutdown();
        OrvTestSetRecordReserve(0);
        g_ends.clear();
        for (auto& s : surfaces)
            s.reset();
    }

    void bothCamerasRecordPictureAndSound();
    void noOrBrokenMicrophoneGivesVideoOnly();
    void refusedStartsLeaveNoFile();
    void closingTheCameraEndsTheRecordingAndSaysSo();
    void fullDiskEndsTheRecordingWithAFinishedFile();
    void ffmpegReadsEveryPacket();
    void framesOfferedTogetherGetIncreasingTimes();
};

// Five seconds of both cameras at once, each with the virtual microphone:
// each file is ASF whose video and sound both decode from time 0 and last as
// long as the recording ran.
void TestEngineRecord::bothCamerasRecordPictureAndSound() {
    openCameras(2);
    QVERIFY(OrvGetAudioCount() >= 1);
    const int microphones = OrvGetAudioCount();
    QCOMPARE(QByteArray(OrvGetAudioName(microphones - 1)),
             QByteArray("Orvanta Virtual Microphone"));
    QCOMPARE(OrvSetAudioDev(microphones - 1), 0);
    QCOMPARE(OrvSetAudioDev(microphones), -1);

    const QString files[2] = {pathOf("main.wmv"), pathOf("vice.wmv")};
    QElapsedTimer wall;
    wall.start();
    QCOMPARE(OrvStartRecord(0, QFile::encodeName(files[0]).constData(), true), 0);
    QCOMPARE(OrvStartRecord(1, QFile::encodeName(files[1]).constData(), true), 0);
    QCOMPARE(OrvStartRecord(1, QFile::encodeName(pathOf("again.wmv")).constData(), true), -1);
    QTest::qWait(5000);
    OrvTestRecordStats stats{};
    QCOMPARE(OrvTestGetRecordStats(0, &stats), 0);
    QVERIFY(stats.withSound);
    QVERIFY2(stats.framesWritten >= 60, qPrintable(QString::number(stats.framesWritten)));
    QCOMPARE(OrvStopRecord(0), 0);
    QCOMPARE(OrvStopRecord(1), 0);
    const double recorded = wall.elapsed() / 1000.0;
    QCOMPARE(OrvStopRecord(0), -1); // nothing runs any more
    onlyFiles({QStringLiteral("main.wmv"), QStringLiteral("vice.wmv")});

    for (const QString& file : files) {
        // On the heap: each file's streaming threads get memory of their own.
        const auto held = std::make_unique<Decoded>();
        Decoded& decoded = *held;
        decode(file, decoded);
        QVERIFY(decoded.finished);
        QVERIFY2(decoded.video.buffers >= 60, qPrintable(QString::number(decoded.video.buffers)));
        QVERIFY(decoded.audio.buffers > 0);
        // Players see both streams from the start, not after an offset.
        QVERIFY2(seconds(decoded.video.first) < 0.5,
                 qPrintable(QString::number(seconds(decoded.video.first))));
        QVERIFY2(seconds(decoded.audio.first) < 0.5,
                 qPrintable(QString::number(seconds(decoded.audio.first))));
        QVERIFY(qAbs(seconds(decoded.video.end) - recorded) < 0.6);
        QVERIFY(qAbs(seconds(decoded.audio.end) - recorded) < 0.6);

        const QString description = discover(file);
        QVERIFY2(description.contains(QStringLiteral("Advanced Streaming Format")),
                 qPrintable(description));
        QVERIFY(description.contains(QStringLiteral("Windows Media Video")));
        QVERIFY(description.contains(QStringLiteral("Windows Media Audio")));
        const QString complaints = ffprobeComplaints(file);
        QVERIFY2(complaints.isEmpty(), qPrintable(complaints));
        const double duration = discoveredSeconds(description);
        QVERIFY2(
            qAbs(duration - recorded) < 0.6,
            qPrintable(
                QStringLiteral("%1 s in the file, %2 s recorded").arg(duration).arg(recorded)));
    }
}

// No microphone at all, and one that does not open: a recording without
// sound, not a failed one.
void TestEngineRecord::noOrBrokenMicrophoneGivesVideoOnly() {
    openCameras(1);
    const struct {
        const char* microphone;
        const char* file;
    } cases[] = {{"", "none.wmv"}, {"alsasrc device=hw:97,0", "broken.wmv"}};
    for (const auto& c : cases) {
        OrvTestSetVirtualMicrophone(c.microphone);
        OrvGetAudioCount(); // read the list again
        const QString file = pathOf(c.file);
        QCOMPARE(OrvStartRecord(0, QFile::encodeName(file).constData(), true), 0);
        OrvTestRecordStats stats{};
        QCOMPARE(OrvTestGetRecordStats(0, &stats), 0);
        QVERIFY(!stats.withSound);
        QTest::qWait(800);
        // Frames of another size are scaled to the recording's size.
        QCOMPARE(OrvSetResolution(0, kSmallest - 1), 0);
        QTest::qWait(800);
        QCOMPARE(OrvStopRecord(0), 0);
        QCOMPARE(OrvSetResolution(0, kSmallest), 0);
        // On the heap: each file's streaming threads get memory of their own.
        const auto held = std::make_unique<Decoded>();
        Decoded& decoded = *held;
        decode(file, decoded);
        QVERIFY(decoded.finished);
        QVERIFY(decoded.video.buffers > 10);
        QCOMPARE(decoded.audio.buffers, 0);
        const QString description = discover(file);
        QVERIFY(description.contains(QStringLiteral("Windows Media Video")));
        QVERIFY(!description.contains(QStringLiteral("audio")));
        const QString complaints = ffprobeComplaints(file);
        QVERIFY2(complaints.isEmpty(), qPrintable(complaints));
    }
}

// A folder that cannot be written, a file that exists, a closed camera: an
// error, and nothing written or replaced.
void TestEngineRecord::refusedStartsLeaveNoFile() {
    openCameras(1);
    const QString locked = pathOf("locked");
    QVERIFY(QDir().mkpath(locked));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    {
        Unprivileged nobody;
        QCOMPARE(OrvStartRecord(0, QFile::encodeName(locked + "/a.wmv").constData(), true),
                 int(ORV_RECORD_FOLDER_NOT_WRITABLE));
    }
    QVERIFY(QDir(locked).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QString existing = pathOf("kept.wmv");
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("mine");
    file.close();
    QCOMPARE(OrvStartRecord(0, QFile::encodeName(existing).constData(), true),
             int(ORV_RECORD_FILE_EXISTS));
    QCOMPARE(OrvStartRecord(0, QFile::encodeName(pathOf("missing/a.wmv")).constData(), true),
             int(ORV_RECORD_FOLDER_NOT_WRITABLE));
    QCOMPARE(OrvStartRecord(1, QFile::encodeName(pathOf("closed.wmv")).constData(), true),
             int(ORV_RECORD_CAMERA_CLOSED));
    QCOMPARE(OrvStartRecord(2, QFile::encodeName(pathOf("none.wmv")).constData(), true),
             int(ORV_RECORD_FAILED));
    QCOMPARE(OrvStopRecord(0), -1);
    onlyFiles({QStringLiteral("kept.wmv")});
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("mine"));
}

// A camera closed while it records ends the recording with a finished file,
// and the application is told so.
void TestEngineRecord::closingTheCameraEndsTheRecordingAndSaysSo() {
    openCameras(1);
    QCOMPARE(OrvSetRecordEndCB(recordEnded), 0);
    const QString file = pathOf("closed.wmv");
    QCOMPARE(OrvStartRecord(0, QFile::encodeName(file).constData(), true), 0);
    QCOMPARE(OrvGetRecordDroppedFrames(0), 0);
    QTest::qWait(1500);
    QCOMPARE(OrvStopRecord(0) == 0, true); // stopped by the user: no report
    QVERIFY(g_ends.isEmpty());
    QVERIFY(QFile::remove(file));
    QCOMPARE(OrvStartRecord(0, QFile::encodeName(file).constData(), true), 0);
    QTest::qWait(1500);
    QCOMPARE(OrvCloseCamera(0), 0);
    QCOMPARE(g_ends, (QList<QList<int>>{{0, ORV_RECORD_END_CAMERA_CLOSED, 1}}));
    QCOMPARE(OrvGetRecordDroppedFrames(0), -1);
    QCOMPARE(OrvStopRecord(0), -1);
    onlyFiles({QStringLiteral("closed.wmv")});
    const QString problems = finishedRecordingProblems(file);
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

// On a disk without room the recording does not start; on one that runs
// full it stops at once, while finishing the file still fits, and the
// application is told so.
void TestEngineRecord::fullDiskEndsTheRecordingWithAFinishedFile() {
    SmallDisk disk(pathOf("disk"), "8m");
    if (!disk.mounted())
        QSKIP("no tmpfs can be mounted here");
    openCameras(1);
    QCOMPARE(OrvSetRecordEndCB(recordEnded), 0);
    const QString file = pathOf("disk/full.wmv");
    {
        QFile filler(pathOf("disk/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(64 * 1024, 'x');
        while (disk.room() >= block.size())
            QVERIFY(filler.write(block) == block.size() && filler.flush());
    }
    QCOMPARE(OrvStartRecord(0, QFile::encodeName(file).constData(), true),
             int(ORV_RECORD_DISK_FULL));
    QCOMPARE(QDir(pathOf("disk")).entryList(QDir::Files), QStringList{QStringLiteral("filler")});

    QVERIFY(QFile::remove(pathOf("disk/filler")));
    OrvTestSetRecordReserve(disk.room() - 300 * 1024); // 300 KiB to record
    QCOMPARE(OrvStartRecord(0, QFile::encodeName(file).constData(), true), 0);
    QTRY_COMPARE_WITH_TIMEOUT(g_ends.size(), 1, 30000);
    QCOMPARE(g_ends[0], (QList<int>{0, ORV_RECORD_END_DISK_FULL, 1}));
    QCOMPARE(OrvStopRecord(0), -1);
    QCOMPARE(QDir(pathOf("disk")).entryList(QDir::Files), QStringList{QStringLiteral("full.wmv")});
    const QString problems = finishedRecordingProblems(file);
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

// ffmpeg-based players read every packet of a recording, the last one too,
// and every frame handed to the encoder is in the file, at increasing times.
void TestEngineRecord::ffmpegReadsEveryPacket() {
    if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
        QSKIP("ffprobe (Debian package ffmpeg) is not installed");
    openCameras(1);
    OrvGetAudioCount();
    for (const char* name : {"a.wmv", "b.wmv", "c.wmv"}) {
        const QString file = pathOf(name);
        QCOMPARE(OrvStartRecord(0, QFile::encodeName(file).constData(), true), 0);
        QTest::qWait(1200);
        OrvTestRecordStats stats{};
        QCOMPARE(OrvTestGetRecordStats(0, &stats), 0);
        QCOMPARE(OrvStopRecord(0), 0);
        int videoPackets = 0;
        const QString complaints = ffprobeComplaints(file, &videoPackets);
        QVERIFY2(complaints.isEmpty(), qPrintable(complaints));
        // A frame or two may come between the count and the stop.
        QVERIFY2(videoPackets >= stats.framesWritten && videoPackets <= stats.framesWritten + 3,
                 qPrintable(QStringLiteral("%1 packets, %2 frames")
                                .arg(videoPackets)
                                .arg(stats.framesWritten)));
    }
}

// Frames that come close together (a camera catching up after a stall) are
// each in the file at a time of their own, later than the one before.
void TestEngineRecord::framesOfferedTogetherGetIncreasingTimes() {
    if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
        QSKIP("ffprobe (Debian package ffmpeg) is not installed");
    const QString file = pathOf("bursts.wmv");
    orv::Recorder::Failure failure;
    std::unique_ptr<orv::Recorder> recorder =
        orv::Recorder::start(file, {640, 480}, {}, {}, &failure);
    QVERIFY2(recorder, qPrintable(failure.text));
    QImage frame(640, 480, QImage::Format_RGB32);
    for (int burst = 0; burst < 8; ++burst) {
        frame.fill(QColor::fromHsv(burst * 40, 200, 200));
        for (int i = 0; i < 3; ++i)
            recorder->offer(frame);
        QTest::qWait(150);
    }
    QVERIFY(recorder->finish());
    int videoPackets = 0;
    const QString complaints = ffprobeComplaints(file, &videoPackets);
    QVERIFY2(complaints.isEmpty(), qPrintable(complaints));
    QCOMPARE(quint64(videoPackets), recorder->framesWritten());
    QVERIFY(videoPackets >= 16);
}

QTEST_MAIN(TestEngineRecord)
#include "tst_engine_record.moc"
