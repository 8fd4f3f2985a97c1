#pragma once

// A recording fake of the ID card recogniser for application tests, put in
// place of the library's functions.

#include "recognition/IdCardRecogLibrary.h"

#include <QByteArray>
#include <QList>
#include <QSemaphore>
#include <QThread>

#include <atomic>

namespace fake {

struct IdCardRecog {
    QByteArray text;         // what fnRecogIDCardEx answers
    QList<QByteArray> paths; // the pictures it was given
    std::atomic<int> initCalls{0};
    std::atomic<QThread*> initThread{nullptr};      // where fnInit last ran
    std::atomic<QThread*> recogniseThread{nullptr}; // where fnRecogIDCardEx last ran
    QSemaphore* holdInit = nullptr; // when set, fnInit waits for a release (5 s at most)
    // Clears the record and installs the fake.
    void reset();
};

inline IdCardRecog& idCardRecog() {
    static IdCardRecog instance;
    return instance;
}

inline void IdCardRecog::reset() {
    text.clear();
    paths.clear();
    initCalls = 0;
    initThread = nullptr;
    recogniseThread = nullptr;
    holdInit = nullptr;
    IdCardRecogLibrary::instance().setFunctions(
        [] {
            IdCardRecog& fake = idCardRecog();
            fake.initThread = QThread::currentThread();
            ++fake.initCalls;
            if (fake.holdInit)
                fake.holdInit->tryAcquire(1, 5000);
            return 0;
        },
        [](const char* path) {
            IdCardRecog& fake = idCardRecog();
            fake.recogniseThread = QThread::currentThread();
            fake.paths << QByteArray(path ? path : "");
            return fake.text.constData();
        });
}

} // namespace fake
