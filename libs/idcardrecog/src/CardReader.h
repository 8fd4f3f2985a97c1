#pragma once

#include "CardFields.h"

#include <QImage>

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

namespace idcardrecog {

// Reads the fields of a straightened card front (kCardWidth x kCardHeight,
// grey) from where the card prints them, with Tesseract: Chinese text with
// the chi_sim model, digits with eng limited to digits and 'X'. One reader
// per thread.
class CardReader {
public:
    CardReader();
    ~CardReader();

    // Loads the models; false when they are missing.
    bool ready();
    CardFields read(const QImage& card);
    // Only the citizen number: enough to tell the front from the back.
    QString number(const QImage& card);

    // Where and how the card prints one field.
    struct Field;

private:
    QString text(tesseract::TessBaseAPI& api, const QImage& card, const Field& field);

    std::unique_ptr<tesseract::TessBaseAPI> chinese;
    std::unique_ptr<tesseract::TessBaseAPI> digits;
    bool tried = false;
    bool ok = false;
};

} // namespace idcardrecog
