#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Geometry rules of the small vice window over the main picture.
namespace smallwindow {

// The picture's rectangle inside the preview window as the camera library
// reports it: all 0; the text "l.t.r.b" when longer than 7 characters; then
// the four values of the extended call override the text. Returned as
// (left, top, right, bottom) in a QRect built from corners.
struct VideoRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
VideoRect parseVideoRect(const QByteArray& text);

// Where the small window's top-left corner may be, in screen coordinates:
// (P.left + left, P.top + top) to (P.left + right - w, P.top + bottom - h),
// with a 200 x 200 picture when the library reports no width.
QRect allowedArea(QSize smallSize, QPoint previewTopLeft, VideoRect video);

// Raises the position to the area's top-left, then lowers it to its
// bottom-right, so every move ends inside the area.
QPoint clamp(QPoint position, const QRect& area);

// Press zone: row * 10 + column, each 0 (top/left border), 1 (inside),
// 2 (bottom/right border), borders 4 pixels wide.
int hitZone(QPoint position, QSize size);

// Cursor shape for a zone.
Qt::CursorShape cursorForZone(int zone);

// A picture rectangle the library reports once it runs at a new resolution.
bool settled(const VideoRect& video);

// After a resolution change the small window is fitted once the library
// reports a settled picture rectangle, asked once a second, at most ten
// times. No timer of its own: the window ticks it.
class FitWait {
public:
    static constexpr int kMaxTicks = 10;
    static constexpr int kIntervalMs = 1000;

    // A new wait (also replacing one still running).
    void start() {
        waiting_ = true;
        ticks_ = 0;
    }
    bool waiting() const { return waiting_; }
    // One tick with the rectangle reported now: true when the small window
    // is to be fitted now. The wait ends with the fit or after ten ticks.
    bool tick(const VideoRect& video);

private:
    bool waiting_ = false;
    int ticks_ = 0;
};

// Where the small window lies over the main picture: the area its top-left
// corner may take, and where each change of the main window puts it. No
// widgets: the small window asks it for every move.
class Placement {
public:
    // The area before the first picture: (0, 0) to (-1, -1), every move
    // ends at (-1, -1).
    const QRect& area() const { return area_; }
    void setArea(const QRect& area) { area_ = area; }
    // The picture as the library reports it now, the preview's top-left on
    // the screen: the area follows (resize, move, rotation, reset, a new
    // resolution).
    void follow(QSize small, QPoint previewTopLeft, const VideoRect& video) {
        area_ = allowedArea(small, previewTopLeft, video);
    }
    // Where a move to position ends: inside the area.
    QPoint clamped(QPoint position) const { return clamp(position, area_); }

    // Picture-in-picture turned on, or the main window resized while it is
    // on: the area's bottom-right corner.
    QPoint turnedOn() const { return clamped(area_.bottomRight()); }
    // The picture turned: the area's top-left corner.
    QPoint afterRotation() const { return clamped(QPoint(0, 0)); }
    // The main window moved by delta: the small window goes along.
    QPoint carried(QPoint position, QPoint delta) const { return clamped(position + delta); }
    // A new resolution settled: when the area does not hold the window's own
    // rectangle (0, 0 to its size, less one), the nearest place to (1, 0);
    // nothing when it does.
    std::optional<QPoint> afterFit(QSize small) const;

private:
    QRect area_{QPoint(0, 0), QPoint(-1, -1)};
};

} // namespace smallwindow
