#include "PdfTextLayer.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace orv::capture {

namespace {

// The font's vertical metrics (thousandths of the font size): a word's box
// runs from the descent below the baseline to the ascent above it.
constexpr int kAscent = 800;
constexpr int kDescent = -200;
// At most this many entries in one bfchar block of a CMap.
constexpr int kCMapBlock = 100;

bool isChinese(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0x20000 && c <= 0x2FFFF);
}

QByteArray number(double value) {
    QByteArray text = QByteArray::number(value, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

QByteArray hex4(uint value) {
    return QByteArray::number(value, 16).rightJustified(4, '0').toUpper();
}

// The UTF-16 code units of a character, in hex.
QByteArray utf16Hex(char32_t c) {
    if (c < 0x10000)
        return hex4(uint(c));
    const uint v = uint(c) - 0x10000;
    return hex4(0xD800 + (v >> 10)) + hex4(0xDC00 + (v & 0x3FF));
}

// A run of text drawn as one: the words of a line that follow each other
// without a space (Chinese characters), or one word.
struct Run {
    QList<char32_t> text;
    QRect box;
    bool spaceAfter = false;
};

} // namespace

QList<PdfWord> parseWords(const QByteArray& utf8) {
    QList<PdfWord> words;
    for (const QByteArray& row : utf8.split('\n')) {
        const QList<QByteArray> f = row.split(' ');
        if (f.size() != 7 || f[6].isEmpty())
            continue;
        bool ok[6] = {};
        int v[6] = {};
        for (int i = 0; i < 6; ++i)
            v[i] = f[i].toInt(&ok[i]);
        if (!std::all_of(ok, ok + 6, [](bool b) { return b; }) || v[3] <= v[1] || v[4] <= v[2])
            continue;
        words << PdfWord{v[0], QRect(QPoint(v[1], v[2]), QPoint(v[3] - 1, v[4] - 1)), v[5],
                         QString::fromUtf8(f[6])};
    }
    return words;
}

PdfTextLayer buildTextLayer(const QList<PdfWord>& words, int heightPx, int dpi) {
    PdfTextLayer layer;
    const double scale = 72.0 / std::max(1, dpi);
    QHash<char32_t, int> codes;
    QByteArray ops;
    // Words of one line, in order.
    qsizetype i = 0;
    while (i < words.size()) {
        const int line = words[i].line;
        QList<Run> runs;
        QRect lineBox;
        for (; i < words.size() && words[i].line == line; ++i) {
            const PdfWord& w = words[i];
            if (w.confidence < kMinWordConfidence)
                continue;
            const QList<uint> ucs4 = w.text.toUcs4();
            if (ucs4.isEmpty())
                continue;
            const bool joins = !runs.isEmpty() && isChinese(runs.last().text.last()) &&
                               isChinese(char32_t(ucs4.first()));
            if (!joins) {
                if (!runs.isEmpty())
                    runs.last().spaceAfter = true;
                runs << Run{};
            }
            for (uint c : ucs4)
                runs.last().text << char32_t(c);
            runs.last().box |= w.box;
            lineBox |= w.box;
        }
        if (runs.isEmpty())
            continue;
        // One height and baseline for the whole line, so that readers keep
        // its words together.
        const double top = (heightPx - lineBox.top()) * scale;
        const double bottom = (heightPx - lineBox.bottom() - 1) * scale;
        const double size = std::max(0.5, top - bottom);
        const double baseline = bottom - size * kDescent / 1000.0;
        ops += "/F0 " + number(size) + " Tf\n";
        for (const Run& run : runs) {
            QByteArray shown;
            QList<char32_t> glyphs = run.text;
            if (run.spaceAfter)
                glyphs << U' ';
            for (char32_t c : glyphs) {
                auto it = codes.find(c);
                if (it == codes.end()) {
                    layer.characters << c;
                    it = codes.insert(c, int(layer.characters.size()));
                }
                shown += hex4(uint(it.value()));
            }
            // Each glyph is one em wide; the run's characters fill its box.
            const double width = (run.box.width()) * scale;
            const double stretch = 100.0 * width / (size * double(run.text.size()));
            ops += number(std::max(0.01, stretch)) + " Tz 1 0 0 1 " +
                   number(run.box.left() * scale) + ' ' + number(baseline) + " Tm <" + shown +
                   "> Tj\n";
        }
    }
    if (!ops.isEmpty())
        layer.content = "BT\n3 Tr\n" + ops + "ET\n";
    return layer;
}

QList<PdfFontObject> textFontObjects(const PdfTextLayer& layer, int first) {
    const auto ref = [](int object) { return QByteArray::number(object) + " 0 R"; };
    const int cidFont = first + 1, descriptor = first + 2, toUnicode = first + 3;
    QList<PdfFontObject> objects;
    objects << PdfFontObject{"<< /Type /Font /Subtype /Type0 /BaseFont /GlyphLessFont"
                             " /Encoding /Identity-H /DescendantFonts [" +
                                 ref(cidFont) + "] /ToUnicode " + ref(toUnicode) + " >>",
                             {}};
    objects << PdfFontObject{"<< /Type /Font /Subtype /CIDFontType2 /BaseFont /GlyphLessFont"
                             " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity)"
                             " /Supplement 0 >> /FontDescriptor " +
                                 ref(descriptor) + " /DW 1000 /CIDToGIDMap /Identity >>",
                             {}};
    objects << PdfFontObject{"<< /Type /FontDescriptor /FontName /GlyphLessFont /Flags 5"
                             " /FontBBox [0 " +
                                 QByteArray::number(kDescent) + " 1000 " +
                                 QByteArray::number(kAscent) + "] /ItalicAngle 0 /Ascent " +
                                 QByteArray::number(kAscent) + " /Descent " +
                                 QByteArray::number(kDescent) + " /CapHeight " +
                                 QByteArray::number(kAscent) + " /StemV 80 >>",
                             {}};
    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    for (qsizetype at = 0; at < layer.characters.size(); at += kCMapBlock) {
        const qsizetype n = std::min<qsizetype>(kCMapBlock, layer.characters.size() - at);
        cmap += QByteArray::number(n) + " beginbfchar\n";
        for (qsizetype k = at; k < at + n; ++k)
            cmap += '<' + hex4(uint(k + 1)) + "> <" + utf16Hex(layer.characters[k]) + ">\n";
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    objects << PdfFontObject{{}, cmap};
    return objects;
}

} // namespace orv::capture
