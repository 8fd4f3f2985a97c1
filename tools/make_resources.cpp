// Build-time generator of the application's skin style sheets and images.
//
//   make_resources <skin template> <output folder> <icon font>
//
// Writes image/<skin>.css for the six skins, the small images the style
// sheets name, the window icon image/orv.png, the whiteboard's tool-panel
// images image/mark/*.png and its cursors image/eraser.png and
// image/pencil.png (glyphs of the icon font and drawn shapes), and
// resources.qrc listing them.

#include "shell/Contrast.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cstdio>

namespace {

struct Skin {
    const char* file;
    QColor button;
    QColor titleTop;
    QColor titleBottom;
    QColor border;
    QColor editBorder;
};

const Skin skins[] = {
    {"chocolate", QColor(104, 104, 104), QColor(0x686868), QColor(0x747272), QColor(0x686868),
     QColor(0x686868)},
    {"blue", QColor(23, 131, 195), QColor(0x1B89CA), QColor(0x1077B5), QColor(0x1B89CA),
     QColor(0x5CACEE)},
    {"mgreen", QColor(66, 169, 120), QColor(0x19A966), QColor(0xA9A9A6), QColor(0x19A966),
     QColor(0x19A966)},
    {"green", QColor(56, 199, 56), QColor(0x88E788), QColor(0x38C738), QColor(0x38C738),
     QColor(0x38C738)},
    {"pink", QColor(242, 158, 194), QColor(0xE269A1), QColor(0xF19CB1), QColor(0xF29EC2),
     QColor(0xE269A1)},
    {"brown", QColor(179, 147, 72), QColor(0xB39348), QColor(0xB39348), QColor(0xB39348),
     QColor(0xB39348)},
};

QString css(const QColor& c) {
    return c.name(QColor::HexRgb).toUpper();
}

QString fillTemplate(QString text, const Skin& s) {
    // White text on the theme colour, dark text on light theme colours. The
    // button faces are shades of the theme colour dark (or light) enough for
    // the text to read at 4.5:1 on every state, the lighter top of the
    // gradient included.
    const QColor white(0xFF, 0xFF, 0xFF);
    const QColor dark(0x3A, 0x2A, 0x30);
    const QColor textColour =
        contrast::ratio(s.button, dark) > 2 * contrast::ratio(s.button, white) ? dark : white;
    const QColor face = contrast::shadeFor(s.button, textColour, contrast::kText + 0.6);
    const auto shade = [&](const QColor& c) {
        return css(contrast::shadeFor(c, textColour, contrast::kText + 0.1));
    };
    // Toolbar glyphs on the light face of the view buttons (#E6E6E6, #D2D2D2
    // under the pointer).
    const QColor glyph = contrast::shadeFor(s.button, QColor(0xD2, 0xD2, 0xD2), contrast::kText);
    text.replace(QStringLiteral("{{buttonText}}"), css(textColour));
    text.replace(QStringLiteral("{{glyph}}"), css(glyph));
    text.replace(QStringLiteral("{{buttonLight}}"), shade(face.lighter(125)));
    text.replace(QStringLiteral("{{buttonDarker}}"), shade(face.darker(145)));
    text.replace(QStringLiteral("{{buttonDark}}"), shade(face.darker(120)));
    text.replace(QStringLiteral("{{button}}"), css(face));
    text.replace(QStringLiteral("{{titleTop}}"), css(s.titleTop));
    text.replace(QStringLiteral("{{titleBottom}}"), css(s.titleBottom));
    text.replace(QStringLiteral("{{border}}"), css(s.border));
    text.replace(QStringLiteral("{{editBorder}}"), css(s.editBorder));
    return text;
}

const QColor frame(0x80, 0x80, 0x80);
const QColor accent(0x1B, 0x89, 0xCA);

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QImage checkBox(bool checked) {
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(checked ? accent : frame, 1.2));
    p.setBrush(checked ? accent : QColor(Qt::white));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
    if (checked) {
        QPen tick(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(tick);
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(4.2, 8.2);
        path.lineTo(6.9, 10.8);
        path.lineTo(11.8, 5.2);
        p.drawPath(path);
    }
    return img;
}

QImage radio(bool selected) {
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(selected ? accent : frame, 1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    if (selected) {
        p.setPen(Qt::NoPen);
        p.setBrush(accent);
        p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
    }
    return img;
}

// A filled triangle pointing in a direction, on a size x size canvas.
QImage arrow(int size, int degrees, const QColor& color) {
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(size / 2.0, size / 2.0);
    p.rotate(degrees);
    const qreal r = size * 0.32;
    QPainterPath path;
    path.moveTo(-r, -r * 0.45);
    path.lineTo(r, -r * 0.45);
    path.lineTo(0, r * 0.65);
    path.closeSubpath();
    p.fillPath(path, color);
    return img;
}

// Window icon: a document camera over a page.
QImage appIcon() {
    const int s = 256;
    QImage img = canvas(s, s);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, s);
    bg.setColorAt(0, QColor(0x2A, 0x9B, 0xE0));
    bg.setColorAt(1, QColor(0x10, 0x5E, 0x9A));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(8, 8, s - 16, s - 16), 44, 44);
    // Page.
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(92, 150, 120, 74), 6, 6);
    p.setBrush(QColor(0xB0, 0xC4, 0xD8));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(106, 166 + i * 16, 90 - i * 22, 6));
    // Stand and arm.
    p.setBrush(QColor(0x26, 0x32, 0x3C));
    p.drawRoundedRect(QRectF(44, 206, 150, 18), 8, 8);
    p.drawRoundedRect(QRectF(58, 70, 18, 146), 8, 8);
    p.drawRoundedRect(QRectF(58, 62, 104, 18), 8, 8);
    // Camera head and light cone.
    p.drawRoundedRect(QRectF(134, 56, 60, 34), 10, 10);
    p.setBrush(QColor(255, 255, 255, 60));
    QPainterPath cone;
    cone.moveTo(152, 90);
    cone.lineTo(176, 90);
    cone.lineTo(214, 150);
    cone.lineTo(100, 150);
    cone.closeSubpath();
    p.drawPath(cone);
    p.setBrush(QColor(0x7F, 0xD3, 0xFF));
    p.drawEllipse(QPointF(164, 73), 9, 9);
    return img;
}

// ---- Whiteboard tool panel and cursors ------------------------------------

const QColor markFill(0xFA, 0xFA, 0xFA);
const QColor markOnFill(0xFF, 0xC8, 0x32);
const QColor markEdge(0x28, 0x1E, 0x1E, 230);

// A filled outline of a stroked path (line art drawn like a glyph).
QPainterPath strokeOf(const QPainterPath& path, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

// shape scaled to fit box (keeping its proportions) and centred in it,
// filled with fill and edged dark, so that it reads on any picture.
void drawFitted(QPainter& p, const QPainterPath& shape, const QRectF& box, const QColor& fill,
                qreal edge) {
    const QRectF b = shape.boundingRect();
    if (b.isEmpty())
        return;
    const qreal scale = qMin(box.width() / b.width(), box.height() / b.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-b.center().x(), -b.center().y());
    const QPainterPath placed = t.map(shape);
    p.setRenderHint(QPainter::Antialiasing);
    p.strokePath(placed, QPen(markEdge, edge, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(placed, fill);
}

QPainterPath glyphPath(const QFont& font, ushort code) {
    QPainterPath path;
    path.addText(0, 0, font, QString(QChar(code)));
    return path;
}

struct MarkIcon {
    const char* name;
    ushort glyph; // 0: drawn shape
};

// Drawn shapes for the tools the icon font has no glyph for, on a 20 x 20 grid.
QPainterPath markShape(const QString& name) {
    QPainterPath line;
    if (name == QLatin1String("line")) {
        line.moveTo(2, 18);
        line.lineTo(18, 2);
        return strokeOf(line, 2.6);
    }
    if (name == QLatin1String("trangle")) {
        line.moveTo(10, 2);
        line.lineTo(2, 18);
        line.lineTo(18, 18);
        line.closeSubpath();
        return strokeOf(line, 2.6);
    }
    if (name == QLatin1String("rect")) {
        line.addRect(QRectF(2, 4, 16, 12));
        return strokeOf(line, 2.6);
    }
    if (name == QLatin1String("ellipse")) {
        line.addEllipse(QRectF(1, 4, 18, 12));
        return strokeOf(line, 2.6);
    }
    // Line width: three strokes, thin to thick.
    QPainterPath out;
    const qreal widths[] = {0.8, 2.4, 5.0};
    qreal y = 3;
    for (qreal w : widths) {
        QPainterPath l;
        l.moveTo(2, y);
        l.lineTo(18, y);
        out.addPath(strokeOf(l, w));
        y += 6.8;
    }
    return out.simplified();
}

QImage markIcon(const QFont& font, const MarkIcon& icon, bool on) {
    QImage img = canvas(25, 25);
    QPainter p(&img);
    const QPainterPath shape = icon.glyph ? glyphPath(font, icon.glyph) : markShape(icon.name);
    drawFitted(p, shape, QRectF(2.5, 2.5, 20, 20), on ? markOnFill : markFill, 2.2);
    return img;
}

// The pencil cursor: the pencil's tip at the hot spot (0, 24).
QImage pencilCursor(const QFont& font) {
    QImage img = canvas(32, 32);
    QPainter p(&img);
    const QPainterPath pencil = glyphPath(font, 0xF040);
    const QRectF b = pencil.boundingRect();
    const qreal scale = 23.0 / qMax(b.width(), b.height());
    QTransform t;
    t.translate(0.8, 24.2);
    t.scale(scale, scale);
    t.translate(-b.left(), -b.bottom());
    const QPainterPath placed = t.map(pencil);
    p.setRenderHint(QPainter::Antialiasing);
    p.strokePath(placed, QPen(markEdge, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(placed, markFill);
    return img;
}

// The eraser cursor: the 40-pixel disc it clears, with the eraser glyph in
// the middle; hot spot at the centre.
QImage eraserCursor(const QFont& font) {
    QImage img = canvas(40, 40);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 255, 255, 40));
    p.setPen(QPen(markEdge, 1.0));
    p.drawEllipse(QRectF(0.5, 0.5, 39, 39));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 220), 1.0, Qt::DashLine));
    p.drawEllipse(QRectF(1.5, 1.5, 37, 37));
    drawFitted(p, glyphPath(font, 0xF12D), QRectF(11, 11, 18, 18), markFill, 1.8);
    return img;
}

bool markImages(const QString& fontPath, const QString& out, QStringList& files);

bool save(const QImage& img, const QString& dir, const QString& name, QStringList& files) {
    const QString rel = QStringLiteral("image/") + name;
    if (!img.save(dir + QLatin1Char('/') + rel, "PNG")) {
        std::fprintf(stderr, "make_resources: cannot write %s\n", qPrintable(rel));
        return false;
    }
    files << rel;
    return true;
}

bool markImages(const QString& fontPath, const QString& out, QStringList& files) {
    const int id = QFontDatabase::addApplicationFont(fontPath);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        std::fprintf(stderr, "make_resources: cannot load the icon font %s\n",
                     qPrintable(fontPath));
        return false;
    }
    QFont font(families.first());
    font.setPixelSize(64);
    QDir().mkpath(out + QStringLiteral("/image/mark"));

    // In the order of the panel's buttons.
    const MarkIcon icons[] = {
        {"mouse", 0xF245}, {"clean", 0xF1F8},    {"pen", 0xF040},
        {"line", 0},       {"texticon", 0xF031}, {"trangle", 0},
        {"rect", 0},       {"ellipse", 0},       {"lw", 0},
        {"color", 0xF1FC}, {"opcity", 0xF042},   {"eraser", 0xF12D},
        {"back", 0xF060},  {"quit", 0xF011},
    };
    for (const MarkIcon& icon : icons) {
        const QString name = QLatin1String("mark/") + QLatin1String(icon.name);
        if (!save(markIcon(font, icon, false), out, name + QStringLiteral(".png"), files) ||
            !save(markIcon(font, icon, true), out, name + QStringLiteral("on.png"), files))
            return false;
    }
    return save(pencilCursor(font), out, QStringLiteral("pencil.png"), files) &&
           save(eraserCursor(font), out, QStringLiteral("eraser.png"), files);
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_resources <skin template> <output folder> <icon font>\n");
        return 2;
    }
    QFile tpl(QString::fromLocal8Bit(argv[1]));
    if (!tpl.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_resources: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString templ = QString::fromUtf8(tpl.readAll());
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out + QStringLiteral("/image"));

    QStringList files;
    for (const Skin& s : skins) {
        const QString rel = QStringLiteral("image/%1.css").arg(QLatin1String(s.file));
        QFile f(out + QLatin1Char('/') + rel);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            std::fprintf(stderr, "make_resources: cannot write %s\n", qPrintable(rel));
            return 1;
        }
        f.write(fillTemplate(templ, s).toLatin1());
        files << rel;
    }

    bool ok =
        save(checkBox(false), out, QStringLiteral("checkbox_unchecked.png"), files) &&
        save(checkBox(true), out, QStringLiteral("checkbox_checked.png"), files) &&
        save(radio(false), out, QStringLiteral("radio_normal.png"), files) &&
        save(radio(true), out, QStringLiteral("radio_selected.png"), files) &&
        save(arrow(12, 0, QColor(0x50, 0x50, 0x50)), out, QStringLiteral("array_down.png"),
             files) &&
        save(arrow(8, 180, QColor(0x40, 0x40, 0x40)), out, QStringLiteral("spin_up.png"), files) &&
        save(arrow(8, 0, QColor(0x40, 0x40, 0x40)), out, QStringLiteral("spin_down.png"), files) &&
        save(arrow(10, 180, frame), out, QStringLiteral("scroll_up.png"), files) &&
        save(arrow(10, 0, frame), out, QStringLiteral("scroll_down.png"), files) &&
        save(arrow(10, 90, frame), out, QStringLiteral("scroll_left.png"), files) &&
        save(arrow(10, -90, frame), out, QStringLiteral("scroll_right.png"), files) &&
        save(appIcon(), out, QStringLiteral("orv.png"), files) &&
        markImages(QString::fromLocal8Bit(argv[3]), out, files);
    if (!ok)
        return 1;

    QFile qrc(out + QStringLiteral("/resources.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    QTextStream ts(&qrc);
    ts << "<RCC><qresource prefix=\"/\">\n";
    for (const QString& f : files)
        ts << "  <file>" << f << "</file>\n";
    ts << "</qresource></RCC>\n";
    return 0;
}
