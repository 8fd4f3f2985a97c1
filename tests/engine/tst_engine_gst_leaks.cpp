// A real camera's pipelines are let go completely. GStreamer's leak tracer
// follows every GStreamer object while a pretend device (videotestsrc in place
// of v4l2src) is opened, closed, switched between frame sizes, broken
// mid-stream and unplugged through the library's C functions; afterwards no
// element (pipelines included) and no sample may still be alive.
//
// The tracer must be active before GStreamer starts: the test sets
// GST_TRACERS itself before it starts GStreamer.

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include "EngineTestSupport.h"

#include <QtTest>

#include <gst/gst.h>

using enginetest::frameSizeOf;
using enginetest::makeSurface;

namespace {

constexpr int kTimeout = 20000;

QList<int> g_deviceEvents;
void recordDeviceEvent(int event) {
    g_deviceEvents << event;
}

// The active leak tracer; nullptr when GST_TRACERS did not name it.
GstTracer* leakTracer() {
    GstTracer* found = nullptr;
    GList* tracers = gst_tracing_get_active_tracers();
    for (GList* t = tracers; t; t = t->next) {
        if (!found && g_str_equal(G_OBJECT_TYPE_NAME(t->data), "GstLeaksTracer"))
            found = GST_TRACER(gst_object_ref(t->data));
    }
    g_list_free_full(tracers, gst_object_unref);
    return found;
}

// "GstPipeline <orvanta-camera> (refs 8)" for every element and every sample
// the tracer sees alive.
QStringList liveElementsAndSamples(GstTracer* tracer) {
    GstStructure* info = nullptr;
    g_signal_emit_by_name(tracer, "get-live-objects", &info);
    QStringList live;
    const GValue* list = info ? gst_structure_get_value(info, "live-objects-list") : nullptr;
    for (guint i = 0; list && i < gst_value_list_get_size(list); ++i) {
        const GstStructure* entry = gst_value_get_structure(gst_value_list_get_value(list, i));
        const GValue* object = gst_structure_get_value(entry, "object");
        guint refs = 0;
        gst_structure_get_uint(entry, "ref-count", &refs);
        const GType type = object ? G_VALUE_TYPE(object) : G_TYPE_INVALID;
        QString what;
        if (type != G_TYPE_INVALID && g_type_is_a(type, GST_TYPE_OBJECT)) {
            auto* obj = static_cast<GstObject*>(g_value_get_object(object));
            if (obj && GST_IS_ELEMENT(obj))
                what = QStringLiteral("%1 <%2>").arg(QString::fromUtf8(G_OBJECT_TYPE_NAME(obj)),
                                                     QString::fromUtf8(GST_OBJECT_NAME(obj)));
        } else if (type == GST_TYPE_SAMPLE) {
            what = QStringLiteral("GstSample");
        }
        if (!what.isEmpty())
            live << QStringLiteral("%1 (refs %2)").arg(what).arg(refs);
    }
    if (info)
        gst_structure_free(info);
    return live;
}

} // namespace

class TestEngineGstLeaks : public QObject {
    Q_OBJECT

    GstTracer* m_tracer = nullptr;

    void startEngine() {
        OrvTestShutdown();
        qputenv("ORVANTA_REAL_CAMERAS", "0");
        qputenv("ORVANTA_VIRTUAL_CAMERAS", "1");
        QCOMPARE(OrvInit(), 0);
        QCOMPARE(OrvSetDeviceChangeCB(recordDeviceEvent), 0);
    }

    // Everything let go: the library shut down and its events delivered.
    void verifyNothingLeft() {
        OrvTestShutdown();
        QCoreApplication::processEvents();
        const QStringList live = liveElementsAndSamples(m_tracer);
        if (!live.isEmpty())
            qWarning("still alive:\n  %s", qPrintable(live.join(QLatin1String("\n  "))));
        QCOMPARE(live.size(), 0);
    }

private slots:
    void initTestCase() {
        // Elements and samples only: the list of every live object cannot be
        // freed safely when it holds leaked messages.
        qputenv("GST_TRACERS", "leaks(filters=\"GstElement,GstSample\")");
        QVERIFY(gst_init_check(nullptr, nullptr, nullptr));
        m_tracer = leakTracer();
        QVERIFY2(m_tracer, "the leaks tracer is not active");
    }

    void cleanupTestCase() {
        OrvTestShutdown();
        if (m_tracer)
            gst_object_unref(m_tracer);
    }

    void openCloseAndSizeChangesLeaveNoPipeline() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, caps);
        startEngine();
        QCOMPARE(OrvTestPlugDevice("cam", "Desk Camera", source, caps), 0);
        auto w = makeSurface();
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_COMPARE_WITH_TIMEOUT(frameSizeOf(0), QSize(320, 240), kTimeout);
        OrvReadBarcode(0); // a full picture: an MJPEG frame's decoder runs
        for (int i = 0; i < 4; ++i) {
            const int index = (i + 1) % 2;
            QCOMPARE(OrvSetResolution(0, index), 0);
            QTRY_COMPARE_WITH_TIMEOUT(frameSizeOf(0).width(), index == 0 ? 320 : 160, kTimeout);
        }
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(OrvCloseCamera(0), 0);
            QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        }
        QTRY_VERIFY_WITH_TIMEOUT(frameSizeOf(0).isValid(), kTimeout);
        // Unplugged while streaming.
        QCOMPARE(OrvTestUnplugDevice("cam"), 0);
        verifyNothingLeft();
    }
    void openCloseAndSizeChangesLeaveNoPipeline_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("caps");
        QTest::newRow("raw") << QByteArray("videotestsrc is-live=true")
                             << QByteArray("video/x-raw,width=320,height=240,framerate=30/1;"
                                           "video/x-raw,width=160,height=120,framerate=30/1");
        QTest::newRow("mjpeg") << QByteArray("videotestsrc is-live=true ! jpegenc")
                               << QByteArray("image/jpeg,width=320,height=240,framerate=30/1;"
                                             "image/jpeg,width=160,height=120,framerate=30/1");
    }

    // The full-size decoder gets ready on a thread of its own from the first
    // frame on; a close at any moment of that waits for or cuts it short.
    void closingWhileTheDecoderGetsReadyLeavesNoPipeline() {
        startEngine();
        QCOMPARE(OrvTestPlugDevice("cam", "Desk Camera", "videotestsrc is-live=true ! jpegenc",
                                   "image/jpeg,width=640,height=480,framerate=30/1"),
                 0);
        auto w = makeSurface();
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
            QElapsedTimer waited;
            waited.start();
            while (!frameSizeOf(0).isValid() && waited.elapsed() < kTimeout)
                QTest::qWait(1);
            QVERIFY(frameSizeOf(0).isValid());
            QThread::msleep((i * 7) % 60);
            QCOMPARE(OrvCloseCamera(0), 0);
        }
        verifyNothingLeft();
    }

    void failedStreamAndFailedStartLeaveNoPipeline() {
        startEngine();
        QCOMPARE(OrvTestPlugDevice("cam", "Desk Camera", "videotestsrc is-live=true",
                                   "video/x-raw,width=320,height=240,framerate=30/1"),
                 0);
        // Offers a size its source cannot give: the start fails.
        QCOMPARE(OrvTestPlugDevice("liar", "Liar", "videotestsrc is-live=true",
                                   "image/jpeg,width=160,height=120"),
                 0);
        auto w = makeSurface();
        QVERIFY(OrvOpenCamera(1, w->winId()) != 0);
        QCOMPARE(OrvOpenCamera(0, w->winId()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(frameSizeOf(0).isValid(), kTimeout);
        g_deviceEvents.clear();
        QCOMPARE(OrvTestBreakStream(0), 0);
        QTRY_COMPARE_WITH_TIMEOUT(g_deviceEvents, QList<int>({ORV_DEVICE_REMOVE_COMPLETE}),
                                  kTimeout);
        verifyNothingLeft();
    }
};

QTEST_MAIN(TestEngineGstLeaks)
#include "tst_engine_gst_leaks.moc"
