#include "CardReader.h"

#include "CardFinder.h"

#include <tesseract/baseapi.h>

#include <cstdlib>

namespace idcardrecog {

namespace {
constexpr double kPxPerMm = kCardWidth / 85.6;
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
        digits->SetVariable("tessedit_char_whitelist", "0123456789X");
        chinese->SetVariable("debug_file", "/dev/null");
        digits->SetVariable("debug_file", "/dev/null");
    }
    return ok;
}

// The text in the card area x0..x1, y0..y1 (millimetres from the top left).
QString CardReader::text(tesseract::TessBaseAPI& api, const QImage& card, double x0, double y0,
                         double x1, double y1, int mode) {
    const QRect area =
        QRectF(x0 * kPxPerMm, y0 * kPxPerMm, (x1 - x0) * kPxPerMm, (y1 - y0) * kPxPerMm)
            .toRect()
            .intersected(card.rect());
    const QImage part = card.copy(area).convertToFormat(QImage::Format_Grayscale8);
    api.SetPageSegMode(tesseract::PageSegMode(mode));
    api.SetImage(part.constBits(), part.width(), part.height(), 1, part.bytesPerLine());
    api.SetSourceResolution(300);
    char* raw = api.GetUTF8Text();
    const QString out = tidy(QString::fromUtf8(raw ? raw : ""));
    delete[] raw;
    return out;
}

QString CardReader::number(const QImage& card) {
    return ready() ? text(*digits, card, 27, 44.5, 84, 50.8, tesseract::PSM_SINGLE_LINE)
                   : QString();
}

CardFields CardReader::read(const QImage& card) {
    CardFields f;
    if (!ready())
        return f;
    const int line = tesseract::PSM_SINGLE_LINE;
    f.number = number(card);
    f.name = text(*chinese, card, 16, 6.2, 54, 12.6, line);
    f.sex = text(*chinese, card, 16, 13.8, 28, 20, tesseract::PSM_SINGLE_CHAR);
    f.nation = text(*chinese, card, 40, 13.8, 54, 20, line);
    f.year = text(*digits, card, 16, 21.3, 27.2, 27.5, line);
    f.month = text(*digits, card, 31, 21.3, 36.8, 27.5, line);
    f.day = text(*digits, card, 40, 21.3, 45.8, 27.5, line);
    f.address = text(*chinese, card, 16, 28.8, 54.5, 44.6, tesseract::PSM_SINGLE_BLOCK);
    return f;
}

} // namespace idcardrecog
