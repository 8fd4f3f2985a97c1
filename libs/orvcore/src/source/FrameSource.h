#pragma once

// One producer of camera frames. Virtual scenes, folders of pictures and real
// devices implement it; a Camera owns one and consumes what it delivers.

#include "Frame.h"
#include "PictureControl.h"

#include <QImage>
#include <QList>
#include <QSize>

#include <functional>

namespace orv {

class FrameSource {
public:
    // Called on the source's own thread with every new frame: decoded
    // (Format_RGB32) or, from an MJPEG camera, compressed.
    using FrameSink = std::function<void(const Frame& frame)>;

    virtual ~FrameSource() = default;

    // Frame sizes the source can deliver, largest first. Never empty.
    virtual QList<QSize> resolutions() const = 0;

    // Starts delivering frames of size to sink. False when already running or
    // when size is not one of resolutions().
    virtual bool start(QSize size, FrameSink sink) = 0;

    // Changes the frame size while running. False for a size not offered or
    // when the source is stopped.
    virtual bool setSize(QSize size) = 0;

    // Stops delivering. Blocks until the producing thread is gone: no call of
    // the sink happens after stop() returns. Harmless when already stopped.
    virtual void stop() = 0;

    virtual bool isRunning() const = 0;

    // The device's own picture controls; nullptr when it has none, and the
    // camera then emulates the standard set in software. Any thread.
    virtual ControlSet* controls() { return nullptr; }
};

} // namespace orv
