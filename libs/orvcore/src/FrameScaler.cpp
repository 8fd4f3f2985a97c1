#include "FrameScaler.h"

#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>

namespace orv {

namespace {

inline quint32 average4(quint32 a, quint32 b, quint32 c, quint32 d) {
    // Two channels per 32-bit lane pair; four 8-bit values sum to at most
    // 1020, which fits the 16 bits each channel gets here.
    const quint32 rb =
        (a & 0x00ff00ffu) + (b & 0x00ff00ffu) + (c & 0x00ff00ffu) + (d & 0x00ff00ffu) + 0x00020002u;
    const quint32 ag = ((a >> 8) & 0x00ff00ffu) + ((b >> 8) & 0x00ff00ffu) +
                       ((c >> 8) & 0x00ff00ffu) + ((d >> 8) & 0x00ff00ffu) + 0x00020002u;
    return ((rb >> 2) & 0x00ff00ffu) | (((ag >> 2) & 0x00ff00ffu) << 8);
}

// Rows [first, last) of the halved picture. Plain pointers: the bands run on
// several threads, and QImage::scanLine() is not for concurrent use.
void halveRows(const uchar* src, qsizetype srcStride, uchar* out, qsizetype outStride, int width,
               int first, int last) {
    for (int y = first; y < last; ++y) {
        const auto* r0 = reinterpret_cast<const quint32*>(src + 2 * y * srcStride);
        const auto* r1 = reinterpret_cast<const quint32*>(src + (2 * y + 1) * srcStride);
        auto* o = reinterpret_cast<quint32*>(out + y * outStride);
        for (int x = 0; x < width; ++x)
            o[x] = average4(r0[2 * x], r0[2 * x + 1], r1[2 * x], r1[2 * x + 1]);
    }
}

// Runs work(first, last) over [0, rows) in bands, spread over the global
// thread pool. Bands the pool cannot take at once run on the calling thread,
// so this never waits for a busy pool.
template <typename Work> void inBands(int rows, const Work& work) {
    constexpr int kMinRows = 64;
    QThreadPool* pool = QThreadPool::globalInstance();
    const int bands = std::clamp(std::min(pool->maxThreadCount(), rows / kMinRows), 1, 8);
    if (bands == 1) {
        work(0, rows);
        return;
    }
    QSemaphore done;
    int started = 0;
    for (int b = 1; b < bands; ++b) {
        const int first = rows * b / bands, last = rows * (b + 1) / bands;
        QRunnable* task = QRunnable::create([&work, &done, first, last] {
            work(first, last);
            done.release();
        });
        if (pool->tryStart(task)) {
            ++started;
        } else {
            delete task;
            work(first, last);
        }
    }
    work(0, rows / bands);
    done.acquire(started);
}

bool isPlain32(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

QImage halveImage(const QImage& image) {
    QImage src = image;
    if (!isPlain32(src.format()))
        src = src.convertToFormat(src.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_RGB32);
    const int w = src.width() / 2;
    const int h = src.height() / 2;
    if (w < 1 || h < 1)
        return src;
    QImage out(w, h, src.format());
    const uchar* from = src.constBits();
    uchar* to = out.bits();
    const qsizetype fromStride = src.bytesPerLine(), toStride = out.bytesPerLine();
    inBands(
        h, [=](int first, int last) { halveRows(from, fromStride, to, toStride, w, first, last); });
    return out;
}

QImage scaleForView(const QImage& frame, QSize target) {
    if (frame.isNull() || target.isEmpty())
        return {};
    QImage image = frame;
    if (!isPlain32(image.format()))
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    while (image.width() / 2 >= target.width() && image.height() / 2 >= target.height())
        image = halveImage(image);
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace orv
