#pragma once

// A set of photograph-like camera frames with barcodes, made the same way on
// every run: codes of seven symbologies drawn by ZXing's writer on white
// labels, laid on textured paper or cloth with printed text, at several sizes,
// turned a little, seen in slight perspective, lit unevenly, blurred, noisy
// and passed through JPEG at a low quality.

#include <QByteArray>
#include <QImage>
#include <QList>

namespace benchframes {

struct ExpectedCode {
    QByteArray format; // ZXing's name, as the reader reports it
    QByteArray text;
};

struct Frame {
    QImage image;    // RGB32, decoded from jpeg
    QByteArray jpeg; // the frame as its last step left it: a JPEG file
    QList<ExpectedCode> codes;
    QByteArray description;
};

// How the codes are seen.
enum class Style {
    Print,      // printed labels on paper, cloth or wood, light blur, JPEG 50-90
    Photograph, // as a hand-held photograph: low contrast (gray ink on dim
                // labels), glare over part of the picture (often a code), the
                // page seen in perspective (one for the whole frame, the
                // labels flat on the page, as paper lies), defocus up to 3
                // pixels, heavier noise and JPEG at quality 50
};

// count frames of size, frame i made from seed i only.
QList<Frame> makeFrames(int count, QSize size, Style style = Style::Print);

// How many of expected appear among found (format and text alike, each found
// code matched once).
int matched(const QList<ExpectedCode>& expected, const QList<ExpectedCode>& found);

} // namespace benchframes
