#include "platform/BackgroundWork.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

BackgroundWork::BackgroundWork(QObject* parent) : QObject(parent) {
    pool.setMaxThreadCount(1);
    pool.setExpiryTimeout(-1); // the one worker lives as long as this object
}

BackgroundWork::~BackgroundWork() {
    pool.waitForDone();
    if (busy)
        end(); // the delivery posted to this object goes with it
}

void BackgroundWork::prepare(std::function<void()> work) {
    pool.start(std::move(work));
}

void BackgroundWork::finish() {
    pool.waitForDone();
}

void BackgroundWork::begin() {
    busy = true;
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
}

void BackgroundWork::end() {
    busy = false;
    QGuiApplication::restoreOverrideCursor();
}

} // namespace platform
