#pragma once

#include <QByteArray>
#include <QLibrary>

// The ID card recogniser (libidcardrecog.so beside the program), loaded at
// run time: its fnInit() would clash with the OCR engine's fnInit(int,
// const char*) if both were linked into the program. One per process.
class IdCardRecogLibrary {
public:
    using InitFunction = int (*)();
    using RecogniseFunction = const char* (*)(const char*);

    static IdCardRecogLibrary& instance();

    // Loads the library (once) and calls its fnInit; the result is not
    // needed: recognition reports an engine that is not ready. The library
    // keeps its models per thread: call this on the thread that recognises.
    void init();
    // The library's text for the picture; false (text untouched) when the
    // library cannot be loaded.
    bool recognise(const QByteArray& path, QByteArray& text);

    // Tests put their own functions in place of the library's.
    void setFunctions(InitFunction init, RecogniseFunction recognise);

private:
    bool load();

    QLibrary library;
    InitFunction initFunction = nullptr;
    RecogniseFunction recogniseFunction = nullptr;
    bool tried = false;
};
