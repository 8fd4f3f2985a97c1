#include "GstJpegDecoder.h"

#include "GstSource.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <chrono>
#include <utility>

namespace orv {

namespace {

constexpr auto kDecodeTimeout = std::chrono::seconds(3);

GstFlowReturn onDecoded(GstAppSink* appsink, gpointer data) {
    if (GstSample* sample = gst_app_sink_pull_sample(appsink))
        static_cast<GstJpegDecoder*>(data)->sampleArrived(sample);
    return GST_FLOW_OK;
}

GstBusSyncReply onDecoderMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* decoder = static_cast<GstJpegDecoder*>(data);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
        decoder->failed(true);
    else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_WARNING) // jpegdec dropped the frame
        decoder->failed(false);
    gst_message_unref(message);
    return GST_BUS_DROP;
}

// A mapped frame that stays mapped as long as the picture made on it lives.
struct MappedFrame {
    GstVideoFrame frame;
    GstSample* sample;
};

void unmapFrame(void* data) {
    auto* mapped = static_cast<MappedFrame*>(data);
    gst_video_frame_unmap(&mapped->frame);
    gst_sample_unref(mapped->sample);
    delete mapped;
}

// The sample's BGRx picture, without copying it; takes the sample.
QImage pictureOf(GstSample* sample) {
    GstVideoInfo info;
    auto* mapped = new MappedFrame{{}, sample};
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
        GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx ||
        !gst_video_frame_map(&mapped->frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        gst_sample_unref(sample);
        delete mapped;
        return {};
    }
    const auto* bits = static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped->frame, 0));
    return QImage(
        bits, GST_VIDEO_FRAME_WIDTH(&mapped->frame), GST_VIDEO_FRAME_HEIGHT(&mapped->frame),
        GST_VIDEO_FRAME_PLANE_STRIDE(&mapped->frame, 0), QImage::Format_RGB32, unmapFrame, mapped);
}

} // namespace

GstJpegDecoder::GstJpegDecoder(QByteArray caps) : m_caps(std::move(caps)) {}

GstJpegDecoder::~GstJpegDecoder() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_answer.notify_all();
    if (m_warmUp.joinable())
        m_warmUp.join();
    std::lock_guard lock(m_decodeMutex);
    dispose();
}

void GstJpegDecoder::warmUp(QByteArray jpeg) {
    if (!m_warmUp.joinable())
        m_warmUp = std::thread([this, jpeg = std::move(jpeg)] { decode(jpeg); });
}

bool GstJpegDecoder::build() {
    if (!ensureGstreamer())
        return false;
    GstCaps* caps = gst_caps_from_string(m_caps.constData());
    if (!caps)
        return false;
    GstElement* pipeline = gst_pipeline_new("orvanta-jpeg-decode");
    GstElement* src = gst_element_factory_make("appsrc", nullptr);
    GstElement* dec = gst_element_factory_make("jpegdec", nullptr);
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    for (GstElement* e : {src, dec, convert, sink})
        if (e)
            gst_bin_add(GST_BIN(pipeline), e);
    if (!src || !dec || !convert || !sink ||
        !gst_element_link_many(src, dec, convert, sink, nullptr)) {
        gst_caps_unref(caps);
        gst_object_unref(pipeline);
        return false;
    }
    // Every core converts its share of the rows; the pixels stay the same.
    g_object_set(convert, "n-threads", 0u, nullptr);
    g_object_set(src, "caps", caps, "format", GST_FORMAT_TIME, "is-live", FALSE, "block", FALSE,
                 "max-bytes", guint64(0), nullptr);
    gst_caps_unref(caps);
    GstCaps* frameCaps =
        gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
    gst_app_sink_set_caps(GST_APP_SINK(sink), frameCaps);
    gst_caps_unref(frameCaps);
    gst_base_sink_set_sync(GST_BASE_SINK(sink), FALSE);
    gst_base_sink_set_last_sample_enabled(GST_BASE_SINK(sink), FALSE);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = onDecoded;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, onDecoderMessage, this, nullptr);
    gst_object_unref(bus);
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        return false;
    }
    m_pipeline = pipeline;
    m_appsrc = src;
    return true;
}

void GstJpegDecoder::dispose() {
    if (m_pipeline) {
        gst_element_set_state(m_pipeline, GST_STATE_NULL); // its threads are gone after this
        gst_object_unref(m_pipeline);
        m_pipeline = m_appsrc = nullptr;
    }
    std::lock_guard lock(m_mutex);
    if (m_sample)
        gst_sample_unref(std::exchange(m_sample, nullptr));
    m_broken = false;
}

void GstJpegDecoder::sampleArrived(GstSample* sample) {
    {
        std::lock_guard lock(m_mutex);
        if (m_sample)
            gst_sample_unref(m_sample);
        m_sample = sample;
    }
    m_answer.notify_all();
}

void GstJpegDecoder::failed(bool fatal) {
    {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        m_broken = m_broken || fatal;
    }
    m_answer.notify_all();
}

QImage GstJpegDecoder::decode(const QByteArray& jpeg) {
    std::lock_guard decoding(m_decodeMutex);
    bool broken = false;
    {
        std::lock_guard lock(m_mutex);
        broken = m_broken;
    }
    if (broken)
        dispose();
    if (jpeg.isEmpty() || m_closing || (!m_pipeline && !build()))
        return {};
    {
        std::lock_guard lock(m_mutex);
        if (m_sample)
            gst_sample_unref(std::exchange(m_sample, nullptr));
        m_failed = false;
    }
    GstBuffer* buffer = gst_buffer_new_memdup(jpeg.constData(), gsize(jpeg.size()));
    const GstClockTime stamp = ++m_serial * GST_MSECOND;
    GST_BUFFER_PTS(buffer) = stamp;
    GST_BUFFER_DURATION(buffer) = GST_MSECOND;
    if (gst_app_src_push_buffer(GST_APP_SRC(m_appsrc), buffer) != GST_FLOW_OK) {
        std::lock_guard lock(m_mutex);
        m_broken = true;
        return {};
    }
    GstSample* sample = nullptr;
    {
        std::unique_lock lock(m_mutex);
        const auto deadline = std::chrono::steady_clock::now() + kDecodeTimeout;
        for (;;) {
            if (m_sample && GST_BUFFER_PTS(gst_sample_get_buffer(m_sample)) == stamp) {
                sample = std::exchange(m_sample, nullptr);
                break;
            }
            if (m_sample) // an answer to a decode given up on
                gst_sample_unref(std::exchange(m_sample, nullptr));
            if (m_closing)
                return {};
            if (m_failed || m_answer.wait_until(lock, deadline) == std::cv_status::timeout) {
                m_broken = m_broken || !m_failed; // timed out: start afresh next time
                return {};
            }
        }
    }
    return pictureOf(sample);
}

} // namespace orv
