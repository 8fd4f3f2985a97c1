#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// One INI ("private profile") file, read and written with the rules of the
// Windows profile calls that the settings were designed around:
//
// - "[name]" starts a section; section names and keys compare case-insensitively
//   (ASCII letters only; other bytes must match exactly).
// - Only the first section of a name counts, and in it the first line of a key.
// - Lines whose first non-blank character is ';' are comments; lines without '='
//   are ignored; keys before the first section belong to no section.
// - Key and value are trimmed of blanks; a value enclosed in a matching pair of
//   single or double quotes loses them.
// - LF and CRLF line ends are both accepted; a leading UTF-8 byte order mark is
//   ignored.
//
// Values are 8-bit byte strings. Every call opens the file afresh; nothing is
// cached. Reads never fail: anything unreadable yields the caller's default.
class ProfileFile {
public:
    using Entry = QPair<QByteArray, QByteArray>; // key, value

    // Reads look at no more than this many bytes from the start of the file
    // (a line cut by the limit is dropped), and write() refuses to rewrite a
    // larger file, so a damaged or foreign huge file costs bounded time and
    // memory and is never rewritten with a section nobody could read back.
    static constexpr qint64 kMaxFileBytes = qint64(1) << 20;

    explicit ProfileFile(const QString& path) : m_path(path) {}

    const QString& path() const { return m_path; }

    // The value of `key` in `section`, or `defaultValue` when the file, the
    // section or the key is missing. The result, like a C string in a buffer of
    // `bufferSize` bytes, ends at the first NUL and holds at most bufferSize - 1
    // bytes; a cut never splits a UTF-8 multi-byte character (it backs off to
    // the start of that character). bufferSize < 1 gives an empty result.
    QByteArray readString(const QByteArray& section, const QByteArray& key,
                          const QByteArray& defaultValue, int bufferSize) const;

    // The value of `key` in `section` as an integer: leading blanks, an optional
    // sign, then decimal digits up to the first non-digit ("0x" introduces hex
    // digits). A value without digits gives 0; a missing key or an empty value
    // gives `defaultValue`. Only the first 29 bytes of the value count, and
    // values beyond 32 bits wrap around.
    int readInt(const QByteArray& section, const QByteArray& key, int defaultValue) const;

    // The names of the file's sections in file order, as reads see them
    // (empty when the file is missing or has none).
    QList<QByteArray> sections() const;

    // Sets all `entries` in `section` in one go. A key already in the section has
    // its line replaced where it is; other keys are added, in the given order,
    // after the last key line of the section; a missing section is added at the
    // end of the file, which is created when missing. Every other byte of the
    // file is kept. New lines end in CRLF when the file already does, else LF.
    // A value is cut at its first NUL, CR or LF; a value that would not read
    // back as written (blanks at either end, or enclosed in quotes) is written
    // in double quotes. The file is replaced atomically, so a failure leaves the
    // old file as it was. Returns false on failure: the folder is missing or not
    // writable, the file is not writable, too large, or not a regular file, or
    // the section or a key name cannot be written as a line.
    bool write(const QByteArray& section, const QList<Entry>& entries) const;

private:
    QString m_path;
};
