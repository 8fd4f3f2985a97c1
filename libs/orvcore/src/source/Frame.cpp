#include "Frame.h"

#include "ReducedJpeg.h"

#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

namespace orv {

namespace {

// The scales libjpeg-turbo decodes at directly, up to 1: n/8 and the like,
// smallest first.
const std::vector<tjscalingfactor>& reductions() {
    static const std::vector<tjscalingfactor> list = [] {
        int count = 0;
        const tjscalingfactor* all = tjGetScalingFactors(&count);
        std::vector<tjscalingfactor> found;
        for (int i = 0; all && i < count; ++i)
            if (all[i].num <= all[i].denom)
                found.push_back(all[i]);
        std::sort(found.begin(), found.end(), [](tjscalingfactor a, tjscalingfactor b) {
            return a.num * b.denom < b.num * a.denom;
        });
        if (found.empty() || found.back().num != found.back().denom)
            found.push_back({1, 1});
        return found;
    }();
    return list;
}

// Pixels needed across length at minScale (a hair of rounding forgiven).
int neededPixels(int length, double minScale) {
    return int(std::ceil(length * std::min(1.0, minScale) - 1e-6));
}

tjscalingfactor reductionFor(QSize size, double minScale) {
    const int needW = neededPixels(size.width(), minScale);
    const int needH = neededPixels(size.height(), minScale);
    for (const tjscalingfactor& f : reductions())
        if (TJSCALED(size.width(), f) >= needW && TJSCALED(size.height(), f) >= needH)
            return f;
    return {1, 1};
}

// size decoded at f, each side rounded up as the decoders round it.
QSize scaledBy(QSize size, tjscalingfactor f) {
    return {TJSCALED(size.width(), f), TJSCALED(size.height(), f)};
}

// One TurboJPEG decompressor per thread that decodes.
tjhandle decompressor() {
    struct Handle {
        tjhandle h = tjInitDecompress();
        ~Handle() {
            if (h)
                tjDestroy(h);
        }
    };
    thread_local Handle handle;
    return handle.h;
}

qint64 nextJpegKey() {
    static std::atomic<qint64> serial{0};
    return -(++serial); // cache keys of decoded pictures are positive
}

} // namespace

struct Frame::Data {
    QSize size;
    qint64 key = 0;
    QByteArray jpeg;
    std::shared_ptr<JpegDecoder> decoder;

    std::mutex fullMutex; // one full decode, the others wait for it
    bool fullTried = false;
    QImage full; // the decoded frame, or the JPEG's full decode

    std::mutex scaledMutex;
    QImage reduced; // the largest reduced decode made so far
};

Frame::Frame(const QImage& image) {
    if (image.isNull())
        return;
    d = std::make_shared<Data>();
    d->size = image.size();
    d->key = image.cacheKey();
    d->full = image;
    d->fullTried = true;
}

Frame Frame::fromJpeg(QByteArray jpeg, QSize size, std::shared_ptr<JpegDecoder> decoder) {
    Frame frame;
    if (jpeg.isEmpty() || size.isEmpty())
        return frame;
    frame.d = std::make_shared<Data>();
    frame.d->size = size;
    frame.d->key = nextJpegKey();
    frame.d->jpeg = std::move(jpeg);
    frame.d->decoder = std::move(decoder);
    return frame;
}

bool Frame::isJpeg() const {
    return d && !d->jpeg.isEmpty();
}

QSize Frame::size() const {
    return d ? d->size : QSize();
}

qint64 Frame::key() const {
    return d ? d->key : 0;
}

QByteArray Frame::jpeg() const {
    return d ? d->jpeg : QByteArray();
}

QImage Frame::image() const {
    if (!d)
        return {};
    std::lock_guard lock(d->fullMutex);
    if (!d->fullTried) {
        d->fullTried = true;
        if (d->decoder)
            d->full = d->decoder->decode(d->jpeg);
        if (!d->full.isNull() && d->full.size() != d->size)
            d->full = QImage(); // not the frame the stream announced
    }
    return d->full;
}

QImage Frame::scaled(double minScale) const {
    if (!d)
        return {};
    if (!isJpeg())
        return image();
    const QSize wanted = jpegScaledSize(d->size, minScale);
    {
        std::unique_lock full(d->fullMutex, std::try_to_lock); // never wait for a full decode
        if (full.owns_lock() && !d->full.isNull())
            return d->full;
    }
    std::lock_guard lock(d->scaledMutex);
    if (d->reduced.width() >= wanted.width() && d->reduced.height() >= wanted.height())
        return d->reduced;
    QImage picture = decodeJpegScaled(d->jpeg, minScale);
    if (picture.size() != wanted)
        return {};
    d->reduced = picture;
    return picture;
}

QImage Frame::fitted(QSize out) const {
    if (!d || !isJpeg() || out.isEmpty())
        return {};
    {
        std::unique_lock full(d->fullMutex, std::try_to_lock);
        if (full.owns_lock() && !d->full.isNull())
            return {}; // decoded in full already: scale that
    }
    const double minScale =
        std::max(double(out.width()) / d->size.width(), double(out.height()) / d->size.height());
    const QSize wanted = jpegScaledSize(d->size, minScale);
    std::lock_guard lock(d->scaledMutex);
    if (d->reduced.width() >= wanted.width() && d->reduced.height() >= wanted.height())
        return {}; // decoded reduced already: scale that
    QImage picture = decodeJpegScaled(d->jpeg, minScale, out);
    if (picture.size() == out)
        return picture;
    if (picture.size() == wanted)
        d->reduced = picture; // what scaled() gives, decoded once
    return {};
}

QSize jpegScaledSize(QSize size, double minScale) {
    return scaledBy(size, reductionFor(size, minScale));
}

QSize jpegSize(const QByteArray& jpeg) {
    tjhandle handle = decompressor();
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (!handle || jpeg.isEmpty() ||
        tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                            static_cast<unsigned long>(jpeg.size()), &width, &height, &subsampling,
                            &colourspace) != 0)
        return {};
    return {width, height};
}

QImage decodeJpegScaled(const QByteArray& jpeg, double minScale, QSize fit) {
    const QSize size = jpegSize(jpeg);
    if (size.isEmpty())
        return {};
    const tjscalingfactor f = reductionFor(size, minScale);
    const QSize out = scaledBy(size, f);
    // Our own decoder for the smallest scales; TurboJPEG for all it leaves.
    if (8 % f.denom == 0 && f.num * (8 / f.denom) <= 4) {
        QImage reduced = decodeJpegReduced(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                           size_t(jpeg.size()), f.num * (8 / f.denom), fit);
        if (reduced.size() == out || (!fit.isEmpty() && reduced.size() == fit))
            return reduced;
    }
    QImage picture(out, QImage::Format_RGB32);
    if (picture.isNull())
        return {};
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "RGB32 is BGRX in memory");
    const int result = tjDecompress2(
        decompressor(), reinterpret_cast<const unsigned char*>(jpeg.constData()),
        static_cast<unsigned long>(jpeg.size()), picture.bits(), out.width(),
        int(picture.bytesPerLine()), out.height(), TJPF_BGRX, TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
    // A warning (a frame cut short on the wire) still gives a picture, as a
    // full decode of it would.
    if (result != 0 && tjGetErrorCode(decompressor()) != TJERR_WARNING)
        return {};
    return picture;
}

} // namespace orv
