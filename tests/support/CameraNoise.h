#pragma once

#include <QImage>
#include <QRandomGenerator>

// The frame with gray noise of +-spread on every pixel, as a camera sensor
// adds; for page-turn tests and benchmarks.
inline QImage noisy(const QImage& clean, int spread, QRandomGenerator& rng) {
    QImage out = clean.copy();
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int n = int(rng.bounded(2 * spread + 1)) - spread;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255),
                           qBound(0, qBlue(c) + n, 255));
        }
    }
    return out;
}
