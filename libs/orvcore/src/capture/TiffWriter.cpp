#include "TiffWriter.h"

#include "PngBmpWriter.h"

#include <cstdarg>
#include <memory>
#include <vector>

#include <tiffio.h>
#include <unistd.h>

namespace orv::capture {

namespace {

int quietError(TIFF*, void* failed, const char*, const char*, va_list) {
    *static_cast<bool*>(failed) = true;
    return 1; // handled: nothing is printed
}

int quietWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

constexpr uint32_t kRowsPerStripTarget = 64 * 1024; // bytes of raw samples a strip

bool writeRows(TIFF* tiff, const Picture& picture) {
    const QImage& image = picture.image;
    if (picture.bilevel) {
        const QImage mono = monoOf(image); // 1 = white
        std::vector<uchar> row(size_t(mono.bytesPerLine()));
        for (int y = 0; y < mono.height(); ++y) {
            const uchar* in = mono.constScanLine(y);
            // Min-is-white: a set bit is black.
            for (size_t i = 0; i < row.size(); ++i)
                row[i] = uchar(~in[i]);
            if (TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) < 0)
                return false;
        }
        return true;
    }
    if (picture.isGray()) {
        for (int y = 0; y < image.height(); ++y)
            if (TIFFWriteScanline(tiff, const_cast<uchar*>(image.constScanLine(y)), uint32_t(y),
                                  0) < 0)
                return false;
        return true;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < rgb.height(); ++y)
        if (TIFFWriteScanline(tiff, const_cast<uchar*>(rgb.constScanLine(y)), uint32_t(y), 0) < 0)
            return false;
    return true;
}

} // namespace

bool writeTiff(const Picture& picture, int fd) {
    const QImage& image = picture.image;
    if (image.isNull() || fd < 0)
        return false;
    const int own = ::dup(fd); // TIFFClose closes the descriptor it was given
    if (own < 0)
        return false;
    bool failed = false;
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                         TIFFOpenOptionsFree);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quietError, &failed);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quietWarning, nullptr);
    TIFF* tiff = TIFFFdOpenExt(own, "capture.tif", "w", options.get());
    if (!tiff) {
        ::close(own);
        return false;
    }
    const bool bilevel = picture.bilevel;
    const bool gray = bilevel || picture.isGray();
    const uint16_t samples = gray ? 1 : 3;
    const uint16_t bits = bilevel ? 1 : 8;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(image.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(image.height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(picture.dpi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(picture.dpi));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_SOFTWARE, "Orvanta");
    if (bilevel) {
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
        // Group 4 codes a strip as one run of lines: the whole page in one.
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(image.height()));
    } else {
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, gray ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        const uint32_t rowBytes = uint32_t(image.width()) * samples;
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
                     std::max<uint32_t>(1, kRowsPerStripTarget / std::max<uint32_t>(1, rowBytes)));
    }
    const bool rowsOk = writeRows(tiff, picture);
    const bool flushed = rowsOk && TIFFFlush(tiff) == 1;
    TIFFClose(tiff);
    return rowsOk && flushed && !failed;
}

} // namespace orv::capture
