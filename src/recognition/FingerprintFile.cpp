#include "recognition/FingerprintFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

// The bytes of field up to its first zero byte.
QByteArray textOf(const char* field, int size) {
    const void* zero = std::memchr(field, 0, size_t(size));
    return QByteArray(field, zero ? int(static_cast<const char*>(zero) - field) : size);
}

FingerprintFile::Record recordAt(const char* bytes) {
    return {textOf(bytes, FingerprintFile::nameSize),
            textOf(bytes + FingerprintFile::nameSize, FingerprintFile::templateSize)};
}

} // namespace

QByteArray FingerprintFile::nameField(const QByteArray& name) {
    QByteArray field = textOf(name.constData(), int(name.size()));
    if (field.size() <= nameSize)
        return field;
    int n = nameSize;
    // Back off to the first byte of the character that would be cut.
    while (n > 0 && (uchar(field[n]) & 0xC0) == 0x80)
        --n;
    return field.left(n);
}

QByteArray FingerprintFile::packRecord(const QByteArray& name, const QByteArray& templet) {
    QByteArray record(recordSize, '\0');
    const QByteArray n = nameField(name);
    std::memcpy(record.data(), n.constData(), size_t(n.size()));
    const QByteArray t = textOf(templet.constData(), int(qMin(templet.size(), qsizetype(512))));
    std::memcpy(record.data() + nameSize, t.constData(), size_t(t.size()));
    return record;
}

QList<FingerprintFile::Record> FingerprintFile::parseRecords(const QByteArray& data) {
    QList<Record> records;
    for (qsizetype at = 0; at + recordSize <= data.size(); at += recordSize)
        records.append(recordAt(data.constData() + at));
    return records;
}

FingerprintFile::ReadResult FingerprintFile::read(QList<Record>& records) const {
    records.clear();
    QFile file(filePath);
    if (!QFileInfo(filePath).isFile() || !file.open(QIODevice::ReadOnly))
        return ReadResult::Missing;
    if (file.size() == 0)
        return ReadResult::Empty;
    char bytes[recordSize];
    while (file.read(bytes, recordSize) == recordSize)
        records.append(recordAt(bytes));
    return ReadResult::Read;
}

bool FingerprintFile::append(const QByteArray& name, const QByteArray& templet,
                             QString* error) const {
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const qint64 before = file.size();
    const QByteArray bytes =
        QByteArray(int((recordSize - before % recordSize) % recordSize), '\0') +
        packRecord(name, templet);
    bool ok = file.write(bytes) == bytes.size() && file.flush();
    if (!ok) {
        if (error)
            *error = file.errorString();
        file.resize(before);
    }
    file.close();
    return ok;
}
