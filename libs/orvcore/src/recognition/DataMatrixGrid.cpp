#include "DataMatrixGrid.h"

#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
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
    for (qsizetype i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], points[i]) <= 0)
            --k;
        h[k++] = points[i];
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

// Dark blobs of reduced in area that could be symbols, as outlines in
// full-size pixels: dark pixels grown by radius, joined when they touch.
QList<QPolygonF> blobs(const QImage& reduced, int factor, const QRect& area, int radius) {
    const int threshold = otsu(reduced, area);
    if (threshold < 0)
        return {};
    const int w = area.width(), h = area.height();
    std::vector<uchar> dark(size_t(w) * size_t(h), 0), grown(dark.size(), 0);
    for (int y = 0; y < h; ++y) {
        const uchar* row = reduced.constScanLine(area.top() + y) + area.left();
        for (int x = 0; x < w; ++x)
            dark[size_t(y) * size_t(w) + size_t(x)] = row[x] < threshold;
    }
    // Grown by a square of 2 radius + 1: along rows, then along columns.
    std::vector<uchar> wide(dark.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uchar any = 0;
            for (int dx = std::max(0, x - radius); dx <= std::min(w - 1, x + radius) && !any; ++dx)
                any = dark[size_t(y) * size_t(w) + size_t(dx)];
            wide[size_t(y) * size_t(w) + size_t(x)] = any;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uchar any = 0;
            for (int dy = std::max(0, y - radius); dy <= std::min(h - 1, y + radius) && !any; ++dy)
                any = wide[size_t(dy) * size_t(w) + size_t(x)];
            grown[size_t(y) * size_t(w) + size_t(x)] = any;
        }
    QList<QPolygonF> found;
    std::vector<int> stack;
    std::vector<int> rowMin(static_cast<size_t>(h)), rowMax(static_cast<size_t>(h));
    for (size_t start = 0; start < grown.size(); ++start) {
        if (grown[start] != 1)
            continue;
        std::fill(rowMin.begin(), rowMin.end(), w);
        std::fill(rowMax.begin(), rowMax.end(), -1);
        int minX = w, maxX = -1, minY = h, maxY = -1;
        long count = 0, ink = 0;
        grown[start] = 2;
        stack.push_back(int(start));
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            const int x = i % w, y = i / w;
            ++count;
            ink += dark[size_t(i)];
            rowMin[size_t(y)] = std::min(rowMin[size_t(y)], x);
            rowMax[size_t(y)] = std::max(rowMax[size_t(y)], x);
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                        continue;
                    const size_t n = size_t(ny) * size_t(w) + size_t(nx);
                    if (grown[n] == 1) {
                        grown[n] = 2;
                        stack.push_back(int(n));
                    }
                }
        }
        const int bw = maxX - minX + 1, bh = maxY - minY + 1;
        const int small = 40 / factor + 2 * radius, large = 400 / factor;
        if (bw < small || bh < small || bw > large || bh > large ||
            std::max(bw, bh) > 4 * std::min(bw, bh))
            continue;
        // A symbol grown is nearly solid, about half of it ink; a word of
        // text is neither.
        const long box = long(bw) * bh;
        if (count * 10 < box * 6 || ink * 10 < count * 3 || ink * 10 > count * 8)
            continue;
        QList<QPointF> edge;
        for (int y = minY; y <= maxY; ++y) {
            if (rowMax[size_t(y)] < 0)
                continue;
            for (const int x : {rowMin[size_t(y)], rowMax[size_t(y)]})
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

} // namespace

QList<GridRendering> dataMatrixGrids(const QImage& gray, const QImage& reduced, int factor,
                                     const QRect& area) {
    const QRect inReduced = QRect(area.topLeft() / factor, area.size() / factor) & reduced.rect();
    QList<GridRendering> found;
    if (inReduced.width() < 8 || inReduced.height() < 8 || gray.width() < 2 || gray.height() < 2)
        return found;
    QList<QRectF> done;
    for (const int radius : {1, 2}) {
        for (const QPolygonF& quad : blobs(reduced, factor, inReduced, radius)) {
            const QRectF box = quad.boundingRect();
            if (std::any_of(done.begin(), done.end(),
                            [&](const QRectF& d) { return d.contains(box.center()); }))
                continue;
            const QRect around =
                box.adjusted(-box.width() / 8, -box.height() / 8, box.width() / 8, box.height() / 8)
                    .toAlignedRect() &
                gray.rect();
            const int threshold = otsu(gray, around);
            if (threshold < 0)
                continue;
            const Grid g = fitGrid(gray, threshold, quad);
            if (g.fit < kGoodFit)
                continue;
            done << box;
            found.append({render(gray, threshold, g), g.corners()});
        }
    }
    return found;
}

} // namespace orv
