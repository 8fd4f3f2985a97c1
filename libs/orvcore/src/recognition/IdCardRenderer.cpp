#include "IdCardRenderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cmath>

namespace orv {

namespace {

constexpr double kPxPerMm = kCardWidth / 85.6;
constexpr int kMargin = 60; // white sheet around and between the sides
const char* const kCjkFont = "WenQuanYi Micro Hei";

double mm(double v) {
    return v * kPxPerMm;
}

QFont font(const char* family, double pixels, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(int(pixels + 0.5));
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QString text(const QByteArray& local) {
    return QString::fromLocal8Bit(local);
}

// A blank side: a pale card with rounded corners and a thin edge.
QImage blankSide(const QColor& top, const QColor& bottom) {
    QImage img(kCardWidth, kCardHeight, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, kCardWidth, kCardHeight);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(QPen(QColor(150, 160, 170), 2));
    p.drawRoundedRect(QRectF(1, 1, kCardWidth - 2, kCardHeight - 2), mm(3.18), mm(3.18));
    return img;
}

void label(QPainter& p, double xMm, double baselineMm, const QString& s) {
    p.setFont(font(kCjkFont, mm(2.6)));
    p.setPen(QColor(40, 100, 160));
    p.drawText(QPointF(mm(xMm), mm(baselineMm)), s);
}

void value(QPainter& p, double xMm, double baselineMm, const QString& s, double sizeMm = 3.1) {
    p.setFont(font(kCjkFont, mm(sizeMm)));
    p.setPen(Qt::black);
    p.drawText(QPointF(mm(xMm), mm(baselineMm)), s);
}

// The address broken into lines that fit width pixels, at most three.
QStringList addressLines(const QString& address, const QFont& f, double width) {
    const QFontMetricsF m(f);
    QStringList lines;
    QString line;
    for (const QChar c : address) {
        if (!line.isEmpty() && m.horizontalAdvance(line + c) > width) {
            lines << line;
            line.clear();
        }
        line += c;
    }
    if (!line.isEmpty())
        lines << line;
    return lines.mid(0, 3);
}

} // namespace

QImage renderCardFront(const IdCardData& card) {
    QImage img = blankSide(QColor(246, 248, 244), QColor(228, 236, 242));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    label(p, 6, 11, QStringLiteral("姓  名"));
    value(p, 17, 11, text(card.name), 3.4);
    label(p, 6, 18.5, QStringLiteral("性  别"));
    value(p, 17, 18.5, text(card.sex));
    label(p, 30, 18.5, QStringLiteral("民  族"));
    value(p, 41, 18.5, text(card.nation));

    label(p, 6, 26, QStringLiteral("出  生"));
    if (card.birth.size() == 8) {
        value(p, 17, 26, text(card.birth.left(4)));
        label(p, 27.5, 26, QStringLiteral("年"));
        value(p, 32, 26, QString::number(card.birth.mid(4, 2).toInt()));
        label(p, 37, 26, QStringLiteral("月"));
        value(p, 41, 26, QString::number(card.birth.mid(6, 2).toInt()));
        label(p, 46, 26, QStringLiteral("日"));
    } else {
        value(p, 17, 26, text(card.birth));
    }

    label(p, 6, 33.5, QStringLiteral("住  址"));
    const QFont addressFont = font(kCjkFont, mm(3.1));
    const QStringList lines = addressLines(text(card.address), addressFont, mm(35));
    for (int i = 0; i < lines.size(); ++i)
        value(p, 17, 33.5 + i * 5.0, lines.at(i));

    label(p, 6, 49, QStringLiteral("公民身份号码"));
    QFont digits = font("DejaVu Sans Mono", mm(3.6), true);
    digits.setLetterSpacing(QFont::AbsoluteSpacing, mm(0.35));
    p.setFont(digits);
    p.setPen(Qt::black);
    p.drawText(QPointF(mm(28), mm(49)), text(card.number));

    const QRectF photo(mm(56), mm(6), mm(26), mm(32));
    if (!card.photo.isNull())
        p.drawImage(photo, card.photo.scaled(photo.size().toSize(), Qt::KeepAspectRatioByExpanding,
                                             Qt::SmoothTransformation));
    return img;
}

QImage renderCardBack(const IdCardData& card) {
    QImage img = blankSide(QColor(240, 246, 250), QColor(226, 238, 232));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // An emblem-like mark: a red disc with a gold star.
    const QPointF centre(mm(16), mm(15));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawEllipse(centre, mm(9), mm(9));
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 ? mm(2.6) : mm(6.2));
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setBrush(QColor(250, 210, 60));
    p.drawPath(star);

    p.setPen(Qt::black);
    p.setFont(font(kCjkFont, mm(5.2), true));
    p.drawText(QPointF(mm(31), mm(15)), QStringLiteral("中华人民共和国"));
    p.setFont(font(kCjkFont, mm(7.0), true));
    p.drawText(QPointF(mm(24), mm(29)), QStringLiteral("居民身份证"));

    label(p, 14, 43, QStringLiteral("签发机关"));
    value(p, 29, 43, text(card.authority));
    label(p, 14, 50, QStringLiteral("有效期限"));
    value(p, 29, 50, text(card.validity));
    return img;
}

QImage renderCard(const IdCardData& card) {
    QImage sheet(kCardWidth + 2 * kMargin, 2 * kCardHeight + 3 * kMargin, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    const int dotsPerMeter = int(300 / 0.0254 + 0.5);
    sheet.setDotsPerMeterX(dotsPerMeter);
    sheet.setDotsPerMeterY(dotsPerMeter);
    QPainter p(&sheet);
    p.drawImage(kMargin, kMargin, renderCardFront(card));
    p.drawImage(kMargin, 2 * kMargin + kCardHeight, renderCardBack(card));
    return sheet;
}

} // namespace orv
