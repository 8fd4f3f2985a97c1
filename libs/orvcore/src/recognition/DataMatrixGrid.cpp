#include "DataMatrixGrid.h"

#include <QTransform>
#include <QtAlgorithms>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace orv {

namespace {

struct GridSize {
    int rows, cols;
};

// Every Data Matrix size (ECC 200), rows by columns.
constexpr GridSize kSizes[] = {{10, 10}, {12, 12}, {14, 14},   {16, 16},   {18, 18},   {20, 20},
                               {22, 22}, {24, 24}, {26, 26},   {32, 32},   {36, 36},   {40, 40},
                               {44, 44}, {48, 48}, {52, 52},   {64, 64},   {72, 72},   {80, 80},
                               {88, 88}, {96, 96}, {104, 104}, {120, 120}, {132, 132}, {144, 144},
                               {8, 18},  {8, 32},  {12, 26},   {12, 36},   {16, 36},   {16, 48}};

constexpr int kQuiet = 3, kModule = 6; // the rendering's quiet zone in modules, pixels a module
constexpr double kGoodFit = 0.86;      // share of the border's modules as they should be

// Otsu's threshold of the pixels of gray in area, or -1 when they are too
// even to hold a symbol.
int otsu(const QImage& gray, const QRect& area) {
    std::array<long, 256> histogram{};
    long total = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            ++histogram[row[x]];
        total += area.width();
    }
    if (total == 0)
        return -1;
    int low = 0, high = 255;
    while (low < 255 && histogram[size_t(low)] * 200 < total / 256)
        ++low;
    while (high > 0 && histogram[size_t(high)] * 200 < total / 256)
        --high;
    if (high - low < 24)
        return -1;
    double sum = 0;
    for (int i = 0; i < 256; ++i)
        sum += double(i) * double(histogram[size_t(i)]);
    double below = 0, weightBelow = 0, best = -1;
    int threshold = -1;
    for (int t = 0; t < 255; ++t) {
        weightBelow += double(histogram[size_t(t)]);
        below += double(t) * double(histogram[size_t(t)]);
        const double weightAbove = double(total) - weightBelow;
        if (weightBelow <= 0 || weightAbove <= 0)
            continue;
        const double a = below / weightBelow, b = (sum - below) / weightAbove;
        const double between = weightBelow * weightAbove * (a - b) * (a - b);
        if (between > best) {
            best = between;
            threshold = t + 1;
        }
    }
    return threshold;
}

double cross(QPointF o, QPointF a, QPointF b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

// The convex hull of points (monotone chain), counter-clockwise.
QList<QPointF> hull(QList<QPointF> points) {
    std::sort(points.begin(), points.end(), [](QPointF a, QPointF b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    if (points.size() < 3)
        return points;
    QList<QPointF> h(2 * points.size());
    qsizetype k = 0;
    for (const QPointF& point : std::as_const(points)) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], point) <= 0)
            --k;
        h[k++] = point;
    }
    for (qsizetype i = points.size() - 2, t = k + 1; i >= 0; --i) {
        while (k >= t && cross(h[k - 2], h[k - 1], points[i]) <= 0)
            --k;
        h[k++] = points[i];
    }
    h.resize(k - 1);
    return h;
}

// Four corners of a convex outline, in order around it: the two farthest
// apart, and on each side of the line through them the one farthest from it.
QPolygonF quadOf(const QList<QPointF>& outline) {
    if (outline.size() < 4)
        return {};
    qsizetype a = 0, c = 0;
    double far = -1;
    for (qsizetype i = 0; i < outline.size(); ++i)
        for (qsizetype j = i + 1; j < outline.size(); ++j) {
            const QPointF d = outline[i] - outline[j];
            const double d2 = QPointF::dotProduct(d, d);
            if (d2 > far) {
                far = d2;
                a = i;
                c = j;
            }
        }
    qsizetype b = -1, d = -1;
    double left = 0, right = 0;
    for (qsizetype i = 0; i < outline.size(); ++i) {
        const double side = cross(outline[a], outline[c], outline[i]);
        if (side > left) {
            left = side;
            b = i;
        } else if (side < right) {
            right = side;
            d = i;
        }
    }
    if (b < 0 || d < 0)
        return {};
    return QPolygonF({outline[a], outline[b], outline[c], outline[d]});
}

// Bilinear sample of gray at p (pixel centres at whole coordinates).
int sample(const QImage& gray, QPointF p) {
    const double x = std::clamp(p.x(), 0.0, double(gray.width() - 1));
    const double y = std::clamp(p.y(), 0.0, double(gray.height() - 1));
    const int x0 = std::min(int(x), gray.width() - 2), y0 = std::min(int(y), gray.height() - 2);
    const double fx = x - x0, fy = y - y0;
    const uchar* r0 = gray.constScanLine(y0);
    const uchar* r1 = gray.constScanLine(y0 + 1);
    const double top = r0[x0] + (r0[x0 + 1] - r0[x0]) * fx;
    const double bottom = r1[x0] + (r1[x0 + 1] - r1[x0]) * fx;
    return int(top + (bottom - top) * fy);
}

// A grid laid on a four-sided outline: its size and which corner of the
// outline is the symbol's top left (the L's far end), going either way round.
struct Grid {
    GridSize size{};
    int turn = 0; // 0..7: corner of the outline at the top left, +4 when mirrored
    QPolygonF quad;
    double fit = 0;

    // The outline's corners as the symbol's top left, top right, bottom
    // right and bottom left.
    QPolygonF corners() const {
        QPolygonF c;
        for (int j = 0; j < 4; ++j)
            c << quad.value(turn < 4 ? (turn + j) % 4 : (turn - j + 8) % 4);
        return c;
    }
    bool transform(QTransform* t) const {
        const QPolygonF unit({QPointF(0, 0), QPointF(1, 0), QPointF(1, 1), QPointF(0, 1)});
        return QTransform::quadToQuad(unit, corners(), *t);
    }
};

bool darkAt(const QImage& gray, int threshold, const QTransform& t, const GridSize& s, int r,
            int c) {
    return sample(gray, t.map(QPointF((c + 0.5) / s.cols, (r + 0.5) / s.rows))) < threshold;
}

// Share of the border's modules that are as a symbol's: the left column and
// the bottom row dark, the top row and the right column alternating.
double borderFit(const QImage& gray, int threshold, const Grid& g) {
    QTransform t;
    if (!g.transform(&t))
        return 0;
    const GridSize& s = g.size;
    int good = 0, all = 0;
    const auto check = [&](int r, int c, bool dark) {
        good += darkAt(gray, threshold, t, s, r, c) == dark;
        ++all;
    };
    for (int c = 0; c < s.cols; ++c) {
        check(0, c, c % 2 == 0);
        check(s.rows - 1, c, true);
    }
    for (int r = 1; r < s.rows - 1; ++r) {
        check(r, 0, true);
        check(r, s.cols - 1, (s.rows - 1 - r) % 2 == 0);
    }
    return double(good) / all;
}

double length(QPointF d) {
    return std::hypot(d.x(), d.y());
}

// Moves the grid's corners in shrinking steps while its border fits better.
void refine(const QImage& gray, int threshold, Grid& g) {
    const double side = std::min(length(g.quad[1] - g.quad[0]), length(g.quad[2] - g.quad[1]));
    double step = side / std::max(g.size.rows, g.size.cols) / 2;
    static const QPointF kMoves[] = {{1, 0}, {-1, 0}, {0, 1},  {0, -1},
                                     {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    for (int rounds = 0; rounds < 60 && step >= 0.3; ++rounds) {
        bool better = false;
        for (int corner = 0; corner < 4; ++corner)
            for (const QPointF& move : kMoves) {
                Grid tried = g;
                tried.quad[corner] += move * step;
                tried.fit = borderFit(gray, threshold, tried);
                if (tried.fit > g.fit) {
                    g = tried;
                    better = true;
                }
            }
        if (!better)
            step /= 2;
    }
}

// The best grid on quad of the sizes its sides allow, or one with no fit.
Grid fitGrid(const QImage& gray, int threshold, const QPolygonF& quad) {
    const double a = (length(quad[1] - quad[0]) + length(quad[3] - quad[2])) / 2;
    const double b = (length(quad[2] - quad[1]) + length(quad[0] - quad[3])) / 2;
    QList<Grid> tried;
    for (const GridSize& s : kSizes) {
        for (int turn = 0; turn < 8; ++turn) {
            Grid g{s, turn, quad, 0};
            // Which of the outline's sides the rows run along.
            const bool rowsAlongA = (turn % 2 == 0);
            const double along = rowsAlongA ? a : b, across = rowsAlongA ? b : a;
            const double ratio = (along / s.cols) / (across / s.rows);
            if (ratio < 0.6 || ratio > 1.66 || along / s.cols < 1.4)
                continue;
            g.fit = borderFit(gray, threshold, g);
            tried << g;
        }
    }
    std::sort(tried.begin(), tried.end(),
              [](const Grid& x, const Grid& y) { return x.fit > y.fit; });
    Grid best;
    for (qsizetype i = 0; i < std::min<qsizetype>(3, tried.size()); ++i) {
        Grid g = tried[i];
        if (g.fit < 0.75)
            break;
        refine(gray, threshold, g);
        if (g.fit > best.fit)
            best = g;
    }
    return best;
}

QImage draw(const std::vector<uchar>& dark, const GridSize& s) {
    QImage out((s.cols + 2 * kQuiet) * kModule, (s.rows + 2 * kQuiet) * kModule,
               QImage::Format_Grayscale8);
    out.fill(255);
    for (int r = 0; r < s.rows; ++r)
        for (int c = 0; c < s.cols; ++c) {
            if (!dark[size_t(r) * size_t(s.cols) + size_t(c)])
                continue;
            for (int y = 0; y < kModule; ++y)
                std::fill_n(out.scanLine((r + kQuiet) * kModule + y) + (c + kQuiet) * kModule,
                            kModule, uchar(0));
        }
    return out;
}

// The grid's modules drawn clean, as told dark by threshold, then by the
// mean of the modules around each (and threshold).
QList<QImage> render(const QImage& gray, int threshold, const Grid& g) {
    QTransform t;
    g.transform(&t);
    const GridSize& s = g.size;
    std::vector<int> value(size_t(s.rows) * size_t(s.cols));
    for (int r = 0; r < s.rows; ++r)
        for (int c = 0; c < s.cols; ++c)
            value[size_t(r) * size_t(s.cols) + size_t(c)] =
                sample(gray, t.map(QPointF((c + 0.5) / s.cols, (r + 0.5) / s.rows)));
    std::vector<uchar> global(value.size()), local(value.size());
    constexpr int kAround = 2; // modules each way
    for (int r = 0; r < s.rows; ++r)
        for (int c = 0; c < s.cols; ++c) {
            int sum = 0, n = 0;
            for (int y = std::max(0, r - kAround); y <= std::min(s.rows - 1, r + kAround); ++y)
                for (int x = std::max(0, c - kAround); x <= std::min(s.cols - 1, c + kAround);
                     ++x, ++n)
                    sum += value[size_t(y) * size_t(s.cols) + size_t(x)];
            const size_t i = size_t(r) * size_t(s.cols) + size_t(c);
            global[i] = value[i] < threshold;
            local[i] = 2 * value[i] < sum / n + threshold;
        }
    return {draw(global, s), draw(local, s)};
}

// A picture's dark pixels as bits, 64 to a word, a row starting on a word.
struct BitRows {
    int width = 0, height = 0, words = 0;
    std::vector<quint64> bits;

    BitRows(int w, int h)
        : width(w), height(h), words((w + 63) / 64), bits(size_t(words) * size_t(h), 0) {}
    quint64* row(int y) { return bits.data() + size_t(y) * size_t(words); }
    const quint64* row(int y) const { return bits.data() + size_t(y) * size_t(words); }
    // Set bits of row y from x0 to x1, both included.
    int count(int y, int x0, int x1) const {
        const quint64* r = row(y);
        int n = 0;
        for (int word = x0 / 64; word <= x1 / 64; ++word) {
            quint64 mask = ~quint64(0);
            if (word == x0 / 64)
                mask &= ~quint64(0) << (x0 % 64);
            if (word == x1 / 64 && x1 % 64 != 63)
                mask &= (quint64(1) << (x1 % 64 + 1)) - 1;
            n += qPopulationCount(r[word] & mask);
        }
        return n;
    }
};

// Whether the dark pixels from (x0, y0) to (x1, y1) are the bars of a 1-D
// code: lines across them change between dark and light many times more
// often one way than the other (or hardly at all, for bars run together),
// where a 2-D symbol's change about as often both ways.
bool isBars(const BitRows& dark, int x0, int y0, int x1, int y1) {
    const auto at = [&](int x, int y) { return (dark.row(y)[x / 64] >> (x % 64)) & 1; };
    int along = 0, down = 0;
    for (int i = 1; i <= 3; ++i) {
        const int y = y0 + (y1 - y0) * i / 4, x = x0 + (x1 - x0) * i / 4;
        for (int u = x0 + 1; u <= x1; ++u)
            along += at(u, y) != at(u - 1, y);
        for (int v = y0 + 1; v <= y1; ++v)
            down += at(x, v) != at(x, v - 1);
    }
    return std::min(along, down) < 6 || 5 * std::min(along, down) < std::max(along, down);
}

// bits grown by a square of 2 radius + 1: along rows, then along columns.
BitRows grow(const BitRows& bits, int radius) {
    BitRows wide(bits.width, bits.height), out(bits.width, bits.height);
    const int n = bits.words;
    for (int y = 0; y < bits.height; ++y) {
        const quint64* in = bits.row(y);
        quint64* o = wide.row(y);
        for (int i = 0; i < n; ++i) {
            quint64 v = in[i];
            for (int k = 1; k <= radius; ++k) {
                v |= in[i] << k | in[i] >> k;
                if (i > 0)
                    v |= in[i - 1] >> (64 - k);
                if (i + 1 < n)
                    v |= in[i + 1] << (64 - k);
            }
            o[i] = v;
        }
        if (bits.width % 64) // nothing past the row's end
            o[n - 1] &= (quint64(1) << (bits.width % 64)) - 1;
    }
    for (int y = 0; y < bits.height; ++y) {
        quint64* o = out.row(y);
        for (int dy = std::max(0, y - radius); dy <= std::min(bits.height - 1, y + radius); ++dy) {
            const quint64* in = wide.row(dy);
            for (int i = 0; i < n; ++i)
                o[i] |= in[i];
        }
    }
    return out;
}

struct Run {
    int y, x0, x1; // x0 to x1 included
};

// The runs of set bits of each row, row by row; first[y] the index of row
// y's first run (first[height] = all of them).
std::vector<Run> runsOf(const BitRows& bits, std::vector<int>* first) {
    std::vector<Run> runs;
    first->assign(size_t(bits.height) + 1, 0);
    for (int y = 0; y < bits.height; ++y) {
        (*first)[size_t(y)] = int(runs.size());
        const quint64* r = bits.row(y);
        int x = 0;
        while (x < bits.width) {
            // The next set bit from x, then the next clear one.
            int word = x / 64;
            quint64 v = r[word] & (~quint64(0) << (x % 64));
            while (!v && ++word < bits.words)
                v = r[word];
            if (!v)
                break;
            const int start = word * 64 + int(qCountTrailingZeroBits(v));
            v = ~r[word] & (~quint64(0) << (start % 64));
            while (!v && ++word < bits.words)
                v = ~r[word];
            const int end =
                v ? std::min(bits.width, word * 64 + int(qCountTrailingZeroBits(v))) : bits.width;
            runs.push_back({y, start, end - 1});
            x = end;
        }
    }
    (*first)[size_t(bits.height)] = int(runs.size());
    return runs;
}

int rootOf(std::vector<int>& parent, int i) {
    while (parent[size_t(i)] != i)
        i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
    return i;
}

// Dark blobs of reduced in area that could be symbols, as outlines in
// full-size pixels: dark pixels grown by radius, joined when they touch.
QList<QPolygonF> blobs(int factor, const QRect& area, const BitRows& dark, int radius) {
    const BitRows grown = grow(dark, radius);
    std::vector<int> first;
    const std::vector<Run> runs = runsOf(grown, &first);
    // Runs joined when they touch at a side or a corner, row to row.
    std::vector<int> parent(runs.size());
    for (size_t i = 0; i < runs.size(); ++i)
        parent[i] = int(i);
    for (int y = 1; y < grown.height; ++y) {
        int above = first[size_t(y - 1)];
        for (int i = first[size_t(y)]; i < first[size_t(y) + 1]; ++i) {
            const Run& r = runs[size_t(i)];
            while (above < first[size_t(y)] && runs[size_t(above)].x1 < r.x0 - 1)
                ++above;
            for (int j = above; j < first[size_t(y)] && runs[size_t(j)].x0 <= r.x1 + 1; ++j) {
                const int a = rootOf(parent, i), b = rootOf(parent, j);
                parent[size_t(std::max(a, b))] = std::min(a, b);
            }
        }
    }
    // Each blob's runs, in row order: sorted by blob, then as found.
    std::vector<int> order(runs.size());
    for (size_t i = 0; i < runs.size(); ++i)
        order[i] = int(i);
    std::vector<int> blobOf(runs.size());
    for (size_t i = 0; i < runs.size(); ++i)
        blobOf[i] = rootOf(parent, int(i));
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return blobOf[size_t(a)] < blobOf[size_t(b)]; });
    QList<QPolygonF> found;
    for (size_t begin = 0; begin < order.size();) {
        size_t end = begin;
        int minX = grown.width, maxX = -1;
        long count = 0;
        while (end < order.size() && blobOf[size_t(order[end])] == blobOf[size_t(order[begin])]) {
            const Run& r = runs[size_t(order[end])];
            minX = std::min(minX, r.x0), maxX = std::max(maxX, r.x1);
            count += r.x1 - r.x0 + 1;
            ++end;
        }
        const int minY = runs[size_t(order[begin])].y, maxY = runs[size_t(order[end - 1])].y;
        const size_t blobBegin = begin;
        begin = end;
        const int bw = maxX - minX + 1, bh = maxY - minY + 1;
        const int small = 40 / factor + 2 * radius, large = 400 / factor;
        if (bw < small || bh < small || bw > large || bh > large ||
            std::max(bw, bh) > 4 * std::min(bw, bh))
            continue;
        // A symbol grown is nearly solid, about half of it ink; a word of
        // text is neither.
        const long box = long(bw) * bh;
        if (count * 10 < box * 6)
            continue;
        long ink = 0;
        for (size_t k = blobBegin; k < end; ++k) {
            const Run& r = runs[size_t(order[k])];
            ink += dark.count(r.y, r.x0, r.x1);
        }
        if (ink * 10 < count * 3 || ink * 10 > count * 8)
            continue;
        if (isBars(dark, minX, minY, maxX, maxY))
            continue;
        QList<QPointF> edge;
        for (size_t k = blobBegin; k < end;) {
            const int y = runs[size_t(order[k])].y;
            int left = grown.width, right = -1;
            for (; k < end && runs[size_t(order[k])].y == y; ++k) {
                left = std::min(left, runs[size_t(order[k])].x0);
                right = std::max(right, runs[size_t(order[k])].x1);
            }
            for (const int x : {left, right})
                edge << QPointF((area.left() + x + 0.5) * factor - 0.5,
                                (area.top() + y + 0.5) * factor - 0.5);
        }
        QPolygonF quad = quadOf(hull(edge));
        if (quad.size() != 4)
            continue;
        // Take back what growing added: the corners in towards the middle.
        const QPointF middle = (quad[0] + quad[1] + quad[2] + quad[3]) / 4;
        for (QPointF& corner : quad) {
            const QPointF in = middle - corner;
            corner += in * (std::min(0.3, radius * factor * 1.2 / std::max(1.0, length(in))));
        }
        found << quad;
    }
    return found;
}

// The pixels of reduced in area darker than threshold.
BitRows darkBits(const QImage& reduced, const QRect& area, int threshold) {
    BitRows dark(area.width(), area.height());
    for (int y = 0; y < area.height(); ++y) {
        const uchar* row = reduced.constScanLine(area.top() + y) + area.left();
        quint64* bits = dark.row(y);
        for (int x = 0; x < area.width(); ++x)
            bits[x / 64] |= quint64(row[x] < threshold) << (x % 64);
    }
    return dark;
}

} // namespace

GridSearch dataMatrixGrids(const QImage& gray, const QImage& reduced, int factor, const QRect& area,
                           QList<QRectF>* fitted) {
    const QRect inReduced = QRect(area.topLeft() / factor, area.size() / factor) & reduced.rect();
    GridSearch found;
    if (inReduced.width() < 8 || inReduced.height() < 8 || gray.width() < 2 || gray.height() < 2)
        return found;
    const int darkBelow = otsu(reduced, inReduced);
    if (darkBelow < 0)
        return found;
    const BitRows dark = darkBits(reduced, inReduced, darkBelow);
    for (const int radius : {1, 2}) {
        for (const QPolygonF& quad : blobs(factor, inReduced, dark, radius)) {
            const QRectF box = quad.boundingRect();
            if (std::any_of(found.blobs.begin(), found.blobs.end(), [&](const QPolygonF& b) {
                    return b.boundingRect().contains(box.center());
                }))
                continue;
            found.blobs << quad;
            // A symbol that a grid could be fitted to is fitted once.
            if (fitted) {
                if (std::any_of(fitted->begin(), fitted->end(),
                                [&](const QRectF& b) { return b.contains(box.center()); }))
                    continue;
                *fitted << box;
            }
            const QRect around =
                box.adjusted(-box.width() / 8, -box.height() / 8, box.width() / 8, box.height() / 8)
                    .toAlignedRect() &
                gray.rect();
            const int threshold = otsu(gray, around);
            if (threshold < 0)
                continue;
            const Grid g = fitGrid(gray, threshold, quad);
            if (g.fit >= kGoodFit)
                found.grids.append({render(gray, threshold, g), g.corners()});
        }
    }
    return found;
}

} // namespace orv
