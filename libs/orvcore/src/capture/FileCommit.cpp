#include "FileCommit.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::capture {

namespace {

constexpr int kNameTries = 32;

QByteArray baseNameOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

} // namespace

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

bool syncFolder(const QByteArray& folder) {
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return false;
    const bool ok = ::fsync(dir) == 0 || errno == EINVAL; // some file systems refuse: no harm
    ::close(dir);
    return ok;
}

FileCommit::FileCommit(QByteArray target) : m_target(std::move(target)) {}

FileCommit::~FileCommit() {
    discard();
}

bool FileCommit::open() {
    if (m_fd >= 0 || m_target.isEmpty() || m_target.endsWith('/'))
        return false;
    const QByteArray prefix =
        folderOf(m_target) + "/." + baseNameOf(m_target).left(64) + ".orvtmp-";
    for (int i = 0; i < kNameTries; ++i) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", QRandomGenerator::global()->generate());
        const QByteArray candidate = prefix + suffix;
        const int fd = ::open(candidate.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temp = candidate;
            m_failed = false;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool FileCommit::write(const char* data, qsizetype size) {
    if (m_fd < 0 || m_failed)
        return false;
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool FileCommit::commit() {
    if (m_fd < 0 || m_failed) {
        discard();
        return false;
    }
    const bool flushed = ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!flushed || !closed || ::rename(m_temp.constData(), m_target.constData()) != 0) {
        discard();
        return false;
    }
    m_temp.clear();
    syncFolder(folderOf(m_target)); // the file is in place; this only hastens durability
    return true;
}

void FileCommit::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        ::unlink(m_temp.constData());
        m_temp.clear();
    }
}

} // namespace orv::capture
