#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// The one owner of the private folder: its path while it exists, removed with
// the owner at a normal end or by removePrivateTempFolder() before a hard one.
class PrivateTempFolder {
public:
    ~PrivateTempFolder() { remove(); }

    QByteArray path() {
        if (folder.isEmpty() || !isPrivate(folder))
            folder = make();
        return folder.isEmpty() ? tempFolder() : folder + '/';
    }

    void remove() {
        if (!folder.isEmpty() && isPrivate(folder))
            QDir(fromLocal(folder)).removeRecursively();
        folder.clear();
    }

private:
    // A folder (not a link) of this user that nobody else may enter.
    static bool isPrivate(const QByteArray& path) {
        struct stat st {};
        return lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
               (st.st_mode & 077) == 0;
    }

    static QByteArray make() {
        QByteArray name = tempFolder() + "orvanta-XXXXXX";
        // mkdtemp makes a new folder of a free name with mode 0700.
        if (!mkdtemp(name.data()))
            return QByteArray();
        return name;
    }

    QByteArray folder; // without the trailing '/', so that lstat sees a link as one
};

PrivateTempFolder& privateFolder() {
    static PrivateTempFolder owner;
    return owner;
}

} // namespace

QByteArray privateTempFolder() {
    return privateFolder().path();
}

void removePrivateTempFolder() {
    privateFolder().remove();
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
