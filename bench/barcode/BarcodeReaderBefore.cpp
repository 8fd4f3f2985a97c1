// The reader as it was before the reduced-first, located-regions reader:
// the whole picture read one symbol at a time with blanking, on a reduced
// copy, in bands of rows for Data Matrix codes, and once more at full size.
// Kept to compare against in the same run.
#include "BarcodeReaderBefore.h"

#define ZX_USE_UTF8
#include <ZXing/BarcodeFormat.h>
#include <ZXing/DecodeHints.h>
#include <ZXing/ReadBarcode.h>

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

namespace orv::before {

namespace {

// Symbologies whose ZXing 1.4 detector starts at the middle of the picture
// and walks along its middle row and column: it sees only symbols that one
// of those lines crosses.
const ZXing::BarcodeFormats kFoundFromTheMiddle =
    ZXing::BarcodeFormat::DataMatrix | ZXing::BarcodeFormat::Aztec;

// One read of at most one symbol, in rows top to top + height of gray (all
// of them for height 0). ZXing reports bad input by exceptions; none may
// leave the library.
ZXing::Result readOne(const QImage& gray, bool tryDownscale, ZXing::BarcodeFormats formats = {},
                      int top = 0, int height = 0) {
    try {
        const ZXing::ImageView view(gray.constScanLine(top), gray.width(),
                                    height > 0 ? height : gray.height(), ZXing::ImageFormat::Lum,
                                    int(gray.bytesPerLine()));
        ZXing::DecodeHints hints;
        hints.setFormats(formats)
            .setTryHarder(true)
            .setTryRotate(true)
            .setTryDownscale(tryDownscale)
            .setMaxNumberOfSymbols(1);
        return ZXing::ReadBarcode(view, hints);
    } catch (const std::exception&) {
        return {};
    }
}

// gray reduced by a whole factor: each pixel the mean of a factor x factor block.
QImage reduce(const QImage& gray, int factor) {
    const int w = gray.width() / factor, h = gray.height() / factor;
    QImage small(w, h, QImage::Format_Grayscale8);
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

// The corners of a symbol read in rows from top of a copy reduced by scale,
// in full-size pixels.
QPolygonF corners(const ZXing::Position& position, int scale, int top) {
    QPolygonF quad;
    for (const ZXing::PointI& p : position) // pixel centres of the copy
        quad << QPointF((p.x + 0.5) * scale - 0.5, (p.y + top + 0.5) * scale - 0.5);
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

// How far the bars of a 1-D code read along a to b go on in direction (a
// unit vector at right angles to a-b): the distance up to which lines
// parallel to a-b still show the same pattern of bars. The lines may slide
// along a-b by up to a pixel per step, to follow bars that lean.
Reach barsReach(const QImage& gray, QPointF a, QPointF b, QPointF direction, qreal limit) {
    const qreal length = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (length < 2)
        return {};
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
    if (high - low < 32)
        return {};
    const int threshold = (low + high) / 2;
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

// A rectangle given by its centre, its two unit axes and its half extents
// along them (behind and ahead on the second axis).
QPolygonF box(QPointF centre, QPointF first, qreal half, QPointF second, qreal behind,
              qreal ahead) {
    return QPolygonF(
        {centre - first * half - second * behind, centre + first * half - second * behind,
         centre + first * half + second * ahead, centre - first * half + second * ahead});
}

struct SymbolArea {
    QPolygonF outline; // the symbol itself
    QPolygonF blank;   // what to paint over: the symbol and its quiet zone
};

// Where a found symbol lies: its quad squared up along the symbol's own axes,
// and grown by a quiet zone to be painted over. A 1-D code's quad spans only
// the few scan lines that read it, so its area follows its bars across in
// gray (the picture read, at full size).
SymbolArea symbolArea(const QPolygonF& quad, bool linear, const QImage& gray) {
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
    return {box(centre, across, half, bars, downTo, upTo),
            box(centre, across, half + growU, bars, downTo + growV, upTo + growV)};
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

class PassReader {
public:
    PassReader(const QImage& picture, const BarcodeReadOptions& options)
        : m_findsLeft(std::max(0, options.maxFinds)) {
        m_full = picture.convertToFormat(QImage::Format_Grayscale8); // painted over below
        const int longer = std::max(m_full.width(), m_full.height());
        if (options.reducedSide > 0 && longer > options.reducedSide) {
            m_factor = (longer + options.reducedSide - 1) / options.reducedSide;
            m_reduced = reduce(m_full, m_factor);
        }
    }

    QList<FoundCode> run() {
        if (m_full.isNull())
            return {};
        if (!m_reduced.isNull()) {
            readWhole(m_reduced, m_factor);
            sweepRows(m_reduced, m_factor);
        }
        readWhole(m_full, 1);
        if (m_reduced.isNull())
            sweepRows(m_full, 1);
        QList<FoundCode> codes;
        for (const Found& f : std::as_const(m_found))
            codes << f.code;
        sortReadingOrder(codes);
        return codes;
    }

private:
    // Reads image whole, one code at a time, until a read finds nothing.
    void readWhole(const QImage& image, int scale) {
        // At full size after a reduced copy, ZXing need not reduce again.
        const bool tryDownscale = scale > 1 || m_reduced.isNull();
        while (m_findsLeft > 0) {
            const ZXing::Result result = readOne(image, tryDownscale);
            if (!result.isValid() || !take(result, scale, 0))
                return;
        }
    }

    // Reads bands of rows centred on rows spread over image, for the codes
    // that are found only where the middle row crosses them: any such code
    // at least two steps tall, and not taller than a quarter of the
    // picture, lies across the middle row of one band and inside it.
    void sweepRows(const QImage& image, int scale) {
        const int height = image.height();
        const int step = std::max(8, height / 24);
        for (int middle = step / 2; middle < height && m_findsLeft > 0; middle += step) {
            const int half = std::min({height / 4, middle, height - middle});
            if (half < 8)
                continue;
            while (m_findsLeft > 0) {
                const ZXing::Result result =
                    readOne(image, true, kFoundFromTheMiddle, middle - half, 2 * half);
                if (!result.isValid() || !take(result, scale, middle - half))
                    break;
            }
        }
    }

    // Records a result and paints over it; false when there was nothing to
    // paint over, so that reading again would only find it again.
    bool take(const ZXing::Result& result, int scale, int top) {
        --m_findsLeft;
        FoundCode code;
        code.format = ZXing::ToString(result.format());
        code.text = QByteArray::fromStdString(result.text());
        code.text.replace('\0', QByteArray());
        const SymbolArea area =
            symbolArea(corners(result.position(), scale, top), isLinear(result.format()), m_full);
        code.where = area.outline;
        const QRectF bounds = area.blank.boundingRect();
        if (bounds.width() * bounds.height() < 4)
            return false;
        paintWhite(m_full, area.blank);
        if (!m_reduced.isNull()) {
            QTransform toReduced;
            toReduced.scale(1.0 / m_factor, 1.0 / m_factor);
            paintWhite(m_reduced, toReduced.map(area.blank));
        }
        if (!isRepeat(m_found, code))
            m_found.append({code, bounds});
        return true;
    }

    QImage m_full;
    QImage m_reduced; // null when not used
    int m_factor = 1;
    int m_findsLeft;
    QList<Found> m_found;
};

} // namespace

QList<FoundCode> readBarcodes(const QImage& picture, const BarcodeReadOptions& options) {
    if (picture.isNull())
        return {};
    return PassReader(picture, options).run();
}

} // namespace orv::before
