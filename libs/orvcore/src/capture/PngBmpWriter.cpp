#include "PngBmpWriter.h"

#include <QBuffer>
#include <QImageWriter>

#include <cmath>

namespace orv::capture {

QImage monoOf(const QImage& gray) {
    const QImage src = gray.convertToFormat(QImage::Format_Grayscale8);
    QImage mono(src.size(), QImage::Format_Mono); // most significant bit first
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    for (int y = 0; y < src.height(); ++y) {
        const uchar* in = src.constScanLine(y);
        uchar* out = mono.scanLine(y);
        for (int x = 0; x < src.width(); ++x)
            if (in[x] >= 128)
                out[x >> 3] |= uchar(0x80 >> (x & 7));
    }
    return mono;
}

QImage qtImageOf(const Picture& picture) {
    QImage image = picture.image;
    if (picture.bilevel)
        image = monoOf(picture.image);
    const int dpm = int(std::lround(picture.dpi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    return image;
}

QByteArray encodeWithQt(const Picture& picture, const char* format) {
    if (picture.image.isNull())
        return {};
    QByteArray data;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    QImageWriter writer(&buffer, format);
    if (!writer.write(qtImageOf(picture)))
        return {};
    return data;
}

} // namespace orv::capture
