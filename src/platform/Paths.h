#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The user's Documents folder, in the local 8-bit encoding, without a
// trailing separator.
QByteArray documentsLocation();

// The temporary folder, in the local 8-bit encoding, ending with '/'.
QByteArray tempFolder();

// The folder of the program file, in the local 8-bit encoding, ending with '/'.
QByteArray programFolder();

// Conversions between user-interface text and the 8-bit strings exchanged with
// the libraries and stored in the profile file.
inline QByteArray toLocal(const QString& s) {
    return s.toLocal8Bit();
}
inline QString fromLocal(const QByteArray& s) {
    return QString::fromLocal8Bit(s);
}

// Copies text into a fixed buffer of size bytes (NUL included) without cutting
// a multi-byte character in half; the rest of the buffer is zeroed.
void copyToBuffer(char* buffer, int size, const QByteArray& text);

} // namespace platform
