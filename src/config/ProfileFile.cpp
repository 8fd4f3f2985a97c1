#include "config/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using View = std::string_view;

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// readInt() sees the value through a buffer of this many bytes.
constexpr int kIntBufferSize = 30;

View view(const QByteArray& bytes) {
    return View(bytes.constData(), size_t(bytes.size()));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

View trimmed(View v) {
    while (!v.empty() && isBlank(v.front()))
        v.remove_prefix(1);
    while (!v.empty() && isBlank(v.back()))
        v.remove_suffix(1);
    return v;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool equalsNoCase(View a, View b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

View unquoted(View v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// One line of the file, its line end already removed.
struct Line {
    enum Kind { Blank, Comment, Section, Key, Other };
    Kind kind = Blank;
    View name;  // section name or key
    View value; // trimmed, quotes still on
};

Line classify(View text) {
    Line line;
    const View t = trimmed(text);
    if (t.empty())
        return line;
    if (t.front() == ';') {
        line.kind = Line::Comment;
        return line;
    }
    line.kind = Line::Other;
    if (t.front() == '[') {
        const size_t close = t.find(']');
        if (close != View::npos) {
            line.kind = Line::Section;
            line.name = trimmed(t.substr(1, close - 1));
        }
        return line;
    }
    const size_t eq = t.find('=');
    if (eq != View::npos) {
        line.kind = Line::Key;
        line.name = trimmed(t.substr(0, eq));
        line.value = trimmed(t.substr(eq + 1));
    }
    return line;
}

// The start of the file as reads see it: at most kMaxFileBytes, without a line
// cut by that limit, without the byte order mark. Empty when unreadable; only
// regular files are opened, so a pipe or a device at the path cannot block.
QByteArray loadForReading(const QString& path) {
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray content = file.read(ProfileFile::kMaxFileBytes + 1);
    if (content.size() > ProfileFile::kMaxFileBytes) {
        content.truncate(ProfileFile::kMaxFileBytes);
        content.truncate(content.lastIndexOf('\n') + 1);
    }
    if (content.startsWith(kUtf8Bom))
        content.remove(0, kUtf8Bom.size());
    return content;
}

std::optional<View> findValue(View content, View section, View key) {
    bool inSection = false;
    size_t pos = 0;
    while (pos < content.size()) {
        const size_t newline = content.find('\n', pos);
        const size_t end = newline == View::npos ? content.size() : newline;
        const Line line = classify(content.substr(pos, end - pos));
        pos = end + 1;
        if (line.kind == Line::Section) {
            if (inSection)
                return std::nullopt; // only the first section of the name counts
            inSection = equalsNoCase(line.name, section);
        } else if (inSection && line.kind == Line::Key && equalsNoCase(line.name, key)) {
            return line.value;
        }
    }
    return std::nullopt;
}

bool isContinuationByte(char c) {
    return (uchar(c) & 0xC0) == 0x80;
}

// `v` as a C string copied into a buffer of `bufferSize` bytes.
QByteArray asCString(View v, int bufferSize) {
    if (bufferSize < 1)
        return {};
    v = v.substr(0, v.find('\0'));
    const size_t limit = size_t(bufferSize) - 1;
    if (v.size() <= limit)
        return QByteArray(v.data(), qsizetype(v.size()));
    // If the byte after the cut continues a character, find where that
    // character starts and cut before it when it is incomplete.
    size_t cut = limit;
    size_t lead = limit;
    while (lead > 0 && limit - lead < 3 && isContinuationByte(v[lead]))
        --lead;
    const uchar leadByte = uchar(v[lead]);
    if (leadByte >= 0xC0) {
        const size_t length = leadByte >= 0xF0 ? 4 : leadByte >= 0xE0 ? 3 : 2;
        if (limit - lead < length)
            cut = lead;
    }
    return QByteArray(v.data(), qsizetype(cut));
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = lowerAscii(c);
    if (lower >= 'a' && lower <= 'f')
        return lower - 'a' + 10;
    return 99;
}

int parseProfileInt(View s) {
    size_t i = 0;
    while (i < s.size() && (isBlank(s[i]) || s[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    uint32_t value = 0;
    for (; i < s.size(); ++i) {
        const int digit = digitValue(s[i]);
        if (uint32_t(digit) >= base)
            break;
        value = value * base + uint32_t(digit);
    }
    if (negative)
        value = 0u - value;
    return int(int32_t(value));
}

bool isWritableName(View name, bool isSection) {
    if (name.empty() || trimmed(name).size() != name.size())
        return false;
    if (name.find_first_of(View("\r\n\0", 3)) != View::npos)
        return false;
    if (isSection)
        return name.find(']') == View::npos;
    return name.find('=') == View::npos && name.front() != ';' && name.front() != '[';
}

// The value as it goes into the file, so that readString() gives it back.
QByteArray encodedValue(const QByteArray& value) {
    const View whole = view(value);
    const View v = whole.substr(0, whole.find_first_of(View("\r\n\0", 3)));
    QByteArray out(v.data(), qsizetype(v.size()));
    const bool needsQuotes =
        !v.empty() && (isBlank(v.front()) || isBlank(v.back()) || unquoted(v).size() != v.size());
    if (needsQuotes)
        out = '"' + out + '"';
    return out;
}

View lineEnd(View line) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n")
        return line.substr(line.size() - 2);
    if (!line.empty() && line.back() == '\n')
        return line.substr(line.size() - 1);
    return {};
}

// The file split into lines that keep their line ends, so that joining them
// gives back the file byte for byte.
class LineList {
public:
    explicit LineList(const QByteArray& content) {
        qsizetype pos = 0;
        while (pos < content.size()) {
            const qsizetype newline = content.indexOf('\n', pos);
            const qsizetype next = newline < 0 ? content.size() : newline + 1;
            append(content.mid(pos, next - pos));
            pos = next;
        }
    }

    int size() const { return int(m_lines.size()); }
    Line::Kind kind(int i) const { return m_kinds[size_t(i)]; }
    Line parsed(int i) const {
        View text = view(m_lines[size_t(i)]);
        text.remove_suffix(lineEnd(text).size());
        if (i == 0 && text.substr(0, 3) == view(kUtf8Bom))
            text.remove_prefix(3);
        return classify(text);
    }

    void append(const QByteArray& line) { insert(size(), line); }
    void insert(int i, const QByteArray& line) {
        m_lines.insert(m_lines.begin() + i, line);
        m_kinds.insert(m_kinds.begin() + i, Line::Blank);
        m_kinds[size_t(i)] = parsed(i).kind;
    }
    void replace(int i, const QByteArray& line) {
        m_lines[size_t(i)] = line;
        m_kinds[size_t(i)] = parsed(i).kind;
    }
    // Gives line i a line end if it has none (the last line of a file may not).
    void terminate(int i, const QByteArray& eol) {
        if (!m_lines[size_t(i)].endsWith('\n'))
            m_lines[size_t(i)] += eol;
    }
    const QByteArray& text(int i) const { return m_lines[size_t(i)]; }
    // The line of the first header of `section`, or -1.
    int findSection(View section) const {
        for (int i = 0; i < size(); ++i) {
            if (kind(i) == Line::Section && equalsNoCase(parsed(i).name, section))
                return i;
        }
        return -1;
    }

private:
    std::vector<QByteArray> m_lines;
    std::vector<Line::Kind> m_kinds;
};

QByteArray detectLineEnd(const QByteArray& content) {
    const qsizetype newline = content.indexOf('\n');
    return newline > 0 && content[newline - 1] == '\r' ? QByteArrayLiteral("\r\n")
                                                       : QByteArrayLiteral("\n");
}

} // namespace

QByteArray ProfileFile::readString(const QByteArray& section, const QByteArray& key,
                                   const QByteArray& defaultValue, int bufferSize) const {
    const QByteArray content = loadForReading(m_path);
    const std::optional<View> found = findValue(view(content), view(section), view(key));
    return asCString(found ? unquoted(*found) : view(defaultValue), bufferSize);
}

int ProfileFile::readInt(const QByteArray& section, const QByteArray& key, int defaultValue) const {
    const QByteArray content = loadForReading(m_path);
    const std::optional<View> found = findValue(view(content), view(section), view(key));
    if (!found)
        return defaultValue;
    const QByteArray text = asCString(unquoted(*found), kIntBufferSize);
    return text.isEmpty() ? defaultValue : parseProfileInt(view(text));
}

QList<QByteArray> ProfileFile::sections() const {
    const QByteArray content = loadForReading(m_path);
    const View all = view(content);
    QList<QByteArray> names;
    size_t pos = 0;
    while (pos < all.size()) {
        const size_t newline = all.find('\n', pos);
        const size_t end = newline == View::npos ? all.size() : newline;
        const Line line = classify(all.substr(pos, end - pos));
        pos = end + 1;
        if (line.kind == Line::Section)
            names << QByteArray(line.name.data(), qsizetype(line.name.size()));
    }
    return names;
}

bool ProfileFile::write(const QByteArray& section, const QList<Entry>& entries) const {
    if (!isWritableName(view(section), true))
        return false;
    for (const Entry& entry : entries) {
        if (!isWritableName(view(entry.first), false))
            return false;
    }

    QByteArray content;
    const QFileInfo info(m_path);
    if (info.exists()) {
        if (!info.isFile() || !info.isWritable() || info.size() > kMaxFileBytes)
            return false;
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        content = file.read(kMaxFileBytes + 1);
        if (content.size() > kMaxFileBytes || file.error() != QFileDevice::NoError)
            return false;
    }
    const QByteArray eol = detectLineEnd(content);
    LineList lines(content);

    int header = lines.findSection(view(section));
    if (header < 0) {
        if (lines.size() > 0) {
            lines.terminate(lines.size() - 1, eol);
            if (lines.kind(lines.size() - 1) != Line::Blank)
                lines.append(eol);
        }
        lines.append('[' + section + ']' + eol);
        header = lines.size() - 1;
    }

    for (const Entry& entry : entries) {
        const QByteArray value = encodedValue(entry.second);
        int existing = -1;
        int lastContent = header;
        for (int i = header + 1; i < lines.size() && lines.kind(i) != Line::Section; ++i) {
            const Line::Kind kind = lines.kind(i);
            if (kind != Line::Blank && kind != Line::Comment)
                lastContent = i;
            if (kind == Line::Key && existing < 0 &&
                equalsNoCase(lines.parsed(i).name, view(entry.first)))
                existing = i;
        }
        if (existing >= 0) {
            const Line old = lines.parsed(existing);
            const View end = lineEnd(view(lines.text(existing)));
            lines.replace(existing, QByteArray(old.name.data(), qsizetype(old.name.size())) + '=' +
                                        value + QByteArray(end.data(), qsizetype(end.size())));
        } else {
            lines.terminate(lastContent, eol);
            lines.insert(lastContent + 1, entry.first + '=' + value + eol);
        }
    }

    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (int i = 0; i < lines.size(); ++i) {
        if (out.write(lines.text(i)) != lines.text(i).size()) {
            out.cancelWriting();
            return false;
        }
    }
    // commit() misses a failure of the final flush of the write buffer (a full
    // disk, a file size limit) and would put a truncated file in place.
    if (!out.flush()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
