#include "GstSource.h"

#include "GstJpegDecoder.h"
#include "ThreadAnnotations.h"

#include <QDebug>
#include <QMetaObject>
#include <QtGlobal>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace orv {

// What the GStreamer threads of one pipeline share with the GUI side. The
// pipeline's callbacks hold it; the GUI side detaches it when it lets the
// pipeline go, after which nothing reaches the sink or the GUI from there.
struct GstStream {
    std::mutex mutex;
    FrameSource::FrameSink sink;
    std::function<void(const QString&)> onFailure; // posts to the GUI thread
    QString firstError;
    // The streaming thread's own: the full decode of the JPEG frames, for the
    // caps they came with.
    std::shared_ptr<GstJpegDecoder> decoder;
    QByteArray decoderCaps;

    void deliver(const Frame& frame) {
        std::lock_guard lock(mutex);
        if (sink)
            sink(frame);
    }
    // Only the first failure of a pipeline is reported.
    void fail(const QString& reason) {
        std::lock_guard lock(mutex);
        if (firstError.isEmpty())
            firstError = reason;
        std::function<void(const QString&)> notify = std::exchange(onFailure, nullptr);
        if (notify)
            notify(reason);
    }
    void detach() {
        std::lock_guard lock(mutex);
        sink = nullptr;
        onFailure = nullptr;
    }
    QString error() {
        std::lock_guard lock(mutex);
        return firstError;
    }
};

namespace {

using StreamRef = std::shared_ptr<GstStream>;

constexpr GstClockTime kStartTimeout = 3 * GST_SECOND;
constexpr auto kStopTimeout = std::chrono::seconds(3);
constexpr const char* kModeFilter = "modefilter";

// The raw format whose bytes are QImage::Format_RGB32 on this machine.
constexpr GstVideoFormat kFrameFormat =
    Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? GST_VIDEO_FORMAT_BGRx : GST_VIDEO_FORMAT_xRGB;

gpointer newRef(const StreamRef& stream) {
    return new StreamRef(stream);
}

void releaseRef(gpointer data) {
    delete static_cast<StreamRef*>(data);
}

GstStream& streamOf(gpointer data) {
    return **static_cast<StreamRef*>(data);
}

// ---- Modes from caps ----

struct Rate {
    bool offered = false;
    double fps = -1;
    int num = 0; // 0: no single rate to ask for
    int den = 1;
};

// The highest frame rate a framerate field allows.
Rate highestRate(const GValue* value) {
    Rate best;
    best.offered = true;
    if (!value) { // no rate given: assume it is usable
        best.fps = GstSource::kMinUsableFps;
        return best;
    }
    if (GST_VALUE_HOLDS_FRACTION(value)) {
        const int num = gst_value_get_fraction_numerator(value);
        const int den = gst_value_get_fraction_denominator(value);
        if (den > 0 && num > 0) {
            best.fps = double(num) / den;
            best.num = num;
            best.den = den;
        } else {
            best.fps = 0; // variable rate
        }
    } else if (GST_VALUE_HOLDS_LIST(value)) {
        for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
            const Rate rate = highestRate(gst_value_list_get_value(value, i));
            if (rate.fps > best.fps)
                best = rate;
        }
    } else if (GST_VALUE_HOLDS_FRACTION_RANGE(value)) {
        best.fps = highestRate(gst_value_get_fraction_range_max(value)).fps;
    }
    return best;
}

// ---- The pipeline ----

QImage imageOf(GstSample* sample) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
        GST_VIDEO_INFO_FORMAT(&info) != kFrameFormat)
        return {};
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ))
        return {};
    const auto* data = static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const QImage image = QImage(data, GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                                GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32)
                             .copy(); // the buffer goes back to its pool now
    gst_video_frame_unmap(&frame);
    return image;
}

// A JPEG frame as it came, its full decode left to a decoder of the stream.
// A buffer that is no JPEG of the size negotiated is dropped, as the decoder
// in the pipeline would drop it.
Frame jpegFrameOf(GstSample* sample, GstStream& stream) {
    const GstStructure* caps = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
    int width = 0, height = 0;
    GstMapInfo map;
    if (!caps || !gst_structure_get_int(caps, "width", &width) ||
        !gst_structure_get_int(caps, "height", &height) ||
        !gst_buffer_map(gst_sample_get_buffer(sample), &map, GST_MAP_READ))
        return {};
    QByteArray jpeg(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
    gst_buffer_unmap(gst_sample_get_buffer(sample), &map);
    if (jpegSize(jpeg) != QSize(width, height))
        return {};
    g_autofree gchar* text = gst_caps_to_string(gst_sample_get_caps(sample));
    if (!stream.decoder || stream.decoderCaps != text) {
        stream.decoderCaps = text;
        stream.decoder = std::make_shared<GstJpegDecoder>(stream.decoderCaps);
        // Building the decoder's pipeline and its first negotiation take
        // longer than a decode: done now, on a thread of its own, so the
        // first capture does not wait for them.
        stream.decoder->warmUp(jpeg);
    }
    return Frame::fromJpeg(std::move(jpeg), QSize(width, height), stream.decoder);
}

GstFlowReturn onNewSample(GstAppSink* appsink, gpointer data) {
    GstSample* sample = gst_app_sink_pull_sample(appsink);
    if (!sample)
        return GST_FLOW_OK;
    GstStream& stream = streamOf(data);
    const GstStructure* caps = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
    const Frame frame = caps && gst_structure_has_name(caps, "image/jpeg")
                            ? jpegFrameOf(sample, stream)
                            : Frame(imageOf(sample));
    gst_sample_unref(sample);
    if (!frame.isNull())
        stream.deliver(frame);
    return GST_FLOW_OK;
}

// Streaming threads post here; only failures matter to the source.
GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data) {
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        g_autoptr(GError) error = nullptr;
        g_autofree gchar* debug = nullptr;
        gst_message_parse_error(message, &error, &debug);
        const QString reason = QStringLiteral("%1: %2").arg(
            QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(message))),
            QString::fromUtf8(error ? error->message : "error"));
        if (debug)
            qDebug("camera pipeline: %s", debug);
        streamOf(data).fail(reason);
        break;
    }
    case GST_MESSAGE_EOS: // a camera does not end: it went away
        streamOf(data).fail(QStringLiteral("end of stream"));
        break;
    default:
        break;
    }
    // A handler that drops a message owns it. Every message holds its source
    // element, so one not released keeps the whole pipeline alive.
    gst_message_unref(message);
    return GST_BUS_DROP; // nothing piles up on the bus
}

GstPadProbeReturn failBuffer(GstPad*, GstPadProbeInfo* info, gpointer) {
    gst_mini_object_unref(GST_MINI_OBJECT(GST_PAD_PROBE_INFO_DATA(info)));
    GST_PAD_PROBE_INFO_FLOW_RETURN(info) = GST_FLOW_ERROR;
    return GST_PAD_PROBE_HANDLED;
}

// Adds a new element to bin; nullptr (and error set) when the plugin is missing.
GstElement* addElement(GstElement* bin, const char* factory, const char* name, QString* error) {
    GstElement* element = gst_element_factory_make(factory, name);
    if (!element) {
        *error = QStringLiteral("the GStreamer element %1 is not installed")
                     .arg(QString::fromLatin1(factory));
        return nullptr;
    }
    gst_bin_add(GST_BIN(bin), element);
    return element;
}

// The source element(s) from their description, in a bin with a "src" pad.
GstElement* parseSource(const QString& description, QString* error) {
    g_autoptr(GError) parseError = nullptr;
    GstElement* source =
        gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &parseError);
    if (source && !parseError)
        return GST_ELEMENT(gst_object_ref_sink(source));
    *error = QStringLiteral("bad source \"%1\": %2")
                 .arg(description, QString::fromUtf8(parseError ? parseError->message : "?"));
    if (source)
        gst_object_unref(gst_object_ref_sink(source));
    return nullptr;
}

GstElement* buildPipeline(const QString& description, const CaptureMode& mode,
                          const StreamRef& stream, QString* error) {
    GstElement* source = parseSource(description, error);
    if (!source)
        return nullptr;
    GstElement* pipeline = gst_pipeline_new("orvanta-camera");
    gst_bin_add(GST_BIN(pipeline), source);
    gst_object_unref(source); // the pipeline holds it
    // MJPEG frames reach the sink compressed: each is decoded where it is
    // used, at the size used (see Frame).
    GstElement* filter = addElement(pipeline, "capsfilter", kModeFilter, error);
    GstElement* convert =
        mode.jpeg ? nullptr : addElement(pipeline, "videoconvert", nullptr, error);
    GstElement* sink = addElement(pipeline, "appsink", nullptr, error);
    if (!filter || (!mode.jpeg && !convert) || !sink) {
        gst_object_unref(pipeline);
        return nullptr;
    }

    GstCaps* modeCaps = gst_caps_from_string(mode.caps().constData());
    g_object_set(filter, "caps", modeCaps, nullptr);
    gst_caps_unref(modeCaps);

    GstAppSink* appsink = GST_APP_SINK(sink);
    GstCaps* frameCaps =
        mode.jpeg ? gst_caps_new_empty_simple("image/jpeg")
                  : gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                        gst_video_format_to_string(kFrameFormat), nullptr);
    gst_app_sink_set_caps(appsink, frameCaps);
    gst_caps_unref(frameCaps);
    gst_app_sink_set_max_buffers(appsink, 1);
    gst_app_sink_set_drop(appsink, TRUE);
    gst_base_sink_set_sync(GST_BASE_SINK(sink), FALSE);
    gst_base_sink_set_last_sample_enabled(GST_BASE_SINK(sink), FALSE);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = onNewSample;
    gst_app_sink_set_callbacks(appsink, &callbacks, newRef(stream), releaseRef);

    // Linked from the sink back, and the source without a caps check: a
    // v4l2src that is not open yet offers every format, so what the device
    // cannot do shows only when the stream negotiates. Test sources fail the
    // same way, on the bus.
    const bool linked =
        (convert ? gst_element_link(convert, sink) && gst_element_link(filter, convert)
                 : gst_element_link(filter, sink)) &&
        gst_element_link_pads_full(source, "src", filter, "sink", GST_PAD_LINK_CHECK_NOTHING);
    if (!linked) {
        *error = QStringLiteral("cannot link the source \"%1\"").arg(description);
        gst_object_unref(pipeline);
        return nullptr;
    }

    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, onBusMessage, newRef(stream), releaseRef);
    gst_object_unref(bus);
    return pipeline;
}

// Takes pipeline to NULL and drops it, waiting at most kStopTimeout.
void disposePipeline(GstElement* pipeline) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread worker([pipeline, done] {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        done->set_value();
    });
    if (finished.wait_for(kStopTimeout) == std::future_status::ready) {
        worker.join();
    } else {
        qWarning("camera pipeline did not stop in time; it is left to stop on its own");
        worker.detach();
    }
}

} // namespace

bool ensureGstreamer() {
    static const bool ok = [] {
        g_autoptr(GError) error = nullptr;
        if (gst_init_check(nullptr, nullptr, &error))
            return true;
        qWarning("GStreamer cannot start: %s", error ? error->message : "?");
        return false;
    }();
    return ok;
}

QByteArray CaptureMode::caps() const {
    QByteArray text = jpeg ? "image/jpeg" : "video/x-raw";
    text += ",width=(int)" + QByteArray::number(size.width()) + ",height=(int)" +
            QByteArray::number(size.height());
    if (fpsNum > 0)
        text +=
            ",framerate=(fraction)" + QByteArray::number(fpsNum) + '/' + QByteArray::number(fpsDen);
    return text;
}

// ---- Modes ----

QList<CaptureMode> GstSource::modesFromCaps(const GstCaps* caps) {
    if (!caps || gst_caps_is_any(caps) || gst_caps_is_empty(caps))
        return {};
    struct Offer {
        Rate jpeg, raw;
    };
    std::map<std::pair<int, int>, Offer> offers;
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        const bool jpeg = gst_structure_has_name(s, "image/jpeg");
        if (!jpeg && !gst_structure_has_name(s, "video/x-raw"))
            continue;
        int width = 0, height = 0;
        if (!gst_structure_get_int(s, "width", &width) ||
            !gst_structure_get_int(s, "height", &height) || width <= 0 || height <= 0)
            continue;
        const Rate rate = highestRate(gst_structure_get_value(s, "framerate"));
        Offer& offer = offers[{width, height}];
        Rate& slot = jpeg ? offer.jpeg : offer.raw;
        if (!slot.offered || rate.fps > slot.fps)
            slot = rate;
    }
    QList<CaptureMode> modes;
    for (const auto& [size, offer] : offers) {
        const bool jpeg =
            offer.jpeg.offered && (offer.jpeg.fps >= kMinUsableFps || !offer.raw.offered);
        const Rate& rate = jpeg ? offer.jpeg : offer.raw;
        CaptureMode mode;
        mode.size = QSize(size.first, size.second);
        mode.jpeg = jpeg;
        mode.fpsNum = rate.num;
        mode.fpsDen = rate.den;
        mode.fps = rate.fps;
        modes << mode;
    }
    std::stable_sort(modes.begin(), modes.end(), [](const CaptureMode& a, const CaptureMode& b) {
        const qint64 areaA = qint64(a.size.width()) * a.size.height();
        const qint64 areaB = qint64(b.size.width()) * b.size.height();
        return areaA != areaB ? areaA > areaB : a.size.width() > b.size.width();
    });
    return modes;
}

QList<CaptureMode> GstSource::modesFromCaps(const QByteArray& caps) {
    if (!ensureGstreamer())
        return {};
    GstCaps* parsed = gst_caps_from_string(caps.constData());
    const QList<CaptureMode> modes = modesFromCaps(parsed);
    if (parsed)
        gst_caps_unref(parsed);
    return modes;
}

QList<CaptureMode> GstSource::probeModes(const QString& source) {
    if (!ensureGstreamer())
        return {};
    QString error;
    GstElement* bin = parseSource(source, &error);
    if (!bin) {
        qWarning("%s", qPrintable(error));
        return {};
    }
    QList<CaptureMode> modes;
    if (gst_element_set_state(bin, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
        if (GstPad* pad = gst_element_get_static_pad(bin, "src")) {
            GstCaps* caps = gst_pad_query_caps(pad, nullptr);
            modes = modesFromCaps(caps);
            if (caps)
                gst_caps_unref(caps);
            gst_object_unref(pad);
        }
    }
    gst_element_set_state(bin, GST_STATE_NULL);
    gst_object_unref(bin);
    return modes;
}

// ---- The source ----

GstSource::GstSource(QString source, QList<CaptureMode> modes)
    : m_source(std::move(source)), m_modes(std::move(modes)) {}

GstSource::~GstSource() {
    stop();
}

QList<QSize> GstSource::resolutions() const {
    QList<QSize> sizes;
    for (const CaptureMode& mode : m_modes)
        sizes << mode.size;
    return sizes;
}

const CaptureMode* GstSource::modeFor(QSize size) const {
    for (const CaptureMode& mode : m_modes)
        if (mode.size == size)
            return &mode;
    return nullptr;
}

bool GstSource::isRunning() const {
    return m_pipeline != nullptr;
}

bool GstSource::start(QSize size, FrameSink sink) {
    if (isRunning() || !sink || !modeFor(size))
        return false;
    m_sink = std::move(sink);
    if (launch(size))
        return true;
    m_sink = nullptr;
    return false;
}

bool GstSource::setSize(QSize size) {
    if (!isRunning() || !modeFor(size))
        return false;
    if (size == m_size)
        return true;
    const QSize previous = m_size;
    teardown();
    if (launch(size))
        return true;
    const QString reason = m_lastError;
    if (launch(previous)) {
        m_lastError = reason;
        return false;
    }
    reportFailure(reason);
    return false;
}

void GstSource::stop() {
    teardown();
    m_sink = nullptr;
}

bool GstSource::launch(QSize size) {
    if (!ensureGstreamer()) {
        m_lastError = QStringLiteral("GStreamer cannot start");
        return false;
    }
    const CaptureMode* mode = modeFor(size);
    if (!mode) {
        m_lastError = QStringLiteral("no such frame size");
        return false;
    }
    auto stream = std::make_shared<GstStream>();
    stream->sink = m_sink;
    const quint64 generation = ++m_generation;
    stream->onFailure = [this, generation](const QString& reason) {
        tsan::release(tsan::queuedCalls());
        QMetaObject::invokeMethod(
            &m_context,
            [this, generation, reason] {
                tsan::acquire(tsan::queuedCalls());
                streamFailed(generation, reason);
            },
            Qt::QueuedConnection);
    };
    QString error;
    GstElement* pipeline = buildPipeline(m_source, *mode, stream, &error);
    if (!pipeline) {
        m_lastError = error;
        qWarning("camera: %s", qPrintable(error));
        return false;
    }
    m_pipeline = pipeline;
    m_stream = stream;
    m_size = size;
    GstStateChangeReturn result = gst_element_set_state(pipeline, GST_STATE_PLAYING);
    // PLAYING needs a first frame at the sink: a device that is missing or
    // busy, or caps that do not negotiate, fail here. A stream that is only
    // slow counts as started; its errors come later, on the bus.
    if (result == GST_STATE_CHANGE_ASYNC)
        result = gst_element_get_state(pipeline, nullptr, nullptr, kStartTimeout);
    // A source that fails to negotiate also ends its stream, which lets the
    // sink reach PLAYING: the error it posted first tells.
    const QString reason = stream->error();
    if (result != GST_STATE_CHANGE_FAILURE && reason.isEmpty())
        return true;
    m_lastError = reason.isEmpty() ? QStringLiteral("the camera pipeline did not start") : reason;
    qWarning("camera: %s", qPrintable(m_lastError));
    teardown();
    return false;
}

void GstSource::teardown() {
    if (!m_pipeline)
        return;
    m_stream->detach(); // no frame and no report from this pipeline after this
    m_stream.reset();
    disposePipeline(std::exchange(m_pipeline, nullptr));
    m_size = QSize();
}

void GstSource::streamFailed(quint64 generation, const QString& reason) {
    if (generation != m_generation || !m_pipeline)
        return; // a pipeline let go of already
    qWarning("camera stream failed: %s", qPrintable(reason));
    teardown();
    reportFailure(reason);
}

void GstSource::reportFailure(const QString& reason) {
    m_lastError = reason;
    m_sink = nullptr;
    if (m_failureHandler)
        m_failureHandler(reason);
}

bool GstSource::breakStream() {
    if (!m_pipeline)
        return false;
    GstElement* filter = gst_bin_get_by_name(GST_BIN(m_pipeline), kModeFilter);
    GstPad* pad = filter ? gst_element_get_static_pad(filter, "sink") : nullptr;
    if (pad)
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, failBuffer, nullptr, nullptr);
    if (pad)
        gst_object_unref(pad);
    if (filter)
        gst_object_unref(filter);
    return pad != nullptr;
}

} // namespace orv
