#pragma once

// One camera frame as the engine hands it around: decoded pixels (raw modes,
// virtual cameras) or a JPEG as an MJPEG camera sent it. A JPEG frame is
// decoded where it is needed, at the size needed: the live picture and
// page-turn detection take a reduced decode (libjpeg-turbo's DCT scaling,
// 1/8 to 1), while captures, barcodes, OCR and recordings take the full
// picture, decoded once per frame by the stream's own decoder. Copies share
// the frame and what was decoded of it; every function may be called on any
// thread.

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>

namespace orv {

// The full-size decode of one stream's JPEG frames.
class JpegDecoder {
public:
    virtual ~JpegDecoder() = default;
    // Format_RGB32 at the JPEG's size; null when it does not decode. Any thread.
    virtual QImage decode(const QByteArray& jpeg) = 0;
};

class Frame {
public:
    Frame() = default;
    Frame(const QImage& image); // NOLINT(google-explicit-constructor): a decoded frame
    // A JPEG of size, decoded in full by decoder when image() is first asked for.
    static Frame fromJpeg(QByteArray jpeg, QSize size, std::shared_ptr<JpegDecoder> decoder);

    bool isNull() const { return !d; }
    bool isJpeg() const;
    QSize size() const;
    // The same for copies of one frame (and for a decoded picture delivered
    // again), different for any other frame.
    qint64 key() const;
    QByteArray jpeg() const;

    // The whole frame at full size, Format_RGB32 (or the format a decoded
    // frame came in); null when the JPEG does not decode. A JPEG is decoded
    // at the first call; later calls wait for and share that decode.
    QImage image() const;
    // The whole frame at minScale of its size or more, in both directions.
    // A decoded frame gives image(); a JPEG the smallest DCT scale that
    // reaches minScale, or a decode of this frame made already that is
    // large enough. Null when the JPEG does not decode.
    QImage scaled(double minScale) const;
    // The whole frame at exactly out, for a JPEG decoded straight to that
    // size: out is at most the size scaled() would give for it and at least
    // half that. Null when it cannot be made so, or when a decode of this
    // frame exists already: the caller then scales scaled()'s picture.
    QImage fitted(QSize out) const;

private:
    struct Data;
    std::shared_ptr<Data> d;
};

// The size a JPEG of size decodes to at the smallest DCT scale (n/8, n = 1..8)
// that reaches minScale in both directions.
QSize jpegScaledSize(QSize size, double minScale);
// jpeg decoded at that scale for viewing, Format_RGB32: up to 1/2 by our own
// reduced decoder where it takes the stream, otherwise with libjpeg-turbo
// (fast transform and upsampling); null when it does not decode. With fit
// (see decodeJpegReduced), our decoder gives that size instead.
QImage decodeJpegScaled(const QByteArray& jpeg, double minScale, QSize fit = {});
// The size of the picture in jpeg's header; invalid when it has none.
QSize jpegSize(const QByteArray& jpeg);

} // namespace orv
