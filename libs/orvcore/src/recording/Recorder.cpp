#include "Recorder.h"

#include "GstSource.h"

#include <orvcore/OrvCoreLib.h>

#include <QFile>
#include <QFileInfo>

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <thread>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr GstClockTime kStartTimeout = 5 * GST_SECOND;
constexpr GstClockTime kFinishTimeout = 10 * GST_SECOND;
constexpr int kInputFrames = 4;     // frames waiting for the encoder before one is dropped
constexpr int kKeyFrameSeconds = 2; // a key frame at least this often (at 15 fps)

// Encoder output back on the running time line, from a segment that starts
// at 0. One per encoder; lives as long as the probe.
struct Restamp {
    GstSegment segment;
};

GstClockTime runningTime(const GstSegment& segment, GstClockTime time) {
    if (!GST_CLOCK_TIME_IS_VALID(time))
        return GST_CLOCK_TIME_NONE;
    guint64 running = 0;
    // Times before the segment's start (negative running time) become 0.
    return gst_segment_to_running_time_full(&segment, GST_FORMAT_TIME, time, &running) > 0 ? running
                                                                                           : 0;
}

GstPadProbeReturn restampProbe(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* restamp = static_cast<Restamp*>(data);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) != GST_EVENT_SEGMENT)
            return GST_PAD_PROBE_OK;
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        gst_segment_copy_into(segment, &restamp->segment);
        GstSegment fresh;
        gst_segment_init(&fresh, GST_FORMAT_TIME);
        GstEvent* replacement = gst_event_new_segment(&fresh);
        gst_event_set_seqnum(replacement, gst_event_get_seqnum(event));
        gst_event_unref(event);
        GST_PAD_PROBE_INFO_DATA(info) = replacement;
        return GST_PAD_PROBE_OK;
    }
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
        GST_BUFFER_PTS(buffer) = runningTime(restamp->segment, GST_BUFFER_PTS(buffer));
        GST_BUFFER_DTS(buffer) = runningTime(restamp->segment, GST_BUFFER_DTS(buffer));
        GST_PAD_PROBE_INFO_DATA(info) = buffer;
    }
    return GST_PAD_PROBE_OK;
}

void restampOutput(GstElement* encoder) {
    auto* restamp = new Restamp;
    gst_segment_init(&restamp->segment, GST_FORMAT_TIME);
    GstPad* pad = gst_element_get_static_pad(encoder, "src");
    gst_pad_add_probe(
        pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
        restampProbe, restamp, [](gpointer data) { delete static_cast<Restamp*>(data); });
    gst_object_unref(pad);
}

const char* gstFormat(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
        return "BGRx";
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return "BGRA";
    case QImage::Format_RGB888:
        return "RGB";
    default:
        return nullptr;
    }
}

GstCaps* inputCaps(QSize size, QImage::Format format) {
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, gstFormat(format), "width",
                               G_TYPE_INT, size.width(), "height", G_TYPE_INT, size.height(),
                               "framerate", GST_TYPE_FRACTION, 0, 1, nullptr);
}

// A mux input queue: roomy in time, unbounded in buffers and bytes, so that
// one stream waiting for the other never holds up its source.
GstElement* muxQueue() {
    GstElement* queue = gst_element_factory_make("queue", nullptr);
    if (queue)
        g_object_set(queue, "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time",
                     guint64(5 * GST_SECOND), nullptr);
    return queue;
}

// Adds the elements to bin and links them in order; false when one is
// missing (nullptr) or a link fails.
bool addChain(GstElement* bin, std::initializer_list<GstElement*> chain, QString* error) {
    for (GstElement* element : chain) {
        if (!element) {
            *error = QStringLiteral("a GStreamer element is missing (encoder or muxer)");
            for (GstElement* other : chain) // the floating ones are ours to drop
                if (other && g_object_is_floating(other))
                    gst_object_unref(gst_object_ref_sink(other));
            return false;
        }
    }
    for (GstElement* element : chain)
        if (!GST_OBJECT_PARENT(element)) // the muxer joins several chains
            gst_bin_add(GST_BIN(bin), element);
    const GstElement* previous = nullptr;
    for (GstElement* element : chain) {
        if (previous && !gst_element_link(const_cast<GstElement*>(previous), element)) {
            *error = QStringLiteral("cannot link %1 to %2")
                         .arg(QString::fromUtf8(GST_ELEMENT_NAME(previous)),
                              QString::fromUtf8(GST_ELEMENT_NAME(element)));
            return false;
        }
        previous = element;
    }
    return true;
}

QString errorText(GstMessage* message) {
    g_autoptr(GError) error = nullptr;
    g_autofree gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    return QString::fromUtf8(error ? error->message : "unknown error");
}

// A microphone that does not open is no microphone: checked alone, before
// it joins the pipeline. Takes the floating element; nullptr when unusable.
GstElement* openedMicrophone(GstElement* source) {
    if (!source)
        return nullptr;
    gst_object_ref_sink(source);
    const bool opens = gst_element_set_state(source, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(source, GST_STATE_NULL);
    if (!opens) {
        qWarning("recording: the microphone does not open; recording without sound");
        gst_object_unref(source);
        return nullptr;
    }
    return source;
}

// Creates path for writing, failing when it exists: 0, or why not (one of
// OrvStartRecord's results).
int createExclusive(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        ::close(fd);
        return 0;
    }
    switch (errno) {
    case EEXIST:
        return ORV_RECORD_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT:
        return ORV_RECORD_DISK_FULL;
    default: // missing, not a folder, no permission, read-only
        return ORV_RECORD_FOLDER_NOT_WRITABLE;
    }
}

// The bytes an unprivileged writer may still put into folder's file system;
// the most there is when that cannot be told.
quint64 roomIn(const QByteArray& folder) {
    struct statvfs fs {};
    if (::statvfs(folder.constData(), &fs) != 0)
        return std::numeric_limits<quint64>::max();
    return quint64(fs.f_bavail) * quint64(fs.f_frsize);
}

qint64 videoBitrate(QSize frameSize) {
    // About two bits a pixel a second: a sharp page at document-camera sizes.
    return qBound<qint64>(qint64(500000), qint64(frameSize.width()) * frameSize.height() * 2,
                          qint64(16000000));
}

std::atomic<quint64> g_reserve{0}; // set by a test

// ASF data packets are all of the file's one packet size; a packet holding
// less is filled up with padding. asfmux writes the length of such a packet
// without its padding, so that the padding can be longer than the length
// the packet declares: ffmpeg-based players then call the packet invalid
// ("invalid padsize") and lose it, usually the last one of the file. The
// length a packet declares is made the packet size, as the format has it.
// False when the file is not as expected (then it is left as it is) or
// cannot be written.
bool fixPacketLengths(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const auto read = [fd](quint64 at, void* into, size_t n) {
        return ::pread(fd, into, n, off_t(at)) == ssize_t(n);
    };
    const auto le = [](const uchar* p, int n) {
        quint64 v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = (v << 8) | p[i];
        return v;
    };
    static const uchar kFileProperties[16] = {0xa1, 0xdc, 0xab, 0x8c, 0x47, 0xa9, 0xcf, 0x11,
                                              0x8e, 0xe4, 0x00, 0xc0, 0x0c, 0x20, 0x53, 0x65};
    bool ok = false;
    uchar header[30];
    if (read(0, header, sizeof header)) {
        // The header object's children: the file properties give the packet
        // size; the data object follows the header object.
        const quint64 headerSize = le(header + 16, 8);
        quint64 packetSize = 0;
        for (quint64 at = 30; at + 24 <= headerSize && packetSize == 0;) {
            uchar object[24 + 80];
            if (!read(at, object, 24))
                break;
            const quint64 size = le(object + 16, 8);
            if (std::memcmp(object, kFileProperties, 16) == 0 && size >= 104 &&
                read(at, object, sizeof object) && le(object + 92, 4) == le(object + 96, 4))
                packetSize = le(object + 96, 4);
            if (size < 24)
                break;
            at += size;
        }
        uchar data[50];
        if (packetSize > 0 && read(headerSize, data, sizeof data)) {
            const quint64 packets = le(data + 40, 8);
            ok = true;
            static const int kWidth[4] = {0, 1, 2, 4};
            for (quint64 k = 0; k < packets && ok; ++k) {
                const quint64 start = headerSize + 50 + k * packetSize;
                uchar p[32];
                if (!read(start, p, sizeof p)) {
                    ok = false;
                    break;
                }
                int at = (p[0] & 0x80) ? 1 + (p[0] & 0x0f) : 0; // error correction data
                const int flags = p[at];
                at += 2; // and the property flags
                const int lengthWidth = kWidth[(flags >> 5) & 3];
                const int paddingAt = at + lengthWidth + kWidth[(flags >> 1) & 3];
                const int paddingWidth = kWidth[(flags >> 3) & 3];
                if (lengthWidth < 2 || paddingAt + paddingWidth > int(sizeof p))
                    continue; // no length, or one that cannot hold the size
                const quint64 length = le(p + at, lengthWidth);
                const quint64 padding = le(p + paddingAt, paddingWidth);
                if (length == packetSize || length + padding != packetSize)
                    continue;
                uchar fixed[4];
                for (int i = 0; i < lengthWidth; ++i)
                    fixed[i] = uchar(packetSize >> (8 * i));
                ok = ::pwrite(fd, fixed, size_t(lengthWidth), off_t(start + at)) == lengthWidth;
            }
        }
    }
    ok = ::close(fd) == 0 && ok;
    return ok;
}

} // namespace

// Only the messages the recorder waits for stay on the bus; an error while
// the recording runs is reported as trouble at once (the disk filled up, the
// file cannot be written).
struct RecorderBus {
    static GstBusSyncReply onMessage(GstBus*, GstMessage* message, gpointer data) {
        const GstMessageType type = GST_MESSAGE_TYPE(message);
        if (type == GST_MESSAGE_ERROR) {
            auto* recorder = static_cast<Recorder*>(data);
            g_autoptr(GError) error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            const bool full = error && error->domain == GST_RESOURCE_ERROR &&
                              error->code == GST_RESOURCE_ERROR_NO_SPACE_LEFT;
            bool running = false;
            {
                std::lock_guard lock(recorder->m_mutex);
                running = recorder->m_accepting;
            }
            if (running)
                recorder->troubled(full ? ORV_RECORD_END_DISK_FULL : ORV_RECORD_END_WRITE_FAILED);
        }
        if (type == GST_MESSAGE_EOS || type == GST_MESSAGE_ERROR)
            return GST_BUS_PASS;
        // A handler that drops a message owns it; each one holds its source
        // element, so one not released keeps the whole pipeline alive.
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
};

quint64 Recorder::reserveBytes(QSize frameSize) {
    // The mux queues hold up to five seconds of each stream; a second more
    // of video, the sound, the header and the index fit in the rest.
    if (const quint64 fixed = g_reserve)
        return fixed;
    return quint64(videoBitrate(frameSize)) / 8 * 6 + (quint64(1) << 20);
}

void Recorder::setReserve(quint64 bytes) {
    g_reserve = bytes;
}

void Recorder::preload() {
    // Joined at exit; loading takes a fraction of a second.
    static std::thread loader([] {
        if (!ensureGstreamer())
            return;
        for (const char* name : {"avenc_wmv2", "avenc_wmav2", "asfmux", "appsrc", "videoconvert"}) {
            if (GstElementFactory* factory = gst_element_factory_find(name)) {
                gst_object_unref(gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory)));
                gst_object_unref(factory);
            }
        }
    });
    static struct Joiner {
        ~Joiner() {
            if (loader.joinable())
                loader.join();
        }
    } joiner;
}

std::unique_ptr<Recorder> Recorder::start(const QString& path, QSize frameSize,
                                          const AudioSourceFactory& makeAudio,
                                          TroubleHandler onTrouble, Failure* failure) {
    Failure ignored;
    if (!failure)
        failure = &ignored;
    const auto fail = [failure](int code, const QString& text) {
        *failure = {code, text};
        return nullptr;
    };
    if (path.isEmpty() || frameSize.isEmpty())
        return fail(ORV_RECORD_FAILED, QStringLiteral("no path or no frame size"));
    if (!ensureGstreamer())
        return fail(ORV_RECORD_FAILED, QStringLiteral("GStreamer cannot start"));
    if (QFileInfo::exists(path))
        return fail(ORV_RECORD_FILE_EXISTS, QStringLiteral("%1 exists already").arg(path));
    std::unique_ptr<Recorder> recorder(new Recorder);
    recorder->m_path = path;
    recorder->m_partPath = path + QStringLiteral(".part");
    for (int n = 1; QFileInfo::exists(recorder->m_partPath) && n < 100; ++n)
        recorder->m_partPath = path + QStringLiteral(".%1.part").arg(n);
    if (const int refused = createExclusive(recorder->m_partPath))
        return fail(refused, QStringLiteral("cannot write %1").arg(recorder->m_partPath));
    recorder->m_folder = QFile::encodeName(QFileInfo(path).absolutePath());
    recorder->m_reserve = reserveBytes(frameSize);
    recorder->m_onTrouble = std::move(onTrouble);
    if (roomIn(recorder->m_folder) < recorder->m_reserve) {
        QFile::remove(recorder->m_partPath); // made by us a moment ago
        return fail(ORV_RECORD_DISK_FULL, QStringLiteral("too little room left for %1").arg(path));
    }

    QString* error = &failure->text;
    GstElement* microphone = makeAudio ? openedMicrophone(makeAudio()) : nullptr;
    bool started = recorder->build(frameSize, microphone, error);
    if (!started && microphone) {
        // The microphone may fail only once the pipeline runs: without it.
        qWarning("recording with sound failed (%s); recording without sound", qPrintable(*error));
        recorder->teardown();
        started = recorder->build(frameSize, nullptr, error);
    }
    if (microphone)
        gst_object_unref(microphone);
    if (!started) {
        recorder->teardown();
        QFile::remove(recorder->m_partPath); // made by us a moment ago
        failure->code = ORV_RECORD_FAILED;
        return nullptr;
    }
    recorder->m_finished = false;
    return recorder;
}

bool Recorder::build(QSize frameSize, GstElement* audio, QString* error) {
    m_pipeline = gst_pipeline_new("recorder");
    GstBus* bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(bus, RecorderBus::onMessage, this, nullptr);
    gst_object_unref(bus);

    GstElement* mux = gst_element_factory_make("asfmux", nullptr);
    GstElement* sink = gst_element_factory_make("filesink", nullptr);
    if (sink)
        g_object_set(sink, "location", QFile::encodeName(m_partPath).constData(), "async", FALSE,
                     nullptr);
    if (!addChain(m_pipeline, {mux, sink}, error))
        return false;

    m_appsrc = gst_element_factory_make("appsrc", nullptr);
    GstElement* scaled = gst_element_factory_make("capsfilter", nullptr);
    GstElement* encoder = gst_element_factory_make("avenc_wmv2", nullptr);
    if (m_appsrc) {
        GstCaps* caps = inputCaps(frameSize, QImage::Format_RGB32);
        g_object_set(m_appsrc, "caps", caps, "is-live", TRUE, "format", GST_FORMAT_TIME, "block",
                     FALSE, nullptr);
        gst_caps_unref(caps);
        m_inputSize = frameSize;
        m_inputFormat = QImage::Format_RGB32;
        m_frameBytes = quint64(frameSize.width()) * quint64(frameSize.height()) * 4;
    }
    if (scaled) {
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width",
                                            G_TYPE_INT, frameSize.width(), "height", G_TYPE_INT,
                                            frameSize.height(), nullptr);
        g_object_set(scaled, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    if (encoder) {
        g_object_set(encoder, "bitrate", gint(videoBitrate(frameSize)), "gop-size",
                     gint(15 * kKeyFrameSeconds), nullptr);
        restampOutput(encoder);
    }
    if (!addChain(m_pipeline,
                  {m_appsrc, gst_element_factory_make("videoconvert", nullptr),
                   gst_element_factory_make("videoscale", nullptr), scaled, encoder, muxQueue(),
                   mux},
                  error))
        return false;

    if (audio) {
        GstElement* audioEncoder = gst_element_factory_make("avenc_wmav2", nullptr);
        if (audioEncoder)
            restampOutput(audioEncoder);
        if (!addChain(m_pipeline,
                      {audio, muxQueue(), gst_element_factory_make("audioconvert", nullptr),
                       gst_element_factory_make("audioresample", nullptr), audioEncoder, muxQueue(),
                       mux},
                      error))
            return false;
        m_audio = audio;
    }

    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE ||
        gst_element_get_state(m_pipeline, nullptr, nullptr, kStartTimeout) ==
            GST_STATE_CHANGE_FAILURE) {
        GstBus* errors = gst_element_get_bus(m_pipeline);
        GstMessage* message = gst_bus_pop_filtered(errors, GST_MESSAGE_ERROR);
        *error = message ? errorText(message) : QStringLiteral("the pipeline does not start");
        if (message)
            gst_message_unref(message);
        gst_object_unref(errors);
        return false;
    }
    GstBus* errors = gst_element_get_bus(m_pipeline);
    GstMessage* message = gst_bus_pop_filtered(errors, GST_MESSAGE_ERROR);
    gst_object_unref(errors);
    if (message) {
        *error = errorText(message);
        gst_message_unref(message);
        return false;
    }

    m_clock = gst_pipeline_get_clock(GST_PIPELINE(m_pipeline));
    m_baseTime = gst_element_get_base_time(m_pipeline);
    m_hasAudio = audio != nullptr;
    std::lock_guard lock(m_mutex);
    m_accepting = m_clock != nullptr;
    return m_accepting;
}

void Recorder::teardown() {
    {
        std::lock_guard lock(m_mutex);
        m_accepting = false;
    }
    if (m_pipeline) {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
    }
    if (m_clock)
        gst_object_unref(m_clock);
    m_pipeline = nullptr;
    m_appsrc = nullptr;
    m_audio = nullptr;
    m_clock = nullptr;
    m_hasAudio = false;
}

Recorder::~Recorder() {
    finish();
}

void Recorder::troubled(int reason) {
    if (!m_troubled.exchange(true) && m_onTrouble)
        m_onTrouble(reason);
}

void Recorder::watchRoom(quint64 now) {
    if (now < m_nextRoomCheck)
        return;
    m_nextRoomCheck = now + GST_SECOND;
    if (roomIn(m_folder) < m_reserve)
        troubled(ORV_RECORD_END_DISK_FULL);
}

void Recorder::offer(const QImage& frame) {
    std::lock_guard lock(m_mutex);
    if (!m_accepting || frame.isNull())
        return;
    const GstClockTime now = gst_clock_get_time(m_clock);
    if (now < m_baseTime)
        return;
    watchRoom(now - m_baseTime);
    if (gst_app_src_get_current_level_bytes(GST_APP_SRC(m_appsrc)) + m_frameBytes >
        kInputFrames * m_frameBytes) {
        ++m_dropped;
        return;
    }
    auto* kept =
        new QImage(gstFormat(frame.format()) ? frame : frame.convertToFormat(QImage::Format_RGB32));
    if (kept->size() != m_inputSize || kept->format() != m_inputFormat) {
        m_inputSize = kept->size();
        m_inputFormat = kept->format();
        m_frameBytes = quint64(kept->sizeInBytes());
        GstCaps* caps = inputCaps(m_inputSize, m_inputFormat);
        gst_app_src_set_caps(GST_APP_SRC(m_appsrc), caps);
        gst_caps_unref(caps);
    }
    // The buffer shares the picture; the source detaches before it paints again.
    GstBuffer* buffer =
        gst_buffer_new_wrapped_full(GST_MEMORY_FLAG_READONLY, const_cast<uchar*>(kept->constBits()),
                                    gsize(kept->sizeInBytes()), 0, gsize(kept->sizeInBytes()), kept,
                                    [](gpointer data) { delete static_cast<QImage*>(data); });
    // On whole milliseconds (the file's unit), each later than the one
    // before: two frames offered within a millisecond get distinct times.
    const GstClockTime stamp = std::max<GstClockTime>(
        (now - m_baseTime) / GST_MSECOND * GST_MSECOND, m_lastStamp + GST_MSECOND);
    m_lastStamp = stamp;
    GST_BUFFER_PTS(buffer) = stamp;
    if (gst_app_src_push_buffer(GST_APP_SRC(m_appsrc), buffer) == GST_FLOW_OK)
        ++m_written;
    else
        ++m_dropped;
}

bool Recorder::finish() {
    if (m_finished)
        return true;
    m_finished = true;
    {
        std::lock_guard lock(m_mutex);
        m_accepting = false;
    }
    bool ok = false;
    if (m_pipeline) {
        gst_app_src_end_of_stream(GST_APP_SRC(m_appsrc));
        if (m_audio)
            gst_element_send_event(m_audio, gst_event_new_eos());
        GstBus* bus = gst_element_get_bus(m_pipeline);
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, kFinishTimeout, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        gst_object_unref(bus);
        ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        if (message && !ok)
            qWarning("recording %s failed: %s", qPrintable(m_path), qPrintable(errorText(message)));
        else if (!message)
            qWarning("recording %s did not finish in time", qPrintable(m_path));
        if (message)
            gst_message_unref(message);
    }
    teardown();
    if (!ok) {
        qWarning("what was recorded stays in %s", qPrintable(m_partPath));
        return false;
    }
    if (!fixPacketLengths(m_partPath))
        qWarning("recording %s: the packet lengths could not be checked", qPrintable(m_path));
    // QFile::rename never replaces an existing file.
    if (!QFile::rename(m_partPath, m_path)) {
        qWarning("recording kept as %s: %s cannot be written", qPrintable(m_partPath),
                 qPrintable(m_path));
        return false;
    }
    return true;
}

} // namespace orv
