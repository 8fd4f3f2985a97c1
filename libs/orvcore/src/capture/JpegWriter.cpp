#include "JpegWriter.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include <jpeglib.h>

#include <jerror.h> // needs jpeglib.h before it

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

// The compressed bytes of one compression, in a buffer it owns: libjpeg
// grows it as needed and every path (an error included) frees it.
struct Piece {
    jpeg_destination_mgr manager{};
    unsigned char* data = nullptr;
    size_t capacity = 0;
    size_t size = 0; // once the compression ended
    bool ok = false;
    Piece() = default;
    Piece(const Piece&) = delete;
    Piece& operator=(const Piece&) = delete;
    ~Piece() { std::free(data); }
};

void startPiece(j_compress_ptr info) {
    auto* piece = reinterpret_cast<Piece*>(info->dest);
    piece->manager.next_output_byte = piece->data;
    piece->manager.free_in_buffer = piece->capacity;
}

boolean growPiece(j_compress_ptr info) {
    auto* piece = reinterpret_cast<Piece*>(info->dest);
    const size_t capacity = piece->capacity * 2;
    auto* grown = static_cast<unsigned char*>(std::realloc(piece->data, capacity));
    if (!grown)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    piece->data = grown;
    piece->manager.next_output_byte = grown + piece->capacity;
    piece->manager.free_in_buffer = capacity - piece->capacity;
    piece->capacity = capacity;
    return TRUE;
}

void endPiece(j_compress_ptr info) {
    auto* piece = reinterpret_cast<Piece*>(info->dest);
    piece->size = piece->capacity - piece->manager.free_in_buffer;
}

// Plain C data only between setjmp and the end: nothing here has a destructor
// that a longjmp could skip.
bool compress(JSAMPROW* rows, int width, int height, bool gray, int quality, int dpi,
              unsigned restartInterval, Piece* out) {
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
    out->manager.init_destination = startPiece;
    out->manager.empty_output_buffer = growPiece;
    out->manager.term_destination = endPiece;
    info.dest = &out->manager;
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
    info.restart_interval = restartInterval;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height)
        jpeg_write_scanlines(&info, rows + info.next_scanline,
                             info.image_height - info.next_scanline);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// A large picture is encoded in bands of whole MCU rows on every core, each
// band a separate compression of its rows with the same settings. The
// bands are joined with restart markers between them (the restart interval
// is one band), so the file holds exactly the coefficients of a
// compression in one piece: the same pixels decode from it.
struct Layout {
    int side = 16;        // an MCU's height in rows
    int bandRows = 0;     // rows of every band but the last
    int bands = 1;        // 1: the picture in one piece
    unsigned restart = 0; // MCUs of one band
};

constexpr int kMinBandMcuRows = 8;
constexpr unsigned kMaxRestartInterval = 65535;
constexpr int kMaxThreads = 8;
// Bands are handed out one at a time: a core that starts late, or is busy
// elsewhere, takes fewer of them.
constexpr int kBandsPerThread = 4;

int threadCount() {
    return std::clamp(QThread::idealThreadCount(), 1, kMaxThreads);
}

// The helpers' threads live as long as the process: an idle one wakes within
// microseconds, where a thread started anew can wait milliseconds for a core
// while the encode runs.
struct HelperPool : QThreadPool {
    HelperPool() {
        setExpiryTimeout(-1);
        setMaxThreadCount(std::max(1, threadCount() - 1));
    }
};

QThreadPool& helperPool() {
    static HelperPool pool;
    return pool;
}

Layout layoutFor(int width, int height, bool gray) {
    Layout layout;
    layout.side = gray ? 8 : 16; // 4:2:0 in colour
    const int threads = threadCount();
    const int mcuColumns = (width + layout.side - 1) / layout.side;
    const int mcuRows = (height + layout.side - 1) / layout.side;
    const int bandsWanted = threads * kBandsPerThread;
    int bandMcuRows = std::max(kMinBandMcuRows, (mcuRows + bandsWanted - 1) / bandsWanted);
    bandMcuRows = std::min(bandMcuRows, int(kMaxRestartInterval) / mcuColumns);
    if (threads < 2 || bandMcuRows < kMinBandMcuRows || bandMcuRows >= mcuRows)
        return layout;
    layout.bandRows = bandMcuRows * layout.side;
    layout.bands = (mcuRows + bandMcuRows - 1) / bandMcuRows;
    layout.restart = unsigned(bandMcuRows * mcuColumns);
    return layout;
}

// The end of the segments before the entropy-coded data (the end of the
// start-of-scan segment) and the start of the frame header's body; false
// when the stream is not one libjpeg writes.
bool findScan(const unsigned char* data, size_t size, size_t* frame, size_t* scan) {
    *frame = 0;
    for (size_t i = 2; i + 4 <= size;) {
        if (data[i] != 0xFF)
            return false;
        const unsigned char marker = data[i + 1];
        const size_t length = size_t(data[i + 2] << 8) | data[i + 3];
        if (marker == 0xC0 || marker == 0xC1)
            *frame = i + 4;
        i += 2 + length;
        if (marker == 0xDA) {
            *scan = i;
            return *frame != 0 && i + 2 <= size;
        }
    }
    return false;
}

QByteArray joinBands(const std::vector<Piece>& pieces, int height) {
    QByteArray out;
    qsizetype total = 0;
    for (const Piece& piece : pieces)
        total += qsizetype(piece.size) + 2;
    out.reserve(total);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        size_t frame = 0, scan = 0;
        if (!piece.ok || !findScan(piece.data, piece.size, &frame, &scan) ||
            piece.data[piece.size - 2] != 0xFF || piece.data[piece.size - 1] != 0xD9)
            return {};
        const auto* bytes = reinterpret_cast<const char*>(piece.data);
        if (i == 0) {
            out.append(bytes, qsizetype(scan));
            out[qsizetype(frame + 1)] = char(height >> 8); // the whole picture's height
            out[qsizetype(frame + 2)] = char(height & 0xFF);
        } else {
            out.append(char(0xFF)).append(char(0xD0 + (i - 1) % 8));
        }
        out.append(bytes + scan, qsizetype(piece.size - scan - 2));
    }
    out.append(char(0xFF)).append(char(0xD9));
    return out;
}

// One encode shared with the helpers. A helper may start only after the last
// band was taken (its thread busy with another encode): it then finds
// nothing to do, and the encode does not wait for it (the helper holds the
// job until it ends).
struct Job {
    QImage image; // keeps the rows alive
    std::vector<JSAMPROW> rows;
    Layout layout;
    bool gray = false;
    int quality = 75;
    int dpi = 200;
    std::vector<Piece> pieces;
    std::atomic<int> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    int done = 0; // bands encoded (or failed)

    void encode(int band) {
        const int top = band * layout.bandRows;
        const int height =
            layout.bands == 1 ? image.height() : std::min(layout.bandRows, image.height() - top);
        Piece& piece = pieces[size_t(band)];
        // Room for a typical page from the start: a buffer grown step by step
        // is copied again at each step.
        piece.capacity = std::max(size_t(64) * 1024, size_t(image.width()) * size_t(height) / 8);
        piece.data = static_cast<unsigned char*>(std::malloc(piece.capacity));
        piece.ok = piece.data && compress(rows.data() + top, image.width(), height, gray, quality,
                                          dpi, layout.restart, &piece);
    }
    void work() {
        for (int band = next++; band < layout.bands; band = next++) {
            encode(band);
            std::lock_guard lock(mutex);
            if (++done == layout.bands)
                finished.notify_all();
        }
    }
};

} // namespace

QByteArray encodeJpeg(const Picture& picture) {
    if (picture.image.isNull())
        return {};
    auto job = std::make_shared<Job>();
    job->image = picture.image;
    job->gray = job->image.format() == QImage::Format_Grayscale8;
    if (!job->gray && job->image.format() != QImage::Format_RGB32)
        job->image = job->image.convertToFormat(QImage::Format_RGB32);
    const int height = job->image.height();
    job->rows.resize(size_t(height));
    for (int y = 0; y < height; ++y)
        job->rows[size_t(y)] = const_cast<JSAMPROW>(job->image.constScanLine(y));
    job->quality = qBound(1, picture.jpgQuality, 100);
    job->dpi = qBound(1, picture.dpi, 65535);
    job->layout = layoutFor(job->image.width(), height, job->gray);
    job->pieces = std::vector<Piece>(size_t(job->layout.bands));
    if (job->layout.bands == 1) {
        job->encode(0);
        const Piece& piece = job->pieces.front();
        return piece.ok
                   ? QByteArray(reinterpret_cast<const char*>(piece.data), qsizetype(piece.size))
                   : QByteArray();
    }
    const int helpers = std::min(job->layout.bands, threadCount()) - 1;
    for (int i = 0; i < helpers; ++i)
        helperPool().start([job] { job->work(); });
    job->work();
    std::unique_lock lock(job->mutex);
    job->finished.wait(lock, [&] { return job->done == job->layout.bands; });
    return joinBands(job->pieces, height);
}

} // namespace orv::capture
