#include "SceneRenderer.h"

#include "ViewGeometry.h"

#define ZX_USE_UTF8
#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>
#include <exception>

namespace orv {

namespace {

// Scenes are laid out in a 4:3 space of these logical units and scaled to the
// frame, so every resolution shows the same picture.
constexpr qreal kSceneWidth = 1600;
constexpr qreal kSceneHeight = 1200;
const QRectF kClockRect(kSceneWidth - 262, kSceneHeight - 84, 236, 60);

const char* const kFontFamily = "WenQuanYi Micro Hei";

// Maps the logical scene space onto a frame of size, centred.
QTransform sceneTransform(QSize size) {
    const qreal s = std::min(size.width() / kSceneWidth, size.height() / kSceneHeight);
    QTransform t;
    t.translate((size.width() - kSceneWidth * s) / 2, (size.height() - kSceneHeight * s) / 2);
    t.scale(s, s);
    return t;
}

QFont sceneFont(qreal pixelSize, bool bold = false) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting); // the painter scales the text
    return font;
}

// A barcode symbol as filled modules in a unit grid (one unit per module);
// empty when the writer refuses the text.
QPainterPath codeModules(ZXing::BarcodeFormat format, const QString& text, QSize* modules) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    try {
        ZXing::MultiFormatWriter writer(format);
        writer.setMargin(0);
        writer.setEncoding(ZXing::CharacterSet::UTF8);
        const ZXing::BitMatrix matrix = writer.encode(text.toStdString(), 0, 0);
        for (int y = 0; y < matrix.height(); ++y) {
            int x = 0;
            while (x < matrix.width()) {
                if (!matrix.get(x, y)) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < matrix.width() && matrix.get(x, y))
                    ++x;
                path.addRect(QRectF(start, y, x - start, 1));
            }
        }
        *modules = QSize(matrix.width(), matrix.height());
    } catch (const std::exception&) {
        *modules = QSize();
        return {};
    }
    return path;
}

// Draws a code into target (module aspect follows target for 1-D codes).
void paintCode(QPainter& p, ZXing::BarcodeFormat format, const QString& text,
               const QRectF& target) {
    QSize modules;
    const QPainterPath path = codeModules(format, text, &modules);
    if (modules.isEmpty())
        return;
    p.save();
    p.translate(target.topLeft());
    p.scale(target.width() / modules.width(), target.height() / modules.height());
    p.fillPath(path, QColor(0x14, 0x14, 0x14));
    p.restore();
}

void paintVignette(QPainter& p, const QRectF& area, int strength) {
    QRadialGradient vignette(area.center(), std::hypot(area.width(), area.height()) / 2);
    vignette.setColorAt(0.0, QColor(0, 0, 0, 0));
    vignette.setColorAt(0.65, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, strength));
    p.fillRect(area, vignette);
}

void paintWoodDesk(QPainter& p, const QRectF& area) {
    QLinearGradient base(area.topLeft(), area.bottomRight());
    base.setColorAt(0.0, QColor(0x86, 0x55, 0x2a));
    base.setColorAt(0.35, QColor(0xa6, 0x71, 0x3d));
    base.setColorAt(0.6, QColor(0x95, 0x62, 0x31));
    base.setColorAt(1.0, QColor(0x74, 0x48, 0x21));
    p.fillRect(area, base);

    // Grain: long wavy streaks, darker and lighter, from a fixed seed so
    // every frame size shows the same desk.
    QRandomGenerator rng(0x0d5c);
    for (int i = 0; i < 170; ++i) {
        const qreal y0 = area.top() + rng.bounded(area.height());
        const qreal amplitude = 2 + rng.bounded(10.0);
        const qreal wavelength = 260 + rng.bounded(700.0);
        const qreal phase = rng.bounded(6.28);
        const bool dark = rng.bounded(3) != 0;
        QColor colour = dark ? QColor(0x4e, 0x2e, 0x12) : QColor(0xcf, 0x9a, 0x62);
        colour.setAlpha(dark ? 25 + rng.bounded(50) : 18 + rng.bounded(35));
        QPainterPath streak;
        for (qreal x = area.left(); x <= area.right() + 20; x += 20) {
            const qreal y = y0 + amplitude * std::sin(x / wavelength * 6.2832 + phase) +
                            amplitude * 0.4 * std::sin(x / (wavelength * 0.37) + phase * 2);
            if (x == area.left())
                streak.moveTo(x, y);
            else
                streak.lineTo(x, y);
        }
        p.strokePath(streak, QPen(colour, 1 + rng.bounded(4.0)));
    }
    // Joints between the boards.
    for (qreal y = area.top() + 310; y < area.bottom(); y += 360) {
        p.fillRect(QRectF(area.left(), y, area.width(), 4), QColor(0x3e, 0x24, 0x0e, 150));
        p.fillRect(QRectF(area.left(), y + 4, area.width(), 2), QColor(0xd8, 0xa8, 0x70, 60));
    }
    paintVignette(p, area, 110);
}

void paintDarkMat(QPainter& p, const QRectF& area) {
    QLinearGradient base(area.topLeft(), area.bottomRight());
    base.setColorAt(0.0, QColor(0x2c, 0x31, 0x39));
    base.setColorAt(1.0, QColor(0x17, 0x1a, 0x1f));
    p.fillRect(area, base);
    QRandomGenerator rng(0x3a7);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 1400; ++i) {
        const QPointF at(area.left() + rng.bounded(area.width()),
                         area.top() + rng.bounded(area.height()));
        p.setBrush(rng.bounded(2) ? QColor(255, 255, 255, 10 + rng.bounded(16))
                                  : QColor(0, 0, 0, 30 + rng.bounded(30)));
        p.drawEllipse(at, 1.2 + rng.bounded(1.5), 1.2 + rng.bounded(1.5));
    }
    paintVignette(p, area, 140);
}

void paintShadow(QPainter& p, const QPainterPath& shape, QPointF offset) {
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(offset * (0.4 + 0.3 * i));
        p.fillPath(shape, QColor(0, 0, 0, 34 - 6 * i));
        p.restore();
    }
}

// Draws text wrapped in width at top; returns the bottom of what was drawn.
qreal paintParagraph(QPainter& p, const QFont& font, const QColor& colour, qreal left, qreal top,
                     qreal width, const QString& text) {
    p.setFont(font);
    p.setPen(colour);
    const QFontMetricsF metrics(font);
    const QRectF box = metrics.boundingRect(QRectF(left, top, width, 2000),
                                            Qt::TextWordWrap | Qt::AlignLeft, text);
    p.drawText(QRectF(left, top, width, box.height() + 4), Qt::TextWordWrap | Qt::AlignLeft, text);
    return top + box.height();
}

void paintDocumentPage(QPainter& p, int cameraIndex) {
    const int number = cameraIndex + 1;
    const SceneCodes codes = sceneCodes(cameraIndex);
    const qreal pageW = 778, pageH = 1100; // A4, 210 x 297

    p.translate(kSceneWidth / 2, kSceneHeight / 2);
    p.rotate(3.0);
    p.translate(-pageW / 2, -pageH / 2);

    QPainterPath page;
    page.addRect(0, 0, pageW, pageH);
    paintShadow(p, page, QPointF(16, 20));
    QLinearGradient paper(0, 0, pageW, pageH);
    paper.setColorAt(0, QColor(0xfe, 0xfe, 0xfc));
    paper.setColorAt(1, QColor(0xf3, 0xf2, 0xee));
    p.fillPath(page, paper);

    const qreal margin = 60, textW = pageW - 2 * margin;
    const QColor ink(0x22, 0x22, 0x22), navy(0x1c, 0x2b, 0x48), grey(0x70, 0x74, 0x7a);

    p.setFont(sceneFont(15));
    p.setPen(grey);
    p.drawText(QRectF(margin, 28, textW, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("ORVANTA · 样张 %1").arg(number));
    p.fillRect(QRectF(margin, 56, textW, 2), QColor(0x1c, 0x2b, 0x48, 160));

    qreal y = 78;
    y = paintParagraph(p, sceneFont(46, true), navy, margin, y, textW,
                       QStringLiteral("文档采集测试页")) +
        6;
    y = paintParagraph(
            p, sceneFont(22), grey, margin, y, textW,
            QStringLiteral("Document capture test page, virtual camera %1").arg(number)) +
        22;
    const QFont chinese = sceneFont(23);
    y = paintParagraph(p, chinese, ink, margin, y, textW,
                       QStringLiteral("这是一张由虚拟高拍仪生成的测试文档。页面略微倾斜地放在木质"
                                      "桌面上，用来检验预览、拍照、裁边与文字识别等功能在没有真实"
                                      "设备时的表现。")) +
        12;
    y = paintParagraph(p, chinese, ink, margin, y, textW,
                       QStringLiteral("页面下方印有一个二维码和一个一维条码，在一千二百八十乘九百六"
                                      "十及以上的分辨率下应当能被正确读出。桌角的时钟每秒更新一次，"
                                      "表示画面仍在实时刷新。")) +
        20;
    const QFont english = sceneFont(20);
    y = paintParagraph(
            p, english, ink, margin, y, textW,
            QStringLiteral("This page comes from a virtual document camera. It lies on a "
                           "wooden desk at a slight angle, so that preview, capture, edge "
                           "detection and text recognition can be tried without a real "
                           "device.")) +
        10;
    y = paintParagraph(
            p, english, ink, margin, y, textW,
            QStringLiteral("A QR code and a Code 128 barcode are printed near the foot of "
                           "the page. The clock in the corner of the desk changes once a "
                           "second, which shows that the picture is live.")) +
        16;

    // A small ruled table between the text and the codes.
    const QStringList rows[] = {
        {QStringLiteral("编号  No."), codes.barcodeText},
        {QStringLiteral("日期  Date"), QStringLiteral("2025-06-01")},
        {QStringLiteral("页码  Page"), QStringLiteral("1 / 1")},
    };
    const qreal rowH = 30, labelW = 200;
    p.setPen(QPen(QColor(0x1c, 0x2b, 0x48, 150), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(margin, y, textW, rowH * 3));
    for (int i = 1; i < 3; ++i)
        p.drawLine(QPointF(margin, y + rowH * i), QPointF(margin + textW, y + rowH * i));
    p.drawLine(QPointF(margin + labelW, y), QPointF(margin + labelW, y + rowH * 3));
    p.setFont(sceneFont(17));
    for (int i = 0; i < 3; ++i) {
        const QRectF row(margin, y + rowH * i, textW, rowH);
        p.setPen(navy);
        p.drawText(row.adjusted(14, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, rows[i].at(0));
        p.setPen(ink);
        p.drawText(row.adjusted(labelW + 14, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   rows[i].at(1));
    }

    const QRectF qr(margin, 690, 220, 220);
    paintCode(p, ZXing::BarcodeFormat::QRCode, codes.qrText, qr);
    const qreal captionX = qr.right() + 36, captionW = pageW - margin - captionX;
    qreal cy = paintParagraph(p, sceneFont(24, true), navy, captionX, qr.top() + 8, captionW,
                              QStringLiteral("二维码 / QR code")) +
               10;
    cy = paintParagraph(p, sceneFont(18), grey, captionX, cy, captionW, codes.qrText) + 18;
    paintParagraph(p, sceneFont(18), grey, captionX, cy, captionW,
                   QStringLiteral("条码 / Code 128: %1").arg(codes.barcodeText));

    const QRectF bar(margin + 40, 942, textW - 80, 104);
    paintCode(p, ZXing::BarcodeFormat::Code128, codes.barcodeText, bar);
    p.setFont(sceneFont(20));
    p.setPen(ink);
    p.drawText(QRectF(bar.left(), bar.bottom() + 4, bar.width(), 28), Qt::AlignCenter,
               codes.barcodeText);
}

void paintPortrait(QPainter& p, const QRectF& frame) {
    p.fillRect(frame, QColor(0xd6, 0xdc, 0xe2));
    const QColor figure(0x8d, 0x98, 0xa5);
    p.setPen(Qt::NoPen);
    p.setBrush(figure);
    const qreal cx = frame.center().x();
    p.drawEllipse(QPointF(cx, frame.top() + frame.height() * 0.36), frame.width() * 0.22,
                  frame.height() * 0.2);
    QPainterPath shoulders;
    shoulders.moveTo(frame.left() + frame.width() * 0.08, frame.bottom());
    shoulders.cubicTo(frame.left() + frame.width() * 0.1, frame.top() + frame.height() * 0.62,
                      frame.right() - frame.width() * 0.1, frame.top() + frame.height() * 0.62,
                      frame.right() - frame.width() * 0.08, frame.bottom());
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x9a, 0xa6, 0xb2), 2));
    p.drawRect(frame);
}

void paintCard(QPainter& p, int cameraIndex) {
    const int number = cameraIndex + 1;
    const SceneCodes codes = sceneCodes(cameraIndex);
    const qreal cardW = 1000, cardH = 631; // 85.6 x 54 mm

    p.translate(kSceneWidth / 2, kSceneHeight / 2 - 20);
    p.rotate(-2.5);
    p.translate(-cardW / 2, -cardH / 2);

    QPainterPath card;
    card.addRoundedRect(QRectF(0, 0, cardW, cardH), 38, 38);
    paintShadow(p, card, QPointF(14, 22));
    QLinearGradient face(0, 0, cardW, cardH);
    face.setColorAt(0, QColor(0xee, 0xf5, 0xfa));
    face.setColorAt(1, QColor(0xc9, 0xdf, 0xee));
    p.fillPath(card, face);

    p.save();
    p.setClipPath(card);
    p.fillRect(QRectF(0, 0, cardW, 112), QColor(0x1d, 0x5c, 0x8a));
    QPainterPath wave;
    wave.moveTo(0, cardH);
    wave.cubicTo(cardW * 0.3, cardH - 170, cardW * 0.6, cardH + 40, cardW, cardH - 120);
    wave.lineTo(cardW, cardH);
    wave.closeSubpath();
    p.fillPath(wave, QColor(0x1d, 0x5c, 0x8a, 40));
    p.restore();

    p.setFont(sceneFont(42, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(40, 0, 600, 112), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ORVANTA 访客证"));
    p.setFont(sceneFont(24));
    p.drawText(QRectF(cardW - 440, 0, 400, 112), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("VISITOR CARD  %1").arg(number, 2, 10, QLatin1Char('0')));

    paintPortrait(p, QRectF(44, 150, 210, 262));

    const QColor label(0x3b, 0x5a, 0x74), value(0x14, 0x1e, 0x28);
    const struct {
        const char* label;
        QString value;
    } fields[] = {
        {"姓名  Name", QStringLiteral("林晓雨  LIN XIAOYU")},
        {"部门  Dept.", QStringLiteral("技术部  Engineering")},
        {"编号  No.", QStringLiteral("V-%1").arg(number, 4, 10, QLatin1Char('0'))},
        {"有效期  Valid", QStringLiteral("2025.01.01 - 2027.12.31")},
    };
    qreal y = 150;
    for (const auto& field : fields) {
        p.setFont(sceneFont(20));
        p.setPen(label);
        p.drawText(QRectF(290, y, 420, 28), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(field.label));
        p.setFont(sceneFont(29, true));
        p.setPen(value);
        p.drawText(QRectF(290, y + 28, 440, 40), Qt::AlignLeft | Qt::AlignVCenter, field.value);
        y += 82;
    }
    const QRectF qr(cardW - 248, cardH - 262, 200, 200);
    p.fillRect(qr.adjusted(-14, -14, 14, 14), Qt::white);
    paintCode(p, ZXing::BarcodeFormat::QRCode, codes.qrText, qr);
    p.setFont(sceneFont(17));
    p.setPen(label);
    p.drawText(QRectF(44, cardH - 66, 560, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("请随身佩戴  Please wear this card at all times"));
}

} // namespace

SceneKind sceneKindForCamera(int cameraIndex) {
    return cameraIndex % 2 == 0 ? SceneKind::Document : SceneKind::Card;
}

SceneCodes sceneCodes(int cameraIndex) {
    const int number = cameraIndex + 1;
    if (sceneKindForCamera(cameraIndex) == SceneKind::Document)
        return {QStringLiteral("Orvanta virtual document, camera %1").arg(number),
                QStringLiteral("ORV-DOC-%1").arg(number)};
    return {QStringLiteral("ORVANTA VISITOR CARD V-%1").arg(number, 4, 10, QLatin1Char('0')), {}};
}

QImage renderScene(int cameraIndex, QSize size) {
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
    const QTransform toFrame = sceneTransform(size);
    p.setTransform(toFrame);
    const QRectF everywhere = toFrame.inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(size)));
    if (sceneKindForCamera(cameraIndex) == SceneKind::Document) {
        paintWoodDesk(p, everywhere);
        paintDocumentPage(p, cameraIndex);
    } else {
        paintDarkMat(p, everywhere);
        paintCard(p, cameraIndex);
    }
    return image;
}

void paintClock(QImage& frame, const QTime& time) {
    if (frame.isNull())
        return;
    QPainter p(&frame);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setTransform(sceneTransform(frame.size()));
    QPainterPath plate;
    plate.addRoundedRect(kClockRect, 12, 12);
    p.fillPath(plate, QColor(0x10, 0x12, 0x16, 215));
    QFont font = sceneFont(36, true);
    font.setFamily(QStringLiteral("WenQuanYi Micro Hei Mono"));
    p.setFont(font);
    p.setPen(QColor(0x9c, 0xf5, 0x9a));
    p.drawText(kClockRect, Qt::AlignCenter, time.toString(QStringLiteral("HH:mm:ss")));
}

QImage fitPicture(const QImage& picture, QSize size) {
    if (size.isEmpty())
        return {};
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(QColor(0x30, 0x30, 0x30));
    const QRect area = fitRect(picture.size(), size);
    if (area.isEmpty())
        return frame;
    const QImage scaled =
        picture.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter p(&frame);
    p.drawImage(area.topLeft(), scaled);
    return frame;
}

} // namespace orv
