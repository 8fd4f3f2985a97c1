#include "PictureAdjust.h"

#include "Bands.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace orv {

namespace {

using Table = std::array<quint8, 256>;

Table channelTable(const PictureAdjustment& a, double channelGain) {
    Table table{};
    for (int i = 0; i < 256; ++i) {
        double v = i / 255.0;
        v = std::clamp(v * a.exposure * a.gain * channelGain, 0.0, 1.0);
        if (a.backlight)
            v = std::pow(v, 0.6);
        if (a.gamma > 0 && a.gamma != 1)
            v = std::pow(v, 1.0 / a.gamma);
        v = (v - 0.5) * a.contrast + 0.5 + a.brightness;
        table[std::size_t(i)] = quint8(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    }
    return table;
}

// Hue rotation and saturation as one matrix in 12-bit fixed point, with the
// luminance weights that keep gray gray.
std::array<int, 9> colourMatrix(const PictureAdjustment& a) {
    const double lr = 0.213, lg = 0.715, lb = 0.072;
    const double rad = a.hue * M_PI / 180.0, c = std::cos(rad), s = std::sin(rad);
    const double hue[9] = {
        lr + c * (1 - lr) - s * lr, lg - c * lg - s * lg,          lb - c * lb + s * (1 - lb),
        lr - c * lr + s * 0.143,    lg + c * (1 - lg) + s * 0.140, lb - c * lb - s * 0.283,
        lr - c * lr - s * (1 - lr), lg - c * lg + s * lg,          lb + c * (1 - lb) + s * lb};
    const double t = a.saturation;
    const double sat[9] = {lr + (1 - lr) * t, lg - lg * t,       lb - lb * t,
                           lr - lr * t,       lg + (1 - lg) * t, lb - lb * t,
                           lr - lr * t,       lg - lg * t,       lb + (1 - lb) * t};
    std::array<int, 9> m{};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += sat[row * 3 + k] * hue[k * 3 + col];
            m[std::size_t(row * 3 + col)] = int(std::lround(sum * 4096));
        }
    return m;
}

inline int clamp8(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// A box blur of radius r of an RGB32 picture into out (same size and format).
void boxBlur(const QImage& in, QImage& out, int r) {
    const int w = in.width(), h = in.height();
    QImage across(in.size(), in.format());
    const uchar* src = in.constBits();
    uchar* mid = across.bits();
    uchar* dst = out.bits();
    const qsizetype srcStride = in.bytesPerLine(), midStride = across.bytesPerLine(),
                    dstStride = out.bytesPerLine();
    // Dividing by the span as a multiplication: sums stay below 2^16 / span
    // times 255, well inside 32 bits.
    const quint32 inverse = (1u << 16) / quint32(2 * r + 1) + 1;
    const auto average = [inverse](int sum) { return int((quint32(sum) * inverse) >> 16); };
    inBands(h, [=](int first, int last) {
        for (int y = first; y < last; ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(src + y * srcStride);
            auto* o = reinterpret_cast<QRgb*>(mid + y * midStride);
            int sr = 0, sg = 0, sb = 0;
            for (int k = -r; k <= r; ++k) {
                const QRgb p = s[std::clamp(k, 0, w - 1)];
                sr += qRed(p), sg += qGreen(p), sb += qBlue(p);
            }
            for (int x = 0; x < w; ++x) {
                o[x] = qRgb(average(sr), average(sg), average(sb));
                const QRgb add = s[std::min(x + r + 1, w - 1)], drop = s[std::max(x - r, 0)];
                sr += qRed(add) - qRed(drop);
                sg += qGreen(add) - qGreen(drop);
                sb += qBlue(add) - qBlue(drop);
            }
        }
    });
    inBands(h, [=](int first, int last) {
        std::vector<int> sums(std::size_t(w) * 3, 0);
        const auto row = [=](int y) {
            return reinterpret_cast<const QRgb*>(mid + std::clamp(y, 0, h - 1) * midStride);
        };
        for (int k = first - r; k <= first + r; ++k) {
            const QRgb* m = row(k);
            for (int x = 0; x < w; ++x) {
                sums[std::size_t(3 * x)] += qRed(m[x]);
                sums[std::size_t(3 * x + 1)] += qGreen(m[x]);
                sums[std::size_t(3 * x + 2)] += qBlue(m[x]);
            }
        }
        for (int y = first; y < last; ++y) {
            auto* o = reinterpret_cast<QRgb*>(dst + y * dstStride);
            const QRgb* add = row(y + r + 1);
            const QRgb* drop = row(y - r);
            for (int x = 0; x < w; ++x) {
                int* sum = &sums[std::size_t(3 * x)];
                o[x] = qRgb(average(sum[0]), average(sum[1]), average(sum[2]));
                sum[0] += qRed(add[x]) - qRed(drop[x]);
                sum[1] += qGreen(add[x]) - qGreen(drop[x]);
                sum[2] += qBlue(add[x]) - qBlue(drop[x]);
            }
        }
    });
}

} // namespace

bool PictureAdjustment::tableIsIdentity() const {
    return exposure == 1 && gain == 1 && red == 1 && green == 1 && blue == 1 && !backlight &&
           gamma == 1 && contrast == 1 && brightness == 0;
}

bool PictureAdjustment::matrixIsIdentity() const {
    return std::fmod(hue, 360.0) == 0 && saturation == 1;
}

int sharpnessRadius(QSize size) {
    return std::max(1, int(std::lround(std::min(size.width(), size.height()) / 480.0)));
}

QImage applyAdjustment(const QImage& frame, const PictureAdjustment& a) {
    if (frame.isNull() || a.isIdentity())
        return frame;
    QImage in = frame;
    if (in.format() != QImage::Format_RGB32 && in.format() != QImage::Format_ARGB32 &&
        in.format() != QImage::Format_ARGB32_Premultiplied)
        in = in.convertToFormat(QImage::Format_RGB32);
    QImage out(in.size(), in.format());
    const bool useTable = !a.tableIsIdentity();
    const bool useMatrix = !a.matrixIsIdentity();
    const Table tr = channelTable(a, a.red), tg = channelTable(a, a.green),
                tb = channelTable(a, a.blue);
    const std::array<int, 9> m = colourMatrix(a);
    const uchar* src = in.constBits();
    uchar* dst = out.bits();
    const qsizetype srcStride = in.bytesPerLine(), dstStride = out.bytesPerLine();
    const int w = in.width();
    inBands(in.height(), [&, src, dst](int first, int last) {
        for (int y = first; y < last; ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(src + y * srcStride);
            auto* o = reinterpret_cast<QRgb*>(dst + y * dstStride);
            for (int x = 0; x < w; ++x) {
                const QRgb p = s[x];
                int r = qRed(p), g = qGreen(p), b = qBlue(p);
                if (useTable) {
                    r = tr[std::size_t(r)];
                    g = tg[std::size_t(g)];
                    b = tb[std::size_t(b)];
                }
                if (useMatrix) {
                    const int nr = (m[0] * r + m[1] * g + m[2] * b + 2048) >> 12;
                    const int ng = (m[3] * r + m[4] * g + m[5] * b + 2048) >> 12;
                    const int nb = (m[6] * r + m[7] * g + m[8] * b + 2048) >> 12;
                    r = clamp8(nr), g = clamp8(ng), b = clamp8(nb);
                }
                o[x] = qRgba(r, g, b, qAlpha(p));
            }
        }
    });
    if (a.sharpen == 0)
        return out;

    QImage blurred(out.size(), out.format());
    boxBlur(out, blurred, sharpnessRadius(out.size()));
    const int amount = int(std::lround(std::max(-1.0, a.sharpen) * 256));
    const uchar* blur = blurred.constBits();
    const qsizetype blurStride = blurred.bytesPerLine();
    inBands(out.height(), [&, dst, blur](int first, int last) {
        for (int y = first; y < last; ++y) {
            auto* o = reinterpret_cast<QRgb*>(dst + y * dstStride);
            const auto* bl = reinterpret_cast<const QRgb*>(blur + y * blurStride);
            for (int x = 0; x < w; ++x) {
                const QRgb p = o[x], q = bl[x];
                const auto mix = [amount](int v, int soft) {
                    return clamp8(v + ((amount * (v - soft)) >> 8));
                };
                o[x] = qRgba(mix(qRed(p), qRed(q)), mix(qGreen(p), qGreen(q)),
                             mix(qBlue(p), qBlue(q)), qAlpha(p));
            }
        }
    });
    return out;
}

} // namespace orv
