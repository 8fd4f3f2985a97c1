#pragma once

// Shared steps of the C functions: find the engine and a camera, keep a
// returned string. Internal to the library.

#include "Engine.h"

#include <QByteArray>
#include <QWidget>

namespace orv::api {

// The engine, when initialised and called on its thread.
inline Engine* engine() {
    return Engine::onGuiThread() ? Engine::instance() : nullptr;
}

inline Camera* cameraAt(int index) {
    Engine* e = engine();
    return e ? e->camera(index) : nullptr;
}

// An open camera; nullptr for a bad index or a closed camera.
inline Camera* openCameraAt(int index) {
    Camera* cam = cameraAt(index);
    return cam && cam->isOpen() ? cam : nullptr;
}

// The open camera whose picture is in window; nullptr when none is.
inline Camera* cameraInWindow(WId window) {
    Engine* e = engine();
    QWidget* widget = e && window ? QWidget::find(window) : nullptr;
    if (!widget)
        return nullptr;
    for (int i = 0; i < e->cameraCount(); ++i) {
        Camera* cam = e->camera(i);
        if (cam->target() == widget)
            return cam;
    }
    return nullptr;
}

// Returned strings live in storage until the next call of the same function.
inline const char* keep(QByteArray& storage, const QByteArray& text) {
    storage = text;
    return storage.constData();
}

} // namespace orv::api
