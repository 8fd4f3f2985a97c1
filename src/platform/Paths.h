#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The user's Documents folder, in the local 8-bit encoding, without a
// trailing separator.
QByteArray documentsLocation();

// The temporary folder, in the local 8-bit encoding, ending with '/'. It is
// shared by every user of the machine: only files exchanged with other
// programs by name (the hand-off list) belong there.
QByteArray tempFolder();

// This run's own folder for its temporary pictures (the OCR page, the picture
// of a PDF capture, the camera-synthesis pictures, snapshots), in the local
// 8-bit encoding, ending with '/'. Made on first use inside the temporary
// folder with mode 0700, so that no other account can plant, keep or read a
// file there; made again when it has gone (or is no longer a private folder
// of this user). Removed with its files when the process ends. The shared
// temporary folder when no folder can be made there.
QByteArray privateTempFolder();

// Removes this run's private folder now (the process is about to end).
void removePrivateTempFolder();

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
