// The capture path's cost on a full 2592x1944 frame of the desk scene:
// - JPEG at quality 75: our encoder, the whole capture (chain, encode,
//   temporary file, flush, rename), and libjpeg-turbo's own TurboJPEG
//   compression of the same pixels side by side (its default fast transform,
//   which ours uses up to quality 90, and its exact one);
// - the processing steps that auto crop, black-and-white and background
//   removal add;
// - a multi-page PDF: appending one page to a file of 1, 199 or 999 pages;
// - what a capture of an MJPEG camera's frame adds: the full decode of a
//   camera-like 5 MP frame (sensor noise, 4:2:2, quality 85) by the
//   decoder pipeline the capture path uses, against TurboJPEG's decode of
//   the same frame, our encoder on the decoded frame, and the whole capture
//   of that frame to a .jpg.
// The 20-page PDF against img2pdf is bench/pdf_from_jpegs.sh.

#include "CameraJpeg.h"
#include "CaptureJob.h"
#include "Frame.h"
#include "GstJpegDecoder.h"
#include "ImageChain.h"
#include "JpegWriter.h"
#include "PageGeometry.h"
#include "PdfWriter.h"
#include "SceneRenderer.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <turbojpeg.h>
#include <unistd.h>

#include <chrono>

using namespace orv::capture;

namespace {

const QSize kFrame(2592, 1944);

const QImage& frame() {
    static const QImage scene = orv::renderScene(0, kFrame);
    return scene;
}

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

Picture framePicture() {
    Picture p;
    p.image = frame();
    p.jpgQuality = 75;
    return p;
}

// Our encoder on picture, its output's size as a counter.
void encodeEach(benchmark::State& state, const Picture& picture) {
    size_t bytes = 0;
    for (auto _ : state) {
        const QByteArray jpeg = encodeJpeg(picture);
        bytes = size_t(jpeg.size());
        benchmark::DoNotOptimize(jpeg.constData());
    }
    state.counters["bytes"] = double(bytes);
}

void BM_JpegOurs(benchmark::State& state) {
    encodeEach(state, framePicture());
}
BENCHMARK(BM_JpegOurs)->Unit(benchmark::kMillisecond);

// TurboJPEG's default is the fast integer transform; range 1 asks for the
// exact one (TJFLAG_ACCURATEDCT).
void BM_JpegTurboJpeg(benchmark::State& state) {
    const int flags = state.range(0) ? TJFLAG_ACCURATEDCT : 0;
    const QImage& image = frame();
    tjhandle handle = tjInitCompress();
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    for (auto _ : state) {
        if (tjCompress2(handle, image.constBits(), image.width(), int(image.bytesPerLine()),
                        image.height(), TJPF_BGRX, &buffer, &size, TJSAMP_420, 75, flags) != 0)
            state.SkipWithError("tjCompress2 failed");
        benchmark::DoNotOptimize(buffer);
    }
    state.counters["bytes"] = double(size);
    tjFree(buffer);
    tjDestroy(handle);
}
BENCHMARK(BM_JpegTurboJpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole capture to a .jpg: chain (no settings), encode, temporary file,
// fsync, rename.
void BM_CaptureToJpegFile(benchmark::State& state) {
    CaptureRequest request;
    request.frame = frame();
    const QByteArray path = QFile::encodeName(scratch().filePath(QStringLiteral("capture.jpg")));
    for (auto _ : state)
        if (runCapture(path, request) != 1)
            state.SkipWithError("capture failed");
}
BENCHMARK(BM_CaptureToJpegFile)->Unit(benchmark::kMillisecond);

const QByteArray& cameraJpeg() {
    static const QByteArray jpeg = cameraLikeJpeg(kFrame, 4);
    return jpeg;
}

std::shared_ptr<orv::GstJpegDecoder> cameraDecoder() {
    static const auto decoder = [] {
        auto made = std::make_shared<orv::GstJpegDecoder>(
            QStringLiteral("image/jpeg, width=(int)%1, height=(int)%2, framerate=(fraction)15/1")
                .arg(kFrame.width())
                .arg(kFrame.height())
                .toUtf8());
        made->decode(cameraJpeg()); // the pipeline built and negotiated
        return made;
    }();
    return decoder;
}

// Range 0: the capture path's decoder pipeline; 1: TurboJPEG to BGRX.
void BM_MjpegFullDecode(benchmark::State& state) {
    const QByteArray& jpeg = cameraJpeg();
    QImage out(kFrame, QImage::Format_RGB32);
    tjhandle handle = tjInitDecompress();
    for (auto _ : state) {
        if (state.range(0) == 0) {
            if (cameraDecoder()->decode(jpeg).size() != kFrame)
                state.SkipWithError("decode failed");
        } else if (tjDecompress2(handle, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                 static_cast<unsigned long>(jpeg.size()), out.bits(), out.width(),
                                 int(out.bytesPerLine()), out.height(), TJPF_BGRX, 0) != 0) {
            state.SkipWithError("tjDecompress2 failed");
        }
    }
    state.counters["KiB"] = double(jpeg.size()) / 1024;
    tjDestroy(handle);
}
BENCHMARK(BM_MjpegFullDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Our encoder on the decoded camera frame (sensor noise makes it dearer than
// the desk scene alone).
void BM_JpegOursCameraFrame(benchmark::State& state) {
    Picture picture;
    picture.image = orv::Frame::fromJpeg(cameraJpeg(), kFrame, cameraDecoder()).image();
    encodeEach(state, picture);
}
BENCHMARK(BM_JpegOursCameraFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// A capture of a newly arrived MJPEG frame: its full decode, then the whole
// capture to a .jpg as above; decode_ms and capture_ms are the two parts.
void BM_CaptureMjpegFrameToJpegFile(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(scratch().filePath(QStringLiteral("mjpeg.jpg")));
    using Clock = std::chrono::steady_clock;
    Clock::duration decoding{}, capturing{};
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const orv::Frame arrived = orv::Frame::fromJpeg(cameraJpeg(), kFrame, cameraDecoder());
        CaptureRequest request;
        request.frame = arrived.image();
        const Clock::time_point decoded = Clock::now();
        if (runCapture(path, request) != 1)
            state.SkipWithError("capture failed");
        decoding += decoded - start;
        capturing += Clock::now() - decoded;
    }
    const auto perFrame = [&](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count() / double(state.iterations());
    };
    state.counters["decode_ms"] = perFrame(decoding);
    state.counters["capture_ms"] = perFrame(capturing);
}
BENCHMARK(BM_CaptureMjpegFrameToJpegFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindPage(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(findDocuments(frame()));
}
BENCHMARK(BM_FindPage)->Unit(benchmark::kMillisecond);

void BM_ChainAutoCrop(benchmark::State& state) {
    ChainSettings s;
    s.autoCrop = true;
    ChainResult result;
    for (auto _ : state)
        benchmark::DoNotOptimize(runChain(frame(), s, &result));
}
BENCHMARK(BM_ChainAutoCrop)->Unit(benchmark::kMillisecond);

void BM_BlackAndWhite(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(applyColourMode(frame(), 2));
}
BENCHMARK(BM_BlackAndWhite)->Unit(benchmark::kMillisecond);

void BM_RemoveBackground(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(removeBackground(frame()));
}
BENCHMARK(BM_RemoveBackground)->Unit(benchmark::kMillisecond);

// Appending page n to a multi-page PDF whose earlier pages are the same
// frame; after each append the file is cut back, so every iteration adds the
// same page n. Dominated by the two flushes of an append.
void BM_PdfAppendPage(benchmark::State& state) {
    const int page = int(state.range(0));
    const PdfImage image = pdfImageOf(framePicture());
    const QByteArray path =
        QFile::encodeName(scratch().filePath(QStringLiteral("append%1.pdf").arg(page)));
    QFile::remove(QFile::decodeName(path));
    for (int i = 1; i < page; ++i)
        if (appendPdf(path, {image}) != PdfStatus::Written) {
            state.SkipWithError("building the file failed");
            return;
        }
    const qint64 before = QFileInfo(QFile::decodeName(path)).size();
    for (auto _ : state) {
        if (appendPdf(path, {image}) != PdfStatus::Written)
            state.SkipWithError("append failed");
        state.PauseTiming();
        if (::truncate(path.constData(), before) != 0)
            state.SkipWithError("truncate failed");
        state.ResumeTiming();
    }
    state.counters["file_MB"] = double(before) / 1e6;
    QFile::remove(QFile::decodeName(path));
}
BENCHMARK(BM_PdfAppendPage)->Arg(2)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the scene's text needs fonts
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
