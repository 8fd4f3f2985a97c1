#pragma once

// The full-size decode of an MJPEG camera's frames, by the very elements that
// decoded every frame before the camera pipeline kept them compressed:
//
//   appsrc caps=<the stream's image/jpeg caps> ! jpegdec ! videoconvert ! video/x-raw,format=BGRx !
//   appsink
//
// so a capture holds the same pixels, bit for bit, as when the pipeline
// decoded every frame. The pipeline is built at the first decode and kept
// (idle between decodes) while a frame of the stream is alive; decodes run
// one at a time, each waiting a few seconds at most. A pipeline that failed
// is built afresh for the next decode. warmUp() builds the pipeline and
// decodes a first frame on a thread the decoder owns; the destructor cuts
// that short and joins it before the pipeline is taken down.

#include "Frame.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

typedef struct _GstElement GstElement;
typedef struct _GstSample GstSample;

namespace orv {

class GstJpegDecoder final : public JpegDecoder {
public:
    // caps: the stream's image/jpeg caps, as the camera pipeline negotiated them.
    explicit GstJpegDecoder(QByteArray caps);
    ~GstJpegDecoder() override;
    GstJpegDecoder(const GstJpegDecoder&) = delete;
    GstJpegDecoder& operator=(const GstJpegDecoder&) = delete;

    QImage decode(const QByteArray& jpeg) override;
    // Builds the pipeline and decodes jpeg on the decoder's own thread, so
    // the first decode asked for does not wait for the build. Once only.
    void warmUp(QByteArray jpeg);

    // The pipeline's callbacks (GStreamer's threads).
    void sampleArrived(GstSample* sample);
    void failed(bool fatal);

private:
    bool build();
    void dispose();

    const QByteArray m_caps;
    std::thread m_warmUp;
    std::atomic<bool> m_closing{false}; // the destructor runs: decodes give up
    std::mutex m_decodeMutex;           // one decode at a time
    GstElement* m_pipeline = nullptr;
    GstElement* m_appsrc = nullptr;
    quint64 m_serial = 0; // stamps each frame pushed, so a late answer is told apart

    std::mutex m_mutex; // guards what the callbacks leave
    std::condition_variable m_answer;
    GstSample* m_sample = nullptr;
    bool m_failed = false;
    bool m_broken = false;
};

} // namespace orv
