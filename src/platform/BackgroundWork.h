#pragma once

// One kind of slow work (reading barcodes, the text of a page, an ID card)
// off the GUI thread, so that the window keeps painting and answering while
// it runs.
//
// - One job at a time: start() while a job runs starts nothing and says so,
//   so a second press of a button does not pile up work.
// - The job runs on this kind's own worker thread, the same thread every
//   time (a recogniser may keep per-thread state, such as loaded models).
// - Its result is handed to done on this object's thread, and only while
//   receiver still exists; the busy cursor shows until then.
// - Destroying the object (closing the window) waits for a running job, so
//   whatever it writes is complete; its result is then dropped.
// - prepare() puts set-up work (loading models) on the same worker ahead of
//   any job, without the busy cursor: a job started meanwhile waits for it.

#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace platform {

class BackgroundWork : public QObject {
    Q_OBJECT
public:
    explicit BackgroundWork(QObject* parent = nullptr);
    ~BackgroundWork() override;

    bool isBusy() const { return busy; }

    // Runs job() on the worker, then done(result) here if receiver is still
    // there. False, and nothing started, while a job runs.
    template <class Job, class Done> bool start(QObject* receiver, Job job, Done done) {
        using Result = std::invoke_result_t<Job&>;
        if (busy)
            return false;
        begin();
        QPointer<QObject> to(receiver);
        auto deliver = std::make_shared<Done>(std::move(done));
        pool.start([this, job = std::move(job), deliver, to]() mutable {
            auto result = std::make_shared<Result>(job());
            QMetaObject::invokeMethod(
                this,
                [this, deliver, to, result] {
                    end();
                    if (to)
                        (*deliver)(*result);
                    emit idle();
                },
                Qt::QueuedConnection);
        });
        return true;
    }

    // Runs work() on the worker before any job started later; nothing is
    // handed back and the object is not busy meanwhile.
    void prepare(std::function<void()> work);

    // Waits for a running job (and any set-up work) to end; its result still
    // arrives through the event loop.
    void finish();

signals:
    // A job has ended and its result has been handed over.
    void idle();

private:
    void begin();
    void end();

    QThreadPool pool;
    bool busy = false;
};

} // namespace platform
