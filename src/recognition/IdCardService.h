#pragma once

#include "platform/BackgroundWork.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// The two ID card commands without a window: reading a card through the
// camera library into the log and the image folder, and recognising a
// photographed card through the recognition library. The window starts both
// on a worker thread (start...): the library calls, the recogniser's OpenCV
// and Tesseract work and the file writes run there, and the results are
// listed and told on the GUI thread afterwards. One job at a time: a start
// while one runs does nothing.
class IdCardService : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const QByteArray&)> addItem; // a new file for the strip
        std::function<void(const QString&)> tell;       // a message for the user
    };

    explicit IdCardService(Hooks hooks, QObject* parent = nullptr);

    // Reads the card on the reader. No card: false, nothing written. With a
    // card: one row appended to "IDInfo.csv" in workPath, the holder's photo
    // and the card image copied under new names into imageFolder and listed;
    // the library's files are deleted once copied. A step that fails is
    // reported and loses nothing: no row is rewritten, no file replaced,
    // a picture that was not copied is not listed and its source is kept
    // where the library wrote it, which the message names. The copies get
    // the user's normal file mode.
    bool read(const QByteArray& workPath, const QByteArray& imageFolder);
    // The same on the worker; false, nothing started, while a job runs.
    bool startRead(const QByteArray& workPath, const QByteArray& imageFolder);

    // The recognition library's text for the picture at path; a message
    // when the library cannot be loaded.
    static QString recognise(const QByteArray& path);
    // The same on the worker, the text then handed to done; false, nothing
    // started, while a job runs.
    bool startRecognise(const QByteArray& path, std::function<void(const QString&)> done);

    // Loads the recogniser's models on the worker, where every recognition
    // runs (the recogniser keeps them per thread), without holding up the
    // window; a recognition started meanwhile waits for the load. Once.
    void loadModels();

    bool isBusy() const { return work.isBusy(); }
    // Waits for a running job: its files are complete, its result dropped.
    void finish() { work.finish(); }

private:
    // What a reading did, for the GUI thread to list and tell.
    struct Reading {
        bool present = false;
        QList<QByteArray> stored;
        QStringList problems;
    };
    static Reading readCard(const QByteArray& workPath, const QByteArray& imageFolder);
    static bool storePicture(const QByteArray& source, const QByteArray& target, Reading& reading);
    bool report(const Reading& reading);

    Hooks hooks;
    platform::BackgroundWork work;
};
