#include "ImageChain.h"

#include "PageGeometry.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace orv::capture {

namespace {

constexpr int kBackgroundSide = 512; // the background is estimated at this size

cv::Mat wrap(QImage& image, int type) {
    return cv::Mat(image.height(), image.width(), type, image.bits(), size_t(image.bytesPerLine()));
}

// Read-only view of a picture that may be shared: no detach, no copy.
cv::Mat wrapInput(const QImage& image, int type) {
    return cv::Mat(image.height(), image.width(), type, const_cast<uchar*>(image.constBits()),
                   size_t(image.bytesPerLine()));
}

QImage rgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ? image
                                                  : image.convertToFormat(QImage::Format_RGB32);
}

// Luma of an RGB32 picture (OpenCV's conversion: several times Qt's speed).
QImage grayOf(const QImage& rgb) {
    QImage gray(rgb.size(), QImage::Format_Grayscale8);
    if (gray.isNull())
        return {};
    cv::Mat target = wrap(gray, CV_8UC1);
    cv::cvtColor(wrapInput(rgb, CV_8UC4), target, cv::COLOR_BGRA2GRAY);
    return gray;
}

QImage turn(const QImage& image, int rotation) {
    const int quarters = ((rotation % 4) + 4) % 4;
    if (quarters == 0)
        return image;
    const QSize size = quarters == 2 ? image.size() : image.size().transposed();
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull())
        return {};
    cv::Mat target = wrap(out, CV_8UC4);
    cv::rotate(wrapInput(image, CV_8UC4), target,
               quarters == 1   ? cv::ROTATE_90_CLOCKWISE
               : quarters == 2 ? cv::ROTATE_180
                               : cv::ROTATE_90_COUNTERCLOCKWISE);
    return out;
}

// The geometry step: what the pictures of this capture show, before the
// per-picture steps.
ChainResult::Kind arrange(const QImage& turned, const ChainSettings& s, QList<QImage>* out) {
    if (s.captureMode == 1) {
        // Double capture: the two largest documents, left one first; without
        // two, the left half of the desk above the right half.
        QList<Quad> cards = findDocuments(turned);
        if (cards.size() >= 2) {
            cards = cards.mid(0, 2);
            std::sort(cards.begin(), cards.end(), [](const Quad& a, const Quad& b) {
                return a[0].x() + a[3].x() < b[0].x() + b[3].x();
            });
            *out << stackVertically(liftDocument(turned, cards[0]), liftDocument(turned, cards[1]));
        } else {
            const int half = turned.width() / 2;
            *out << stackVertically(turned.copy(0, 0, half, turned.height()),
                                    turned.copy(half, 0, turned.width() - half, turned.height()));
        }
        return ChainResult::Single;
    }
    QImage page = turned;
    if (s.autoCrop) {
        const QList<Quad> documents = findDocuments(turned);
        if (documents.size() >= 2 && !s.split) {
            *out << turned;
            for (const Quad& q : readingOrder(documents))
                *out << liftDocument(turned, q);
            return ChainResult::Documents;
        }
        if (!documents.isEmpty()) {
            // A spread to split is one object, even where its fold parts it.
            const Quad quad = s.split && documents.size() >= 2 ? enclosingQuad(documents)
                                                               : documents.constFirst();
            const QImage lifted = liftDocument(turned, quad);
            if (!lifted.isNull())
                page = lifted;
        }
    }
    if (s.split && page.width() >= 2) {
        const int gutter = findGutter(page);
        *out << page.copy(0, 0, gutter, page.height())
             << page.copy(gutter, 0, page.width() - gutter, page.height());
        return ChainResult::Split;
    }
    *out << page;
    return ChainResult::Single;
}

} // namespace

QImage cropFraction(const QImage& image, const QRectF& fraction) {
    if (fraction.isNull())
        return image;
    const QSize size = image.size();
    const int left = int(std::lround(fraction.left() * size.width()));
    const int top = int(std::lround(fraction.top() * size.height()));
    const int right = int(std::lround(fraction.right() * size.width()));
    const int bottom = int(std::lround(fraction.bottom() * size.height()));
    const QRect rect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & image.rect();
    return rect.isEmpty() ? QImage() : image.copy(rect);
}

QImage removeBackground(const QImage& image) {
    QImage out = rgb32(image).copy();
    if (out.isNull() || out.width() < 4 || out.height() < 4)
        return out;
    cv::Mat pixels = wrap(out, CV_8UC4);
    const double scale =
        std::min(1.0, double(kBackgroundSide) / std::max(out.width(), out.height()));
    cv::Mat background;
    cv::resize(pixels, background, cv::Size(), scale, scale, cv::INTER_AREA);
    // Print is thin and dark: a maximum filter wider than a stroke leaves the
    // paper; a blur smooths the steps the filter leaves.
    const int reach = std::max(3, std::min(background.cols, background.rows) / 40) | 1;
    cv::dilate(background, background,
               cv::getStructuringElement(cv::MORPH_RECT, cv::Size(reach, reach)));
    cv::blur(background, background, cv::Size(2 * reach + 1, 2 * reach + 1));
    cv::resize(background, background, pixels.size(), 0, 0, cv::INTER_LINEAR);
    cv::max(background, cv::Scalar::all(1), background);
    cv::divide(pixels, background, pixels, 255.0);
    return out;
}

QImage resizeBy(const QImage& image, float ratio) {
    if (!(ratio > 0) || ratio == 1.0f || image.isNull())
        return image;
    // An enlargement stops at the limits (a picture already past them stays
    // as it is); a reduction is always made.
    double scale = ratio;
    const double pixels = double(image.width()) * image.height();
    scale = std::min(scale, std::sqrt(double(kMaxPicturePixels) / pixels));
    scale = std::min(scale, double(kMaxPictureSide) / std::max(image.width(), image.height()));
    scale = std::max(scale, std::min(1.0, double(ratio)));
    const bool limited = scale < double(ratio);
    const auto sideOf = [&](int n) {
        const double v = n * scale; // rounded down where limited, so the limits hold
        return std::max(1, int(limited ? std::floor(v) : std::lround(v)));
    };
    const int width = sideOf(image.width());
    const int height = sideOf(image.height());
    if (width == image.width() && height == image.height())
        return image;
    QImage source = image;
    const int type = source.format() == QImage::Format_Grayscale8 ? CV_8UC1 : CV_8UC4;
    if (type == CV_8UC4)
        source = rgb32(source);
    QImage out(width, height, source.format());
    if (out.isNull())
        return {};
    cv::Mat target = wrap(out, type);
    cv::resize(wrapInput(source, type), target, target.size(), 0, 0,
               scale < 1 ? cv::INTER_AREA : cv::INTER_LINEAR);
    return out;
}

QImage applyColourMode(const QImage& image, int mode) {
    if (mode != 1 && mode != 2)
        return rgb32(image);
    const QImage gray = image.format() == QImage::Format_Grayscale8 ? image : grayOf(rgb32(image));
    if (mode == 1 || gray.isNull())
        return gray;
    QImage bw(gray.size(), QImage::Format_Grayscale8);
    if (bw.isNull())
        return {};
    // A pixel is black when it is clearly darker than its neighbourhood: a
    // window about a text line high for print, with a margin that keeps paper
    // grain white; and a window several times wider with a larger margin, so
    // that solid areas (codes, bold headings) stay black inside instead of
    // turning hollow where the small window lies wholly within them; and
    // anything in the darker quarter between the picture's ink and paper
    // (the two classes of Otsu's threshold): ink areas larger than either.
    const cv::Mat in = wrapInput(gray, CV_8UC1);
    const int side = std::min(gray.width(), gray.height());
    const int small = std::max(15, side / 30) | 1, large = std::max(61, side / 6) | 1;
    cv::Mat nearMean, wideMean, whiteNear, whiteWide;
    cv::blur(in, nearMean, cv::Size(small, small), cv::Point(-1, -1), cv::BORDER_REPLICATE);
    cv::blur(in, wideMean, cv::Size(large, large), cv::Point(-1, -1), cv::BORDER_REPLICATE);
    cv::subtract(nearMean, cv::Scalar(12), nearMean);
    cv::subtract(wideMean, cv::Scalar(48), wideMean);
    cv::compare(in, nearMean, whiteNear, cv::CMP_GT);
    cv::compare(in, wideMean, whiteWide, cv::CMP_GT);
    cv::Mat paper, ink, whiteLevel;
    cv::threshold(in, paper, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    cv::bitwise_not(paper, ink);
    const double inkMean = cv::mean(in, ink)[0], paperMean = cv::mean(in, paper)[0];
    cv::compare(in, cv::Scalar(inkMean + (paperMean - inkMean) / 4), whiteLevel, cv::CMP_GT);
    cv::Mat target = wrap(bw, CV_8UC1);
    cv::bitwise_and(whiteNear, whiteWide, target);
    cv::bitwise_and(target, whiteLevel, target);
    return bw;
}

bool runChain(const QImage& frame, const ChainSettings& s, ChainResult* result) {
    if (frame.isNull() || !result)
        return false;
    const QImage cropped = cropFraction(rgb32(frame), s.captureRect);
    if (cropped.isNull())
        return false;
    const QImage turned = turn(cropped, s.rotation);
    if (turned.isNull())
        return false;

    QList<QImage> shapes;
    result->kind = arrange(turned, s, &shapes);
    result->pictures.clear();
    for (const QImage& shape : std::as_const(shapes)) {
        QImage image = s.removeBackground ? removeBackground(shape) : shape;
        if (s.watermark)
            image = stampWatermark(image, std::min(frame.width(), frame.height()), *s.watermark,
                                   s.stampTime);
        if (s.resize)
            image = resizeBy(image, s.resizeRatio);
        image = applyColourMode(image, s.colourMode);
        if (image.isNull())
            return false;
        Picture picture;
        picture.image = image;
        picture.bilevel = s.colourMode == 2;
        picture.dpi = s.dpi;
        picture.jpgQuality = s.jpgQuality;
        result->pictures << picture;
    }
    return !result->pictures.isEmpty();
}

} // namespace orv::capture
