#include "BarcodeFrames.h"

#define ZX_USE_UTF8
#include <ZXing/BarcodeFormat.h>
#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>

#include <QBuffer>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace benchframes {

namespace {

using ZXing::BarcodeFormat;
using Random = std::mt19937;

int uniform(Random& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

double uniformReal(Random& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}

std::string randomText(Random& rng, const char* alphabet, int length) {
    const int n = int(std::char_traits<char>::length(alphabet));
    std::string text;
    for (int i = 0; i < length; ++i)
        text += alphabet[uniform(rng, 0, n - 1)];
    return text;
}

std::string ean13(Random& rng) {
    std::string digits = randomText(rng, "0123456789", 12);
    digits[0] = char('1' + uniform(rng, 0, 8)); // no UPC-A look-alikes
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (digits[size_t(i)] - '0') * (i % 2 ? 3 : 1);
    return digits + char('0' + (10 - sum % 10) % 10);
}

struct Symbology {
    BarcodeFormat format;
    const char* name;
    bool linear;
};

const std::array<Symbology, 7> kSymbologies{{
    {BarcodeFormat::QRCode, "QRCode", false},
    {BarcodeFormat::DataMatrix, "DataMatrix", false},
    {BarcodeFormat::PDF417, "PDF417", false},
    {BarcodeFormat::Code128, "Code128", true},
    {BarcodeFormat::Code39, "Code39", true},
    {BarcodeFormat::ITF, "ITF", true},
    {BarcodeFormat::EAN13, "EAN-13", true},
}};

std::string contentFor(BarcodeFormat format, Random& rng) {
    const char* words = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 -./:";
    switch (format) {
    case BarcodeFormat::QRCode:
        return randomText(rng, words, uniform(rng, 10, 48));
    case BarcodeFormat::DataMatrix:
        return randomText(rng, words, uniform(rng, 8, 30));
    case BarcodeFormat::PDF417:
        return randomText(rng, words, uniform(rng, 10, 36));
    case BarcodeFormat::Code128:
        return randomText(rng, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-", uniform(rng, 6, 12));
    case BarcodeFormat::Code39:
        return randomText(rng, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-", uniform(rng, 5, 8));
    case BarcodeFormat::ITF:
        return randomText(rng, "0123456789", 2 * uniform(rng, 3, 7));
    default:
        return ean13(rng);
    }
}

// The symbol one pixel per module, ink on label.
QImage symbolImage(BarcodeFormat format, const std::string& text, int ink, int label) {
    ZXing::MultiFormatWriter writer(format);
    writer.setMargin(0);
    writer.setEncoding(ZXing::CharacterSet::UTF8);
    const ZXing::BitMatrix matrix = writer.encode(text, 0, 0);
    QImage image(matrix.width(), std::max(1, matrix.height()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < matrix.width(); ++x) {
            const int v = matrix.get(x, std::min(y, matrix.height() - 1)) ? ink : label;
            image.setPixel(x, y, qRgb(v, v, v));
        }
    return image;
}

// Smooth random field in [0, 1]: values on a grid of cell pixels, bilinear
// between them.
std::vector<float> valueNoise(Random& rng, QSize size, int cell) {
    const int gw = size.width() / cell + 2, gh = size.height() / cell + 2;
    std::vector<float> grid(size_t(gw * gh));
    for (float& g : grid)
        g = float(uniformReal(rng, 0, 1));
    std::vector<float> field(size_t(size.width()) * size_t(size.height()));
    for (int y = 0; y < size.height(); ++y) {
        const int gy = y / cell;
        const float fy = float(y % cell) / float(cell);
        for (int x = 0; x < size.width(); ++x) {
            const int gx = x / cell;
            const float fx = float(x % cell) / float(cell);
            const float a = grid[size_t(gy * gw + gx)], b = grid[size_t(gy * gw + gx + 1)];
            const float c = grid[size_t((gy + 1) * gw + gx)],
                        d = grid[size_t((gy + 1) * gw + gx + 1)];
            field[size_t(y) * size_t(size.width()) + size_t(x)] =
                (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
        }
    }
    return field;
}

// Paper, wood or cloth, in colour.
QImage background(Random& rng, QSize size, int kind) {
    QImage image(size, QImage::Format_RGB32);
    const std::vector<float> coarse = valueNoise(rng, size, 160);
    const std::vector<float> fine = valueNoise(rng, size, 9);
    const QColor tints[] = {QColor(236, 232, 220), QColor(150, 104, 64), QColor(96, 110, 140)};
    const QColor tint = tints[kind];
    const double stripe = uniformReal(rng, 0.01, 0.03), turn = uniformReal(rng, -0.3, 0.3);
    for (int y = 0; y < size.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const size_t i = size_t(y) * size_t(size.width()) + size_t(x);
            double shade = 0.85 + 0.15 * coarse[i] + 0.08 * (fine[i] - 0.5);
            if (kind == 1) // wood grain: wavy stripes
                shade += 0.12 * std::sin((y + turn * x) * stripe * 6.28 + 8 * coarse[i]);
            else if (kind == 2) // woven cloth
                shade += 0.07 * ((x / 3 + y / 3) % 2 ? 1 : -1) * fine[i];
            line[x] = qRgb(qBound(0, int(tint.red() * shade), 255),
                           qBound(0, int(tint.green() * shade), 255),
                           qBound(0, int(tint.blue() * shade), 255));
        }
    }
    return image;
}

// A sheet of printed text over part of the frame.
void printedPage(QPainter& p, Random& rng, QSize size, bool sheet) {
    QRect page(0, 0, size.width(), size.height());
    if (sheet) {
        page = QRect(uniform(rng, 80, 400), uniform(rng, 40, 200), 0, 0);
        page.setRight(size.width() - uniform(rng, 80, 400));
        page.setBottom(size.height() - uniform(rng, 40, 200));
        p.save();
        p.translate(page.center());
        p.rotate(uniformReal(rng, -3, 3));
        p.translate(-page.center());
        p.fillRect(page, QColor(245, 243, 236));
    }
    const char* words[] = {"invoice",  "Orvanta",   "delivery",  "total", "page", "order", "date",
                           "shipment", "reference", "warehouse", "2026",  "No.",  "qty",   "item"};
    QFont font(QStringLiteral("DejaVu Sans"));
    int y = page.top() + 60;
    while (y < page.bottom() - 40) {
        font.setPixelSize(uniform(rng, 14, 30));
        p.setFont(font);
        p.setPen(QColor(40, 40, 50));
        QString line;
        for (int w = uniform(rng, 3, 14); w > 0; --w)
            line += QString::fromLatin1(words[uniform(rng, 0, 13)]) + QLatin1Char(' ');
        p.drawText(page.left() + uniform(rng, 40, 200), y, line);
        y += font.pixelSize() * 2 + uniform(rng, 0, 40);
    }
    if (sheet)
        p.restore();
}

// Separable box blur of radius r, on every channel.
void boxBlur(QImage& image, int r) {
    if (r <= 0)
        return;
    const int w = image.width(), h = image.height(), n = 2 * r + 1;
    std::vector<QRgb> buffer(size_t(std::max(w, h)));
    auto pass = [&](int count, int length, auto at) {
        for (int c = 0; c < count; ++c) {
            int sum[3] = {0, 0, 0};
            for (int i = -r; i <= r; ++i) {
                const QRgb v = at(c, std::clamp(i, 0, length - 1));
                sum[0] += qRed(v), sum[1] += qGreen(v), sum[2] += qBlue(v);
            }
            for (int i = 0; i < length; ++i) {
                buffer[size_t(i)] = qRgb(sum[0] / n, sum[1] / n, sum[2] / n);
                const QRgb out = at(c, std::max(i - r, 0)),
                           in = at(c, std::min(i + r + 1, length - 1));
                sum[0] += qRed(in) - qRed(out), sum[1] += qGreen(in) - qGreen(out);
                sum[2] += qBlue(in) - qBlue(out);
            }
            for (int i = 0; i < length; ++i)
                at(c, i) = buffer[size_t(i)];
        }
    };
    pass(h, w,
         [&](int row, int i) -> QRgb& { return reinterpret_cast<QRgb*>(image.scanLine(row))[i]; });
    pass(w, h, [&](int column, int i) -> QRgb& {
        return reinterpret_cast<QRgb*>(image.scanLine(i))[column];
    });
}

// Uneven light (a slope and a dark corner) and sensor noise.
void lightAndNoise(QImage& image, Random& rng, double sigma) {
    const double angle = uniformReal(rng, 0, 6.28), low = uniformReal(rng, 0.5, 0.85);
    const double cx = uniformReal(rng, 0, image.width()), cy = uniformReal(rng, 0, image.height());
    const double diagonal = std::hypot(image.width(), image.height());
    std::normal_distribution<float> normal(0, float(sigma));
    std::vector<int> noise(65536);
    for (int& v : noise)
        v = int(std::lround(normal(rng)));
    std::uint32_t state = rng();
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double along = (std::cos(angle) * x + std::sin(angle) * y) / diagonal;
            const double spot = std::hypot(x - cx, y - cy) / diagonal;
            const double light =
                std::clamp(low + (1 - low) * (0.5 + along) - 0.25 * spot, 0.3, 1.0);
            state = state * 1664525u + 1013904223u;
            const int grain = noise[state >> 16];
            const QRgb v = line[x];
            line[x] = qRgb(qBound(0, int(qRed(v) * light) + grain, 255),
                           qBound(0, int(qGreen(v) * light) + grain, 255),
                           qBound(0, int(qBlue(v) * light) + grain, 255));
        }
    }
}

QByteArray jpegOf(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

// Draws one code at a free place of the page, which page maps into the
// frame; false when none was found.
bool placeCode(QPainter& p, Random& rng, QSize size, const QTransform& page,
               const Symbology& symbology, Style style, QList<QPolygonF>& taken,
               ExpectedCode* expected, QByteArray* note) {
    const bool photo = style == Style::Photograph;
    const std::string text = contentFor(symbology.format, rng);
    const int paper = photo ? uniform(rng, 185, 235) : uniform(rng, 235, 255);
    const int ink = photo ? paper - uniform(rng, 70, 130) : uniform(rng, 10, 60);
    const QImage symbol = symbolImage(symbology.format, text, ink, paper);
    // Module size in frame pixels: a few codes small enough to need the full frame.
    double module = symbology.linear ? uniformReal(rng, 2.0, 4.5) : uniformReal(rng, 2.6, 8.0);
    if (uniform(rng, 0, 4) == 0)
        module = symbology.linear ? uniformReal(rng, 1.6, 2.2) : uniformReal(rng, 2.0, 2.8);
    QSizeF drawn(symbol.width() * module, symbol.height() * module);
    if (symbology.linear)
        drawn.setHeight(std::max(70.0, drawn.width() * uniformReal(rng, 0.15, 0.4)));
    const double quiet = (symbology.linear ? 10 : 3) * module;
    const QRectF label(-quiet, -quiet, drawn.width() + 2 * quiet, drawn.height() + 2 * quiet);
    for (int attempt = 0; attempt < 300; ++attempt) {
        QTransform placed;
        placed.translate(uniformReal(rng, 40, size.width() - 40),
                         uniformReal(rng, 40, size.height() - 40));
        placed.rotate(uniformReal(rng, -10, 10));
        placed.translate(-drawn.width() / 2, -drawn.height() / 2);
        QPolygonF quad = placed.map(QPolygonF(label));
        quad.removeLast();
        // A label lies flat on the page, or nearly (a little curl): the
        // photograph's perspective is the page's, the same for every code.
        const double jitter = (photo ? 0.01 : 0.04) * std::max(label.width(), label.height());
        for (QPointF& corner : quad)
            corner += QPointF(uniformReal(rng, -jitter, jitter), uniformReal(rng, -jitter, jitter));
        const QPolygonF seen = page.map(quad);
        const QRectF bounds = seen.boundingRect();
        if (!QRectF(30, 30, size.width() - 60, size.height() - 60).contains(bounds))
            continue;
        bool free = true;
        for (const QPolygonF& other : std::as_const(taken))
            free = free && !other.boundingRect().adjusted(-30, -30, 30, 30).intersects(bounds);
        if (!free)
            continue;
        QTransform perspective;
        QPolygonF from(label);
        from.removeLast();
        if (!QTransform::quadToQuad(from, quad, perspective))
            continue;
        p.save();
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(perspective * page);
        p.fillRect(label, QColor(paper, paper, paper - 4));
        // Modules drawn sharp at twice the size, then brought down smoothly:
        // scaling the one-pixel modules up smoothly would smear them.
        p.drawImage(
            QRectF(QPointF(0, 0), drawn),
            symbol.scaled((drawn * 2).toSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
        p.restore();
        taken << seen;
        *expected = {symbology.name, QByteArray::fromStdString(text)};
        *note += QByteArray(symbology.name) + "@" + QByteArray::number(module, 'f', 1) + " ";
        return true;
    }
    return false;
}

// A bright reflection: light added in a soft ellipse, washing the picture
// out towards white at its middle.
void glare(QImage& image, Random& rng, QPointF centre) {
    const double rx = uniformReal(rng, 60, 260), ry = uniformReal(rng, 40, 180);
    const double strength = uniformReal(rng, 90, 200);
    const QRect box =
        QRect(int(centre.x() - 3 * rx), int(centre.y() - 3 * ry), int(6 * rx), int(6 * ry)) &
        image.rect();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = box.left(); x <= box.right(); ++x) {
            const double dx = (x - centre.x()) / rx, dy = (y - centre.y()) / ry;
            const int add = int(strength * std::exp(-(dx * dx + dy * dy)));
            const QRgb v = line[x];
            line[x] = qRgb(std::min(255, qRed(v) + add), std::min(255, qGreen(v) + add),
                           std::min(255, qBlue(v) + add));
        }
    }
}

Frame makeFrame(int seed, QSize size, Style style) {
    const bool photo = style == Style::Photograph;
    Random rng(std::uint32_t((photo ? 5000 : 1000) + seed));
    const int kind = seed % 3;
    Frame frame;
    frame.description = "frame " + QByteArray::number(seed) + ": ";
    frame.image = background(rng, size, kind);
    QPainter p(&frame.image);
    // A photograph looks at the page from a little off straight above: its
    // corners land up to 5 % of the frame away from the frame's.
    QTransform page;
    if (photo) {
        const QPolygonF frameCorners(QRectF(QPointF(0, 0), QSizeF(size)));
        QPolygonF from = frameCorners, to = frameCorners;
        from.removeLast();
        to.removeLast();
        for (QPointF& corner : to)
            corner += QPointF(uniformReal(rng, -0.05, 0.05) * size.width(),
                              uniformReal(rng, -0.05, 0.05) * size.height());
        QTransform::quadToQuad(from, to, page);
    }
    p.setTransform(page);
    printedPage(p, rng, size, kind != 0);
    p.resetTransform();
    QList<QPolygonF> taken;
    const int count = uniform(rng, 1, 4);
    for (int i = 0; i < count; ++i) {
        // Every symbology in turn leads a frame; the others are drawn at random.
        const Symbology& symbology = kSymbologies[size_t(i == 0 ? seed % 7 : uniform(rng, 0, 6))];
        ExpectedCode code;
        if (placeCode(p, rng, size, page, symbology, style, taken, &code, &frame.description))
            frame.codes << code;
    }
    p.end();
    const int blur = photo ? uniform(rng, 1, 3)
                           : std::array<int, 6>{0, 0, 1, 1, 1, 2}[size_t(uniform(rng, 0, 5))];
    boxBlur(frame.image, blur);
    if (photo) { // over a code two times in three, near its edge
        const QPolygonF code = taken.value(uniform(rng, 0, int(taken.size()) - 1));
        const QPointF at =
            uniform(rng, 0, 2) && code.size() == 4
                ? code.at(uniform(rng, 0, 3))
                : QPointF(uniformReal(rng, 0, size.width()), uniformReal(rng, 0, size.height()));
        glare(frame.image, rng, at);
        frame.description += "glare ";
    }
    const double sigma = photo ? uniformReal(rng, 3, 8) : uniformReal(rng, 2, 6);
    lightAndNoise(frame.image, rng, sigma);
    const int quality = photo ? 50 : uniform(rng, 50, 90);
    frame.jpeg = jpegOf(frame.image, quality);
    frame.image = QImage::fromData(frame.jpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
    frame.description += "blur " + QByteArray::number(blur) + " noise " +
                         QByteArray::number(sigma, 'f', 1) + " q" + QByteArray::number(quality);
    return frame;
}

} // namespace

QList<Frame> makeFrames(int count, QSize size, Style style) {
    QList<Frame> frames;
    for (int i = 0; i < count; ++i)
        frames << makeFrame(i, size, style);
    return frames;
}

int matched(const QList<ExpectedCode>& expected, const QList<ExpectedCode>& found) {
    QList<ExpectedCode> left = found;
    int count = 0;
    for (const ExpectedCode& e : expected) {
        for (qsizetype i = 0; i < left.size(); ++i) {
            if (left.at(i).format == e.format && left.at(i).text == e.text) {
                left.removeAt(i);
                ++count;
                break;
            }
        }
    }
    return count;
}

} // namespace benchframes
