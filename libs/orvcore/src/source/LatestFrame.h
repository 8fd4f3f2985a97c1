#pragma once

// The newest frame of one camera. The source thread stores into it, any
// thread reads from it; the frame's sharing makes both cheap.

#include "Frame.h"
#include <QMutex>
#include <QMutexLocker>

namespace orv {

class LatestFrame {
public:
    void store(const Frame& frame) {
        QMutexLocker lock(&m_mutex);
        m_frame = frame;
        ++m_serial;
    }
    Frame get() const {
        QMutexLocker lock(&m_mutex);
        return m_frame;
    }
    // Counts stores since the last clear(); lets a reader see a new frame.
    quint64 serial() const {
        QMutexLocker lock(&m_mutex);
        return m_serial;
    }
    void clear() {
        QMutexLocker lock(&m_mutex);
        m_frame = Frame();
        m_serial = 0;
    }

private:
    mutable QMutex m_mutex;
    Frame m_frame;
    quint64 m_serial = 0;
};

} // namespace orv
