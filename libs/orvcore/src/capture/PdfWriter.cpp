#include "PdfWriter.h"

#include "FileCommit.h"
#include "JpegWriter.h"
#include "PngBmpWriter.h"

#include <QDateTime>
#include <QMap>
#include <QRegularExpression>
#include <QTimeZone>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::capture {

const char* const kPdfProducer = "Orvanta capture engine";

namespace {

constexpr int kCatalog = 1, kRoot = 2, kInfo = 3, kFirstFree = 4;
constexpr qint64 kTailWindow = 1024;               // where "startxref" is looked for
constexpr qint64 kSectionLimit = 1024 * 1024;      // an xref section and trailer of ours
constexpr qint64 kObjectLimit = 4 * 1024 * 1024;   // a page-tree node of ours
constexpr qint64 kScanLimit = 512LL * 1024 * 1024; // how far back a cut end is looked for

// ---- Writing ----

// The page tree as the last trailer of a file leaves it.
struct TreeState {
    int size = kFirstFree; // the next object number (/Size)
    QList<int> leaves;     // leaf nodes in page order
    QList<int> lastKids;   // the pages of the last leaf
    qint64 count = 0;      // pages in the document
    qint64 previous = -1;  // offset of the last cross-reference section
    QByteArray created;    // creation date of the document
};

QByteArray pdfDate(const QDateTime& when) {
    const int offset = when.offsetFromUtc() / 60;
    char text[40];
    std::snprintf(text, sizeof text, "D:%04d%02d%02d%02d%02d%02d%c%02d'%02d'", when.date().year(),
                  when.date().month(), when.date().day(), when.time().hour(), when.time().minute(),
                  when.time().second(), offset < 0 ? '-' : '+', std::abs(offset) / 60,
                  std::abs(offset) % 60);
    return text;
}

QByteArray ref(int object) {
    return QByteArray::number(object) + " 0 R";
}

QByteArray refList(const QList<int>& objects) {
    QByteArray out = "[";
    for (int o : objects)
        out += ref(o) + ' ';
    out += ']';
    return out;
}

QByteArray points(int pixels, int dpi) {
    return QByteArray::number(pixels * 72.0 / std::max(1, dpi), 'f', 3);
}

// Objects appended to a file from offset base on, with their offsets.
class UpdateBuilder {
public:
    explicit UpdateBuilder(qint64 base) : m_base(base) {}
    QByteArray& bytes() { return m_out; }

    void object(int number, const QByteArray& body) {
        begin(number);
        m_out += body;
        m_out += "\nendobj\n";
    }
    void stream(int number, const QByteArray& dict, const QByteArray& data) {
        begin(number);
        m_out += "<< " + dict + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n";
        m_out += data;
        m_out += "\nendstream\nendobj\n";
    }
    // The cross-reference section of the objects written, and the trailer.
    void finish(const TreeState& state, bool withFreeHead) {
        const qint64 xref = m_base + m_out.size();
        m_out += "xref\n";
        QMap<int, qint64> entries = m_offsets;
        if (withFreeHead)
            entries.insert(0, -1);
        auto it = entries.constBegin();
        while (it != entries.constEnd()) {
            auto runEnd = it;
            int count = 0;
            while (runEnd != entries.constEnd() && runEnd.key() == it.key() + count) {
                ++runEnd;
                ++count;
            }
            m_out += QByteArray::number(it.key()) + ' ' + QByteArray::number(count) + '\n';
            for (; it != runEnd; ++it) {
                char line[40];
                if (it.value() < 0)
                    std::snprintf(line, sizeof line, "0000000000 65535 f\r\n");
                else
                    std::snprintf(line, sizeof line, "%010lld 00000 n\r\n", it.value());
                m_out += line;
            }
        }
        m_out += "trailer\n<< /Size " + QByteArray::number(state.size) + " /Root " + ref(kCatalog) +
                 " /Info " + ref(kInfo);
        if (state.previous >= 0)
            m_out += " /Prev " + QByteArray::number(state.previous);
        m_out += " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    }

private:
    void begin(int number) {
        m_offsets.insert(number, m_base + m_out.size());
        m_out += QByteArray::number(number) + " 0 obj\n";
    }

    const qint64 m_base;
    QByteArray m_out;
    QMap<int, qint64> m_offsets;
};

// zlib data of bytes, as a /FlateDecode stream holds it.
QByteArray deflated(const QByteArray& bytes) {
    const QByteArray packed = qCompress(bytes, 9);
    return packed.size() > 4 ? packed.mid(4) : QByteArray(); // after qCompress's length
}

QByteArray imageDict(const PdfImage& image) {
    return "/Type /XObject /Subtype /Image /Width " + QByteArray::number(image.width) +
           " /Height " + QByteArray::number(image.height) + " /ColorSpace " +
           (image.components == 1 ? "/DeviceGray" : "/DeviceRGB") + " /BitsPerComponent " +
           QByteArray::number(image.bitsPerComponent) + " /Filter " +
           (image.filter == PdfImage::Dct ? "/DCTDecode" : "/FlateDecode");
}

// One update: the new objects first, then (from rewrittenAt on) the objects
// written again, the cross-reference section and the trailer.
struct Update {
    QByteArray bytes;
    qsizetype rewrittenAt = 0;
};

// The update that adds pages to state (which it advances). A new file
// (state.previous < 0) starts with the header and the catalog.
Update buildUpdate(TreeState& state, const QList<PdfImage>& pages, qint64 base) {
    UpdateBuilder out(base);
    const bool fresh = state.previous < 0;
    if (fresh) {
        out.bytes() = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        out.object(kCatalog, "<< /Type /Catalog /Pages " + ref(kRoot) + " >>");
    }
    QMap<int, QList<int>> changedLeaves;
    for (const PdfImage& image : pages) {
        if (state.leaves.isEmpty() || state.lastKids.size() >= kLeafCapacity) {
            state.leaves << state.size++;
            state.lastKids.clear();
        }
        const int leaf = state.leaves.constLast();
        const int picture = state.size++, content = state.size++, page = state.size++;
        out.stream(picture, imageDict(image), image.stream);
        const QByteArray w = points(image.width, image.dpi), h = points(image.height, image.dpi);
        out.stream(content, {}, "q\n" + w + " 0 0 " + h + " 0 0 cm\n/Im0 Do\nQ\n");
        const PdfTextLayer text = buildTextLayer(image.words, image.height, image.dpi);
        QByteArray contents = ref(content), fonts;
        if (!text.content.isEmpty()) {
            const int textContent = state.size++, font = state.size;
            state.size += 4;
            out.stream(textContent, "/Filter /FlateDecode", deflated(text.content));
            const QList<PdfFontObject> objects = textFontObjects(text, font);
            for (qsizetype k = 0; k < objects.size(); ++k) {
                if (objects[k].stream.isEmpty())
                    out.object(font + int(k), objects[k].dict);
                else
                    out.stream(font + int(k), "/Filter /FlateDecode", deflated(objects[k].stream));
            }
            contents = "[" + ref(content) + ' ' + ref(textContent) + "]";
            fonts = " /Font << /F0 " + ref(font) + " >>";
        }
        out.object(page, "<< /Type /Page /Parent " + ref(leaf) + " /MediaBox [0 0 " + w + ' ' + h +
                             "] /Resources << /XObject << /Im0 " + ref(picture) + " >>" + fonts +
                             " >> /Contents " + contents + " >>");
        state.lastKids << page;
        changedLeaves.insert(leaf, state.lastKids);
        ++state.count;
    }
    Update update;
    update.rewrittenAt = out.bytes().size();
    for (auto it = changedLeaves.constBegin(); it != changedLeaves.constEnd(); ++it)
        out.object(it.key(), "<< /Type /Pages /Parent " + ref(kRoot) + " /Kids " +
                                 refList(it.value()) + " /Count " +
                                 QByteArray::number(it.value().size()) + " >>");
    out.object(kRoot, "<< /Type /Pages /Kids " + refList(state.leaves) + " /Count " +
                          QByteArray::number(state.count) + " >>");
    const QByteArray now = pdfDate(QDateTime::currentDateTime());
    if (state.created.isEmpty())
        state.created = now;
    out.object(kInfo, "<< /Producer (" + QByteArray(kPdfProducer) + ") /Creator (Orvanta)" +
                          " /CreationDate (" + state.created + ") /ModDate (" + now + ") >>");
    out.finish(state, fresh);
    update.bytes = out.bytes();
    return update;
}

// ---- Reading our own files ----

// Repeats a positioned read or write until length bytes are done; io(done)
// transfers from offset + done and returns what pread/pwrite return.
template <typename Io> bool transferAll(qint64 length, Io io) {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = io(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool readAt(int fd, qint64 offset, qint64 length, QByteArray* out) {
    out->resize(length);
    return transferAll(length, [&](qint64 done) {
        return ::pread(fd, out->data() + done, size_t(length - done), offset + done);
    });
}

bool writeAt(int fd, qint64 offset, const QByteArray& data) {
    const qint64 length = data.size();
    return transferAll(length, [&](qint64 done) {
        return ::pwrite(fd, data.constData() + done, size_t(length - done), offset + done);
    });
}

// The integer after key in text ("/Size 12"); -1 when absent.
qint64 numberAfter(const QByteArray& text, const QByteArray& key) {
    const QRegularExpression re(QRegularExpression::escape(QString::fromLatin1(key)) +
                                QStringLiteral("\\s+(\\d+)(?![\\d.])"));
    const auto match = re.match(QString::fromLatin1(text));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// The object numbers of "[a 0 R b 0 R ...]" after key.
bool refsAfter(const QByteArray& text, const QByteArray& key, QList<int>* out) {
    const qsizetype at = text.indexOf(key);
    const qsizetype open = at < 0 ? -1 : text.indexOf('[', at);
    const qsizetype close = open < 0 ? -1 : text.indexOf(']', open);
    if (close < 0)
        return false;
    out->clear();
    static const QRegularExpression re(QStringLiteral("(\\d+)\\s+0\\s+R"));
    const QString list = QString::fromLatin1(text.mid(open + 1, close - open - 1));
    for (auto it = re.globalMatch(list); it.hasNext();)
        *out << it.next().captured(1).toInt();
    return true;
}

// The body of object number at offset: the text between "N 0 obj" and
// "endobj"; empty when it is not there.
QByteArray objectAt(int fd, qint64 offset, qint64 end, int number) {
    QByteArray text;
    for (qint64 want = 4096;; want *= 4) {
        const qint64 length = std::min({want, end - offset, kObjectLimit});
        if (length <= 0 || !readAt(fd, offset, length, &text))
            return {};
        const QByteArray head = QByteArray::number(number) + " 0 obj";
        if (!text.startsWith(head))
            return {};
        const qsizetype stop = text.indexOf("endobj");
        if (stop >= 0)
            return text.mid(head.size(), stop - head.size());
        if (length < want)
            return {};
    }
}

// The tree state of our file whose last trailer ends at end. False when
// the file there is not one of ours (or is damaged).
bool readState(int fd, qint64 end, TreeState* state) {
    const qint64 tailStart = std::max<qint64>(0, end - kTailWindow);
    QByteArray tail;
    if (!readAt(fd, tailStart, end - tailStart, &tail))
        return false;
    const qsizetype mark = tail.lastIndexOf("startxref");
    if (mark < 0)
        return false;
    bool ok = false;
    const qint64 xref = tail.mid(mark + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok || xref <= 0 || xref >= tailStart + mark)
        return false;
    QByteArray section;
    if (!readAt(fd, xref, std::min(tailStart + mark - xref, kSectionLimit), &section) ||
        !section.startsWith("xref"))
        return false;
    const qsizetype trailerAt = section.indexOf("trailer");
    if (trailerAt < 0)
        return false;
    // Subsections: "first count" lines, then count entries of three fields.
    QMap<int, qint64> offsets;
    const QList<QByteArray> words = section.mid(4, trailerAt - 4).simplified().split(' ');
    for (qsizetype i = 0; i + 1 < words.size();) {
        const int first = words[i].toInt(), count = words[i + 1].toInt();
        i += 2;
        for (int k = 0; k < count; ++k, i += 3) {
            if (i + 2 >= words.size())
                return false;
            if (words[i + 2] == "n")
                offsets.insert(first + k, words[i].toLongLong());
        }
    }
    const QByteArray trailer = section.mid(trailerAt);
    if (numberAfter(trailer, "/Root") != kCatalog || numberAfter(trailer, "/Info") != kInfo ||
        !offsets.contains(kRoot) || !offsets.contains(kInfo))
        return false;
    state->size = int(numberAfter(trailer, "/Size"));
    state->previous = xref;

    const QByteArray info = objectAt(fd, offsets.value(kInfo), end, kInfo);
    if (!info.contains("/Producer (" + QByteArray(kPdfProducer) + ")"))
        return false;
    static const QRegularExpression created(QStringLiteral("/CreationDate\\s*\\(([^)]*)\\)"));
    state->created = created.match(QString::fromLatin1(info)).captured(1).toLatin1();

    const QByteArray root = objectAt(fd, offsets.value(kRoot), end, kRoot);
    state->count = numberAfter(root, "/Count");
    if (!refsAfter(root, "/Kids", &state->leaves) || state->leaves.isEmpty() || state->count < 1)
        return false;
    const int lastLeaf = state->leaves.constLast();
    if (!offsets.contains(lastLeaf))
        return false;
    const QByteArray leaf = objectAt(fd, offsets.value(lastLeaf), end, lastLeaf);
    if (!refsAfter(leaf, "/Kids", &state->lastKids) || state->lastKids.isEmpty() ||
        numberAfter(leaf, "/Count") != state->lastKids.size())
        return false;
    return state->size > state->lastKids.constLast() && state->size > lastLeaf;
}

// Where the last "%%EOF" of the file ends (with its end of line); -1 when
// there is none within kScanLimit of the end.
qint64 lastEofEnd(int fd, qint64 size) {
    const qint64 chunk = 64 * 1024;
    QByteArray block;
    for (qint64 stop = size; stop > 0 && size - stop < kScanLimit;) {
        const qint64 start = std::max<qint64>(0, stop - chunk);
        const qint64 length = std::min(size, stop + 5) - start; // overlap a mark cut in two
        if (!readAt(fd, start, length, &block))
            return -1;
        const qsizetype at = block.lastIndexOf("%%EOF");
        if (at >= 0) {
            qint64 end = start + at + 5;
            QByteArray after;
            if (end < size && readAt(fd, end, std::min<qint64>(2, size - end), &after)) {
                if (after.startsWith("\r\n"))
                    end += 2;
                else if (after.startsWith('\n') || after.startsWith('\r'))
                    end += 1;
            }
            return end;
        }
        stop = start;
    }
    return -1;
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Our file cut back to end (and made durable); false on error.
bool cutBack(int fd, qint64 end) {
    return ::ftruncate(fd, end) == 0 && ::fsync(fd) == 0;
}

QByteArray packRows(const QImage& mono) {
    const int rowBytes = (mono.width() + 7) / 8;
    QByteArray rows;
    rows.reserve(qsizetype(rowBytes) * mono.height());
    for (int y = 0; y < mono.height(); ++y)
        rows.append(reinterpret_cast<const char*>(mono.constScanLine(y)), rowBytes);
    return rows;
}

} // namespace

PdfImage pdfImageOf(const Picture& picture) {
    PdfImage image;
    image.width = picture.image.width();
    image.height = picture.image.height();
    image.dpi = picture.dpi;
    if (picture.bilevel) {
        // 1 is white in DeviceGray, as in monoOf().
        const QByteArray packed = qCompress(packRows(monoOf(picture.image)), 9);
        image.stream =
            packed.size() > 4 ? packed.mid(4) : QByteArray(); // zlib data after the length
        image.filter = PdfImage::Flate;
        image.components = 1;
        image.bitsPerComponent = 1;
        return image;
    }
    image.stream = encodeJpeg(picture);
    image.components = picture.isGray() ? 1 : 3;
    return image;
}

bool pdfImageFromJpeg(const QByteArray& jpeg, int fallbackDpi, PdfImage* image) {
    const auto byte = [&](qsizetype i) { return uchar(jpeg.at(i)); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return false;
    int dpi = fallbackDpi;
    for (qsizetype i = 2; i + 4 <= jpeg.size();) {
        if (byte(i) != 0xFF)
            return false;
        const uchar marker = byte(i + 1);
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        const int length = (byte(i + 2) << 8) | byte(i + 3);
        if (length < 2 || i + 2 + length > jpeg.size())
            return false;
        const qsizetype body = i + 4;
        if (marker == 0xE0 && length >= 14 && jpeg.mid(body, 5) == QByteArray("JFIF", 5)) {
            const int unit = byte(body + 7), x = (byte(body + 8) << 8) | byte(body + 9);
            if (unit == 1 && x > 0)
                dpi = x;
            else if (unit == 2 && x > 0)
                dpi = int(std::lround(x * 2.54));
        } else if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            if (length < 8 || byte(body) != 8)
                return false;
            image->height = (byte(body + 1) << 8) | byte(body + 2);
            image->width = (byte(body + 3) << 8) | byte(body + 4);
            image->components = byte(body + 5);
            if ((image->components != 1 && image->components != 3) || image->width < 1 ||
                image->height < 1)
                return false;
            image->stream = jpeg;
            image->filter = PdfImage::Dct;
            image->bitsPerComponent = 8;
            image->dpi = dpi;
            return true;
        }
        i += 2 + length;
    }
    return false;
}

PdfStatus writeNewPdf(const QByteArray& path, const QList<PdfImage>& pages) {
    if (pages.isEmpty())
        return PdfStatus::Failed;
    for (const PdfImage& page : pages)
        if (page.stream.isEmpty())
            return PdfStatus::Failed;
    TreeState state;
    const Update update = buildUpdate(state, pages, 0);
    FileCommit file(path);
    return file.open() && file.write(update.bytes) && file.commit() ? PdfStatus::Written
                                                                    : PdfStatus::Failed;
}

PdfStatus appendPdf(const QByteArray& path, const QList<PdfImage>& pages) {
    if (pages.isEmpty())
        return PdfStatus::Failed;
    for (const PdfImage& page : pages)
        if (page.stream.isEmpty())
            return PdfStatus::Failed;
    Fd fd(::open(path.constData(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? writeNewPdf(path, pages) : PdfStatus::Failed;
    struct stat info;
    if (::fstat(fd.get(), &info) != 0)
        return PdfStatus::Failed;
    if (!S_ISREG(info.st_mode))
        return PdfStatus::NotOurs;
    if (::flock(fd.get(), LOCK_EX) != 0) // two captures into one file take turns
        return PdfStatus::Failed;
    const qint64 size = info.st_size;
    QByteArray head;
    if (size < 16 || !readAt(fd.get(), 0, 8, &head) || !head.startsWith("%PDF-1."))
        return PdfStatus::NotOurs;
    // The file ends at its last complete trailer; bytes after it are what an
    // interrupted update left, unreferenced by any trailer.
    const qint64 end = lastEofEnd(fd.get(), size);
    TreeState state;
    if (end < 0 || !readState(fd.get(), end, &state))
        return PdfStatus::NotOurs;
    if (end < size && !cutBack(fd.get(), end))
        return PdfStatus::Failed;
    // Two steps, each flushed: the new objects, which no trailer names yet;
    // then, in one write, the objects written again with the new
    // cross-reference section and trailer. Until the second step is on the
    // disk, readers (also those that rebuild a damaged file's index from its
    // objects) find the earlier revision complete.
    const Update update = buildUpdate(state, pages, end);
    const QByteArray fresh = update.bytes.left(update.rewrittenAt);
    const QByteArray rewritten = update.bytes.mid(update.rewrittenAt);
    if (!writeAt(fd.get(), end, fresh) || ::fsync(fd.get()) != 0 ||
        !writeAt(fd.get(), end + fresh.size(), rewritten) || ::fsync(fd.get()) != 0) {
        cutBack(fd.get(), end);
        return PdfStatus::Failed;
    }
    return PdfStatus::Written;
}

} // namespace orv::capture
