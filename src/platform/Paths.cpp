#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstring>

namespace platform {

QByteArray documentsLocation() {
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty())
        docs = QDir::homePath();
    while (docs.size() > 1 && docs.endsWith(QLatin1Char('/')))
        docs.chop(1);
    return toLocal(docs);
}

QByteArray tempFolder() {
    QString temp = QDir::tempPath();
    if (!temp.endsWith(QLatin1Char('/')))
        temp += QLatin1Char('/');
    return toLocal(temp);
}

QByteArray programFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return toLocal(dir);
}

void copyToBuffer(char* buffer, int size, const QByteArray& text) {
    if (!buffer || size <= 0)
        return;
    std::memset(buffer, 0, size_t(size));
    int n = qMin(int(text.size()), size - 1);
    // Back off over UTF-8 continuation bytes so that no character is cut.
    if (n < text.size()) {
        while (n > 0 && (uchar(text[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(buffer, text.constData(), size_t(n));
}

} // namespace platform
