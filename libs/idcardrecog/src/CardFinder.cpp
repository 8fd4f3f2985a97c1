#include "CardFinder.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace idcardrecog {

namespace {

constexpr double kCardRatio = 85.6 / 54.0;

// Width to height within about 3.5% of a card's: a camera looking down
// keeps that much, while A4 and A5 (1.414), Letter (1.294), a 4:3 or 16:9
// picture and a Legal page (1.647) stay out.
bool cardShaped(double w, double h) {
    const double ratio = std::max(w, h) / std::max(1.0, std::min(w, h));
    return std::abs(ratio - kCardRatio) < 0.055;
}

// The corners ordered top-left, top-right, bottom-right, bottom-left with the
// long side across.
std::vector<cv::Point2f> ordered(const cv::RotatedRect& r) {
    cv::Point2f p[4];
    r.points(p);
    std::vector<cv::Point2f> pts(p, p + 4);
    const cv::Point2f c = r.center;
    std::sort(pts.begin(), pts.end(), [c](const cv::Point2f& a, const cv::Point2f& b) {
        return std::atan2(a.y - c.y, a.x - c.x) < std::atan2(b.y - c.y, b.x - c.x);
    });
    // Angles from -pi: the first point lies left of the centre, near the top.
    // Rotate so the first is the one with the smallest x + y (top-left).
    const auto tl = std::min_element(pts.begin(), pts.end(),
                                     [](auto& a, auto& b) { return a.x + a.y < b.x + b.y; });
    std::rotate(pts.begin(), tl, pts.end());
    // A card standing upright: its long side runs down; turn it across.
    if (cv::norm(pts[1] - pts[0]) < cv::norm(pts[3] - pts[0]))
        std::rotate(pts.begin(), pts.begin() + 3, pts.end());
    return pts;
}

// Each pixel's brightest channel: black print stays dark, coloured print
// (blue, red) and the pale background become light.
QImage blackPrint(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QImage out(rgb.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* line = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            line[x] = uchar(std::max({qRed(in[x]), qGreen(in[x]), qBlue(in[x])}));
    }
    return out;
}

} // namespace

QList<QImage> findCards(const QImage& picture) {
    QList<QImage> cards;
    if (picture.isNull())
        return cards;
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat src(grey.height(), grey.width(), CV_8UC1, const_cast<uchar*>(grey.constBits()),
                      size_t(grey.bytesPerLine()));
    const QImage print = blackPrint(picture);
    const cv::Mat printMat(print.height(), print.width(), CV_8UC1,
                           const_cast<uchar*>(print.constBits()), size_t(print.bytesPerLine()));

    cv::Mat edges;
    cv::GaussianBlur(src, edges, cv::Size(5, 5), 0);
    cv::Canny(edges, edges, 20, 60);
    cv::dilate(edges, edges, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5)));
    std::vector<std::vector<cv::Point>> contours;
    // Every outline, not only the outer ones: a card may lie on a sheet.
    cv::findContours(edges, contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);

    const double pictureArea = double(src.cols) * src.rows;
    std::vector<cv::RotatedRect> found;
    for (const auto& contour : contours) {
        const double area = cv::contourArea(contour);
        if (area < 0.04 * pictureArea)
            continue;
        const cv::RotatedRect r = cv::minAreaRect(contour);
        if (area < 0.85 * r.size.area() || !cardShaped(r.size.width, r.size.height))
            continue;
        // The inner and outer outline of one edge are one card.
        const bool seen = std::any_of(found.begin(), found.end(), [&](const cv::RotatedRect& o) {
            return cv::norm(o.center - r.center) < 0.05 * std::max(r.size.width, r.size.height);
        });
        if (!seen)
            found.push_back(r);
    }
    std::sort(found.begin(), found.end(), [](const cv::RotatedRect& a, const cv::RotatedRect& b) {
        return a.center.y < b.center.y;
    });

    const std::vector<cv::Point2f> target{{0, 0},
                                          {float(kCardWidth), 0},
                                          {float(kCardWidth), float(kCardHeight)},
                                          {0, float(kCardHeight)}};
    for (const cv::RotatedRect& r : found) {
        const cv::Mat m = cv::getPerspectiveTransform(ordered(r), target);
        QImage card(kCardWidth, kCardHeight, QImage::Format_Grayscale8);
        cv::Mat out(kCardHeight, kCardWidth, CV_8UC1, card.bits(), size_t(card.bytesPerLine()));
        cv::warpPerspective(printMat, out, m, out.size(), cv::INTER_CUBIC, cv::BORDER_REPLICATE);
        cards << card;
    }
    if (cards.isEmpty() && cardShaped(grey.width(), grey.height()))
        cards << print.scaled(kCardWidth, kCardHeight, Qt::IgnoreAspectRatio,
                              Qt::SmoothTransformation);
    return cards;
}

} // namespace idcardrecog
