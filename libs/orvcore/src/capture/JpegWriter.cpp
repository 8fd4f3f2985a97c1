#include "JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace orv::capture {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

constexpr int kFastDctQuality = 90;

[[noreturn]] void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr) {} // warnings are not printed

// Plain C data only between setjmp and the end: nothing here has a destructor
// that a longjmp could skip.
bool compress(JSAMPROW* rows, int width, int height, bool gray, int quality, int dpi,
              unsigned char** out, unsigned long* outSize) {
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.output_message = onMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    if (gray) {
        info.input_components = 1;
        info.in_color_space = JCS_GRAYSCALE;
    } else {
        // QImage::Format_RGB32 is B, G, R, X in memory on little-endian machines.
        info.input_components = 4;
        info.in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    }
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // The fast integer transform loses nothing visible up to quality 90 (as
    // TurboJPEG's default); above, the exact one keeps the fine detail asked for.
    info.dct_method = quality <= kFastDctQuality ? JDCT_IFAST : JDCT_ISLOW;
    info.write_JFIF_header = TRUE;
    info.density_unit = 1; // dots per inch
    info.X_density = UINT16(dpi);
    info.Y_density = UINT16(dpi);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height)
        jpeg_write_scanlines(&info, rows + info.next_scanline,
                             info.image_height - info.next_scanline);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

QByteArray encodeJpeg(const Picture& picture) {
    if (picture.image.isNull())
        return {};
    QImage image = picture.image;
    const bool gray = image.format() == QImage::Format_Grayscale8;
    if (!gray && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    std::vector<JSAMPROW> rows(size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        rows[size_t(y)] = const_cast<JSAMPROW>(image.constScanLine(y));
    // Room for a typical page from the start: a buffer grown step by step is
    // copied again at each step.
    unsigned long size = std::max(64UL * 1024, (unsigned long)(image.width()) * image.height() / 8);
    auto* buffer = static_cast<unsigned char*>(std::malloc(size));
    if (!buffer)
        return {};
    const int quality = qBound(1, picture.jpgQuality, 100);
    const int dpi = qBound(1, picture.dpi, 65535);
    const bool ok =
        compress(rows.data(), image.width(), image.height(), gray, quality, dpi, &buffer, &size);
    QByteArray data;
    if (ok && buffer)
        data = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return data;
}

} // namespace orv::capture
