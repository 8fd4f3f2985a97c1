#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The two ID card commands without a window: reading a card through the
// camera library into the log and the image folder, and recognising a
// photographed card through the recognition library.
class IdCardService {
public:
    struct Hooks {
        std::function<void(const QByteArray&)> addItem; // a new file for the strip
        std::function<void(const QString&)> tell;       // a message for the user
    };

    explicit IdCardService(Hooks hooks) : hooks(std::move(hooks)) {}

    // Reads the card on the reader. No card: false, nothing written. With a
    // card: one row appended to "IDInfo.csv" in workPath, the holder's photo
    // and the card image copied under new names into imageFolder and listed;
    // the library's files are deleted once copied. A step that fails is
    // reported and loses nothing: no row is rewritten, no file replaced,
    // a picture that was not copied is not listed and its source is kept
    // where the library wrote it, which the message names. The copies get
    // the user's normal file mode.
    bool read(const QByteArray& workPath, const QByteArray& imageFolder);

    // The recognition library's text for the picture at path; a message
    // when the library cannot be loaded.
    static QString recognise(const QByteArray& path);

private:
    bool storePicture(const QByteArray& source, const QByteArray& target);

    Hooks hooks;
};
