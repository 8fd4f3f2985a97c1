#include "recognition/IdCardLog.h"

#include "capture/FileNaming.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

namespace idcard {

namespace {
QString file(const QByteArray& path) {
    return QString::fromLocal8Bit(path);
}
} // namespace

QByteArray headerRow() {
    return QStringLiteral("姓名,性别,民族,出生,住址,号码,发证机关,有效期,操作日期,").toLocal8Bit() +
           '\r';
}

QByteArray cell(const QByteArray& text) {
    QByteArray out = text;
    // A spreadsheet skips a leading tab or carriage return before it looks
    // for a formula, so those count as a formula's start too.
    if (!out.isEmpty() && QByteArray("=+-@\t\r").contains(out[0]))
        out.prepend('\'');
    if (out.contains(',') || out.contains('"') || out.contains('\r') || out.contains('\n')) {
        out.replace("\"", "\"\"");
        out = '"' + out + '"';
    }
    return out;
}

QByteArray dataRow(const Reading& reading) {
    QByteArray row;
    for (int i = 0; i < kFieldCount; ++i) {
        const QByteArray field = reading.fields.value(i);
        row += (i == 5 ? cell('\'' + field + '\'') : cell(field)) + ',';
    }
    const QDateTime& t = reading.when;
    row += QByteArray("'") + t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1() + "',\r";
    return row;
}

AppendResult appendRow(const QByteArray& path, const QByteArray& row) {
    QFile f(file(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return AppendResult::NotOpened;
    const qint64 before = f.size();
    const QByteArray bytes = before == 0 ? headerRow() + row : row;
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        // Take back the part of this row that landed; what was there stays.
        f.resize(before);
        return AppendResult::WriteFailed;
    }
    f.close();
    return f.error() == QFileDevice::NoError ? AppendResult::Written : AppendResult::WriteFailed;
}

QByteArray picturePath(const QByteArray& folder, const QDateTime& when, const QByteArray& ending) {
    const QByteArray first =
        folder + '/' + when.toString(QStringLiteral("yyyyMMddhhmmss")).toLatin1() + ending;
    if (!QFileInfo(file(first)).exists() && !QFileInfo(file(first)).isSymLink())
        return first;
    for (int n = 2; n < 1000; ++n) {
        const QByteArray path = naming::insertBeforeExtension(first, "_" + QByteArray::number(n));
        const QFileInfo info(file(path));
        if (!info.exists() && !info.isSymLink())
            return path;
    }
    return QByteArray();
}

} // namespace idcard
