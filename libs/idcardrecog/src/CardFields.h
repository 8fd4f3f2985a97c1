#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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

// The 56 nations' names as the card prints them.
const QStringList& nationNames();

// The labelled lines the library returns ("姓名:...", ... "公民身份号码:...").
// A field that fails its check is shown as read with a mark after it:
// a number whose check character is wrong "(号码无效)"; with a valid number,
// a birth date other than its digits 7-14 or a sex other than its digit 17
// tells (odd: 男, even: 女) "(与号码不符)"; a date that is no date, a sex
// that is neither 男 nor 女, a nation that is none of the 56 "(无法识别)".
QString labelledLines(const CardFields& fields);

} // namespace idcardrecog
