#include "recognition/BarcodeReadTask.h"

#include <orvcore/OrvCoreLib.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>

#include <memory>

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

BarcodeReadTask::BarcodeReadTask(QObject* parent) : QObject(parent) {}

BarcodeReadTask::~BarcodeReadTask() {
    if (!m_worker)
        return;
    m_worker->disconnect(this);
    m_worker->wait();
    delete m_worker;
    QGuiApplication::restoreOverrideCursor();
}

bool BarcodeReadTask::start(int camera, Done done) {
    if (m_worker)
        return false;
    auto text = std::make_shared<QByteArray>();
    m_worker = QThread::create([camera, text] { *text = QByteArray(OrvReadBarcode(camera)); });
    // Queued to this thread: the worker emits finished() as it ends.
    connect(m_worker, &QThread::finished, this,
            [this, done = std::move(done), text] { finish(done, *text); });
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    m_worker->start();
    return true;
}

void BarcodeReadTask::finish(const Done& done, const QByteArray& text) {
    m_worker->wait(); // returns at once: finished() is its last signal
    delete m_worker;
    m_worker = nullptr;
    QGuiApplication::restoreOverrideCursor();
    if (done)
        done(text);
    emit idle();
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
