#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The fingerprint data file: enrolments one after another as fixed records
// of 523 bytes, no header. A record is the person's name (10 bytes, ending at
// the first zero byte or after 10 bytes) and the reader's template (a text of
// at most 512 bytes in a 513-byte field, zero-filled). Bytes after the last
// complete record are ignored.
class FingerprintFile {
public:
    static constexpr int nameSize = 10;
    static constexpr int templateSize = 513;
    static constexpr int recordSize = nameSize + templateSize;

    struct Record {
        QByteArray name;         // without the zero bytes
        QByteArray templateText; // up to its first zero byte
    };

    explicit FingerprintFile(QString path) : filePath(std::move(path)) {}
    QString path() const { return filePath; }

    // The name as stored: at most 10 bytes, cut before a multi-byte (UTF-8)
    // character that does not fit whole.
    static QByteArray nameField(const QByteArray& name);
    // The 523 bytes of one record. templet is the reader's buffer; bytes past
    // the 512th are never stored, so the field always ends in a zero byte.
    static QByteArray packRecord(const QByteArray& name, const QByteArray& templet);
    // Every complete record of data, in order.
    static QList<Record> parseRecords(const QByteArray& data);

    enum class ReadResult { Missing, Empty, Read };
    // Missing: the file is not there or cannot be read; Empty: 0 bytes. A
    // file shorter than a record is Read with no records.
    ReadResult read(QList<Record>& records) const;

    // Appends one record, creating the file if needed; existing bytes are
    // never changed. A short tail left by an earlier failure is completed
    // with zero bytes first so that the new record is read back in its place.
    // When the write fails, what this call wrote is taken back and error says
    // why; false then.
    bool append(const QByteArray& name, const QByteArray& templet, QString* error) const;

private:
    QString filePath;
};
