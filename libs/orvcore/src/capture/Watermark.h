#pragma once

// The text watermark a camera stamps into its pictures, and the live view
// draws over its picture, while one is set.
//
// Layout, in the pixels of the picture stamped:
// - the text, and with the date and time (local, "yyyy-MM-dd HH:mm:ss") on
//   a line of its own below it;
// - the font's point size is taken against a picture 720 points tall (its
//   shorter side at the camera's full frame), so the text keeps its size
//   relative to the page at every resolution: 72 points is a tenth of it;
// - rotated by angle degrees about the text's centre, anticlockwise for a
//   positive angle;
// - at a fixed place (0 left-top, 1 right-top, 2 right-bottom, 3 left-bottom,
//   4 middle), the rotated text's bounding box kept inside a margin of 2 % of
//   the shorter side; or with that box's top-left corner at the offset given
//   as fractions of the frame, pushed back inside the picture where it would
//   pass its right or bottom edge.

#include <QColor>
#include <QDateTime>
#include <QRectF>
#include <QSize>
#include <QString>

class QImage;
class QPainter;

namespace orv::capture {

struct WatermarkSpec {
    QString text;
    QString fontFamily;
    int fontSize = 72;             // points
    QColor colour{255, 0, 0, 128}; // alpha: the opacity
    int angle = 0;                 // degrees, -90..90
    bool withTime = false;
    bool fixedPlace = false;
    int place = 0;  // 0..4 when fixedPlace
    QPointF offset; // fractions of the frame when not fixedPlace
};

// Where the watermark's rotated text lands in a picture of pictureSize;
// referenceSide is the shorter side of the frame the picture comes from.
QRectF watermarkBounds(QSize pictureSize, int referenceSide, const WatermarkSpec& stamp,
                       const QDateTime& now);

// Draws the watermark with p, whose coordinates are those of a picture of
// pictureSize.
void paintWatermark(QPainter& p, QSize pictureSize, int referenceSide, const WatermarkSpec& stamp,
                    const QDateTime& now);

// The picture with the watermark stamped in (RGB32).
QImage stampWatermark(const QImage& picture, int referenceSide, const WatermarkSpec& stamp,
                      const QDateTime& now);

} // namespace orv::capture
