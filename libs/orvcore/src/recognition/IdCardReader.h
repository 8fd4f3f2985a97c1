#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace orv {

// The data of a Chinese resident ID card as a reader delivers it: texts in
// the local 8-bit encoding (UTF-8 here) and the holder's photograph.
struct IdCardData {
    QByteArray name;
    QByteArray sex;
    QByteArray nation;
    QByteArray birth; // "YYYYMMDD"
    QByteArray address;
    QByteArray number;
    QByteArray authority;
    QByteArray validity; // "YYYY.MM.DD-YYYY.MM.DD" or "YYYY.MM.DD-长期"
    QImage photo;
};

// The machine has no card reader: a virtual one reads the card presented to
// it. ORVANTA_VIRTUAL_IDCARD names a card file (JSON object or INI file with
// the keys name, sex, nation, birth, address, number, authority, validity
// and photo, a picture path relative to the card file); without the variable
// a built-in sample card of a made-up person lies on the reader; "none" or a
// file that cannot be read means no card. JSON is read as JSON, any other
// file by the program's INI rules (its first section); texts may be UTF-8 or
// GBK. A card file that gives no card says why in a warning (standard
// error). False when there is no card.
bool readVirtualCard(IdCardData& card);

// The built-in sample card (with a drawn photograph).
IdCardData sampleCard();

// A drawn stand-in for a photograph when a card file names none.
QImage drawnPhoto();

// The date of birth as the reader reports it: "YYYY-MM-DD" (other texts as
// they are).
QByteArray fullBirth(const QByteArray& birth);

// The ISO 7064 MOD 11-2 check character of the first 17 digits of an
// 18-character number ('0'-'9' or 'X'); 0 when they are not 17 digits.
char idNumberCheck(const QByteArray& first17);

// Writes the image as a JPEG to a new file in the temporary folder (created
// exclusively: an existing file or link of that name is never followed) and
// returns its path; empty on failure.
QByteArray writeTempJpeg(const QImage& image, const QString& stem);

} // namespace orv
