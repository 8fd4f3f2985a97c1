#pragma once

// Shared by the tests that drive the real camera library: the widgets the
// application would hand to it, and a library restarted with a chosen set of
// virtual cameras.

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace enginetest {

// What a surface shows where no camera paints it.
inline const QColor kOwnBackground(255, 0, 255);

// A plain native widget, shown and exposed, as the application hands over.
inline std::unique_ptr<QWidget> makeSurface(QSize size = QSize(400, 300)) {
    auto w = std::make_unique<QWidget>();
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, kOwnBackground);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    w->resize(size);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("surface not exposed");
    return w;
}

inline QImage grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Size of the newest full frame of a camera; empty when there is none.
inline QSize frameSizeOf(int cam) {
    int w = 0, h = 0;
    return OrvTestGetFrameSize(cam, &w, &h) == 0 ? QSize(w, h) : QSize();
}

// Restarts the library with `cameras` virtual cameras only (and, when given,
// a folder of pages for them); true when it lists exactly those.
inline bool restartEngine(int cameras, const QByteArray& pages = {}) {
    OrvTestShutdown();
    qputenv("ORVANTA_REAL_CAMERAS", "0");
    qputenv("ORVANTA_VIRTUAL_CAMERAS", QByteArray::number(cameras));
    if (pages.isEmpty())
        qunsetenv("ORVANTA_VIRTUAL_PAGES");
    else
        qputenv("ORVANTA_VIRTUAL_PAGES", pages);
    return OrvInit() == 0 && OrvGetCameraCount() == cameras;
}

} // namespace enginetest
