#include "PageGeometry.h"

#include <QPainter>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace orv::capture {

namespace {

constexpr int kWorkSide = 800;              // the longer side of the picture searched for pages
constexpr double kMaxDocumentShare = 0.97;  // more than this is the whole picture
constexpr double kMinRectangularity = 0.80; // outline area / its bounding rotated rectangle
constexpr double kMaxCornerShift = 20;      // reduced pixels a fitted corner may move
constexpr double kMinContrast = 40;         // paper against desk, in whiteness levels

cv::Mat wrap(const QImage& image) {
    return cv::Mat(image.height(), image.width(), CV_8UC4, const_cast<uchar*>(image.constBits()),
                   size_t(image.bytesPerLine()));
}

QImage rgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ? image
                                                  : image.convertToFormat(QImage::Format_RGB32);
}

// A channel split in two by Otsu's threshold: 255 where the brighter class
// is; false when the classes are too close for anything to stand out.
bool brightClass(const cv::Mat& channel, cv::Mat* mask) {
    cv::threshold(channel, *mask, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    cv::Mat darkMask;
    cv::bitwise_not(*mask, darkMask);
    return cv::mean(channel, *mask)[0] - cv::mean(channel, darkMask)[0] >= kMinContrast;
}

double distance(QPointF a, QPointF b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// Corners sorted as top-left, top-right, bottom-right, bottom-left.
Quad ordered(const std::vector<cv::Point2f>& points) {
    Quad q;
    auto bySum = [](const cv::Point2f& a, const cv::Point2f& b) { return a.x + a.y < b.x + b.y; };
    auto byDiff = [](const cv::Point2f& a, const cv::Point2f& b) { return a.y - a.x < b.y - b.x; };
    const cv::Point2f tl = *std::min_element(points.begin(), points.end(), bySum);
    const cv::Point2f br = *std::max_element(points.begin(), points.end(), bySum);
    const cv::Point2f tr = *std::min_element(points.begin(), points.end(), byDiff);
    const cv::Point2f bl = *std::max_element(points.begin(), points.end(), byDiff);
    q[0] = QPointF(tl.x, tl.y);
    q[1] = QPointF(tr.x, tr.y);
    q[2] = QPointF(br.x, br.y);
    q[3] = QPointF(bl.x, bl.y);
    return q;
}

double quadArea(const Quad& q) {
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        const QPointF& a = q[size_t(i)];
        const QPointF& b = q[size_t((i + 1) % 4)];
        sum += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(sum) / 2;
}

QPointF centreOf(const Quad& q) {
    return (q[0] + q[1] + q[2] + q[3]) / 4;
}

// Corners moved to where the document's sides meet: each side is a line
// fitted to the outline points along its middle part, so rounded corners
// (cards) and the few pixels a polygon approximation shifts do not tilt it.
// The corners stay as they are when a fit fails.
void refineCorners(const std::vector<cv::Point>& outline, std::vector<cv::Point2f>* corners) {
    std::array<cv::Vec4f, 4> lines;
    for (size_t i = 0; i < 4; ++i) {
        const cv::Point2f a = (*corners)[i], b = (*corners)[(i + 1) % 4];
        const cv::Point2f along = b - a;
        const float length = float(cv::norm(along));
        if (length < 8)
            return;
        const cv::Point2f unit = along / length;
        const float reach = std::max(2.0f, length * 0.03f);
        std::vector<cv::Point2f> near;
        for (const cv::Point& p : outline) {
            const cv::Point2f d = cv::Point2f(p) - a;
            const float t = d.dot(unit), off = std::abs(d.x * unit.y - d.y * unit.x);
            if (t > 0.15f * length && t < 0.85f * length && off <= reach)
                near.push_back(cv::Point2f(p));
        }
        if (near.size() < 5)
            return;
        cv::fitLine(near, lines[i], cv::DIST_HUBER, 0, 0.01, 0.01);
    }
    std::vector<cv::Point2f> refined;
    for (size_t i = 0; i < 4; ++i) {
        const cv::Vec4f& l1 = lines[(i + 3) % 4];
        const cv::Vec4f& l2 = lines[i];
        const float cross = l1[0] * l2[1] - l1[1] * l2[0];
        if (std::abs(cross) < 0.2f) // nearly parallel sides: no corner
            return;
        const cv::Point2f p1(l1[2], l1[3]), p2(l2[2], l2[3]);
        const cv::Point2f d = p2 - p1;
        const float t = (d.x * l2[1] - d.y * l2[0]) / cross;
        const cv::Point2f corner = p1 + t * cv::Point2f(l1[0], l1[1]);
        if (cv::norm(corner - (*corners)[i]) > kMaxCornerShift)
            return; // far from where it was: a poor fit
        refined.push_back(corner);
    }
    *corners = refined;
}

// The outline of one bright region as four corners, or false when the region
// is too small, too large or not rectangular enough to be a document.
bool documentQuad(const std::vector<cv::Point>& contour, double pictureArea,
                  std::vector<cv::Point2f>* corners) {
    const double area = cv::contourArea(contour);
    if (area < kMinDocumentShare * pictureArea || area > kMaxDocumentShare * pictureArea)
        return false;
    const cv::RotatedRect box = cv::minAreaRect(contour);
    if (area < kMinRectangularity * double(box.size.area()))
        return false;
    std::vector<cv::Point> hull, approx;
    cv::convexHull(contour, hull);
    cv::approxPolyDP(hull, approx, 0.02 * cv::arcLength(hull, true), true);
    corners->clear();
    if (approx.size() == 4 && cv::isContourConvex(approx)) {
        for (const cv::Point& p : approx)
            corners->emplace_back(float(p.x), float(p.y));
        refineCorners(contour, corners);
    } else {
        cv::Point2f points[4];
        box.points(points);
        corners->assign(points, points + 4);
    }
    return true;
}

// Documents in one mask of the reduced picture, largest first, in picture
// pixels.
QList<Quad> documentsIn(cv::Mat& mask, double scale) {
    const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5));
    cv::morphologyEx(mask, mask, cv::MORPH_OPEN, kernel);
    cv::morphologyEx(mask, mask, cv::MORPH_CLOSE, kernel, cv::Point(-1, -1), 2);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(mask, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    const double pictureArea = double(mask.cols) * mask.rows;
    QList<Quad> found;
    std::vector<cv::Point2f> corners;
    for (const auto& contour : contours) {
        if (!documentQuad(contour, pictureArea, &corners))
            continue;
        for (cv::Point2f& p : corners) // small pixel centres to picture pixel centres
            p = cv::Point2f(float((p.x + 0.5) / scale - 0.5), float((p.y + 0.5) / scale - 0.5));
        found << ordered(corners);
    }
    std::sort(found.begin(), found.end(),
              [](const Quad& a, const Quad& b) { return quadArea(a) > quadArea(b); });
    return found;
}

} // namespace

// Two ways to tell a document from the desk: how white a pixel is (the
// smallest of its channels: paper is high in all three, wood and cloth are
// low in one) and how bright (the largest: a card with a coloured band on a
// dark mat is bright all over, though not white). Each gives its documents;
// the way whose largest document is larger wins, since either way only finds
// regions that are nearly rectangular and do not fill the picture.
QList<Quad> findDocuments(const QImage& picture) {
    if (picture.width() < 16 || picture.height() < 16)
        return {};
    const QImage source = rgb32(picture);
    const double scale =
        std::min(1.0, double(kWorkSide) / std::max(source.width(), source.height()));
    cv::Mat small;
    cv::resize(wrap(source), small, cv::Size(), scale, scale, cv::INTER_AREA);
    std::vector<cv::Mat> channels;
    cv::split(small, channels);
    cv::Mat white, bright;
    cv::min(channels[0], channels[1], white);
    cv::min(white, channels[2], white);
    cv::max(channels[0], channels[1], bright);
    cv::max(bright, channels[2], bright);

    QList<Quad> best;
    for (cv::Mat* channel : {&white, &bright}) {
        cv::GaussianBlur(*channel, *channel, cv::Size(5, 5), 0);
        cv::Mat mask;
        if (!brightClass(*channel, &mask))
            continue;
        const QList<Quad> found = documentsIn(mask, scale);
        if (!found.isEmpty() &&
            (best.isEmpty() || quadArea(found.constFirst()) > quadArea(best.constFirst())))
            best = found;
    }
    return best;
}

Quad enclosingQuad(const QList<Quad>& quads) {
    std::vector<cv::Point2f> points;
    for (const Quad& q : quads)
        for (const QPointF& p : q)
            points.emplace_back(float(p.x()), float(p.y()));
    if (points.empty())
        return {};
    cv::Point2f corners[4];
    cv::minAreaRect(points).points(corners);
    return ordered(std::vector<cv::Point2f>(corners, corners + 4));
}

QList<Quad> readingOrder(QList<Quad> quads) {
    // Two documents share a row when their centres are closer in height than
    // half the smaller one is tall.
    auto height = [](const Quad& q) { return (distance(q[0], q[3]) + distance(q[1], q[2])) / 2; };
    std::sort(quads.begin(), quads.end(), [&](const Quad& a, const Quad& b) {
        const QPointF ca = centreOf(a), cb = centreOf(b);
        const double sameRow = std::min(height(a), height(b)) / 2;
        if (std::abs(ca.y() - cb.y()) > sameRow)
            return ca.y() < cb.y();
        return ca.x() < cb.x();
    });
    return quads;
}

QImage liftDocument(const QImage& picture, const Quad& quad) {
    const QImage source = rgb32(picture);
    const int width =
        int(std::lround((distance(quad[0], quad[1]) + distance(quad[3], quad[2])) / 2));
    const int height =
        int(std::lround((distance(quad[0], quad[3]) + distance(quad[1], quad[2])) / 2));
    if (width < 2 || height < 2)
        return {};
    const cv::Point2f from[4] = {{float(quad[0].x()), float(quad[0].y())},
                                 {float(quad[1].x()), float(quad[1].y())},
                                 {float(quad[2].x()), float(quad[2].y())},
                                 {float(quad[3].x()), float(quad[3].y())}};
    const cv::Point2f to[4] = {{0, 0},
                               {float(width - 1), 0},
                               {float(width - 1), float(height - 1)},
                               {0, float(height - 1)}};
    const cv::Mat transform = cv::getPerspectiveTransform(from, to);
    QImage out(width, height, QImage::Format_RGB32);
    if (out.isNull())
        return {};
    cv::Mat target = wrap(out);
    cv::warpPerspective(wrap(source), target, transform, target.size(), cv::INTER_LINEAR,
                        cv::BORDER_REPLICATE);
    // The outline was found on a reduced picture: trim the desk that its edge
    // may still show.
    const int trim = std::clamp(std::max(source.width(), source.height()) / kWorkSide + 1, 1,
                                std::min(width, height) / 8);
    return out.copy(trim, trim, width - 2 * trim, height - 2 * trim);
}

int findGutter(const QImage& picture) {
    const int width = picture.width();
    const int middle = std::max(1, width / 2);
    if (width < 8 || picture.height() < 8)
        return middle;
    const QImage source = rgb32(picture);
    const double scale = std::min(1.0, double(kWorkSide) / width);
    cv::Mat small, gray;
    cv::resize(wrap(source), small, cv::Size(), scale, scale, cv::INTER_AREA);
    cv::cvtColor(small, gray, cv::COLOR_BGRA2GRAY);

    // Column brightness in the upper and the lower half of the middle 80% of
    // the rows: a fold runs through both, a picture or a code on one page
    // darkens only one of them.
    const int top = gray.rows / 10, bottom = gray.rows - gray.rows / 10, half = (top + bottom) / 2;
    cv::Mat upper, lower;
    cv::reduce(gray.rowRange(top, half), upper, 0, cv::REDUCE_AVG, CV_32F);
    cv::reduce(gray.rowRange(half, bottom), lower, 0, cv::REDUCE_AVG, CV_32F);
    cv::Mat profile;
    cv::max(upper, lower, profile);
    const int smooth = std::max(3, gray.cols / 100) | 1;
    cv::blur(profile, profile, cv::Size(smooth, 1), cv::Point(-1, -1), cv::BORDER_REPLICATE);

    const int from = int(gray.cols * 0.3), to = int(gray.cols * 0.7);
    if (to - from < 3)
        return middle;
    std::vector<float> band(profile.ptr<float>(0) + from, profile.ptr<float>(0) + to);
    const auto darkest = std::min_element(band.begin(), band.end());
    const int at = from + int(darkest - band.begin());
    const float lowest = *darkest;
    std::nth_element(band.begin(), band.begin() + band.size() / 2, band.end());
    const float typical = band[band.size() / 2];
    if (typical - lowest < std::max(25.0f, 0.15f * typical))
        return middle; // nothing stands out
    return std::clamp(int(std::lround((at + 0.5) / scale)), 1, width - 1);
}

QImage stackVertically(const QImage& first, const QImage& second) {
    const int width = std::max(first.width(), second.width());
    const int gap = std::max(8, width / 40);
    QImage sheet(width, first.height() + gap + second.height(), QImage::Format_RGB32);
    if (sheet.isNull())
        return {};
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.drawImage((width - first.width()) / 2, 0, first);
    p.drawImage((width - second.width()) / 2, first.height() + gap, second);
    p.end();
    return sheet;
}

} // namespace orv::capture
