#include "capture/FileNaming.h"

#include <algorithm>
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

// The length of the UTF-8 character at s[i]; 0 when no valid one starts there.
int utf8Length(const QByteArray& s, qsizetype i) {
    const uchar c = uchar(s[i]);
    const int length = c < 0x80                ? 1
                       : c >= 0xC2 && c < 0xE0 ? 2
                       : c >= 0xE0 && c < 0xF0 ? 3
                       : c >= 0xF0 && c < 0xF5 ? 4
                                               : 0;
    if (length == 0 || i + length > s.size())
        return 0;
    for (int k = 1; k < length; ++k)
        if ((uchar(s[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

// s with every C1 control character (U+0080 to U+009F) made '_': the two
// bytes of its UTF-8 form, and a byte of that range that is part of no UTF-8
// character (a C1 control of a Latin-1 text).
QByteArray withoutC1Controls(const QByteArray& s) {
    QByteArray out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size();) {
        const int length = utf8Length(s, i);
        const uchar c = uchar(s[i]);
        if ((length == 2 && c == 0xC2 && uchar(s[i + 1]) <= 0x9F) ||
            (length == 0 && c >= 0x80 && c <= 0x9F)) {
            out += '_';
        } else {
            out += s.mid(i, std::max(length, 1));
        }
        i += std::max(length, 1);
    }
    return out;
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
    QByteArray s =
        withoutC1Controls(raw.left(raw.indexOf('\0') >= 0 ? raw.indexOf('\0') : raw.size()));
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
