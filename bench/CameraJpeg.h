#pragma once

// The frame an MJPEG document camera sends, as the benchmarks make it: the
// first virtual camera's desk scene with sensor noise of +-noise levels
// (seeded, so every run gets the same bytes), 4:2:2 chroma, quality 85.

#include "SceneRenderer.h"

#include "CameraNoise.h"

#include <QByteArray>
#include <QImage>
#include <QRandomGenerator>

#include <turbojpeg.h>

inline QByteArray cameraLikeJpeg(QSize size, int noise) {
    QRandomGenerator rng(7);
    const QImage frame = noisy(orv::renderScene(0, size), noise, rng);
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long bytes = 0;
    QByteArray out;
    if (tjCompress2(tj, frame.constBits(), frame.width(), int(frame.bytesPerLine()), frame.height(),
                    TJPF_BGRX, &jpeg, &bytes, TJSAMP_422, 85, 0) == 0)
        out = QByteArray(reinterpret_cast<const char*>(jpeg), qsizetype(bytes));
    tjFree(jpeg);
    tjDestroy(tj);
    return out;
}
