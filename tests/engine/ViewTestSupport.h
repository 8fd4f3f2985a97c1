#pragma once

// Helpers of the view and picture tests: plain native surfaces, grabs, and a
// page whose every pixel tells where in the frame it comes from.

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <cmath>
#include <memory>

namespace viewtest {

constexpr int k640 = 5; // resolution index of 640x480
constexpr int kTimeout = 20000;

// A plain native widget, as the application hands to the library.
inline std::unique_ptr<QWidget> makeSurface(QSize size) {
    auto w = std::make_unique<QWidget>();
    w->resize(size);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("surface not exposed");
    return w;
}

inline QImage grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// 640x480: red grows to the right, green downwards, blue is constant, so a
// pixel's colour names the frame point it shows.
inline QImage gradientPage() {
    QImage page(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            page.setPixel(x, y, qRgb(x * 255 / 639, y * 255 / 479, 128));
    return page;
}

// The frame point (fractions) a window pixel shows.
inline QPointF frameFractionAt(const QImage& grabbed, QPoint p) {
    const QRgb c = grabbed.pixel(p);
    return {qRed(c) / 255.0, qGreen(c) / 255.0};
}

inline bool showsPage(const QImage& grabbed, QPoint p) {
    return std::abs(qBlue(grabbed.pixel(p)) - 128) <= 3;
}

inline bool near(QPointF a, QPointF b, double tolerance) {
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

inline QRect videoRectOf(int cam) {
    int l = 0, t = 0, r = 0, b = 0;
    if (OrvGetVideoRectEx(cam, &l, &t, &r, &b) != 0)
        return {};
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

inline QSize viewSizeOf(int cam) {
    int w = 0, h = 0;
    return OrvTestGetViewFrameSize(cam, &w, &h) == 0 ? QSize(w, h) : QSize();
}

inline QRect captureRectOf(int cam) {
    int l = 0, t = 0, r = 0, b = 0;
    if (OrvTestGetCaptureRect(cam, &l, &t, &r, &b) != 0)
        return {};
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

inline OrvTestCameraSettings settingsOf(int cam) {
    OrvTestCameraSettings s{};
    if (OrvTestGetCameraSettings(cam, &s) != 0)
        qWarning("no settings for camera %d", cam);
    return s;
}

inline double meanGray(const QImage& image, const QRect& area) {
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (double(area.width()) * area.height());
}

} // namespace viewtest
