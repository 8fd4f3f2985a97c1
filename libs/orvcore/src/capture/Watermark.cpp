#include "Watermark.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace orv::capture {

namespace {

constexpr double kReferencePoints = 720.0; // the reference side, in points
constexpr double kMarginShare = 0.02;

struct Layout {
    QFont font;
    QString text;
    QRectF textBox;   // unrotated, centred on the origin
    QTransform place; // from the text's coordinates to the picture's
    QRectF bounds;    // in the picture
};

QString textOf(const WatermarkSpec& stamp, const QDateTime& now) {
    QString text = stamp.text;
    if (stamp.withTime) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return text;
}

Layout layoutOf(QSize pictureSize, int referenceSide, const WatermarkSpec& stamp,
                const QDateTime& now) {
    Layout l;
    l.text = textOf(stamp, now);
    const double side =
        referenceSide > 0 ? referenceSide : std::min(pictureSize.width(), pictureSize.height());
    l.font = QFont(stamp.fontFamily);
    l.font.setPixelSize(
        std::max(1, int(std::lround(std::max(1, stamp.fontSize) * side / kReferencePoints))));
    const QFontMetricsF metrics(l.font);
    const QRectF box = metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), Qt::AlignLeft, l.text);
    l.textBox = QRectF(-box.width() / 2, -box.height() / 2, box.width(), box.height());
    QTransform turn;
    turn.rotate(-std::clamp(stamp.angle, -90, 90));
    const QRectF turned = turn.mapRect(l.textBox);

    const double w = pictureSize.width(), h = pictureSize.height();
    const double margin = std::max(4.0, kMarginShare * std::min(w, h));
    QPointF topLeft;
    if (stamp.fixedPlace) {
        const double left = margin, right = w - margin - turned.width();
        const double top = margin, bottom = h - margin - turned.height();
        switch (stamp.place) {
        case 1:
            topLeft = {right, top};
            break;
        case 2:
            topLeft = {right, bottom};
            break;
        case 3:
            topLeft = {left, bottom};
            break;
        case 4:
            topLeft = {(w - turned.width()) / 2, (h - turned.height()) / 2};
            break;
        default:
            topLeft = {left, top};
            break;
        }
    } else {
        topLeft = {std::max(0.0, std::min(stamp.offset.x() * w, w - turned.width())),
                   std::max(0.0, std::min(stamp.offset.y() * h, h - turned.height()))};
    }
    l.bounds = QRectF(topLeft, turned.size());
    l.place = turn * QTransform::fromTranslate(l.bounds.center().x(), l.bounds.center().y());
    return l;
}

} // namespace

QRectF watermarkBounds(QSize pictureSize, int referenceSide, const WatermarkSpec& stamp,
                       const QDateTime& now) {
    return layoutOf(pictureSize, referenceSide, stamp, now).bounds;
}

void paintWatermark(QPainter& p, QSize pictureSize, int referenceSide, const WatermarkSpec& stamp,
                    const QDateTime& now) {
    if (pictureSize.isEmpty())
        return;
    const Layout l = layoutOf(pictureSize, referenceSide, stamp, now);
    if (l.text.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(l.place, true);
    p.setFont(l.font);
    p.setPen(stamp.colour);
    p.drawText(l.textBox, Qt::AlignLeft, l.text);
    p.restore();
}

QImage stampWatermark(const QImage& picture, int referenceSide, const WatermarkSpec& stamp,
                      const QDateTime& now) {
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    if (out.isNull())
        return out;
    QPainter p(&out);
    paintWatermark(p, out.size(), referenceSide, stamp, now);
    return out;
}

} // namespace orv::capture
