#include "FrameScaler.h"

#include "Bands.h"
#include "ThreadAnnotations.h"

#include <QTransform>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace orv {

namespace {

// The band kernels (halveRows, blendRows, blendColumns) are left out of
// ThreadSanitizer's checks. Checked, they gave some 240,000 reports a test
// run of a halving band's write against a reduction band's read of the same
// picture in one renderView() call, although both hand-offs are marked in
// Bands.h, and the reports stayed when both went through a std::mutex. The
// writes' stacks were gone ("failed to restore the stack"), which points at
// stale shadow memory in blocks Qt allocates, not at a race. A suppression
// would not do: the runtime builds each report before it looks at the
// suppressions, and building one now and then trips a CHECK inside GCC 12's
// runtime, which fails the run.

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
ORV_TSAN_UNCHECKED void halveRows(const uchar* src, qsizetype srcStride, uchar* out,
                                  qsizetype outStride, int width, int first, int last) {
    for (int y = first; y < last; ++y) {
        const auto* r0 = reinterpret_cast<const quint32*>(src + 2 * y * srcStride);
        const auto* r1 = reinterpret_cast<const quint32*>(src + (2 * y + 1) * srcStride);
        auto* o = reinterpret_cast<quint32*>(out + y * outStride);
        for (int x = 0; x < width; ++x)
            o[x] = average4(r0[2 * x], r0[2 * x + 1], r1[2 * x], r1[2 * x + 1]);
    }
}

bool isPlain32(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

// Where output pixel i of a reduction from `from` to `to` pixels samples: the
// source pixel to its left and the weight (0..256) of the one to its right.
struct Tap {
    int index;
    quint32 weight;
};

std::vector<Tap> tapsFor(int from, int to) {
    std::vector<Tap> taps(size_t(std::max(0, to)));
    const double step = double(from) / to;
    for (int i = 0; i < to; ++i) {
        const double at = std::clamp((i + 0.5) * step - 0.5, 0.0, double(from - 1));
        int index = int(at);
        quint32 weight = quint32(std::lround((at - index) * 256));
        if (index >= from - 1) {
            index = std::max(0, from - 2);
            weight = from > 1 ? 256 : 0;
        }
        taps[size_t(i)] = {index, weight};
    }
    return taps;
}

// a * (256 - w) + b * w over 256, for two channels per 32-bit lane pair.
inline quint32 blend(quint32 a, quint32 b, quint32 w) {
    const quint32 v = 256 - w;
    const quint32 rb = (((a & 0x00ff00ffu) * v + (b & 0x00ff00ffu) * w) >> 8) & 0x00ff00ffu;
    const quint32 ag =
        ((((a >> 8) & 0x00ff00ffu) * v + ((b >> 8) & 0x00ff00ffu) * w) >> 8) & 0x00ff00ffu;
    return rb | (ag << 8);
}

#ifdef __SSE2__
// The blends below four (rows) or two (columns) pixels at a time, each
// channel in a 16-bit lane: a * (256 - w) + b * w is at most 255 * 256, so
// the sums and shifts are those of blend() exactly.
ORV_TSAN_UNCHECKED void blendRows(const quint32* r0, const quint32* r1, quint32 w, quint32* out,
                                  int n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i wb = _mm_set1_epi16(short(w)), wa = _mm_set1_epi16(short(256 - w));
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + x));
        const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), wa),
                                         _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wb));
        const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), wa),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), wb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8)));
    }
    for (; x < n; ++x)
        out[x] = blend(r0[x], r1[x], w);
}

// Per output pixel: 256 - w for the left pixel's four channels, w for the
// right one's.
struct ColumnWeight {
    __m128i lanes;
};

std::vector<ColumnWeight> columnWeights(const std::vector<Tap>& taps) {
    std::vector<ColumnWeight> weights(taps.size());
    for (size_t i = 0; i < taps.size(); ++i) {
        const auto a = short(256 - taps[i].weight), b = short(taps[i].weight);
        weights[i].lanes = _mm_setr_epi16(a, a, a, a, b, b, b, b);
    }
    return weights;
}

// row holds at least taps' largest index + 2 pixels.
ORV_TSAN_UNCHECKED void blendColumns(const quint32* row, const std::vector<Tap>& taps,
                                     const std::vector<ColumnWeight>& weights, quint32* out) {
    const __m128i zero = _mm_setzero_si128();
    const size_t n = taps.size();
    size_t x = 0;
    for (; x + 2 <= n; x += 2) {
        const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + taps[x].index));
        const __m128i p1 =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + taps[x + 1].index));
        const __m128i m0 = _mm_mullo_epi16(_mm_unpacklo_epi8(p0, zero), weights[x].lanes);
        const __m128i m1 = _mm_mullo_epi16(_mm_unpacklo_epi8(p1, zero), weights[x + 1].lanes);
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(m0, m1), _mm_unpackhi_epi64(m0, m1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x),
                         _mm_packus_epi16(_mm_srli_epi16(sum, 8), zero));
    }
    for (; x < n; ++x)
        out[x] = blend(row[taps[x].index], row[taps[x].index + 1], taps[x].weight);
}
#endif

// Where the output rows and columns of a mild reduction from `from` to `to`
// sample.
struct ReductionTaps {
    ReductionTaps(QSize from, QSize to)
        : xs(tapsFor(from.width(), to.width())), ys(tapsFor(from.height(), to.height()))
#ifdef __SSE2__
          ,
          xWeights(columnWeights(xs))
#endif
    {
    }
    std::vector<Tap> xs, ys;
#ifdef __SSE2__
    std::vector<ColumnWeight> xWeights;
#endif
};

// Output row y of a mild reduction: source rows r0 and r1 blended by w, then
// the columns by xs (row: the source's width and one more pixel).
void reduceRow(const quint32* r0, const quint32* r1, quint32 w, const ReductionTaps& taps,
               quint32* row, int width, quint32* out) {
#ifdef __SSE2__
    blendRows(r0, r1, w, row, width);
    blendColumns(row, taps.xs, taps.xWeights, out);
#else
    for (int x = 0; x < width; ++x)
        row[size_t(x)] = blend(r0[x], r1[x], w);
    for (size_t x = 0; x < taps.xs.size(); ++x) {
        const Tap tx = taps.xs[x];
        out[x] = blend(row[size_t(tx.index)], row[size_t(tx.index + 1)], tx.weight);
    }
#endif
}

// A mild reduction (to at least half the size): each output pixel blends the
// 2 x 2 source pixels around its centre. A fraction of a smooth scale's cost,
// and nothing is lost at these ratios.
QImage reduceBilinear(const QImage& src, QSize out) {
    QImage result(out, src.format());
    const ReductionTaps taps(src.size(), out);
    const uchar* from = src.constBits();
    uchar* to = result.bits();
    const qsizetype fromStride = src.bytesPerLine(), toStride = result.bytesPerLine();
    const int width = src.width();
    inBands(out.height(), [&](int first, int last) {
        // The two source rows blended, and one more pixel for the last tap's
        // neighbour (weighed 0) when the source is one pixel wide.
        std::vector<quint32> row(static_cast<size_t>(width) + 1);
        for (int y = first; y < last; ++y) {
            const Tap ty = taps.ys[size_t(y)];
            const auto* r0 = reinterpret_cast<const quint32*>(from + ty.index * fromStride);
            const auto* r1 = reinterpret_cast<const quint32*>(
                from + (ty.weight ? ty.index + 1 : ty.index) * fromStride);
            reduceRow(r0, r1, ty.weight, taps, row.data(), width,
                      reinterpret_cast<quint32*>(to + y * toStride));
        }
    });
    return result;
}

// image scaled to size: a mild reduction bilinear, anything else smooth.
QImage scaledTo(const QImage& image, QSize size) {
    if (isPlain32(image.format()) && size.width() <= image.width() &&
        size.height() <= image.height() && 2 * size.width() >= image.width() &&
        2 * size.height() >= image.height())
        return reduceBilinear(image, size);
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

struct RowReducer::Plan {
    Plan(QSize from, QImage& out)
        : taps(from, out.size()), width(from.width()), out(out.bits()),
          outStride(out.bytesPerLine()) {
        for (auto& r : ring)
            r.resize(size_t(width));
        row.resize(size_t(width) + 1);
    }
    ReductionTaps taps;
    int width;
    uchar* out;
    qsizetype outStride;
    std::array<std::vector<quint32>, 2> ring; // the last two source rows
    std::vector<quint32> row;                 // those blended
    int next = 0;                             // the output row to make next
};

RowReducer::RowReducer(QSize from, QImage& out) : m_plan(std::make_unique<Plan>(from, out)) {}

RowReducer::~RowReducer() = default;

quint32* RowReducer::row(int y) {
    return m_plan->ring[size_t(y & 1)].data();
}

void RowReducer::rowDone(int y) {
    Plan& p = *m_plan;
    const auto height = int(p.taps.ys.size());
    for (; p.next < height; ++p.next) {
        const Tap ty = p.taps.ys[size_t(p.next)];
        const int last = ty.weight ? ty.index + 1 : ty.index;
        if (last > y)
            return;
        reduceRow(p.ring[size_t(ty.index & 1)].data(), p.ring[size_t(last & 1)].data(), ty.weight,
                  p.taps, p.row.data(), p.width,
                  reinterpret_cast<quint32*>(p.out + p.next * p.outStride));
    }
}

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
        image = scaledTo(image, target);
    return image;
}

QImage turnImage(const QImage& image, int rotation) {
    const int turns = ((rotation % 4) + 4) % 4;
    if (turns == 0 || image.isNull())
        return image;
    // Exact quarter turns take Qt's pixel-moving path, not a resampling one.
    return image.transformed(QTransform().rotate(90.0 * turns));
}

QImage renderView(const QImage& frame, const QRectF& source, QSize target, int rotation) {
    if (frame.isNull() || target.isEmpty() || source.isEmpty())
        return {};
    const QSize out = ((rotation % 2) != 0) ? target.transposed() : target;
    QImage whole = frame;
    if (!isPlain32(whole.format()))
        whole = whole.convertToFormat(whole.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    const QRect crop =
        QRect(QPoint(int(std::floor(source.left())), int(std::floor(source.top()))),
              QPoint(int(std::ceil(source.right())) - 1, int(std::ceil(source.bottom())) - 1)) &
        whole.rect();
    if (crop.isEmpty())
        return {};
    QImage image = whole;
    bool borrowed = false; // image lies in whole's memory
    if (crop != whole.rect()) {
        image = QImage(whole.constBits() + crop.y() * whole.bytesPerLine() + crop.x() * 4,
                       crop.width(), crop.height(), whole.bytesPerLine(), whole.format());
        borrowed = true;
    }
    QPointF offset = source.topLeft() - QPointF(crop.topLeft());
    QSizeF wanted = source.size();
    while (wanted.width() / 2 >= out.width() && wanted.height() / 2 >= out.height() &&
           image.width() >= 2 && image.height() >= 2) {
        image = halveImage(image);
        borrowed = false;
        offset /= 2;
        wanted /= 2;
    }
    const double kx = out.width() / wanted.width(), ky = out.height() / wanted.height();
    const int ox = std::max(0, int(std::lround(offset.x() * kx)));
    const int oy = std::max(0, int(std::lround(offset.y() * ky)));
    const QSize scaledSize(std::max(int(std::lround(image.width() * kx)), ox + out.width()),
                           std::max(int(std::lround(image.height() * ky)), oy + out.height()));
    if (scaledSize != image.size()) {
        image = scaledTo(image, scaledSize);
        borrowed = false;
    }
    if (ox != 0 || oy != 0 || image.size() != out) {
        image = image.copy(ox, oy, out.width(), out.height());
        borrowed = false;
    }
    if (borrowed)
        image = image.copy(); // never hand out the frame's memory under another name
    return turnImage(image, rotation);
}

void previewColourMode(QImage& image, int mode) {
    if ((mode != 1 && mode != 2) || !isPlain32(image.format()))
        return;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            int g = qGray(line[x]);
            if (mode == 2)
                g = g >= 128 ? 255 : 0;
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
}

} // namespace orv
