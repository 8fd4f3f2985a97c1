#pragma once

// A fake of the OCR engine for tests of the application: it records its
// calls and returns a scripted text. fnModaOCREx runs on the application's
// worker thread, so everything here is guarded.

#include <modaocr/ModaOCR.h>
#include <modaocr/ModaOCRWords.h>

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSemaphore>

namespace fake {

struct OcrCall {
    QByteArray path;
    QByteArray picture; // the file's bytes at the time of the call
    int quality;
    int mode;
    float values[4];
    bool flags[2];
};

struct ModaOcr {
    QMutex mutex;
    QByteArray text;                      // what fnModaOCREx returns
    QList<OcrCall> calls;                 // fnModaOCREx
    QByteArray words;                     // what fnModaOCRWords returns
    QList<QByteArray> wordCalls;          // fnModaOCRWords' paths
    QByteArray languages = "chi_sim+eng"; // fnModaOCRLanguages; empty: no models
    QList<QByteArray> initDirs;
    QList<int> initModes;
    // When set, each read waits for one release (a run that takes time).
    bool hold = false;
    QSemaphore released;

    void reset();
    QList<OcrCall> callsSoFar();
    QList<QByteArray> wordCallsSoFar();
};

ModaOcr& modaOcr();

} // namespace fake
