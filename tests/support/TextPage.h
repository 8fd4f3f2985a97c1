#pragma once

// A page of text lines drawn as a scanner or page camera would deliver it:
// black text on white at 300 dpi, for OCR tests and benchmarks.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QStringList>

namespace textpage {

constexpr int kDpi = 300;
constexpr int kA4Width = 2480; // 210 mm at 300 dpi
constexpr int kA4Height = 3508;

// The lines, 12 pt (50 px at 300 dpi) in a CJK font, from a 2.5 cm margin;
// the image height fits the lines unless a height is given.
inline QImage render(const QStringList& lines, int height = 0) {
    const int margin = 300;
    const int pitch = 90;
    if (height <= 0)
        height = 2 * margin + pitch * int(lines.size());
    QImage page(kA4Width, height, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(qRound(kDpi / 0.0254));
    page.setDotsPerMeterY(qRound(kDpi / 0.0254));
    QPainter painter(&page);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(50);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = margin;
    for (const QString& line : lines) {
        painter.drawText(margin, y + 50, line);
        y += pitch;
    }
    return page;
}

} // namespace textpage
