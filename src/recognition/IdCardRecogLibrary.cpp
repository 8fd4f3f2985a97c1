#include "recognition/IdCardRecogLibrary.h"

#include "platform/Paths.h"

IdCardRecogLibrary& IdCardRecogLibrary::instance() {
    static IdCardRecogLibrary library;
    return library;
}

bool IdCardRecogLibrary::load() {
    if (!tried) {
        tried = true;
        library.setFileName(platform::fromLocal(platform::programFolder()) +
                            QStringLiteral("libidcardrecog.so"));
        if (library.load()) {
            initFunction = reinterpret_cast<InitFunction>(library.resolve("fnInit"));
            recogniseFunction =
                reinterpret_cast<RecogniseFunction>(library.resolve("fnRecogIDCardEx"));
        }
    }
    return initFunction && recogniseFunction;
}

void IdCardRecogLibrary::init() {
    if (load())
        initFunction();
}

bool IdCardRecogLibrary::recognise(const QByteArray& path, QByteArray& text) {
    if (!load())
        return false;
    const char* result = recogniseFunction(path.constData());
    text = result ? QByteArray(result) : QByteArray();
    return true;
}

void IdCardRecogLibrary::setFunctions(InitFunction init, RecogniseFunction recognise) {
    tried = true;
    initFunction = init;
    recogniseFunction = recognise;
}
