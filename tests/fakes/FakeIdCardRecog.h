#pragma once

// A recording fake of the ID card recogniser for application tests, put in
// place of the library's functions.

#include "recognition/IdCardRecogLibrary.h"

#include <QByteArray>
#include <QList>

namespace fake {

struct IdCardRecog {
    QByteArray text;         // what fnRecogIDCardEx answers
    QList<QByteArray> paths; // the pictures it was given
    int initCalls = 0;
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
    IdCardRecogLibrary::instance().setFunctions(
        [] {
            ++idCardRecog().initCalls;
            return 0;
        },
        [](const char* path) {
            idCardRecog().paths << QByteArray(path ? path : "");
            return idCardRecog().text.constData();
        });
}

} // namespace fake
