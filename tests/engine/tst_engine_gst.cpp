// Real cameras through GStreamer. GstSource runs its real pipeline with
// videotestsrc (raw, and through jpegenc for MJPEG) in place of v4l2src;
// DeviceMonitor runs against this machine's devices (none, usually) and takes
// pretend devices through its seam; the engine lists, streams and removes
// such devices through the library's C functions.

#include "DeviceMonitor.h"
#include "FakeV4l2Node.h"
#include "GstSource.h"
#include "V4l2Controls.h"
#include "ViewGeometry.h"

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include "EngineTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QtTest>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include <linux/videodev2.h>

using orv::CaptureMode;
using orv::ControlInfo;
using orv::ControlValue;
using orv::DeviceInfo;
using orv::DeviceMonitor;
using orv::GstSource;
using orv::V4l2Controls;

namespace {

constexpr int kTimeout = 20000;

// Raw frames as a camera sends them (YUY2), so that conversion is exercised.
const QString kRawSource = QStringLiteral(
    "videotestsrc is-live=true pattern=smpte ! capsfilter caps=video/x-raw,format=YUY2");
const QString kJpegSource = QStringLiteral("videotestsrc is-live=true pattern=smpte ! jpegenc");
// Every frame the same (the SMPTE pattern has a patch of noise).
const QString kStillJpegSource =
    QStringLiteral("videotestsrc is-live=true pattern=smpte75 ! jpegenc");
const QByteArray kRawCaps = "video/x-raw,format=YUY2,width=320,height=240,framerate=30/1;"
                            "video/x-raw,format=YUY2,width=160,height=120,framerate=30/1";
const QByteArray kJpegCaps = "image/jpeg,width=320,height=240,framerate=30/1;"
                             "image/jpeg,width=160,height=120,framerate=30/1";

// What a sink saw, from the streaming thread.
struct Received {
    std::mutex mutex;
    orv::Frame last;
    int count = 0;
    bool offGuiThread = true;

    // The last frame let go under the lock the streaming thread took.
    ~Received() {
        std::lock_guard lock(mutex);
        last = {};
    }

    GstSource::FrameSink sink() {
        return [this](const orv::Frame& frame) {
            std::lock_guard lock(mutex);
            last = frame;
            ++count;
            offGuiThread = offGuiThread && QThread::currentThread() != qApp->thread();
        };
    }
    int frames() {
        std::lock_guard lock(mutex);
        return count;
    }
    QSize lastSize() {
        std::lock_guard lock(mutex);
        return last.size();
    }
    orv::Frame lastFrame() {
        std::lock_guard lock(mutex);
        return last;
    }
};

QString describe(const QList<CaptureMode>& modes) {
    QStringList parts;
    for (const CaptureMode& m : modes)
        parts << QStringLiteral("%1x%2 %3 %4/%5")
                     .arg(m.size.width())
                     .arg(m.size.height())
                     .arg(m.jpeg ? "jpeg" : "raw")
                     .arg(m.fpsNum)
                     .arg(m.fpsDen);
    return parts.join(QStringLiteral(", "));
}

// The colour bars of the SMPTE pattern: white, yellow, cyan, green, magenta,
// red, blue, each channel either on (about 191) or off.
bool showsColourBars(const QImage& frame) {
    if (frame.format() != QImage::Format_RGB32)
        return false;
    static const int bars[7][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                   {1, 0, 1}, {1, 0, 0}, {0, 0, 1}};
    for (int i = 0; i < 7; ++i) {
        const QRgb p = frame.pixel(frame.width() * (2 * i + 1) / 14, frame.height() / 4);
        const int channels[3] = {qRed(p), qGreen(p), qBlue(p)};
        for (int c = 0; c < 3; ++c)
            if (bars[i][c] ? channels[c] < 140 : channels[c] > 70)
                return false;
        if (qAlpha(p) != 255)
            return false;
    }
    return true;
}

// The first frame of source as the camera pipeline decoded every MJPEG frame
// before frames were kept compressed: jpegdec ! videoconvert to BGRx.
QImage decodedByPipeline(const QString& source, const CaptureMode& mode) {
    const QString description = QStringLiteral("%1 ! capsfilter caps=%2 ! jpegdec ! videoconvert ! "
                                               "video/x-raw,format=BGRx ! appsink name=out")
                                    .arg(source, QString::fromLatin1(mode.caps()));
    GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), nullptr);
    if (!pipeline)
        return {};
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    QImage image;
    if (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(out), 10 * GST_SECOND)) {
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            image = QImage(map.data, mode.size.width(), mode.size.height(), QImage::Format_RGB32)
                        .copy();
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(out);
    gst_object_unref(pipeline);
    return image;
}

QByteArray jpegOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}

// Counts full decodes; answers with a picture of the frame's size.
struct CountingDecoder final : orv::JpegDecoder {
    std::atomic<int> calls{0};
    QImage decode(const QByteArray& jpeg) override {
        ++calls;
        QThread::msleep(20); // long enough for the other callers to arrive
        return orv::decodeJpegScaled(jpeg, 1.0);
    }
};

QStringList videoNodes() {
    return QDir(QStringLiteral("/dev")).entryList({QStringLiteral("video*")}, QDir::System);
}

// ---- Widgets, as the application hands them to the library ----

using enginetest::grab;
using enginetest::kOwnBackground;
using enginetest::makeSurface;

// The widget shows the colour bars in the picture area fitted for frameSize.
bool showsBars(QWidget* w, QSize frameSize) {
    const QRect area = orv::fitRect(frameSize, w->size());
    return !area.isEmpty() && showsColourBars(grab(w).copy(area));
}

bool showsOwnBackground(QWidget* w) {
    const QImage image = grab(w);
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if ((image.pixel(x, y) & 0xffffff) != (kOwnBackground.rgb() & 0xffffff))
                return false;
    return true;
}

using enginetest::frameSizeOf;

QString describe(const ControlInfo& c) {
    QString text = QStringLiteral("%1 %2 %3..%4 =%5")
                       .arg(c.id)
                       .arg(c.name)
                       .arg(c.minimum)
                       .arg(c.maximum)
                       .arg(c.defaultValue);
    if (c.hasAuto)
        text += c.defaultAuto ? QStringLiteral(" auto:on") : QStringLiteral(" auto:off");
    if (!c.menuItems.isEmpty())
        text += QStringLiteral(" [%1]").arg(c.menuItems.join(QLatin1Char('|')));
    return text;
}

QList<int> g_deviceEvents;
void recordDeviceEvent(int event) {
    g_deviceEvents << event;
}

QStringList cameraNames() {
    QStringList names;
    for (int i = 0; i < OrvGetCameraCount(); ++i)
        names << QString::fromUtf8(OrvGetDevName(i));
    return names;
}

} // namespace

class TestEngineGst : public QObject {
    Q_OBJECT

    // The library with only pretend devices and n virtual cameras.
    void startEngine(int virtualCameras) {
        OrvTestShutdown();
        qputenv("ORVANTA_REAL_CAMERAS", "0");
        qputenv("ORVANTA_VIRTUAL_CAMERAS", QByteArray::number(virtualCameras));
        qunsetenv("ORVANTA_VIRTUAL_PAGES");
        QCOMPARE(OrvInit(), 0);
        QCOMPARE(OrvSetDeviceChangeCB(recordDeviceEvent), 0);
    }

private slots:
    void initTestCase() { QVERIFY(orv::ensureGstreamer()); }

    void cleanup() {
        OrvTestShutdown();
        g_deviceEvents.clear();
    }

    // ---- Modes from a device's caps ----

    void modesFromCaps_data() {
        QTest::addColumn<QByteArray>("caps");
        QTest::addColumn<QString>("modes");
        QTest::newRow("jpeg preferred where fast enough")
            << QByteArray("video/x-raw,format=YUY2,width=2592,height=1944,framerate=2/1;"
                          "image/jpeg,width=2592,height=1944,framerate={ 10/1, 15/1 };"
                          "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
                          "image/jpeg,width=640,height=480,framerate=30/1")
            << "2592x1944 jpeg 15/1, 640x480 jpeg 30/1";
        QTest::newRow("slow jpeg gives way to raw")
            << QByteArray("image/jpeg,width=1600,height=1200,framerate=3/1;"
                          "video/x-raw,format=NV12,width=1600,height=1200,framerate=2/1")
            << "1600x1200 raw 2/1";
        QTest::newRow("slow jpeg alone is kept")
            << QByteArray("image/jpeg,width=1600,height=1200,framerate=3/1")
            << "1600x1200 jpeg 3/1";
        QTest::newRow("largest first, distinct sizes")
            << QByteArray("video/x-raw,format=YUY2,width=1024,height=768,framerate=30/1;"
                          "video/x-raw,format=NV12,width=1024,height=768,framerate=15/1;"
                          "video/x-raw,format=YUY2,width=1280,height=720,framerate=10/1;"
                          "video/x-raw,format=YUY2,width=320,height=240,framerate=30/1")
            << "1280x720 raw 10/1, 1024x768 raw 30/1, 320x240 raw 30/1";
        QTest::newRow("rate range: not pinned")
            << QByteArray("image/jpeg,width=800,height=600,framerate=[ 1/1, 30/1 ]")
            << "800x600 jpeg 0/1";
        QTest::newRow("no rate: not pinned")
            << QByteArray("video/x-raw,width=800,height=600") << "800x600 raw 0/1";
        QTest::newRow("ranges and other media ignored")
            << QByteArray("video/x-raw,width=[ 16, 4096 ],height=[ 16, 4096 ];"
                          "video/x-bayer,width=640,height=480;"
                          "video/x-h264,width=1920,height=1080,framerate=30/1;"
                          "video/x-raw,width=0,height=480")
            << "";
        QTest::newRow("nothing") << QByteArray("EMPTY") << "";
        QTest::newRow("anything") << QByteArray("ANY") << "";
    }
    void modesFromCaps() {
        QFETCH(QByteArray, caps);
        QFETCH(QString, modes);
        QCOMPARE(describe(GstSource::modesFromCaps(caps)), modes);
    }

    void modeCapsNameTheMediaSizeAndRate() {
        const QList<CaptureMode> modes = GstSource::modesFromCaps(kRawCaps + ";" + kJpegCaps);
        QCOMPARE(modes.size(), 2);
        QCOMPARE(modes[0].caps(),
                 QByteArray("image/jpeg,width=(int)320,height=(int)240,framerate=(fraction)30/1"));
        CaptureMode raw;
        raw.size = QSize(64, 48);
        QCOMPARE(raw.caps(), QByteArray("video/x-raw,width=(int)64,height=(int)48"));
    }

    void probeAsksTheSource() {
        QCOMPARE(
            describe(GstSource::probeModes(QStringLiteral(
                "videotestsrc ! capsfilter caps=video/x-raw,width=200,height=100,framerate=15/1"))),
            QStringLiteral("200x100 raw 15/1"));
        // Sizes left open are no list; missing devices and elements give nothing.
        QVERIFY(GstSource::probeModes(QStringLiteral("videotestsrc")).isEmpty());
        QVERIFY(
            GstSource::probeModes(QStringLiteral("v4l2src device=/dev/orvanta-none")).isEmpty());
        QVERIFY(GstSource::probeModes(QStringLiteral("orvanta-no-such-element")).isEmpty());
    }

    // ---- The pipeline ----

    void rawFramesArriveAtTheRequestedSize() {
        GstSource source(kRawSource, GstSource::modesFromCaps(kRawCaps));
        QCOMPARE(source.resolutions(), QList<QSize>({{320, 240}, {160, 120}}));
        Received got;
        QVERIFY(source.start({160, 120}, got.sink()));
        QVERIFY(source.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(got.frames() > 0, kTimeout);
        QCOMPARE(got.lastSize(), QSize(160, 120));
        QVERIFY(showsColourBars(got.lastFrame().image()));
        QVERIFY(!got.lastFrame().isJpeg());
        QVERIFY(got.offGuiThread);

        // A new size rebuilds the pipeline.
        QVERIFY(source.setSize({320, 240}));
        QCOMPARE(source.size(), QSize(320, 240));
        QTRY_COMPARE_WITH_TIMEOUT(got.lastSize(), QSize(320, 240), kTimeout);
        QVERIFY(showsColourBars(got.lastFrame().image()));
        QVERIFY(source.setSize({320, 240}));
        QVERIFY(!source.setSize({640, 480}));
        QVERIFY(source.isRunning());

        source.stop();
        QVERIFY(!source.isRunning());
        const int frames = got.frames();
        QTest::qWait(200);
        QCOMPARE(got.frames(), frames); // nothing after stop()
        QVERIFY(source.lastError().isEmpty());
    }

    void mjpegFramesAreDecoded() {
        const QList<CaptureMode> modes = GstSource::modesFromCaps(kJpegCaps);
        QVERIFY(modes.at(0).jpeg);
        GstSource source(kStillJpegSource, modes);
        Received got;
        QVERIFY(source.start({320, 240}, got.sink()));
        QTRY_VERIFY_WITH_TIMEOUT(got.frames() > 0, kTimeout);
        QCOMPARE(got.lastSize(), QSize(320, 240));
        // Kept compressed: decoded in full on demand, reduced for viewing.
        const orv::Frame frame = got.lastFrame();
        QVERIFY(frame.isJpeg());
        QCOMPARE(frame.scaled(0.5).size(), QSize(160, 120));
        QVERIFY(showsColourBars(frame.scaled(0.5)));
        QCOMPARE(frame.image(), decodedByPipeline(kStillJpegSource, modes.at(0)));
        QVERIFY(source.setSize({160, 120}));
        QTRY_COMPARE_WITH_TIMEOUT(got.lastSize(), QSize(160, 120), kTimeout);
        QVERIFY(showsColourBars(got.lastFrame().image()));
    }

    void startRefusesWhatItCannotDo() {
        GstSource source(kRawSource, GstSource::modesFromCaps(kRawCaps));
        Received got;
        QVERIFY(!source.start({640, 480}, got.sink())); // not offered
        QVERIFY(!source.start({320, 240}, nullptr));
        QVERIFY(!source.setSize({320, 240})); // stopped
        QVERIFY(source.start({320, 240}, got.sink()));
        QVERIFY(!source.start({320, 240}, got.sink())); // running
        source.stop();
        source.stop();

        GstSource broken(QStringLiteral("orvanta-no-such-element"),
                         GstSource::modesFromCaps(kRawCaps));
        QVERIFY(!broken.start({320, 240}, got.sink()));
        QVERIFY(broken.lastError().contains(QStringLiteral("orvanta-no-such-element")));
        // A device node that is not there fails at start, not later.
        GstSource absent(QStringLiteral("v4l2src device=/dev/orvanta-none"),
                         GstSource::modesFromCaps(kRawCaps));
        QVERIFY(!absent.start({320, 240}, got.sink()));
        QVERIFY(!absent.isRunning());
    }

    void failedStreamStopsAndReports() {
        GstSource source(kRawSource, GstSource::modesFromCaps(kRawCaps));
        QStringList reasons;
        bool onGuiThread = true;
        source.setFailureHandler([&](const QString& reason) {
            reasons << reason;
            onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
        });
        Received got;
        QVERIFY(!source.breakStream()); // not streaming
        QVERIFY(source.start({320, 240}, got.sink()));
        QTRY_VERIFY_WITH_TIMEOUT(got.frames() > 0, kTimeout);
        QVERIFY(source.breakStream());
        QTRY_COMPARE_WITH_TIMEOUT(reasons.size(), 1, kTimeout);
        QVERIFY(onGuiThread);
        QVERIFY(!source.isRunning());
        QCOMPARE(source.lastError(), reasons.at(0));
        const int frames = got.frames();
        QTest::qWait(200);
        QCOMPARE(got.frames(), frames);
        QCOMPARE(reasons.size(), 1); // one report per failure

        // The source can start again afterwards.
        QVERIFY(source.start({160, 120}, got.sink()));
        QTRY_COMPARE_WITH_TIMEOUT(got.lastSize(), QSize(160, 120), kTimeout);
    }

    void capsTheSourceCannotGiveFailTheStart() {
        // Offers MJPEG at 160x120 but sends raw video, as a driver whose caps
        // promise more than it does.
        const QString source = QStringLiteral("videotestsrc is-live=true pattern=smpte");
        GstSource liar(source, GstSource::modesFromCaps("video/x-raw,width=320,height=240;"
                                                        "image/jpeg,width=160,height=120"));
        QStringList reasons;
        liar.setFailureHandler([&](const QString& reason) { reasons << reason; });
        Received got;
        QVERIFY(!liar.start({160, 120}, got.sink()));
        QVERIFY(!liar.isRunning());
        QVERIFY(!liar.lastError().isEmpty());

        // A size change that does not negotiate keeps the size streaming.
        QVERIFY(liar.start({320, 240}, got.sink()));
        QTRY_VERIFY_WITH_TIMEOUT(got.frames() > 0, kTimeout);
        QVERIFY(!liar.setSize({160, 120}));
        QVERIFY(liar.isRunning());
        QCOMPARE(liar.size(), QSize(320, 240));
        const int frames = got.frames();
        QTRY_VERIFY_WITH_TIMEOUT(got.frames() > frames, kTimeout);
        QCOMPARE(got.lastSize(), QSize(320, 240));
        QTest::qWait(200);
        QVERIFY(reasons.isEmpty()); // failed starts are no stream failures
    }

    void quickStartsAndStopsAreClean() {
        Received got;
        for (int round = 0; round < 5; ++round) {
            auto source = std::make_unique<GstSource>(
                round % 2 ? kJpegSource : kRawSource,
                GstSource::modesFromCaps(round % 2 ? kJpegCaps : kRawCaps));
            QVERIFY(source->start({320, 240}, got.sink()));
            if (round == 2)
                QVERIFY(source->breakStream()); // destroyed with a failure on its way
            source.reset();                     // stops while running
        }
        QCoreApplication::processEvents(); // failure reports of gone sources are dropped
    }

    // ---- Frames ----

    void jpegScaleIsTheSmallestThatFills_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("5 MP into 800 wide: 3/8")
            << QSize(2592, 1944) << 800 / 2592.0 << QSize(972, 729);
        QTest::newRow("exactly 1/4") << QSize(2592, 1944) << 0.25 << QSize(648, 486);
        QTest::newRow("below 1/8") << QSize(2592, 1944) << 0.01 << QSize(324, 243);
        QTest::newRow("1080p into 800 wide: 1/2")
            << QSize(1920, 1080) << 800 / 1920.0 << QSize(960, 540);
        QTest::newRow("zoomed in: full") << QSize(1920, 1080) << 2.5 << QSize(1920, 1080);
        QTest::newRow("odd sizes round up") << QSize(1001, 701) << 0.125 << QSize(126, 88);
    }
    void jpegScaleIsTheSmallestThatFills() {
        QFETCH(QSize, size);
        QFETCH(double, scale);
        QFETCH(QSize, decoded);
        QCOMPARE(orv::jpegScaledSize(size, scale), decoded);
    }

    void jpegFrameDecodesOnceInFullAndReducedOnDemand() {
        QImage bars(320, 240, QImage::Format_RGB32);
        bars.fill(Qt::white);
        const int count = 7;
        static const QRgb colours[count] = {0xbfbfbf, 0xbfbf00, 0x00bfbf, 0x00bf00,
                                            0xbf00bf, 0xbf0000, 0x0000bf};
        for (int i = 0; i < count; ++i)
            for (int y = 0; y < 160; ++y)
                for (int x = 320 * i / count; x < 320 * (i + 1) / count; ++x)
                    bars.setPixel(x, y, colours[i]);
        const QByteArray jpeg = jpegOf(bars);
        QCOMPARE(orv::jpegSize(jpeg), QSize(320, 240));

        auto decoder = std::make_shared<CountingDecoder>();
        const orv::Frame frame = orv::Frame::fromJpeg(jpeg, {320, 240}, decoder);
        QVERIFY(frame.isJpeg());
        QCOMPARE(orv::Frame(frame).key(), frame.key());
        QVERIFY(orv::Frame::fromJpeg(jpeg, {320, 240}, decoder).key() != frame.key());
        const QImage small = frame.scaled(0.3);
        QCOMPARE(small.size(), QSize(120, 90));
        QVERIFY(showsColourBars(small));
        QCOMPARE(decoder->calls.load(), 0); // viewing never decodes in full

        // Callers on several threads share one full decode.
        std::vector<std::thread> callers;
        std::atomic<int> right{0};
        for (int i = 0; i < 4; ++i)
            callers.emplace_back([&] { right += showsColourBars(frame.image()); });
        for (std::thread& t : callers)
            t.join();
        QCOMPARE(right.load(), 4);
        QCOMPARE(decoder->calls.load(), 1);

        // A decoded frame is its own picture at any scale.
        const orv::Frame raw(bars);
        QVERIFY(!raw.isJpeg());
        QCOMPARE(raw.scaled(0.25), bars);
        QCOMPARE(raw.key(), orv::Frame(bars).key());

        // Bytes that are no JPEG give no picture.
        const orv::Frame broken = orv::Frame::fromJpeg("not a jpeg", {320, 240}, decoder);
        QVERIFY(broken.scaled(0.5).isNull());
        QVERIFY(broken.image().isNull());
        QVERIFY(!orv::jpegSize("not a jpeg").isValid());
    }

    // ---- V4L2 controls ----

    void v4l2ControlsMapOntoTheStandardIds() {
        const V4l2Controls set(documentCameraNode());
        QStringList list;
        for (const ControlInfo& c : set.controls())
            list << describe(c);
        QCOMPARE(list, QStringList({
                           "0 Brightness -64..64 =0",
                           "1 Contrast 0..95 =32",
                           "2 Hue -2000..2000 =0",
                           "3 Saturation 0..100 =55",
                           "4 Sharpness 0..7 =2",
                           "5 Gamma 100..300 =100",
                           "6 White balance temperature 2800..6500 =4600 auto:on",
                           "7 Backlight compensation 0..2 =1",
                           "8 Gain 0..128 =0",
                           "100 Exposure 3..2047 =250 auto:on",
                           "101 Power line frequency 0..2 =1 [Disabled|50 Hz|60 Hz]",
                           "1000 Colour Effects 0..2 =0 [None|Black & White|Emboss]",
                           "1001 Focus, Absolute 0..250 =0 auto:on",
                           "1002 Zoom, Absolute 100..500 =100",
                       }));
        QCOMPARE(set.controls().at(10).type, ControlInfo::Type::Menu);
    }

    void v4l2ControlsReadAndWriteTheDevice() {
        auto owned = documentCameraNode();
        FakeV4l2* node = owned.get();
        V4l2Controls set(std::move(owned));
        ControlValue v;
        QVERIFY(set.value(orv::kContrast, &v));
        QCOMPARE(v, (ControlValue{false, 32}));
        QVERIFY(set.value(orv::kExposure, &v));
        QCOMPARE(v, (ControlValue{true, 250}));

        QVERIFY(set.setValue(orv::kBrightness, {false, -10}));
        QVERIFY(!set.setValue(orv::kBrightness, {false, 65})); // out of range
        QVERIFY(!set.setValue(orv::kHue, {true, 0}));          // no automatic hue
        QVERIFY(!set.setValue(42, {false, 0}));
        QCOMPARE(node->writes, (QList<QPair<quint32, int>>{{V4L2_CID_BRIGHTNESS, -10}}));
        QVERIFY(set.value(orv::kBrightness, &v));
        QCOMPARE(v.value, -10);

        // Manual exposure: the device leaves its automatic mode first.
        node->writes.clear();
        QVERIFY(set.setValue(orv::kExposure, {false, 500}));
        QCOMPARE(node->writes,
                 (QList<QPair<quint32, int>>{{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
                                             {V4L2_CID_EXPOSURE_ABSOLUTE, 500}}));
        QVERIFY(set.value(orv::kExposure, &v));
        QCOMPARE(v, (ControlValue{false, 500}));
        // Back to the automatic mode the device has; the manual value stays.
        QVERIFY(set.setValue(orv::kExposure, {true, 0}));
        QVERIFY(set.value(orv::kExposure, &v));
        QCOMPARE(v, (ControlValue{true, 500}));
        QCOMPARE(node->controls.at(V4L2_CID_EXPOSURE_AUTO).value,
                 int(V4L2_EXPOSURE_APERTURE_PRIORITY));

        // White balance through its switch.
        QVERIFY(set.setValue(orv::kWhiteBalance, {false, 5000}));
        QCOMPARE(node->controls.at(V4L2_CID_AUTO_WHITE_BALANCE).value, 0);
        QCOMPARE(node->controls.at(V4L2_CID_WHITE_BALANCE_TEMPERATURE).value, 5000);
        QVERIFY(set.setValue(orv::kWhiteBalance, {true, 4000}));
        QCOMPARE(node->controls.at(V4L2_CID_AUTO_WHITE_BALANCE).value, 1);

        // Menus count their items; a gap in the device's menu is skipped.
        QVERIFY(set.setValue(1000, {false, 2}));
        QCOMPARE(node->controls.at(V4L2_CID_COLORFX).value, 3);
        QVERIFY(set.value(1000, &v));
        QCOMPARE(v.value, 2);
        QVERIFY(!set.setValue(1000, {false, 3}));

        // A device that went away answers nothing.
        node->gone = true;
        QVERIFY(!set.value(orv::kBrightness, &v));
        QVERIFY(!set.setValue(orv::kBrightness, {false, 1}));
        QCOMPARE(set.controls().size(), 14);
    }

    void v4l2ControlsOfAMissingDeviceAreNone() {
        const std::unique_ptr<V4l2Controls> set =
            V4l2Controls::open(QStringLiteral("/dev/orvanta-none"));
        QVERIFY(set->controls().isEmpty());
        ControlValue v;
        QVERIFY(!set->value(orv::kBrightness, &v));
        QVERIFY(!set->setValue(orv::kBrightness, {false, 0}));
        const V4l2Controls none(nullptr);
        QVERIFY(none.controls().isEmpty());
        // A node that is no video device lists nothing either.
        QVERIFY(V4l2Controls::open(QStringLiteral("/dev/null"))->controls().isEmpty());
    }

    // ---- The device monitor ----

    void monitorListsThisMachinesCameras() {
        int calls = 0;
        DeviceMonitor monitor([&](const DeviceInfo&) { ++calls; },
                              [&](const QString&) { ++calls; });
        QCoreApplication::processEvents();
        if (videoNodes().isEmpty()) {
            QVERIFY(monitor.devices().isEmpty());
            QCOMPARE(calls, 0);
        }
        for (const DeviceInfo& device : monitor.devices()) {
            QVERIFY(device.id.startsWith(QStringLiteral("/dev/")));
            QVERIFY(device.source.startsWith(QStringLiteral("v4l2src device=")));
            QVERIFY(!device.name.isEmpty());
        }
        DeviceMonitor idle(nullptr, nullptr, false);
        QVERIFY(!idle.isWatching());
        QVERIFY(idle.devices().isEmpty());
    }

    void monitorReportsChangesOnce() {
        QStringList log;
        DeviceMonitor monitor([&](const DeviceInfo& d) { log << "+" + d.id; },
                              [&](const QString& id) { log << "-" + id; }, false);
        const auto device = [](const char* id, const char* name) {
            DeviceInfo info;
            info.id = QString::fromLatin1(id);
            info.name = QString::fromLatin1(name);
            info.source = kRawSource;
            return info;
        };
        const DeviceInfo a = device("a", "A"), b = device("b", "B");
        QVERIFY(monitor.reportArrival(a));
        QVERIFY(monitor.reportArrival(b));
        QVERIFY(!monitor.reportArrival(a));
        QVERIFY(!monitor.reportArrival(DeviceInfo{}));
        QCOMPARE(monitor.devices().size(), 2);
        QCOMPARE(monitor.devices().at(1).name, QStringLiteral("B"));
        QVERIFY(monitor.reportRemoval(QStringLiteral("a")));
        QVERIFY(!monitor.reportRemoval(QStringLiteral("a")));
        QCOMPARE(log, QStringList({"+a", "+b", "-a"}));
        QCOMPARE(monitor.devices().at(0).id, QStringLiteral("b"));
    }

    // ---- Devices in the engine ----

    void withoutVirtualCamerasOnlyRealOnesAreListed() {
        OrvTestShutdown();
        qunsetenv("ORVANTA_REAL_CAMERAS");
        qunsetenv("ORVANTA_VIRTUAL_CAMERAS");
        QCOMPARE(OrvInit(), 0);
        if (videoNodes().isEmpty())
            QCOMPARE(OrvGetCameraCount(), 0);
        for (const QString& name : cameraNames())
            QVERIFY(!name.startsWith(QStringLiteral("Orvanta Virtual Camera")));
    }

    void devicesAreListedBeforeVirtualCameras() {
        startEngine(2);
        const QByteArray caps = kRawCaps;
        QCOMPARE(OrvTestPlugDevice("cam-a", "Desk Camera A", kRawSource.toUtf8(), caps), 0);
        QCOMPARE(g_deviceEvents, QList<int>({ORV_DEVICE_ARRIVAL}));
        QCOMPARE(cameraNames(), QStringList({"Desk Camera A", "Orvanta Virtual Camera 1",
                                             "Orvanta Virtual Camera 2"}));
        QCOMPARE(OrvGetResCount(0), 2);
        QCOMPARE(QSize(OrvGetResWidth(0, 0), OrvGetResHeight(0, 0)), QSize(320, 240));
        QCOMPARE(QSize(OrvGetResWidth(0, 1), OrvGetResHeight(0, 1)), QSize(160, 120));
        QCOMPARE(OrvGetResWidth(0, 2), -1);

        // The second one after the first; the known one is not added twice.
        QCOMPARE(OrvTestPlugDevice("cam-b", "Desk Camera B", kJpegSource.toUtf8(), kJpegCaps), 0);
        QCOMPARE(OrvTestPlugDevice("cam-a", "Desk Camera A", kRawSource.toUtf8(), caps), -1);
        QCOMPARE(OrvTestPlugDevice("cam-c", "No sizes", kRawSource.toUtf8(), "video/x-h264"), -1);
        QCOMPARE(g_deviceEvents, QList<int>({ORV_DEVICE_ARRIVAL, ORV_DEVICE_ARRIVAL}));
        QCOMPARE(cameraNames(),
                 QStringList({"Desk Camera A", "Desk Camera B", "Orvanta Virtual Camera 1",
                              "Orvanta Virtual Camera 2"}));

        // Virtual cameras come and go behind the real ones.
        OrvTestSetVirtualCameraCount(3);
        OrvTestSetVirtualCameraCount(1);
        QCOMPARE(cameraNames(),
                 QStringList({"Desk Camera A", "Desk Camera B", "Orvanta Virtual Camera 1"}));

        // The ones after a removed camera move down.
        g_deviceEvents.clear();
        QCOMPARE(OrvTestUnplugDevice("cam-a"), 0);
        QCOMPARE(OrvTestUnplugDevice("cam-a"), -1);
        QCOMPARE(g_deviceEvents, QList<int>({ORV_DEVICE_REMOVE_COMPLETE}));
        QCOMPARE(cameraNames(), QStringList({"Desk Camera B", "Orvanta Virtual Camera 1"}));
        // A source that reports its own sizes is asked for them.
        QCOMPARE(OrvTestPlugDevice(
                     "cam-d", "Fixed",
                     "videotestsrc is-live=true ! capsfilter caps=video/x-raw,width=200,height=150",
                     nullptr),
                 0);
        QCOMPARE(QSize(OrvGetResWidth(1, 0), OrvGetResHeight(1, 0)), QSize(200, 150));
    }

    void deviceStreamsIntoAWidgetUntilUnplugged() {
        QFETCH(QString, source);
        QFETCH(QByteArray, caps);
        startEngine(1);
        QCOMPARE(OrvTestPlugDevice("cam", "Desk Camera", source.toUtf8(), caps), 0);
        auto w = makeSurface({400, 300});
        QCOMPARE(OrvSetDefaultResolution(0, 1), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsBars(w.get(), {160, 120}), kTimeout);
        QCOMPARE(frameSizeOf(0), QSize(160, 120));

        QCOMPARE(OrvSetResolution(0, 0), 0);
        QTRY_COMPARE_WITH_TIMEOUT(frameSizeOf(0), QSize(320, 240), kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(showsBars(w.get(), {320, 240}), kTimeout);

        // Unplugged while streaming: closed, gone, the widget is its own again.
        g_deviceEvents.clear();
        QCOMPARE(OrvTestUnplugDevice("cam"), 0);
        QCOMPARE(g_deviceEvents, QList<int>({ORV_DEVICE_REMOVE_COMPLETE}));
        QCOMPARE(cameraNames(), QStringList({"Orvanta Virtual Camera 1"}));
        QTRY_VERIFY(showsOwnBackground(w.get()));
        QTest::qWait(200);
        QVERIFY(showsOwnBackground(w.get()));
        QCOMPARE(frameSizeOf(0), QSize());
    }
    void deviceStreamsIntoAWidgetUntilUnplugged_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("caps");
        QTest::newRow("raw") << kRawSource << kRawCaps;
        QTest::newRow("mjpeg") << kJpegSource << kJpegCaps;
    }

    // A capture of an MJPEG camera holds the pixels the pipeline's own
    // decode gave when it decoded every frame; so do barcode and OCR reads.
    void mjpegCaptureKeepsThePipelinesPixels() {
        QFETCH(QString, source);
        startEngine(0);
        QCOMPARE(OrvTestPlugDevice("cam", "Desk Camera", source.toUtf8(), kJpegCaps), 0);
        auto w = makeSurface({200, 150});
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsBars(w.get(), {320, 240}), kTimeout);
        const QImage before = decodedByPipeline(source, GstSource::modesFromCaps(kJpegCaps).at(0));
        QVERIFY(showsColourBars(before));
        QTemporaryDir dir;
        for (const char* name : {"a.bmp", "b.png"}) {
            const QByteArray path = QFile::encodeName(dir.filePath(QString::fromLatin1(name)));
            QCOMPARE(OrvCapture(0, path.constData()), 1);
            QCOMPARE(QImage(QFile::decodeName(path)).convertToFormat(QImage::Format_RGB32), before);
        }
    }
    void mjpegCaptureKeepsThePipelinesPixels_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("4:2:0") << kStillJpegSource;
        // What cameras send.
        QTest::newRow("4:2:2") << QStringLiteral("videotestsrc is-live=true pattern=smpte75 ! "
                                                 "video/x-raw,format=Y42B ! jpegenc");
    }

    void failedStreamRemovesTheCamera() {
        startEngine(1);
        QCOMPARE(OrvTestPlugDevice("cam", "Desk Camera", kRawSource.toUtf8(), kRawCaps), 0);
        QCOMPARE(OrvTestBreakStream(0), -1); // not streaming
        QCOMPARE(OrvTestBreakStream(1), -1); // virtual
        auto w = makeSurface({400, 300});
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsBars(w.get(), {320, 240}), kTimeout);
        g_deviceEvents.clear();
        QCOMPARE(OrvTestBreakStream(0), 0);
        QTRY_COMPARE_WITH_TIMEOUT(g_deviceEvents, QList<int>({ORV_DEVICE_REMOVE_COMPLETE}),
                                  kTimeout);
        QCOMPARE(cameraNames(), QStringList({"Orvanta Virtual Camera 1"}));
        QTRY_VERIFY(showsOwnBackground(w.get()));

        // The monitor's removal that follows finds nothing more to do; the
        // device can arrive again.
        QCOMPARE(OrvTestUnplugDevice("cam"), 0);
        QCOMPARE(g_deviceEvents, QList<int>({ORV_DEVICE_REMOVE_COMPLETE}));
        QCOMPARE(OrvTestPlugDevice("cam", "Desk Camera", kRawSource.toUtf8(), kRawCaps), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsBars(w.get(), {320, 240}), kTimeout);
    }

    void deviceThatCannotStreamStaysListed() {
        startEngine(1);
        // Offers MJPEG at 160x120 but sends raw video.
        QCOMPARE(OrvTestPlugDevice("liar", "Liar", "videotestsrc is-live=true pattern=smpte",
                                   "video/x-raw,width=320,height=240;"
                                   "image/jpeg,width=160,height=120"),
                 0);
        auto w = makeSurface({320, 240});
        QCOMPARE(OrvSetDefaultResolution(0, 1), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), -1);
        QCOMPARE(OrvCloseCamera(0), -1);
        QCOMPARE(OrvSetDefaultResolution(0, 0), 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsBars(w.get(), {320, 240}), kTimeout);
        QCOMPARE(OrvSetResolution(0, 1), -1);
        QCOMPARE(frameSizeOf(0), QSize(320, 240));
        QTRY_VERIFY_WITH_TIMEOUT(showsBars(w.get(), {320, 240}), kTimeout);

        // A device whose element cannot be made is refused at open as well.
        QCOMPARE(OrvTestPlugDevice("odd", "Odd", "orvanta-no-such-element", kRawCaps), 0);
        QCOMPARE(OrvOpenCamera(1, w->winId()), -1);
        QCOMPARE(cameraNames(), QStringList({"Liar", "Odd", "Orvanta Virtual Camera 1"}));
        QTest::qWait(200);
        QCOMPARE(g_deviceEvents, QList<int>({ORV_DEVICE_ARRIVAL, ORV_DEVICE_ARRIVAL}));
    }

    void shutdownWhileStreaming() {
        startEngine(1);
        QCOMPARE(OrvTestPlugDevice("cam", "Desk Camera", kJpegSource.toUtf8(), kJpegCaps), 0);
        auto a = makeSurface({320, 240});
        auto b = makeSurface({320, 240});
        QCOMPARE(OrvOpenCamera(0, a->winId()), 0);
        QCOMPARE(OrvOpenCamera(1, b->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(showsBars(a.get(), {320, 240}), kTimeout);
        QCOMPARE(OrvTestBreakStream(0), 0);
        OrvTestShutdown(); // with a failure report still on its way
        QCoreApplication::processEvents();
        QCOMPARE(OrvGetCameraCount(), -1);
        QTRY_VERIFY(showsOwnBackground(a.get()));
    }
};

QTEST_MAIN(TestEngineGst)
#include "tst_engine_gst.moc"
