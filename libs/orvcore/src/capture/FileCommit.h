#pragma once

// Writing one file so that it appears whole or not at all: the bytes go to a
// new file of a unique name in the target's folder, are flushed to the disk,
// and the file is then renamed over the target. Until commit() nothing is
// visible at the target; a FileCommit destroyed without commit() removes its
// temporary file. Paths are local 8-bit byte strings, as the C interface
// passes them.

#include <QByteArray>

namespace orv::capture {

class FileCommit {
public:
    explicit FileCommit(QByteArray target);
    ~FileCommit();
    FileCommit(const FileCommit&) = delete;
    FileCommit& operator=(const FileCommit&) = delete;

    // Creates the temporary file (mode 0666 less the umask). False when the
    // folder is missing or not writable.
    bool open();
    // The open temporary file; -1 before open() or after commit().
    int fd() const { return m_fd; }
    const QByteArray& tempPath() const { return m_temp; }
    const QByteArray& target() const { return m_target; }

    // Appends all of data; false on any error (disk full included).
    bool write(const char* data, qsizetype size);
    bool write(const QByteArray& data) { return write(data.constData(), data.size()); }

    // Flushes the file, renames it over the target and flushes the folder.
    // False, with the temporary file removed, when any step fails.
    bool commit();

private:
    void discard();

    const QByteArray m_target;
    QByteArray m_temp;
    int m_fd = -1;
    bool m_failed = false;
};

// The folder part of path ("." for a bare name).
QByteArray folderOf(const QByteArray& path);
// Flushes a folder's entries (after a rename into it); false on error.
bool syncFolder(const QByteArray& folder);

} // namespace orv::capture
