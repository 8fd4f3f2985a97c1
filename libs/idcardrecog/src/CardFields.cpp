#include "CardFields.h"

#include <QStringList>

namespace idcardrecog {

bool numberValid(const QByteArray& number) {
    if (number.size() != 18)
        return false;
    static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i) {
        const char c = number[i];
        if (c < '0' || c > '9')
            return false;
        sum += (c - '0') * weights[i];
    }
    return number[17] == "10X98765432"[sum % 11];
}

QString tidy(const QString& raw) {
    QString out;
    for (const QChar c : raw)
        if (!c.isSpace())
            out += c;
    return out;
}

QString labelledLines(const CardFields& f) {
    QString birth;
    if (!f.year.isEmpty())
        birth = f.year + QStringLiteral("年") + f.month + QStringLiteral("月") + f.day +
                QStringLiteral("日");
    QString number = f.number;
    if (!numberValid(f.number.toLatin1()))
        number += QStringLiteral(" (号码无效)");
    return QStringList{
        QStringLiteral("姓名:") + f.name,    QStringLiteral("性别:") + f.sex,
        QStringLiteral("民族:") + f.nation,  QStringLiteral("出生:") + birth,
        QStringLiteral("住址:") + f.address, QStringLiteral("公民身份号码:") + number}
        .join(QLatin1Char('\n'));
}

} // namespace idcardrecog
