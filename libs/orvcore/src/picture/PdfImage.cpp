#include "PdfImage.h"

#include <QByteArrayView>
#include <QFile>

#include <cstring>

namespace orv {

namespace {

// How far around an image's /Subtype the dictionary is looked for.
constexpr qint64 kDictionaryReach = 64 * 1024;

bool isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c) {
    return isSpace(c) || std::strchr("()<>[]{}/%", c) != nullptr;
}

// Start of the "<<" of the dictionary that holds position; -1 when none is near.
qint64 dictionaryStart(const char* data, qint64 position) {
    int depth = 0;
    const qint64 stop = std::max<qint64>(1, position - kDictionaryReach);
    for (qint64 i = position - 1; i >= stop; --i) {
        if (data[i] == '<' && data[i - 1] == '<') {
            if (depth == 0)
                return i - 1;
            --depth;
            --i;
        } else if (data[i] == '>' && data[i - 1] == '>') {
            ++depth;
            --i;
        }
    }
    return -1;
}

// Position of the ">>" that closes the dictionary opened at start; -1 when none.
qint64 dictionaryEnd(const char* data, qint64 size, qint64 start) {
    int depth = 0;
    const qint64 stop = std::min(size - 1, start + kDictionaryReach);
    for (qint64 i = start; i < stop; ++i) {
        if (data[i] == '<' && data[i + 1] == '<') {
            ++depth;
            ++i;
        } else if (data[i] == '>' && data[i + 1] == '>') {
            if (--depth == 0)
                return i;
            ++i;
        }
    }
    return -1;
}

// Reads the top-level entries of a dictionary's text (without its "<<" ">>").
class DictionaryParser {
public:
    DictionaryParser(const char* begin, const char* end) : m_at(begin), m_end(end) {}

    void parse(PdfImageInfo& info, bool& lengthIsDirect) {
        lengthIsDirect = false;
        while (skipSpaces()) {
            if (*m_at != '/') {
                skipValue();
                continue;
            }
            const QByteArray key = name();
            skipSpaces();
            if (key == "Width" || key == "Height" || key == "BitsPerComponent" || key == "Length") {
                qint64 number = -1;
                const bool direct = integer(number);
                if (key == "Width")
                    info.size.setWidth(direct ? int(number) : -1);
                else if (key == "Height")
                    info.size.setHeight(direct ? int(number) : -1);
                else if (key == "BitsPerComponent")
                    info.bitsPerComponent = direct ? int(number) : 0;
                else if (direct) {
                    info.streamLength = number;
                    lengthIsDirect = true;
                }
            } else if (key == "ColorSpace") {
                info.colourSpace = m_at < m_end && *m_at == '/' ? name() : skipValue();
            } else if (key == "Filter") {
                info.filter = firstName();
            } else if (key == "DecodeParms") {
                info.hasDecodeParms = skipValue() != "null";
            } else {
                skipValue();
            }
        }
    }

private:
    bool skipSpaces() {
        while (m_at < m_end && isSpace(*m_at))
            ++m_at;
        return m_at < m_end;
    }

    QByteArray name() {
        const char* start = ++m_at; // past '/'
        while (m_at < m_end && !isDelimiter(*m_at))
            ++m_at;
        return QByteArray(start, m_at - start);
    }

    // A whole number not followed by "G R"; false for an indirect reference.
    bool integer(qint64& value) {
        const char* start = m_at;
        while (m_at < m_end && !isDelimiter(*m_at))
            ++m_at;
        bool ok = false;
        value = QByteArray(start, m_at - start).toLongLong(&ok);
        const char* after = m_at;
        skipSpaces();
        const char* generation = m_at;
        while (m_at < m_end && *m_at >= '0' && *m_at <= '9')
            ++m_at;
        if (m_at > generation && skipSpaces() && *m_at == 'R') {
            ++m_at;
            return false;
        }
        m_at = after;
        return ok;
    }

    // A name, or the first name of an array; empty otherwise.
    QByteArray firstName() {
        if (m_at < m_end && *m_at == '/')
            return name();
        const QByteArray value = skipValue();
        const qsizetype slash = value.indexOf('/');
        if (!value.startsWith('[') || slash < 0)
            return {};
        qsizetype end = slash + 1;
        while (end < value.size() && !isDelimiter(value.at(end)))
            ++end;
        return value.mid(slash + 1, end - slash - 1);
    }

    // Skips one value (a nested dictionary or array whole); returns its text.
    QByteArray skipValue() {
        const char* start = m_at;
        if (m_at + 1 < m_end && m_at[0] == '<' && m_at[1] == '<') {
            int depth = 0;
            while (m_at + 1 < m_end) {
                if (m_at[0] == '<' && m_at[1] == '<') {
                    ++depth;
                    m_at += 2;
                } else if (m_at[0] == '>' && m_at[1] == '>') {
                    m_at += 2;
                    if (--depth == 0)
                        break;
                } else {
                    ++m_at;
                }
            }
        } else if (m_at < m_end && *m_at == '[') {
            while (m_at < m_end && *m_at != ']')
                ++m_at;
            if (m_at < m_end)
                ++m_at;
        } else if (m_at < m_end && *m_at == '/') {
            name();
        } else {
            ++m_at;
            while (m_at < m_end && !isDelimiter(*m_at))
                ++m_at;
        }
        return QByteArray(start, m_at - start);
    }

    const char* m_at;
    const char* const m_end;
};

// Where the stream after a dictionary that closes at end starts; -1 when no
// stream follows.
qint64 streamStart(const char* data, qint64 size, qint64 end) {
    qint64 i = end + 2;
    while (i < size && isSpace(data[i]))
        ++i;
    if (size - i < 7 || std::memcmp(data + i, "stream", 6) != 0)
        return -1;
    i += 6;
    if (data[i] == '\r')
        ++i;
    if (i >= size || data[i] != '\n')
        return -1;
    return i + 1;
}

std::optional<PdfImageInfo> imageAt(const char* data, qint64 size, qint64 open) {
    const qint64 close = dictionaryEnd(data, size, open);
    if (close < 0)
        return std::nullopt;
    PdfImageInfo info;
    info.size = QSize(-1, -1);
    bool lengthIsDirect = false;
    DictionaryParser(data + open + 2, data + close).parse(info, lengthIsDirect);
    if (info.size.width() <= 0 || info.size.height() <= 0)
        return std::nullopt;
    info.streamStart = streamStart(data, size, close);
    if (info.streamStart < 0)
        return std::nullopt;
    if (!lengthIsDirect || info.streamLength < 0 || info.streamStart + info.streamLength > size) {
        const qint64 stop = QByteArrayView(data, size).indexOf("endstream", info.streamStart);
        qint64 last = stop < 0 ? size : stop;
        while (last > info.streamStart && (data[last - 1] == '\n' || data[last - 1] == '\r'))
            --last;
        info.streamLength = last - info.streamStart;
    }
    return info;
}

QByteArray inflate(const QByteArray& compressed, qsizetype expected) {
    QByteArray framed(4, '\0');
    framed[0] = char((expected >> 24) & 0xff);
    framed[1] = char((expected >> 16) & 0xff);
    framed[2] = char((expected >> 8) & 0xff);
    framed[3] = char(expected & 0xff);
    framed += compressed;
    return qUncompress(framed);
}

QImage decodeSamples(const PdfImageInfo& info, const QByteArray& stream) {
    int components = 0;
    if (info.colourSpace == "DeviceGray")
        components = 1;
    else if (info.colourSpace == "DeviceRGB")
        components = 3;
    const int bits = info.bitsPerComponent;
    const bool bilevel = components == 1 && bits == 1;
    if (components == 0 || (bits != 8 && !bilevel) || info.hasDecodeParms)
        return {};
    const qsizetype rowBytes = bilevel ? (qsizetype(info.size.width()) + 7) / 8
                                       : qsizetype(info.size.width()) * components;
    const qsizetype expected = rowBytes * info.size.height();
    if (expected <= 0 || expected > (qsizetype(1) << 31))
        return {};
    QByteArray samples;
    if (info.filter.isEmpty())
        samples = stream;
    else if (info.filter == "FlateDecode")
        samples = inflate(stream, expected);
    if (samples.size() < expected)
        return {};
    QImage image(info.size, bilevel           ? QImage::Format_Mono
                            : components == 1 ? QImage::Format_Grayscale8
                                              : QImage::Format_RGB888);
    if (image.isNull())
        return {};
    if (bilevel)
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)}); // 1 is white in DeviceGray
    for (int y = 0; y < info.size.height(); ++y)
        std::memcpy(image.scanLine(y), samples.constData() + y * rowBytes, size_t(rowBytes));
    return image;
}

} // namespace

bool looksLikePdf(const QByteArray& head) {
    return head.startsWith("%PDF-");
}

std::optional<PdfImageInfo> findFirstPdfImage(const char* data, qint64 size) {
    const QByteArrayView all(data, size);
    for (qint64 from = 0;;) {
        const qint64 at = all.indexOf("/Image", from);
        if (at < 0)
            return std::nullopt;
        from = at + 6;
        if (from < size && !isDelimiter(data[from]))
            continue; // "/ImageB" and the like
        qint64 k = at - 1;
        while (k >= 0 && isSpace(data[k]))
            --k;
        if (k < 7 || std::memcmp(data + k - 7, "/Subtype", 8) != 0)
            continue;
        const qint64 open = dictionaryStart(data, k - 7);
        if (open < 0)
            continue;
        if (auto info = imageAt(data, size, open))
            return info;
    }
}

namespace {

// Runs use on the mapped file at path; false when it cannot be mapped.
template <typename Use> bool withMappedPdf(const QString& path, Use use) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 8)
        return false;
    const qint64 size = file.size();
    const uchar* mapped = file.map(0, size);
    if (!mapped)
        return false;
    const char* data = reinterpret_cast<const char*>(mapped);
    if (!looksLikePdf(QByteArray::fromRawData(data, 8)))
        return false;
    use(data, size);
    return true;
}

} // namespace

QSize pdfFirstImageSize(const QString& path) {
    QSize size;
    withMappedPdf(path, [&](const char* data, qint64 length) {
        if (const auto info = findFirstPdfImage(data, length))
            size = info->size;
    });
    return size;
}

QImage readPdfFirstImage(const QString& path) {
    QImage image;
    withMappedPdf(path, [&](const char* data, qint64 length) {
        const auto info = findFirstPdfImage(data, length);
        if (!info)
            return;
        const QByteArray stream(data + info->streamStart, info->streamLength);
        if (info->filter == "DCTDecode")
            image = QImage::fromData(stream, "JPEG");
        else
            image = decodeSamples(*info, stream);
        if (!image.isNull() && image.size() != info->size)
            image = QImage(); // not the picture the dictionary describes
    });
    return image;
}

} // namespace orv
