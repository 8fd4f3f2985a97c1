#include "FakeModaOcr.h"

#include <QFile>
#include <QMutexLocker>

namespace fake {

ModaOcr& modaOcr() {
    static ModaOcr engine;
    return engine;
}

void ModaOcr::reset() {
    QMutexLocker lock(&mutex);
    text.clear();
    calls.clear();
    words.clear();
    wordCalls.clear();
    languages = "chi_sim+eng";
    initDirs.clear();
    initModes.clear();
    hold = false;
    released.acquire(released.available());
}

QList<OcrCall> ModaOcr::callsSoFar() {
    QMutexLocker lock(&mutex);
    return calls;
}

QList<QByteArray> ModaOcr::wordCallsSoFar() {
    QMutexLocker lock(&mutex);
    return wordCalls;
}

} // namespace fake

extern "C" int fnInit(int mode, const char* appDir) {
    fake::ModaOcr& e = fake::modaOcr();
    QMutexLocker lock(&e.mutex);
    e.initModes << mode;
    e.initDirs << QByteArray(appDir ? appDir : "");
    return 0;
}

extern "C" const char* fnModaOCREx(const char* imagePath, int quality, int mode, float a, float b,
                                   float c, float d, bool e, bool f) {
    fake::ModaOcr& engine = fake::modaOcr();
    bool hold = false;
    {
        QMutexLocker lock(&engine.mutex);
        QFile file(QString::fromLocal8Bit(imagePath));
        const QByteArray picture = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        engine.calls << fake::OcrCall{imagePath, picture, quality, mode, {a, b, c, d}, {e, f}};
        hold = engine.hold;
    }
    if (hold)
        engine.released.acquire();
    thread_local QByteArray text;
    QMutexLocker lock(&engine.mutex);
    text = engine.text;
    return text.constData();
}

extern "C" const char* fnModaOCRWords(const char* imagePath) {
    fake::ModaOcr& engine = fake::modaOcr();
    bool hold = false;
    {
        QMutexLocker lock(&engine.mutex);
        engine.wordCalls << QByteArray(imagePath ? imagePath : "");
        hold = engine.hold;
    }
    if (hold)
        engine.released.acquire();
    thread_local QByteArray words;
    QMutexLocker lock(&engine.mutex);
    words = engine.words;
    return words.constData();
}

extern "C" const char* fnModaOCRLanguages(void) {
    fake::ModaOcr& engine = fake::modaOcr();
    thread_local QByteArray languages;
    QMutexLocker lock(&engine.mutex);
    languages = engine.languages;
    return languages.constData();
}
