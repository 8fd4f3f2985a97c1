#pragma once

#include <QByteArray>
#include <QString>

namespace idcardrecog {

// Whether an 18-character citizen number carries the right ISO 7064
// MOD 11-2 check character (the last one, '0'-'9' or 'X').
bool numberValid(const QByteArray& number);

// The fields read from a card front.
struct CardFields {
    QString name, sex, nation, year, month, day, address, number;
};

// Text read by the recogniser made tidy: spaces and line breaks gone.
QString tidy(const QString& raw);

// The labelled lines the library returns ("姓名:...", ... "公民身份号码:...");
// an invalid number is marked "(号码无效)".
QString labelledLines(const CardFields& fields);

} // namespace idcardrecog
