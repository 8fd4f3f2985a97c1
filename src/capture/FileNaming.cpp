#include "capture/FileNaming.h"

#include <cstdio>

namespace naming {

namespace {
// Cuts s to at most max bytes without splitting a UTF-8 character.
QByteArray cutUtf8(const QByteArray& s, int max) {
    if (s.size() <= max)
        return s;
    int n = max;
    while (n > 0 && (uchar(s[n]) & 0xC0) == 0x80)
        --n;
    return s.left(n);
}

bool refused(uchar c) {
    return c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
           c == '"' || c == '<' || c == '>' || c == '|';
}
} // namespace

QByteArray unnamed() {
    return QByteArray("未命名");
}

QByteArray automaticName(const QByteArray& prefix, int digits, int counter) {
    char number[40];
    std::snprintf(number, sizeof number, "%0*d", qBound(1, digits, 20), counter);
    const QByteArray tail(number);
    return cutUtf8(prefix, 99 - int(tail.size())) + tail;
}

QByteArray dateName(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d%02d%02d", d.year(), d.month(), d.day(),
                  t.hour(), t.minute(), t.second());
    return QByteArray(text);
}

QByteArray safeFileName(const QByteArray& raw) {
    QByteArray s = raw.left(raw.indexOf('\0') >= 0 ? raw.indexOf('\0') : raw.size());
    for (char& c : s)
        if (refused(uchar(c)))
            c = '_';
    int start = 0;
    while (start < s.size() && (s[start] == '.' || s[start] == ' '))
        ++start;
    int end = int(s.size());
    while (end > start && (s[end - 1] == '.' || s[end - 1] == ' '))
        --end;
    s = cutUtf8(s.mid(start, end - start), 180);
    // Cutting may leave a trailing dot or space again.
    while (!s.isEmpty() && (s.endsWith('.') || s.endsWith(' ')))
        s.chop(1);
    return s.isEmpty() ? unnamed() : s;
}

QByteArray capturePath(const QByteArray& folder, const QByteArray& name,
                       const QByteArray& extension) {
    return folder + '/' + name + extension;
}

QByteArray insertBeforeExtension(const QByteArray& path, const QByteArray& suffix) {
    const int slash = int(path.lastIndexOf('/'));
    const int dot = int(path.lastIndexOf('.'));
    if (dot <= slash + 1) // no extension, or a name that only starts with a dot
        return path + suffix;
    return path.left(dot) + suffix + path.mid(dot);
}

} // namespace naming
