#pragma once

// The invisible text laid over a page picture, so that PDF viewers find,
// select and copy the words the picture shows.
//
// The words are drawn in text render mode 3 (neither filled nor stroked)
// with a font of which no glyph is ever drawn: a CID font with the
// Identity-H encoding whose codes are numbered per page, and a ToUnicode map
// from those codes to the words' characters. No font program is embedded.
// Each word run is placed on its box in the page's coordinates and stretched
// (Tz) to the box's width, so that a reader's word boxes match the
// picture's.

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

namespace orv::capture {

// A word of the picture: its box in pixels (origin top left), the text line
// it belongs to, and the recogniser's confidence (0..100).
struct PdfWord {
    int line = 0;
    QRect box;
    int confidence = 0;
    QString text;
};

// The words of the recogniser's text: one word a line,
// "<line> <left> <top> <right> <bottom> <confidence> <word>" (right and
// bottom excluded). Lines that do not read so are passed over.
QList<PdfWord> parseWords(const QByteArray& utf8);

// The page's text layer: a content stream drawing the words with font
// resource /F0, and the characters of the font's codes (code i + 1 is
// characters[i]).
struct PdfTextLayer {
    QByteArray content;
    QList<char32_t> characters;
};

// The layer of words over a picture of widthPx x heightPx pixels at dpi;
// empty content when no word is kept (words of confidence below
// kMinWordConfidence are left out).
PdfTextLayer buildTextLayer(const QList<PdfWord>& words, int heightPx, int dpi);

constexpr int kMinWordConfidence = 15;

// The objects of the layer's font, numbered from first on (four objects:
// the Type0 font, its CID font, the descriptor and the ToUnicode map), in
// the order given; the Type0 font is first.
struct PdfFontObject {
    QByteArray dict;
    QByteArray stream; // non-empty for the ToUnicode map
};
QList<PdfFontObject> textFontObjects(const PdfTextLayer& layer, int first);

} // namespace orv::capture
