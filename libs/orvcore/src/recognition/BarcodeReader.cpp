#include "BarcodeReader.h"

#include "BarcodeLocator.h"
#include "DataMatrixGrid.h"

#define ZX_USE_UTF8
#include <ZXing/BarcodeFormat.h>
#include <ZXing/DecodeHints.h>
#include <ZXing/ReadBarcode.h>

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orv {

namespace {

// Symbologies whose ZXing 1.4 detector starts at the middle of the picture
// and walks along its middle row and column: it sees only symbols that one
// of those lines crosses.
const ZXing::BarcodeFormats kFoundFromTheMiddle =
    ZXing::BarcodeFormat::DataMatrix | ZXing::BarcodeFormat::Aztec;

// The longest side, in full-size pixels, of the 2-D symbols that are read
// again at full size around their blobs: larger ones have modules of about
// two pixels or more on a copy reduced by half.
constexpr qreal kSmallSymbol = 160;

// How many blobs a picture is read around at most: print in large letters,
// textures and glare give many that hold no code.
constexpr qsizetype kBlobsPerPicture = 12;

// The 2-D symbologies a blob is read for: all of them around a blob about
// square; around a longer one only Data Matrix, whose rectangular symbols
// are 2.2 to 4 times as long as wide (QR, Aztec and MaxiCode symbols are
// square, and PDF417's detector finds its symbols anywhere in a region, so
// the region's own read saw them).
ZXing::BarcodeFormats blobFormats(const QRectF& blob) {
    const qreal longer = std::max(blob.width(), blob.height());
    const qreal shorter = std::min(blob.width(), blob.height());
    return longer > 1.6 * shorter ? ZXing::BarcodeFormats(ZXing::BarcodeFormat::DataMatrix)
                                  : ZXing::BarcodeFormats(ZXing::BarcodeFormat::MatrixCodes);
}

// Whether bytes (no ECI of their own) are Chinese text in GB18030: valid in
// it, with at least one character of two or four bytes, and at least half of
// the two-byte ones in the GB2312 area (both bytes 0xA1 and up), where text
// in other 8-bit character sets rarely falls.
bool isGb18030Chinese(const ZXing::ByteArray& bytes) {
    int multi = 0, gb2312 = 0;
    const auto at = [&](size_t i) { return i < bytes.size() ? int(bytes[i]) : -1; };
    const auto digit = [](int b) { return b >= 0x30 && b <= 0x39; };
    const auto lead = [](int b) { return b >= 0x81 && b <= 0xFE; };
    for (size_t i = 0; i < bytes.size();) {
        const int b = at(i);
        if (b < 0x80) {
            ++i;
        } else if (lead(b) && digit(at(i + 1)) && lead(at(i + 2)) && digit(at(i + 3))) {
            ++multi;
            i += 4;
        } else if (lead(b) && at(i + 1) >= 0x40 && at(i + 1) <= 0xFE && at(i + 1) != 0x7F) {
            ++multi;
            gb2312 += b >= 0xA1 && at(i + 1) >= 0xA1;
            i += 2;
        } else {
            return false;
        }
    }
    return multi > 0 && 2 * gb2312 >= multi;
}

// The character set of a code's content that names none (no ECI): UTF-8
// when it is valid UTF-8, GB18030 when it is Chinese text in it, else
// ISO-8859-1, the symbologies' default. Never Shift_JIS, which ZXing guesses
// on its own for GBK bytes; a code that says Shift_JIS (an ECI, QR's kanji
// mode) is read so all the same.
std::string characterSetOf(const ZXing::ByteArray& bytes) {
    if (QByteArrayView(bytes.data(), qsizetype(bytes.size())).isValidUtf8())
        return "UTF-8";
    return isGb18030Chinese(bytes) ? "GB18030" : "ISO-8859-1";
}

// One read of at most one symbol, in the part area of gray (all of it for a
// null area), its text in the character set its ECI names or the one its
// content fits (characterSetOf). ZXing reports bad input by exceptions; none
// may leave the library.
ZXing::Result readOne(const QImage& gray, QRect area = {}, ZXing::BarcodeFormats formats = {},
                      ZXing::Binarizer binarizer = ZXing::Binarizer::LocalAverage) {
    if (area.isNull())
        area = gray.rect();
    try {
        const ZXing::ImageView view(gray.constScanLine(area.top()) + area.left(), area.width(),
                                    area.height(), ZXing::ImageFormat::Lum,
                                    int(gray.bytesPerLine()));
        ZXing::DecodeHints hints;
        hints.setFormats(formats)
            .setTryHarder(true)
            .setTryRotate(true)
            .setTryDownscale(true)
            .setMaxNumberOfSymbols(1)
            .setBinarizer(binarizer)
            .setCharacterSet("ISO-8859-1"); // no guess of ZXing's own
        ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (result.isValid() && !result.hasECI())
            result.setCharacterSet(characterSetOf(result.bytes()));
        return result;
    } catch (const std::exception&) {
        return {};
    }
}

// picture's luminance with ZXing's own weights. Qt converts to Grayscale8
// through linear light, which costs several times as much on a 5 MP frame.
QImage luminance(const QImage& picture) {
    if (picture.format() == QImage::Format_Grayscale8)
        return picture;
    const bool rgb32 = picture.format() == QImage::Format_RGB32 ||
                       picture.format() == QImage::Format_ARGB32 ||
                       picture.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage colour = rgb32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage gray(colour.size(), QImage::Format_Grayscale8);
    if (colour.isNull() || gray.isNull()) // out of memory
        return {};
    constexpr bool kLittle = Q_BYTE_ORDER == Q_LITTLE_ENDIAN; // QRgb's bytes in memory
    constexpr int kBlue = kLittle ? 0 : 3, kGreen = kLittle ? 1 : 2, kRed = kLittle ? 2 : 1;
    const auto pixel = [](const uchar* p) {
        return uchar((117u * p[kBlue] + 601u * p[kGreen] + 306u * p[kRed] + 512u) >> 10);
    };
    const int w = gray.width();
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* in = colour.constScanLine(y);
        uchar* out = gray.scanLine(y);
        int x = 0;
#if defined(__SSE2__) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        // 16 pixels at a time, the same sums as pixel(): half as long as
        // what the compiler makes of the plain loop on a 5 MP frame.
        const __m128i weights = _mm_setr_epi16(117, 601, 306, 0, 117, 601, 306, 0);
        const auto four = [&](const uchar* p) { // four pixels' luminance as 32-bit lanes
            const __m128i zero = _mm_setzero_si128();
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            // Per pixel: blue and green weighed and added, red weighed.
            const __m128 lo = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpacklo_epi8(v, zero), weights));
            const __m128 hi = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpackhi_epi8(v, zero), weights));
            const __m128i blueGreen =
                _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
            const __m128i red = _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
            const __m128i sum = _mm_add_epi32(_mm_add_epi32(blueGreen, red), _mm_set1_epi32(512));
            return _mm_srli_epi32(sum, 10);
        };
        for (; x + 16 <= w; x += 16) {
            const uchar* p = in + 4 * x;
            const __m128i first = _mm_packs_epi32(four(p), four(p + 16));
            const __m128i second = _mm_packs_epi32(four(p + 32), four(p + 48));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(first, second));
        }
#endif
        for (; x < w; ++x)
            out[x] = pixel(in + 4 * x);
    }
    return gray;
}

// gray reduced by a whole factor: each pixel the mean of a factor x factor block.
QImage reduce(const QImage& gray, int factor) {
    const int w = gray.width() / factor, h = gray.height() / factor;
    QImage small(w, h, QImage::Format_Grayscale8);
    if (factor == 2) { // the usual case, four times quicker on its own
        for (int y = 0; y < h; ++y) {
            const uchar* a = gray.constScanLine(2 * y);
            const uchar* b = gray.constScanLine(2 * y + 1);
            uchar* out = small.scanLine(y);
            for (int x = 0; x < w; ++x)
                out[x] = uchar((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) >> 2);
        }
        return small;
    }
    std::vector<int> sums(size_t(w), 0);
    const int area = factor * factor;
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int dy = 0; dy < factor; ++dy) {
            const uchar* in = gray.constScanLine(y * factor + dy);
            for (int x = 0; x < w; ++x)
                for (int dx = 0; dx < factor; ++dx)
                    sums[size_t(x)] += in[x * factor + dx];
        }
        uchar* out = small.scanLine(y);
        for (int x = 0; x < w; ++x)
            out[x] = uchar((sums[size_t(x)] + area / 2) / area);
    }
    return small;
}

// The corners of a symbol read in a part of a copy reduced by scale whose
// top left corner is origin, in full-size pixels.
QPolygonF corners(const ZXing::Position& position, int scale, QPoint origin) {
    QPolygonF quad;
    for (const ZXing::PointI& p : position) // pixel centres of the copy
        quad << QPointF((p.x + origin.x() + 0.5) * scale - 0.5,
                        (p.y + origin.y() + 0.5) * scale - 0.5);
    return quad;
}

bool isLinear(ZXing::BarcodeFormat format) {
    return ZXing::BarcodeFormats(ZXing::BarcodeFormat::LinearCodes).testFlag(format);
}

// The darkness pattern along the segment from a to b, one sample per pixel.
QList<bool> darkPattern(const QImage& gray, QPointF a, QPointF b, int threshold) {
    const int n = std::max(2, int(std::hypot(b.x() - a.x(), b.y() - a.y())));
    QList<bool> dark;
    dark.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QPointF p = a + (b - a) * (qreal(i) / (n - 1));
        const int x = qRound(p.x()), y = qRound(p.y());
        const bool inside = x >= 0 && y >= 0 && x < gray.width() && y < gray.height();
        dark << (inside && gray.constScanLine(y)[x] < threshold);
    }
    return dark;
}

struct Reach {
    qreal distance = 0; // across the bars
    qreal shift = 0;    // along the line, where the bars lean
};

// Half way between the darkest and the lightest pixel on the segment a-b,
// or -1 when they differ too little to tell bars from spaces.
int barThreshold(const QImage& gray, QPointF a, QPointF b) {
    const qreal length = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (length < 2)
        return -1;
    const QPointF along = (b - a) / length;
    int low = 255, high = 0;
    for (int i = 0; i <= int(length); ++i) {
        const QPoint p = (a + along * i).toPoint();
        if (p.x() < 0 || p.y() < 0 || p.x() >= gray.width() || p.y() >= gray.height())
            continue;
        const int value = gray.constScanLine(p.y())[p.x()];
        low = std::min(low, value);
        high = std::max(high, value);
    }
    return high - low < 32 ? -1 : (low + high) / 2;
}

// How far the bars of a 1-D code read along a to b go on in direction (a
// unit vector at right angles to a-b): the distance up to which lines
// parallel to a-b still show the same pattern of bars. The lines may slide
// along a-b by up to a pixel per step, to follow bars that lean.
Reach barsReach(const QImage& gray, QPointF a, QPointF b, QPointF direction, qreal limit) {
    const int threshold = barThreshold(gray, a, b);
    if (threshold < 0)
        return {};
    const QPointF along = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y());
    const QList<bool> reference = darkPattern(gray, a, b, threshold);
    Reach reach;
    for (qreal d = 1; d <= limit; ++d) {
        qsizetype best = -1;
        qreal bestShift = reach.shift;
        for (const qreal slide : {0.0, -1.0, 1.0}) {
            const QPointF offset = direction * d + along * (reach.shift + slide);
            const QList<bool> line = darkPattern(gray, a + offset, b + offset, threshold);
            qsizetype same = 0;
            for (qsizetype i = 0; i < line.size(); ++i)
                same += line.at(i) == reference.at(i);
            if (same > best) {
                best = same;
                bestShift = reach.shift + slide;
            }
        }
        if (best < reference.size() * 85 / 100)
            break;
        reach = {d, bestShift};
    }
    return reach;
}

// How far bars go on past end, walking outward along a line across them: to
// the last dark pixel that comes within gapLimit of the one before it; 0 when
// fewer than two bars come. The walk starts a little past end, by more than
// an end can be off (a pixel of the reduced copy).
qreal barsGoOn(const QImage& gray, QPointF end, QPointF outward, int threshold, qreal gapLimit) {
    qreal last = 3;
    int bars = 0;
    bool wasDark = false;
    for (qreal d = last; d - last <= gapLimit; ++d) {
        const QPoint p = (end + outward * d).toPoint();
        if (p.x() < 0 || p.y() < 0 || p.x() >= gray.width() || p.y() >= gray.height())
            break;
        const bool dark = gray.constScanLine(p.y())[p.x()] < threshold;
        if (dark) {
            last = d;
            bars += !wasDark;
        }
        wasDark = dark;
    }
    return bars >= 2 ? last : 0;
}

// A rectangle given by its centre, its two unit axes and its half extents
// along them (behind and ahead on the second axis).
QPolygonF box(QPointF centre, QPointF first, qreal half, QPointF second, qreal behind,
              qreal ahead) {
    return QPolygonF(
        {centre - first * half - second * behind, centre + first * half - second * behind,
         centre + first * half + second * ahead, centre - first * half + second * ahead});
}

struct SymbolArea {
    QPolygonF outline;    // the symbol itself
    QPolygonF blank;      // what to paint over: the symbol and its quiet zone
    bool partial = false; // a 1-D code whose bars go on past the ends read
};

// Where a found symbol lies: its quad squared up along the symbol's own axes,
// and grown by a quiet zone to be painted over. A 1-D code's quad spans only
// the few scan lines that read it, so its area follows its bars across in
// gray (the picture read, at full size).
SymbolArea symbolArea(const QPolygonF& quad, ZXing::BarcodeFormat format, qsizetype characters,
                      const QImage& gray) {
    const bool linear = isLinear(format);
    QPointF along = quad.value(1) - quad.value(0);
    if (linear && std::hypot(along.x(), along.y()) < 1)
        along = quad.value(2) - quad.value(3);
    const qreal length = std::hypot(along.x(), along.y());
    const QPointF u = length >= 1 ? along / length : QPointF(1, 0);
    const QPointF v(-u.y(), u.x());
    qreal minU = 1e18, maxU = -1e18, minV = 1e18, maxV = -1e18;
    for (const QPointF& p : quad) {
        const qreal pu = QPointF::dotProduct(p, u), pv = QPointF::dotProduct(p, v);
        minU = std::min(minU, pu);
        maxU = std::max(maxU, pu);
        minV = std::min(minV, pv);
        maxV = std::max(maxV, pv);
    }
    const qreal sizeU = maxU - minU, sizeV = maxV - minV;
    const qreal middle = (minV + maxV) / 2;
    const QPointF centre = u * (minU + maxU) / 2 + v * middle;
    if (!linear) {
        const qreal grow = 0.12 * std::max(sizeU, sizeV) + 4;
        return {quad, box(centre, u, sizeU / 2 + grow, v, sizeV / 2 + grow, sizeV / 2 + grow)};
    }
    const QPointF a = u * minU + v * middle, b = u * maxU + v * middle;
    const qreal limit = std::max<qreal>(64, 2 * sizeU);
    const Reach ahead = barsReach(gray, a, b, v, limit), behind = barsReach(gray, a, b, -v, limit);
    // The bars lean by as much as the lines slid; the code is a rectangle
    // along them and across them. Where it is turned, the lines leave it at
    // one end first, so the reach falls short by a little.
    const qreal span = ahead.distance + behind.distance;
    const qreal lean = span >= 8 ? (ahead.shift - behind.shift) / span : 0;
    const qreal norm = std::sqrt(1 + lean * lean);
    const QPointF bars = (v + u * lean) / norm, across = (u - v * lean) / norm;
    const qreal half = std::abs(QPointF::dotProduct(b - a, across)) / 2;
    const qreal upTo = std::max(ahead.distance, sizeV / 2);
    const qreal downTo = std::max(behind.distance, sizeV / 2);
    const qreal slack = 0.15 * sizeU * std::abs(lean) / norm;
    const qreal growU = 0.1 * sizeU + 4; // the quiet zone, ten modules or so
    const qreal growV = 0.02 * sizeU + 4 + slack;
    // A read line may leave a turned code through its side. For ITF, which
    // has no check digit and whose end patterns occur inside it, that can
    // give a part of the code as a shorter one: when its bars go on past the
    // ends read, along the middle of the bars, the read is dropped and the
    // whole code painted over, so that no other part of it is read either.
    // Other symbologies have a check digit or unique end characters, and text
    // printed close beside them must not cost a read.
    qreal past = 0, before = 0;
    const QPointF mid = centre + bars * ((upTo - downTo) / 2);
    const int threshold = format == ZXing::BarcodeFormat::ITF
                              ? barThreshold(gray, mid - across * half, mid + across * half)
                              : -1;
    if (threshold >= 0) {
        // An ITF code of n digits is 9 n + 9 modules long (wide bars three
        // modules); a wide space and what an end can be off are less than six.
        const qreal module = 2 * half / qreal(9 * characters + 9);
        const qreal gapLimit = std::max<qreal>(12, 6 * module);
        past = barsGoOn(gray, mid + across * half, across, threshold, gapLimit);
        before = barsGoOn(gray, mid - across * half, -across, threshold, gapLimit);
    }
    return {box(centre, across, half, bars, downTo, upTo),
            box(centre + across * ((past - before) / 2), across, half + (past + before) / 2 + growU,
                bars, downTo + growV, upTo + growV),
            past > 0 || before > 0};
}

// The part of gray inside outline grown by a tenth, on white with a quiet
// zone around, its levels stretched to black and white; origin: where the
// copy's top left corner lies in gray.
QImage isolated(const QImage& gray, const QPolygonF& outline, QPoint* origin) {
    const QRectF box = outline.boundingRect();
    const QPointF centre = box.center();
    const qreal side = std::max(box.width(), box.height());
    QPolygonF grown;
    for (const QPointF& p : outline)
        grown << centre + (p - centre) * 1.1 + (p - centre) * (4 / std::max<qreal>(1, side));
    const QRect bounds = grown.boundingRect().toAlignedRect() & gray.rect();
    if (bounds.width() < 8 || bounds.height() < 8)
        return {};
    std::array<int, 256> histogram{};
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = bounds.left(); x <= bounds.right(); ++x)
            ++histogram[row[x]];
    }
    const int all = bounds.width() * bounds.height();
    int low = 0, high = 255;
    for (int seen = 0; low < 255 && (seen += histogram[size_t(low)]) < all / 50;)
        ++low;
    for (int seen = 0; high > 0 && (seen += histogram[size_t(high)]) < all / 50;)
        --high;
    if (high - low < 16)
        return {};
    QImage part(bounds.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < bounds.height(); ++y) {
        const uchar* in = gray.constScanLine(bounds.top() + y) + bounds.left();
        uchar* out = part.scanLine(y);
        for (int x = 0; x < bounds.width(); ++x)
            out[x] = uchar(std::clamp((in[x] - low) * 255 / (high - low), 0, 255));
    }
    const int margin = std::max(16, int(side) / 4);
    QImage alone(bounds.width() + 2 * margin, bounds.height() + 2 * margin,
                 QImage::Format_Grayscale8);
    alone.fill(255);
    *origin = bounds.topLeft() - QPoint(margin, margin);
    QPainterPath clip;
    clip.addPolygon(grown.translated(-*origin));
    QPainter painter(&alone);
    painter.setClipPath(clip);
    painter.drawImage(margin, margin, part);
    return alone;
}

void paintWhite(QImage& image, const QPolygonF& area) {
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(area);
}

struct Found {
    FoundCode code;
    QRectF blanked; // bounding box of the area painted over it
};

// A read of a code found before, from a part of it that was not painted
// over: same symbology and content, next to where it was.
bool isRepeat(const QList<Found>& found, const FoundCode& code) {
    const QRectF where = code.where.boundingRect();
    for (const Found& f : found) {
        if (f.code.format != code.format || f.code.text != code.text)
            continue;
        const qreal reach = 0.5 * std::max(f.blanked.width(), f.blanked.height());
        if (f.blanked.adjusted(-reach, -reach, reach, reach).intersects(where))
            return true;
    }
    return false;
}

// Reads a picture in three steps, each code found painted over in both
// copies so that no later read finds it again:
// - on the reduced copy (the picture itself when small), the regions where
//   the locator sees codes, then the whole copy once for codes it missed;
// - at full size, only the regions the locator still sees code in: codes
//   too small or too blurred to be read on the reduced copy.
// No step reads the whole full-size picture.
class PassReader {
public:
    PassReader(const QImage& picture, const BarcodeReadOptions& options)
        : m_findsLeft(std::max(0, options.maxFinds)), m_grids(options.dataMatrixByBorder) {
        m_full = luminance(picture); // painted over below
        const int longer = std::max(m_full.width(), m_full.height());
        if (options.reducedSide > 0 && longer > options.reducedSide) {
            m_factor = (longer + options.reducedSide - 1) / options.reducedSide;
            m_reduced = reduce(m_full, m_factor);
        }
    }

    QList<FoundCode> run() {
        if (m_full.isNull())
            return {};
        QImage& first = m_reduced.isNull() ? m_full : m_reduced;
        const int scale = m_reduced.isNull() ? 1 : m_factor;
        // Codes with large modules show few edges in a cell: they are
        // looked for on a copy reduced twice as much as well.
        for (const CodeRegion& region : locateCodeRegions(first))
            readLocated(first, scale, region.area);
        for (const CodeRegion& region : locateCodeRegions(reduce(first, 2))) {
            const QRect area =
                QRect(region.area.topLeft() * 2, region.area.size() * 2) & first.rect();
            if (!wasRead(QRect(area.topLeft() * scale, area.size() * scale).center()))
                readLocated(first, scale, area);
        }
        readRegion(first, scale, first.rect());
        if (!m_reduced.isNull()) {
            // What is left: regions at full size, largest first, up to half
            // the picture in all. They were read in squares on the reduced
            // copy already; a Data Matrix too small for that copy and beside
            // text in one region is rare, and squares at full size would
            // cost a quarter of the whole read.
            qint64 budget = qint64(m_full.width()) * m_full.height() / 2;
            for (const CodeRegion& region : locateCodeRegions(m_reduced)) {
                // Grown by a quarter each way: where a code is soft or in
                // glare, the locator sees only the middle of it.
                const QRect seen(region.area.topLeft() * m_factor, region.area.size() * m_factor);
                const int dx = seen.width() / 4, dy = seen.height() / 4;
                const QRect area = seen.adjusted(-dx, -dy, dx, dy) & m_full.rect();
                budget -= qint64(area.width()) * area.height();
                if (budget < 0)
                    break;
                const int found = readRegion(m_full, 1, area);
                if (m_grids && found > 0)
                    readGrids(area);
                else if (m_grids)
                    readAroundBlobs(m_full, 1, area);
            }
        }
        QList<FoundCode> codes;
        for (const Found& f : std::as_const(m_found))
            codes << f.code;
        sortReadingOrder(codes);
        return codes;
    }

private:
    // Reads area of image, one code at a time, until a read finds nothing
    // or the codes found cover most of it; how many it found.
    int readRegion(const QImage& image, int scale, const QRect& area,
                   ZXing::BarcodeFormats formats = {},
                   ZXing::Binarizer binarizer = ZXing::Binarizer::LocalAverage) {
        int found = 0;
        qreal covered = 0;
        const QRectF full(area.left() * scale, area.top() * scale, area.width() * scale,
                          area.height() * scale);
        while (m_findsLeft > 0 && covered < 0.5 * full.width() * full.height()) {
            const ZXing::Result result = readOne(image, area, formats, binarizer);
            QRectF blanked;
            if (!result.isValid() ||
                !take(result, corners(result.position(), scale, area.topLeft()), &blanked))
                break;
            const QRectF inside = blanked & full;
            covered += inside.width() * inside.height();
            ++found;
        }
        return found;
    }

    // Reads the Data Matrix symbols found by their border in area (full
    // size) that ZXing's detector missed, from clean renderings of their
    // grids; the symbol-like blobs seen there, in full-size pixels.
    QList<QPolygonF> readGrids(const QRect& area) {
        const QImage& blobs = m_reduced.isNull() ? m_full : m_reduced;
        const GridSearch search = dataMatrixGrids(m_full, blobs, m_factor, area, &m_fitted);
        for (const GridRendering& grid : search.grids) {
            for (const QImage& symbol : grid.symbols) {
                if (m_findsLeft <= 0)
                    return search.blobs;
                const ZXing::Result result = readOne(symbol, {}, ZXing::BarcodeFormat::DataMatrix);
                QRectF blanked;
                if (result.isValid() && take(result, grid.where, &blanked))
                    break;
            }
        }
        return search.blobs;
    }

    // Reads again for 2-D codes around each symbol-like blob in area of
    // image (a copy reduced by scale) that was not read so at this scale:
    // the 2-D symbologies its shape allows (blobFormats) in a square around
    // it, then the blob alone, then the square with one threshold; each way
    // only when the ones before read nothing.
    void readAroundBlobs(const QImage& image, int scale, const QRect& area) {
        const QRect full(area.topLeft() * scale, area.size() * scale);
        for (const QPolygonF& outline : readGrids(full)) {
            const QRectF blob = outline.boundingRect();
            // At full size, only the symbols too small for the reduced copy.
            if (scale == 1 && m_factor > 1 && std::max(blob.width(), blob.height()) > kSmallSymbol)
                continue;
            if (std::any_of(m_squared.begin(), m_squared.end(), [&](const Squared& s) {
                    return s.scale == scale && s.blob.contains(blob.center());
                }))
                continue;
            if (m_squared.size() >= kBlobsPerPicture)
                return;
            m_squared.append({blob, scale});
            const qreal grow = std::max(blob.width(), blob.height()) / 4 + 4 * scale;
            const QRectF around = blob.adjusted(-grow, -grow, grow, grow);
            const QRect square =
                QRectF(around.topLeft() / scale, around.size() / scale).toAlignedRect() & area;
            // A square that is most of area reads what area read.
            const bool repeat = qint64(square.width()) * square.height() * 5 >=
                                qint64(area.width()) * area.height() * 3;
            const ZXing::BarcodeFormats formats = blobFormats(blob);
            if (!repeat && readRegion(image, scale, square, formats) > 0)
                continue;
            // On its own only on the reduced copy: the blobs read at full
            // size are small ones, whose square holds little else.
            if (scale > 1 && readAlone(outline, formats))
                continue;
            readRegion(image, scale, square, formats, ZXing::Binarizer::GlobalHistogram);
        }
    }

    // Reads area; when that finds nothing, looks for the codes found only
    // where the middle lines of what is read cross them (a region that holds
    // a line of text beside such a code may miss it): with the border search
    // on, around its symbol-like blobs, else in squares over all of area.
    void readLocated(const QImage& image, int scale, const QRect& area) {
        m_read << QRect(area.topLeft() * scale, area.size() * scale);
        if (readRegion(image, scale, area) > 0)
            return;
        if (m_grids) {
            readAroundBlobs(image, scale, area);
            return;
        }
        const int side = std::max(48, std::min(area.width(), area.height()) * 2 / 3);
        const int step = side / 2;
        for (int y = area.top(); y + step < area.bottom() || y == area.top(); y += step)
            for (int x = area.left(); x + step < area.right() || x == area.left(); x += step)
                readRegion(image, scale, QRect(x, y, side, side) & area, kFoundFromTheMiddle);
    }

    // Reads the symbol that may be inside outline (full size) on its own:
    // what lies around it painted white, its levels stretched. A symbol at
    // the edge of its label or beside print has no quiet zone of its own.
    // Its levels are stretched already: one threshold for all of it would
    // add little to the square's below.
    bool readAlone(const QPolygonF& outline, ZXing::BarcodeFormats formats) {
        if (m_findsLeft <= 0)
            return false;
        QPoint origin;
        const QImage alone = isolated(m_full, outline, &origin);
        if (alone.isNull())
            return false;
        const ZXing::Result result = readOne(alone, {}, formats);
        QRectF blanked;
        return result.isValid() && take(result, corners(result.position(), 1, origin), &blanked);
    }

    // Records a result and paints over it; false when there was nothing to
    // paint over, so that reading again would only find it again.
    // quad: the symbol's corners in full-size pixels.
    bool take(const ZXing::Result& result, const QPolygonF& quad, QRectF* blanked) {
        --m_findsLeft;
        FoundCode code;
        code.format = ZXing::ToString(result.format());
        code.text = QByteArray::fromStdString(result.text());
        code.text.replace('\0', QByteArray());
        const SymbolArea area = symbolArea(quad, result.format(), code.text.size(), m_full);
        code.where = area.outline;
        const QRectF bounds = area.blank.boundingRect();
        *blanked = bounds;
        if (bounds.width() * bounds.height() < 4)
            return false;
        paintWhite(m_full, area.blank);
        if (!m_reduced.isNull()) {
            QTransform toReduced;
            toReduced.scale(1.0 / m_factor, 1.0 / m_factor);
            paintWhite(m_reduced, toReduced.map(area.blank));
        }
        if (!area.partial && !isRepeat(m_found, code))
            m_found.append({code, bounds});
        return true;
    }

    // Whether a region read before (on either copy) holds point, in
    // full-size pixels.
    bool wasRead(QPoint point) const {
        for (const QRect& area : m_read)
            if (area.contains(point))
                return true;
        return false;
    }

    QList<QRect> m_read; // the regions read, in full-size pixels
    struct Squared {
        QRectF blob; // in full-size pixels
        int scale;   // of the copy read
    };
    QList<Squared> m_squared; // the blobs read around
    QList<QRectF> m_fitted;   // the blobs a Data Matrix grid was fitted to
    QImage m_full;
    QImage m_reduced; // null when not used
    int m_factor = 1;
    int m_findsLeft;
    bool m_grids;
    QList<Found> m_found;
};

} // namespace

QList<FoundCode> readBarcodes(const QImage& picture, const BarcodeReadOptions& options) {
    if (picture.isNull())
        return {};
    return PassReader(picture, options).run();
}

void sortReadingOrder(QList<FoundCode>& codes) {
    auto top = [](const FoundCode& c) { return c.where.boundingRect().top(); };
    auto left = [](const FoundCode& c) { return c.where.boundingRect().left(); };
    std::stable_sort(codes.begin(), codes.end(), [&](const FoundCode& a, const FoundCode& b) {
        return top(a) < top(b) || (top(a) == top(b) && left(a) < left(b));
    });
    QList<FoundCode> ordered;
    qsizetype rowStart = 0;
    while (rowStart < codes.size()) {
        const QRectF first = codes.at(rowStart).where.boundingRect();
        qsizetype rowEnd = rowStart + 1;
        while (rowEnd < codes.size() &&
               codes.at(rowEnd).where.boundingRect().center().y() <= first.bottom())
            ++rowEnd;
        QList<FoundCode> row = codes.mid(rowStart, rowEnd - rowStart);
        std::stable_sort(row.begin(), row.end(),
                         [&](const FoundCode& a, const FoundCode& b) { return left(a) < left(b); });
        ordered << row;
        rowStart = rowEnd;
    }
    codes = ordered;
}

QByteArray barcodeElements(const QList<FoundCode>& codes) {
    QByteArray out;
    for (const FoundCode& code : codes)
        out += "<barcode type=\"" + code.format + "\">" + code.text + "</barcode>";
    return out;
}

} // namespace orv
