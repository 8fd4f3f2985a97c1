// Build-time generator of the application's skin style sheets and images.
//
//   make_resources <skin template> <output folder>
//
// Writes image/<skin>.css for the six skins, the small images the style
// sheets name, the window icon image/orv.png, and resources.qrc listing them.

#include <QColor>
#include <QDir>
#include <QFile>
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
    // Dark text on light theme colours, white on the others.
    const double luminance =
        (0.299 * s.button.red() + 0.587 * s.button.green() + 0.114 * s.button.blue()) / 255.0;
    text.replace(QStringLiteral("{{buttonText}}"),
                 luminance > 0.65 ? QStringLiteral("#3A2A30") : QStringLiteral("#FFFFFF"));
    text.replace(QStringLiteral("{{button}}"), css(s.button));
    text.replace(QStringLiteral("{{buttonLight}}"), css(s.button.lighter(125)));
    text.replace(QStringLiteral("{{buttonDark}}"), css(s.button.darker(120)));
    text.replace(QStringLiteral("{{buttonDarker}}"), css(s.button.darker(145)));
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

bool save(const QImage& img, const QString& dir, const QString& name, QStringList& files) {
    const QString rel = QStringLiteral("image/") + name;
    if (!img.save(dir + QLatin1Char('/') + rel, "PNG")) {
        std::fprintf(stderr, "make_resources: cannot write %s\n", qPrintable(rel));
        return false;
    }
    files << rel;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_resources <skin template> <output folder>\n");
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

    bool ok = save(checkBox(false), out, QStringLiteral("checkbox_unchecked.png"), files) &&
              save(checkBox(true), out, QStringLiteral("checkbox_checked.png"), files) &&
              save(radio(false), out, QStringLiteral("radio_normal.png"), files) &&
              save(radio(true), out, QStringLiteral("radio_selected.png"), files) &&
              save(arrow(12, 0, QColor(0x50, 0x50, 0x50)), out, QStringLiteral("array_down.png"),
                   files) &&
              save(arrow(10, 180, frame), out, QStringLiteral("scroll_up.png"), files) &&
              save(arrow(10, 0, frame), out, QStringLiteral("scroll_down.png"), files) &&
              save(arrow(10, 90, frame), out, QStringLiteral("scroll_left.png"), files) &&
              save(arrow(10, -90, frame), out, QStringLiteral("scroll_right.png"), files) &&
              save(appIcon(), out, QStringLiteral("orv.png"), files);
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
