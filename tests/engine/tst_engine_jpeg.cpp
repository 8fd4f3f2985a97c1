// The preview's reduced JPEG decode, against TurboJPEG at the same scale, on
// frames made here the ways cameras and encoders make them.

#include "CameraJpeg.h"
#include "Frame.h"
#include "FrameScaler.h"
#include "ReducedJpeg.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtTest>

#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

namespace {

// Colour gradients, saturated patches with sharp edges and a little noise:
// a shift, a swap of channels or a wrong colour shows in the mean difference.
QImage picture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator rng(11);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int n = int(rng.bounded(7)) - 3;
            int r = x * 255 / size.width() + n;
            int g = y * 255 / size.height() + n;
            int b = 128 + int(100 * std::sin(x * 0.02 + y * 0.03)) + n;
            if ((x / 61 + y / 47) % 5 == 0) // patches
                r = 230, g = 40, b = 20;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

QByteArray turboJpeg(const QImage& image, int subsampling, int quality = 85) {
    tjhandle tj = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const QImage source =
        subsampling == TJSAMP_GRAY ? image.convertToFormat(QImage::Format_RGB32) : image;
    tjCompress2(tj, source.constBits(), source.width(), int(source.bytesPerLine()), source.height(),
                TJPF_BGRX, &data, &size, subsampling, quality, 0);
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    tjFree(data);
    tjDestroy(tj);
    return bytes;
}

// libjpeg's own API, for what TurboJPEG does not write: restart markers,
// 16-bit quantisation tables (quality 1 without the baseline limit),
// progressive scans, a luma DC table whose usual codes are 12 bits long.
// 4:2:2.
struct LibjpegOptions {
    int restartRows = 0;
    int restartUnits = 0;
    int quality = 85;
    bool baseline = true;
    bool progressive = false;
    bool longDcCodes = false;
};
QByteArray libjpeg(const QImage& image, LibjpegOptions o) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &data, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, o.quality, o.baseline ? TRUE : FALSE);
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 1;
    cinfo.restart_interval = o.restartUnits;
    cinfo.restart_in_rows = o.restartRows;
    if (o.progressive)
        jpeg_simple_progression(&cinfo);
    if (o.longDcCodes) {
        // Sizes 11 down to 2 at lengths 1 to 10, sizes 0 and 1 at 12.
        JHUFF_TBL* dc = cinfo.dc_huff_tbl_ptrs[0];
        std::fill(std::begin(dc->bits), std::end(dc->bits), 0);
        std::fill(dc->bits + 1, dc->bits + 11, 1);
        dc->bits[12] = 2;
        for (int i = 0; i < 12; ++i)
            dc->huffval[i] = UINT8(i < 10 ? 11 - i : i - 10);
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    free(data); // NOLINT: jpeg_mem_dest's buffer
    return bytes;
}

// The frame without its Huffman tables, as MJPEG cameras send it.
QByteArray withoutTables(QByteArray jpeg) {
    for (qsizetype i = 2; i + 4 <= jpeg.size();) {
        const auto marker = uchar(jpeg[i + 1]);
        const int length = uchar(jpeg[i + 2]) << 8 | uchar(jpeg[i + 3]);
        if (marker == 0xDA)
            break;
        if (marker == 0xC4)
            jpeg.remove(i, 2 + length);
        else
            i += 2 + length;
    }
    return jpeg;
}

QImage turboDecode(const QByteArray& jpeg, int eighths) {
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, sub = 0, cs = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.constData());
    tjDecompressHeader3(tj, data, static_cast<unsigned long>(jpeg.size()), &w, &h, &sub, &cs);
    const tjscalingfactor f{eighths, 8};
    QImage image(TJSCALED(w, f), TJSCALED(h, f), QImage::Format_RGB32);
    tjDecompress2(tj, data, static_cast<unsigned long>(jpeg.size()), image.bits(), image.width(),
                  int(image.bytesPerLine()), image.height(), TJPF_BGRX,
                  TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
    tjDestroy(tj);
    return image;
}

struct Difference {
    double mean = 0; // per channel
    int largest = 0;
};
Difference difference(const QImage& a, const QImage& b) {
    Difference d;
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (const int c : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                sum += std::abs(c);
                d.largest = std::max(d.largest, std::abs(c));
            }
        }
    d.mean = double(sum) / (3.0 * a.width() * a.height());
    return d;
}

using Make = std::function<QByteArray()>;

} // namespace

Q_DECLARE_METATYPE(Make)

class TestEngineJpeg : public QObject {
    Q_OBJECT

private slots:
    // Bounds: where both decoders take the same coefficients (1/8 and 3/8,
    // but TurboJPEG's 1/8 of 4:2:0 chroma) they differ only in rounding, by
    // a level or two. At 1/4 and 1/2 TurboJPEG's transforms also take
    // frequencies beyond the kept ones, which sharpens edges by up to tens
    // of levels but moves the mean by about one; a picture shifted by one
    // pixel differs here by three or more.
    void reducedDecodeMatchesTurboJpeg_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<int>("eighths");
        QTest::addColumn<bool>("ours"); // else handed to TurboJPEG
        QTest::addColumn<double>("mean");
        QTest::addColumn<int>("largest");
        const QImage wide = picture({640, 360});
        const QImage odd = picture({1001, 333});
        const auto same = [](QTestData& row) -> QTestData& { return row << 0.25 << 4; };
        const auto more = [](QTestData& row) -> QTestData& { return row << 1.5 << 60; };
        for (int n = 1; n <= 4; ++n) {
            QTestData& row = QTest::addRow("4:2:2, %d/8", n)
                             << Make([=] { return turboJpeg(wide, TJSAMP_422); }) << n << true;
            n % 2 ? same(row) : more(row);
        }
        same(QTest::newRow("4:2:0, odd size, 3/8")
             << Make([=] { return turboJpeg(odd, TJSAMP_420); }) << 3 << true);
        more(QTest::newRow("4:2:0, odd size, 1/8")
             << Make([=] { return turboJpeg(odd, TJSAMP_420); }) << 1 << true);
        more(QTest::newRow("4:4:4, odd size, 1/4")
             << Make([=] { return turboJpeg(odd, TJSAMP_444); }) << 2 << true);
        more(QTest::newRow("grey, odd size, 1/2")
             << Make([=] { return turboJpeg(odd, TJSAMP_GRAY); }) << 4 << true);
        same(QTest::newRow("restart every 3 units, 3/8") << Make([=] {
                 return libjpeg(odd, {0, 3});
             }) << 3 << true);
        same(QTest::newRow("restart every 5 units, across unit rows, 3/8") << Make([=] {
                 return libjpeg(odd, {0, 5});
             }) << 3 << true);
        more(QTest::newRow("restart every unit row, 1/4") << Make([=] {
                 return libjpeg(wide, {1, 0});
             }) << 2 << true);
        same(QTest::newRow("no Huffman tables (a camera's frame)")
             << Make([=] { return withoutTables(turboJpeg(wide, TJSAMP_422)); }) << 3 << true);
        same(QTest::newRow("16-bit quantisation tables") << Make([=] {
                 return libjpeg(wide, {0, 0, 1, false});
             }) << 3 << true);
        same(QTest::newRow("quality 100: blocks full to the last coefficient")
             << Make([=] { return turboJpeg(odd, TJSAMP_444, 100); }) << 3 << true);
        same(QTest::newRow("DC codes longer than the lookup") << Make([=] {
                 return libjpeg(wide, {0, 0, 85, true, false, true});
             }) << 3 << true);
        same(QTest::newRow("cut short: the rest grey")
             << Make([=] { return turboJpeg(wide, TJSAMP_422).left(20000); }) << 3 << true);
        same(QTest::newRow("cut short in a restart interval") << Make([=] {
                 return libjpeg(odd, {0, 2}).left(30000);
             }) << 3 << true);
        QTest::newRow("progressive: TurboJPEG's") << Make([=] {
            return libjpeg(wide, {0, 0, 85, true, true});
        }) << 3 << false << 0.0 << 0;
    }
    void reducedDecodeMatchesTurboJpeg() {
        QFETCH(Make, make);
        QFETCH(int, eighths);
        QFETCH(bool, ours);
        QFETCH(double, mean);
        QFETCH(int, largest);
        const QByteArray jpeg = make();
        const auto* data = reinterpret_cast<const unsigned char*>(jpeg.constData());
        QCOMPARE(!orv::decodeJpegReduced(data, size_t(jpeg.size()), eighths).isNull(), ours);
        const QImage reference = turboDecode(jpeg, eighths);
        const QImage decoded = orv::decodeJpegScaled(jpeg, eighths / 8.0);
        QCOMPARE(decoded.size(), reference.size());
        QCOMPARE(decoded.format(), QImage::Format_RGB32);
        const Difference d = difference(decoded, reference);
        QVERIFY2(d.mean <= mean && d.largest <= largest,
                 qPrintable(QStringLiteral("mean %1, largest %2").arg(d.mean).arg(d.largest)));
    }

    // Reduced straight to a smaller size, rows blended on their way out: the
    // same pixels as the reduced picture scaled down the view's way. Sizes
    // beyond that mild range come out at the reduced size.
    void fittedDecodeMatchesScalingDown_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<int>("eighths");
        QTest::addColumn<QSize>("fit");
        QTest::addColumn<QSize>("expected");
        const QImage wide = picture({640, 360});
        const QImage odd = picture({1001, 333});
        QTest::newRow("4:2:2, 3/8, to 5/6") << Make([=] { return turboJpeg(wide, TJSAMP_422); })
                                            << 3 << QSize(200, 112) << QSize(200, 112);
        QTest::newRow("4:2:0, odd, 3/8, one pixel less")
            << Make([=] { return turboJpeg(odd, TJSAMP_420); }) << 3 << QSize(375, 124)
            << QSize(375, 124);
        QTest::newRow("grey, odd, 1/2, to half")
            << Make([=] { return turboJpeg(odd, TJSAMP_GRAY); }) << 4 << QSize(251, 84)
            << QSize(251, 84);
        QTest::newRow("restart every 3 units, 1/4") << Make([=] {
            return libjpeg(odd, {0, 3});
        }) << 2 << QSize(200, 70) << QSize(200, 70);
        QTest::newRow("cut short: the rest grey")
            << Make([=] { return turboJpeg(wide, TJSAMP_422).left(20000); }) << 3 << QSize(200, 112)
            << QSize(200, 112);
        QTest::newRow("below half: reduced only")
            << Make([=] { return turboJpeg(wide, TJSAMP_422); }) << 3 << QSize(100, 60)
            << QSize(240, 135);
        QTest::newRow("larger: reduced only") << Make([=] { return turboJpeg(wide, TJSAMP_422); })
                                              << 3 << QSize(241, 135) << QSize(240, 135);
    }
    void fittedDecodeMatchesScalingDown() {
        QFETCH(Make, make);
        QFETCH(int, eighths);
        QFETCH(QSize, fit);
        QFETCH(QSize, expected);
        const QByteArray jpeg = make();
        const auto* data = reinterpret_cast<const unsigned char*>(jpeg.constData());
        const QImage fitted = orv::decodeJpegReduced(data, size_t(jpeg.size()), eighths, fit);
        QCOMPARE(fitted.size(), expected);
        const QImage reference =
            orv::scaleForView(orv::decodeJpegReduced(data, size_t(jpeg.size()), eighths), expected);
        QCOMPARE(fitted, reference);
    }

    // The pixels of camera-like frames (and of a few rarer streams) stay
    // those the decoder gave when they were recorded, exactly: the first 16
    // hex digits of the SHA-1 of the frame and of its rows of pixels.
    void reducedDecodeIsUnchanged_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<int>("eighths");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("pixels");
        const Make fiveMp = [] { return cameraLikeJpeg(QSize(2592, 1944), 4); };
        const Make fullHd = [] { return cameraLikeJpeg(QSize(1920, 1080), 4); };
        const QImage odd = picture({1001, 333});
        const Make chroma420 = [=] { return turboJpeg(odd, TJSAMP_420); };
        const Make quality100 = [=] { return turboJpeg(odd, TJSAMP_444, 100); };
        const Make longDc = [=] { return libjpeg(odd, {0, 5, 85, true, false, true}).left(40000); };
        const auto row = [](const char* name, const Make& make, int eighths, const char* frame,
                            const char* pixels) {
            QTest::newRow(name) << make << eighths << QByteArray(frame) << QByteArray(pixels);
        };
        row("camera 2592x1944, 1/8", fiveMp, 1, "5f5762d667644252", "2b2e03cdd76ca3cb");
        row("camera 2592x1944, 2/8", fiveMp, 2, "5f5762d667644252", "8236cb948e51c74f");
        row("camera 2592x1944, 3/8", fiveMp, 3, "5f5762d667644252", "c0725b3ac2ab5279");
        row("camera 2592x1944, 4/8", fiveMp, 4, "5f5762d667644252", "2ca309f84581b087");
        row("camera 1920x1080, 3/8", fullHd, 3, "648a9c91f7dc8c05", "8676633a934fe398");
        row("camera 1920x1080, 4/8", fullHd, 4, "648a9c91f7dc8c05", "e0e52eccedc00fd4");
        row("4:2:0, 3/8", chroma420, 3, "3292c0aff3e3f1c4", "158703ab87bef092");
        row("quality 100, 1/2", quality100, 4, "422c9c1a5a3ad838", "f2433888af1837df");
        row("long DC codes, restart every 5 units, cut short", longDc, 3, "9d664d68be35a3f4",
            "799539f0f958c0af");
    }
    void reducedDecodeIsUnchanged() {
        QFETCH(Make, make);
        QFETCH(int, eighths);
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, pixels);
        const QByteArray jpeg = make();
        const auto digest = [](const QByteArray& bytes) {
            return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16);
        };
        // Another machine's fonts or encoder draw another frame: then there
        // is nothing recorded to compare with.
        if (digest(jpeg) != frame)
            QSKIP("this machine makes another frame than the one recorded");
        const QImage decoded = orv::decodeJpegReduced(
            reinterpret_cast<const unsigned char*>(jpeg.constData()), size_t(jpeg.size()), eighths);
        QVERIFY(!decoded.isNull());
        QByteArray rows;
        for (int y = 0; y < decoded.height(); ++y)
            rows.append(reinterpret_cast<const char*>(decoded.constScanLine(y)),
                        4 * decoded.width());
        QCOMPARE(digest(rows), pixels);
    }

    // Damaged frames decode to their size or not at all, and never read
    // outside the frame (the sanitiser build watches).
    void damagedFramesAreSafe() {
        const QByteArray clean = libjpeg(picture({333, 201}), {0, 4});
        QRandomGenerator rng(5);
        for (int round = 0; round < 400; ++round) {
            QByteArray jpeg = clean;
            const int flips = 1 + int(rng.bounded(8));
            for (int i = 0; i < flips; ++i)
                jpeg[int(rng.bounded(quint32(jpeg.size())))] = char(rng.bounded(256));
            if (round % 4 == 0)
                jpeg.truncate(int(rng.bounded(quint32(jpeg.size()))));
            for (int n = 1; n <= 4; ++n) {
                const QImage image =
                    orv::decodeJpegReduced(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                           size_t(jpeg.size()), n);
                QVERIFY(image.isNull() || image.width() <= 333);
                const QSize fit = image.size() * 4 / 5;
                const QImage fitted =
                    orv::decodeJpegReduced(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                           size_t(jpeg.size()), n, fit);
                QVERIFY(fitted.isNull() || fitted.size() == fit || fitted.size() == image.size());
            }
        }
    }
};

QTEST_MAIN(TestEngineJpeg)
#include "tst_engine_jpeg.moc"
