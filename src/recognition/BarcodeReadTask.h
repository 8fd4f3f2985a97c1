#pragma once

// Reading the barcodes of a camera's picture (OrvReadBarcode, tens of
// milliseconds and more on a 5 MP frame) on a worker thread, so that the
// window keeps painting meanwhile. One read at a time; the busy cursor shows
// while it runs.
//
// Two ways to use it:
// - start(): the read button. A press while a read runs is ignored; the
//   result arrives later through a callback on this object's thread.
// - readAndWait(): the naming of a capture, which needs the text before it
//   can go on. It waits in a local event loop: the preview and timers keep
//   running, but mouse and key input and closing the window are ignored
//   until the text is there.

#include "platform/BackgroundWork.h"

#include <QByteArray>
#include <QObject>

#include <functional>

class BarcodeReadTask : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QByteArray& text)>;

    explicit BarcodeReadTask(QObject* parent = nullptr);
    // Waits for a read still running; its result is dropped.
    ~BarcodeReadTask() override;

    bool isReading() const { return work.isBusy(); }

    // Reads camera's barcodes on a worker thread; done gets the library's
    // text (copied) on this object's thread. False, and nothing started,
    // while a read runs.
    bool start(int camera, Done done);

    // The text of a read of camera, waiting for a read already running
    // first; see above.
    QByteArray readAndWait(int camera);

signals:
    // A read has ended and its callback has run.
    void idle();

private:
    platform::BackgroundWork work;
};
