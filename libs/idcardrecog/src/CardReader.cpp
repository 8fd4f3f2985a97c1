#include "CardReader.h"

#include "CardFinder.h"

#include <QList>
#include <QPainter>

#include <tesseract/baseapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace idcardrecog {

namespace {
constexpr double kPxPerMm = kCardWidth / 85.6;
// Print black, paper white, split halfway between the field's ink and its
// paper: the recogniser's own threshold, taken over a field that is mostly
// paper with a faint pattern, loses thin strokes of short names. A field
// without ink becomes blank.
void binarise(QImage& part) {
    int histogram[256] = {};
    for (int y = 0; y < part.height(); ++y) {
        const uchar* line = part.constScanLine(y);
        for (int x = 0; x < part.width(); ++x)
            ++histogram[line[x]];
    }
    const long pixels = long(part.width()) * part.height();
    const auto level = [&](long share) {
        long seen = 0;
        for (int v = 0; v < 256; ++v)
            if ((seen += histogram[v]) * 1000 >= share * pixels)
                return v;
        return 255;
    };
    const int ink = level(5), paper = level(500);
    const int threshold = paper - ink < 48 ? -1 : (ink + paper) / 2;
    for (int y = 0; y < part.height(); ++y) {
        uchar* line = part.scanLine(y);
        for (int x = 0; x < part.width(); ++x)
            line[x] = line[x] <= threshold ? 0 : 255;
    }
}

} // namespace

CardReader::CardReader() = default;
CardReader::~CardReader() {
    if (chinese)
        chinese->End();
    if (digits)
        digits->End();
}

bool CardReader::ready() {
    if (tried)
        return ok;
    tried = true;
    // OpenMP threads slow Tesseract down on a small machine; the limit must be
    // in place before the library starts them. A limit the user set stays.
    setenv("OMP_THREAD_LIMIT", "1", 0);
    chinese = std::make_unique<tesseract::TessBaseAPI>();
    digits = std::make_unique<tesseract::TessBaseAPI>();
    ok = chinese->Init(nullptr, "chi_sim", tesseract::OEM_LSTM_ONLY) == 0 &&
         digits->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) == 0;
    if (ok) {
        chinese->SetVariable("debug_file", "/dev/null");
        digits->SetVariable("debug_file", "/dev/null");
    }
    return ok;
}

// Where the card prints a field and how: its area in millimetres from the
// top left, the height of its characters, the page mode it is read in and
// the only characters it may hold (empty: any).
struct CardReader::Field {
    double x0, y0, x1, y1;
    // Sizes to read the field at, from the card's 300 dpi (unused ones 0).
    double scales[5];
    int mode;
    const char* allowed;
};

namespace {

// Every character of the 56 nations' names (made before the fields below).
const std::string kNationCharacters = nationNames().join(QString()).toStdString();

// Chinese fields are read at several sizes and the reading most sizes agree
// on is kept: at one size the recogniser may split a character in two or
// drop a stroke, rarely at most of them in the same way. The address, a
// block of longer lines, reads right at one size and costs most to read.
const CardReader::Field kName{
    16, 6.2, 54, 12.6, {0.5, 0.6, 0.7, 0.8, 0.9}, tesseract::PSM_SINGLE_LINE, ""};
const CardReader::Field kSex{16, 13.8, 28, 20, {0.6, 0.8, 1.0}, tesseract::PSM_SINGLE_CHAR, ""};
const CardReader::Field kNation{
    40, 13.8, 54, 20, {0.6, 0.8, 1.0}, tesseract::PSM_SINGLE_LINE, kNationCharacters.c_str()};
const CardReader::Field kYear{16, 21.3, 27.2, 27.5, {1}, tesseract::PSM_SINGLE_LINE, "0123456789"};
const CardReader::Field kMonth{31, 21.3, 36.8, 27.5, {1}, tesseract::PSM_SINGLE_LINE, "0123456789"};
const CardReader::Field kDay{40, 21.3, 45.8, 27.5, {1}, tesseract::PSM_SINGLE_LINE, "0123456789"};
const CardReader::Field kAddress{16, 28.8, 54.5, 44.6, {0.8}, tesseract::PSM_SINGLE_BLOCK, ""};
const CardReader::Field kNumber{27, 44.5, 84, 50.8, {1}, tesseract::PSM_SINGLE_LINE, "0123456789X"};

} // namespace

QString CardReader::text(tesseract::TessBaseAPI& api, const QImage& card, const Field& field) {
    const QRect area = QRectF(field.x0 * kPxPerMm, field.y0 * kPxPerMm,
                              (field.x1 - field.x0) * kPxPerMm, (field.y1 - field.y0) * kPxPerMm)
                           .toRect()
                           .intersected(card.rect());
    const QImage print = card.copy(area).convertToFormat(QImage::Format_Grayscale8);
    api.SetVariable("tessedit_char_whitelist", field.allowed);
    api.SetPageSegMode(tesseract::PageSegMode(field.mode));
    // Each reading with how many sizes gave it and their confidence.
    struct Reading {
        QString text;
        int votes = 0;
        int confidence = 0;
    };
    QList<Reading> readings;
    for (const double scale : field.scales) {
        if (scale <= 0)
            continue;
        // On a margin of paper: the recogniser reads badly where print
        // touches the edge of what it is given.
        const QImage sized =
            print.scaled(print.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const int margin = qRound(2 * kPxPerMm * scale);
        QImage part(sized.size() + QSize(2 * margin, 2 * margin), QImage::Format_Grayscale8);
        part.fill(255);
        {
            QPainter p(&part);
            p.drawImage(margin, margin, sized);
        }
        binarise(part);
        api.SetImage(part.constBits(), part.width(), part.height(), 1, part.bytesPerLine());
        api.SetSourceResolution(qRound(kCardDpi * scale));
        char* raw = api.GetUTF8Text();
        const QString read = tidy(QString::fromUtf8(raw ? raw : ""));
        delete[] raw;
        if (read.isEmpty())
            continue;
        auto same = std::find_if(readings.begin(), readings.end(),
                                 [&](const Reading& r) { return r.text == read; });
        if (same == readings.end())
            same = readings.insert(readings.end(), Reading{read});
        ++same->votes;
        same->confidence += api.MeanTextConf();
    }
    const auto best =
        std::max_element(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
            return a.votes != b.votes ? a.votes < b.votes : a.confidence < b.confidence;
        });
    return best == readings.end() ? QString() : best->text;
}

QString CardReader::number(const QImage& card) {
    return ready() ? text(*digits, card, kNumber) : QString();
}

CardFields CardReader::read(const QImage& card) {
    CardFields f;
    if (!ready())
        return f;
    f.number = number(card);
    f.name = text(*chinese, card, kName);
    f.sex = text(*chinese, card, kSex);
    f.nation = text(*chinese, card, kNation);
    f.year = text(*digits, card, kYear);
    f.month = text(*digits, card, kMonth);
    f.day = text(*digits, card, kDay);
    f.address = text(*chinese, card, kAddress);
    return f;
}

} // namespace idcardrecog
