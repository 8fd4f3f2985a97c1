#pragma once

// Splits per-row picture work over the global thread pool. For worker
// threads (view scaling, picture controls); never needs the GUI thread.

#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include "ThreadAnnotations.h"

#include <algorithm>

namespace orv {

// Runs work(first, last) over [0, rows) in bands, spread over the global
// thread pool. Bands the pool cannot take at once run on the calling thread,
// so this never waits for a busy pool.
template <typename Work> void inBands(int rows, const Work& work) {
    constexpr int kMinRows = 64;
    QThreadPool* pool = QThreadPool::globalInstance();
    const int bands = std::clamp(std::min(pool->maxThreadCount(), rows / kMinRows), 1, 8);
    if (bands == 1) {
        work(0, rows);
        return;
    }
    // A task of its own rather than QRunnable::create, so that the hand-off
    // through the pool is marked before the task reads anything.
    struct Band final : QRunnable {
        Band(const Work& work, QSemaphore& done, int first, int last)
            : work(work), done(done), first(first), last(last) {}
        void run() override {
            tsan::acquire(this);
            work(first, last);
            tsan::release(&done);
            done.release();
        }
        const Work& work;
        QSemaphore& done;
        const int first, last;
    };
    QSemaphore done;
    int started = 0;
    for (int b = 1; b < bands; ++b) {
        const int first = rows * b / bands, last = rows * (b + 1) / bands;
        auto* task = new Band(work, done, first, last);
        tsan::release(task);
        if (pool->tryStart(task)) {
            ++started;
        } else {
            delete task;
            work(first, last);
        }
    }
    work(0, rows / bands);
    done.acquire(started);
    tsan::acquire(&done);
}

} // namespace orv
