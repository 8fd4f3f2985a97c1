#include "PageTurnWatcher.h"

#include <chrono>

namespace orv {

namespace {
// Pixels across that the page-turn grid's samples need.
constexpr int kDetectionWidth = PageTurnDetector::kGridWidth * PageTurnDetector::kSamplesPerSide;
} // namespace

PageTurnWatcher::PageTurnWatcher(std::function<void()> report) : m_report(std::move(report)) {
    m_worker = std::thread([this] { run(); });
}

PageTurnWatcher::~PageTurnWatcher() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void PageTurnWatcher::submit(const Frame& frame) {
    {
        std::lock_guard lock(m_mutex);
        m_frame = frame;
    }
    m_wake.notify_one();
}

void PageTurnWatcher::run() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    PageTurnDetector detector;
    for (;;) {
        Frame frame;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_frame.isNull(); });
            if (m_stopping)
                return;
            frame = std::move(m_frame);
            m_frame = Frame();
        }
        const qint64 ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        // The grid samples a few pixels per cell: a reduced decode serves.
        const double scale = double(kDetectionWidth) / std::max(1, frame.size().width());
        if (detector.feedFrame(frame.scaled(scale), ms) && m_report)
            m_report();
    }
}

} // namespace orv
