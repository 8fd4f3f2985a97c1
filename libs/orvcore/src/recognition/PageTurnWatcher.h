#pragma once

// Automatic capture of one camera: its frames go to a worker thread that runs
// the page-turn detector on the newest one and reports each turned page. The
// source thread only hands the frame over (a shared frame), so the detection
// never slows the preview; frames that arrive while the worker is busy are
// skipped. A JPEG frame is decoded only as large as the detector's grid needs.

#include "Frame.h"
#include "PageTurnDetector.h"

#include <QImage>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace orv {

class PageTurnWatcher {
public:
    // report runs on the worker thread, once per page turned.
    explicit PageTurnWatcher(std::function<void()> report);
    // Stops the worker; no report runs after this returns.
    ~PageTurnWatcher();
    PageTurnWatcher(const PageTurnWatcher&) = delete;
    PageTurnWatcher& operator=(const PageTurnWatcher&) = delete;

    // Any thread.
    void submit(const Frame& frame);

private:
    void run();

    const std::function<void()> m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Frame m_frame; // newest frame not yet looked at
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace orv
