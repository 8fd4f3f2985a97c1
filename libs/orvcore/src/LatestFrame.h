#pragma once

// The newest full-size frame of one camera. The source thread stores into it,
// any thread reads from it; QImage's implicit sharing makes both cheap.

#include <QImage>
#include <QMutex>
#include <QMutexLocker>

namespace orv {

class LatestFrame {
public:
    void store(const QImage& frame) {
        QMutexLocker lock(&m_mutex);
        m_frame = frame;
        ++m_serial;
    }
    QImage get() const {
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
        m_frame = QImage();
        m_serial = 0;
    }

private:
    mutable QMutex m_mutex;
    QImage m_frame;
    quint64 m_serial = 0;
};

} // namespace orv
