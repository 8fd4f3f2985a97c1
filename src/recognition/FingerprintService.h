#pragma once

#include "recognition/FingerDriver.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Enrolment and identification of fingerprints with the reader's library
// (from the program's folder) and the data file (in the working folder). The
// library is loaded for each operation and unloaded at its end. The user sees
// message boxes (platform::showMessage); the steps are written as diagnostic
// lines to standard output.
class FingerprintService {
public:
    static QByteArray libraryFileName() { return QByteArrayLiteral(TESOLIVE_LIBRARY_FILE); }
    static QByteArray dataFileName() { return QByteArrayLiteral("fingertian.dat"); }

    struct Folders {
        QByteArray program; // ends with '/'
        QByteArray work;    // the working folder, with or without a trailing '/'
    };
    // Asked at each operation: the working folder may change in between.
    using FolderSource = std::function<Folders()>;
    using DiagnosticSink = std::function<void(const QByteArray& line)>;

    explicit FingerprintService(FolderSource folders);
    // Where diagnostic lines go instead of standard output.
    void setDiagnosticSink(DiagnosticSink sink) { diagnostic = std::move(sink); }

    QString libraryPath() const;
    QString dataFilePath() const;

    // Reads the finger on the reader and appends it to the data file under
    // name (cut to 10 bytes).
    void enrollFingerprint(const QByteArray& name);
    // Reads the finger on the reader and names the first enrolment it matches.
    void matchFingerprint();

private:
    bool openReader(TcHandle& handle);

    FolderSource folders;
    DiagnosticSink diagnostic;
    FingerDriver driver;
};
