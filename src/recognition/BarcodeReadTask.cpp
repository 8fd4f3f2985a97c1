#include "recognition/BarcodeReadTask.h"

#include <orvcore/OrvCoreLib.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>

namespace {

// Swallows the user's input to every window while it lives, and refuses to
// close them: a click or a key must not start another command, nor a close
// destroy the window, while a command waits inside a local event loop.
class InputGuard : public QObject {
public:
    InputGuard() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputGuard() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            return false;
        }
    }
};

} // namespace

BarcodeReadTask::BarcodeReadTask(QObject* parent) : QObject(parent) {
    connect(&work, &platform::BackgroundWork::idle, this, &BarcodeReadTask::idle);
}

BarcodeReadTask::~BarcodeReadTask() = default;

bool BarcodeReadTask::start(int camera, Done done) {
    return work.start(
        this, [camera] { return QByteArray(OrvReadBarcode(camera)); },
        [done = std::move(done)](const QByteArray& text) {
            if (done)
                done(text);
        });
}

QByteArray BarcodeReadTask::readAndWait(int camera) {
    const InputGuard guard;
    QEventLoop loop;
    connect(this, &BarcodeReadTask::idle, &loop, &QEventLoop::quit);
    while (isReading()) // another read first (the read button's)
        loop.exec();
    QByteArray text;
    start(camera, [&text](const QByteArray& read) { text = read; });
    while (isReading())
        loop.exec();
    return text;
}
