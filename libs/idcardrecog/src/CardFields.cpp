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

const QStringList& nationNames() {
    static const QStringList names =
        QStringLiteral(
            "汉 蒙古 回 藏 维吾尔 苗 彝 壮 布依 朝鲜 满 侗 瑶 白 土家 哈尼 哈萨克 傣 黎 傈僳 佤 畲 "
            "高山 拉祜 水 东乡 纳西 景颇 柯尔克孜 土 达斡尔 仫佬 羌 布朗 撒拉 毛南 仡佬 锡伯 阿昌 "
            "普米 塔吉克 怒 乌孜别克 俄罗斯 鄂温克 德昂 保安 裕固 京 塔塔尔 独龙 鄂伦春 赫哲 门巴 "
            "珞巴 基诺")
            .split(QLatin1Char(' '));
    return names;
}

namespace {

const QString kMismatch = QStringLiteral(" (与号码不符)");
const QString kUnreadable = QStringLiteral(" (无法识别)");

int number(const QString& digits, int low, int high) {
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok && !digits.isEmpty() && digits.size() <= 4 && n >= low && n <= high ? n : -1;
}

} // namespace

QString labelledLines(const CardFields& f) {
    const bool valid = numberValid(f.number.toLatin1());
    QString birth;
    if (!f.year.isEmpty() || !f.month.isEmpty() || !f.day.isEmpty()) {
        birth = f.year + QStringLiteral("年") + f.month + QStringLiteral("月") + f.day +
                QStringLiteral("日");
        const int year = f.year.size() == 4 ? number(f.year, 1900, 2100) : -1;
        const int month = number(f.month, 1, 12), day = number(f.day, 1, 31);
        if (year < 0 || month < 0 || day < 0)
            birth += kUnreadable;
        else if (valid && f.number.mid(6, 8) != QStringLiteral("%1%2%3")
                                                    .arg(year, 4, 10, QLatin1Char('0'))
                                                    .arg(month, 2, 10, QLatin1Char('0'))
                                                    .arg(day, 2, 10, QLatin1Char('0')))
            birth += kMismatch;
    } else {
        birth = kUnreadable.trimmed();
    }
    QString sex = f.sex;
    if (sex != QStringLiteral("男") && sex != QStringLiteral("女"))
        sex += kUnreadable;
    else if (valid && (f.number[16].digitValue() % 2 == 1) != (sex == QStringLiteral("男")))
        sex += kMismatch;
    QString nation = f.nation;
    if (!nationNames().contains(nation))
        nation += kUnreadable;
    QString number = f.number;
    if (!valid)
        number += QStringLiteral(" (号码无效)");
    return QStringList{
        QStringLiteral("姓名:") + f.name,    QStringLiteral("性别:") + sex,
        QStringLiteral("民族:") + nation,    QStringLiteral("出生:") + birth,
        QStringLiteral("住址:") + f.address, QStringLiteral("公民身份号码:") + number}
        .join(QLatin1Char('\n'));
}

} // namespace idcardrecog
