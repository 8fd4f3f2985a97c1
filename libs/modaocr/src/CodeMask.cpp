#include "CodeMask.h"

#include <leptonica/allheaders.h>

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace modaocr {

namespace {

// A page holds few codes; each one found is painted over before the next
// read, so the reads end when none is left.
constexpr int kMostCodes = 8;

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bytes; // row after row, as the decoder reads them

    uint8_t at(int x, int y) const { return bytes[size_t(y) * size_t(width) + size_t(x)]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

struct Point {
    double x, y;
};

// The shade of the paper around an area: the median of the pixels on its
// outline (a code's quiet zone is paper).
uint8_t paperShade(const Picture& picture, const std::vector<Point>& outline) {
    std::vector<uint8_t> shades;
    for (size_t i = 0; i < outline.size(); ++i) {
        const Point a = outline[i], b = outline[(i + 1) % outline.size()];
        const int steps = int(std::hypot(b.x - a.x, b.y - a.y)) + 1;
        for (int s = 0; s < steps; s += 2) {
            const int x = int(std::lround(a.x + (b.x - a.x) * s / steps));
            const int y = int(std::lround(a.y + (b.y - a.y) * s / steps));
            if (picture.inside(x, y))
                shades.push_back(picture.at(x, y));
        }
    }
    if (shades.empty())
        return 255;
    std::nth_element(shades.begin(), shades.begin() + shades.size() / 2, shades.end());
    return shades[shades.size() / 2];
}

// Paints the convex quadrilateral (corners in order) in the picture and the
// page with one shade.
void paint(Picture& picture, Pix* page, const std::vector<Point>& corners) {
    const uint8_t shade = paperShade(picture, corners);
    double minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (const Point& c : corners) {
        minX = std::min(minX, c.x), maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y), maxY = std::max(maxY, c.y);
    }
    // Which side of each edge the inside lies on.
    const auto side = [&](size_t i, double x, double y) {
        const Point a = corners[i], b = corners[(i + 1) % corners.size()];
        return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
    };
    const double orientation = side(0, corners[2].x, corners[2].y) >= 0 ? 1 : -1;
    l_uint32* data = pixGetData(page);
    const int wpl = pixGetWpl(page);
    for (int y = std::max(0, int(minY)); y <= std::min(picture.height - 1, int(maxY) + 1); ++y) {
        l_uint32* line = data + size_t(y) * size_t(wpl);
        for (int x = std::max(0, int(minX)); x <= std::min(picture.width - 1, int(maxX) + 1); ++x) {
            bool in = true;
            for (size_t i = 0; i < corners.size() && in; ++i)
                in = side(i, x, y) * orientation >= 0;
            if (!in)
                continue;
            picture.bytes[size_t(y) * size_t(picture.width) + size_t(x)] = shade;
            SET_DATA_BYTE(line, x, shade);
        }
    }
}

// Dark-light changes along the row through (x0, y0)-(x1, y1), with the
// threshold between the darkest and lightest pixel on it.
int changesAlong(const Picture& picture, Point from, Point to) {
    const int steps = int(std::hypot(to.x - from.x, to.y - from.y));
    if (steps < 2)
        return 0;
    std::vector<uint8_t> row;
    row.reserve(size_t(steps));
    for (int s = 0; s < steps; ++s) {
        const int x = int(std::lround(from.x + (to.x - from.x) * s / steps));
        const int y = int(std::lround(from.y + (to.y - from.y) * s / steps));
        if (!picture.inside(x, y))
            return 0;
        row.push_back(picture.at(x, y));
    }
    const auto [low, high] = std::minmax_element(row.begin(), row.end());
    if (*high - *low < 48)
        return 0;
    const int middle = (*low + *high) / 2;
    int changes = 0;
    for (size_t i = 1; i < row.size(); ++i)
        changes += (row[i] < middle) != (row[i - 1] < middle);
    return changes;
}

// A 1-D code is found on one scan line: its bars run on above and below it
// as far as rows across them keep most of the line's dark-light changes. The
// code may lie turned a little, so the run is followed in pieces along the
// line, each as far as its own bars go.
std::vector<std::vector<Point>> barsAround(const Picture& picture, Point left, Point right) {
    constexpr int kPieces = 8;
    const double length = std::hypot(right.x - left.x, right.y - left.y);
    if (length < 1)
        return {};
    const Point along{(right.x - left.x) / length, (right.y - left.y) / length};
    const Point down{-along.y, along.x};
    const auto at = [&](double s, double by) {
        return Point{left.x + along.x * s + down.x * by, left.y + along.y * s + down.y * by};
    };
    // The quiet zones left and right: a few per cent of the code's length.
    const double side = 0.03 * length + 2;
    std::vector<std::vector<Point>> pieces;
    for (int k = 0; k < kPieces; ++k) {
        const double s0 = length * k / kPieces, s1 = length * (k + 1) / kPieces;
        const int changes = changesAlong(picture, at(s0, 0), at(s1, 0));
        const auto reach = [&](double direction) {
            double by = 0;
            while (
                by < length && changes > 0 &&
                changesAlong(picture, at(s0, (by + 1) * direction), at(s1, (by + 1) * direction)) *
                        2 >=
                    changes)
                by += 1;
            return by + 2;
        };
        const double up = reach(-1), below = reach(1);
        const double a = k == 0 ? s0 - side : s0, b = k == kPieces - 1 ? s1 + side : s1;
        pieces.push_back({at(a, -up), at(b, -up), at(b, below), at(a, below)});
    }
    return pieces;
}

// A 2-D code's corners pushed out by a module or so, for its edge.
std::vector<Point> grown(const std::vector<Point>& corners) {
    Point centre{0, 0};
    for (const Point& c : corners)
        centre.x += c.x / corners.size(), centre.y += c.y / corners.size();
    std::vector<Point> out;
    for (const Point& c : corners) {
        const double dx = c.x - centre.x, dy = c.y - centre.y;
        const double d = std::hypot(dx, dy);
        const double by = d > 0 ? (0.06 * d + 3) / d : 0;
        out.push_back({c.x + dx * by, c.y + dy * by});
    }
    return out;
}

} // namespace

int maskCodes(Pix* gray) {
    if (!gray || pixGetDepth(gray) != 8)
        return 0;
    Picture picture;
    picture.width = pixGetWidth(gray);
    picture.height = pixGetHeight(gray);
    picture.bytes.resize(size_t(picture.width) * size_t(picture.height));
    const l_uint32* data = pixGetData(gray);
    const int wpl = pixGetWpl(gray);
    for (int y = 0; y < picture.height; ++y) {
        const l_uint32* line = data + size_t(y) * size_t(wpl);
        uint8_t* out = picture.bytes.data() + size_t(y) * size_t(picture.width);
        for (int x = 0; x < picture.width; ++x)
            out[x] = uint8_t(GET_DATA_BYTE(line, x));
    }
    ZXing::DecodeHints hints;
    // One code a read: reading several at once can abort the process in
    // this version of the decoder.
    hints.setMaxNumberOfSymbols(1);
    int masked = 0;
    for (; masked < kMostCodes; ++masked) {
        const ZXing::Result code =
            ZXing::ReadBarcode(ZXing::ImageView(picture.bytes.data(), picture.width, picture.height,
                                                ZXing::ImageFormat::Lum),
                               hints);
        if (!code.isValid())
            break;
        const ZXing::Position& p = code.position();
        const std::vector<Point> corners{{double(p.topLeft().x), double(p.topLeft().y)},
                                         {double(p.topRight().x), double(p.topRight().y)},
                                         {double(p.bottomRight().x), double(p.bottomRight().y)},
                                         {double(p.bottomLeft().x), double(p.bottomLeft().y)}};
        const bool linear =
            ZXing::BarcodeFormats(ZXing::BarcodeFormat::LinearCodes).testFlag(code.format());
        if (linear) {
            for (const std::vector<Point>& piece : barsAround(picture, corners[0], corners[1]))
                paint(picture, gray, piece);
        } else {
            paint(picture, gray, grown(corners));
        }
    }
    return masked;
}

} // namespace modaocr
