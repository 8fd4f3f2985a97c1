// The preview's reduced JPEG decode against TurboJPEG at the same scale, on
// camera-like frames (a rendered page with sensor noise of +-4 levels, 4:2:2,
// quality 85): 2592x1944 and 1920x1080, at 1/8, 1/4, 3/8 and 1/2. And the
// live picture of such a frame for an 800 x 600 window (CPU of the process,
// all threads): reduced, then scaled down as the view scales, against
// reduced straight to the window's size.

#include "FrameScaler.h"
#include "ReducedJpeg.h"

#include "CameraJpeg.h"

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <map>
#include <vector>

namespace {

const std::vector<unsigned char>& cameraJpeg(int width, int height) {
    static std::map<int, std::vector<unsigned char>> made;
    std::vector<unsigned char>& bytes = made[width];
    if (bytes.empty()) {
        const QByteArray jpeg = cameraLikeJpeg(QSize(width, height), 4);
        bytes.assign(jpeg.begin(), jpeg.end());
    }
    return bytes;
}

// Arguments: width, height, eighths.
void BM_ReducedOurs(benchmark::State& state) {
    const auto& jpeg = cameraJpeg(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        QImage picture = orv::decodeJpegReduced(jpeg.data(), jpeg.size(), int(state.range(2)));
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void BM_ReducedTurboJpeg(benchmark::State& state) {
    const auto& jpeg = cameraJpeg(int(state.range(0)), int(state.range(1)));
    const tjscalingfactor f{int(state.range(2)), 8};
    const int w = TJSCALED(int(state.range(0)), f);
    const int h = TJSCALED(int(state.range(1)), f);
    tjhandle tj = tjInitDecompress();
    for (auto _ : state) {
        QImage picture(w, h, QImage::Format_RGB32);
        tjDecompress2(tj, jpeg.data(), jpeg.size(), picture.bits(), w, int(picture.bytesPerLine()),
                      h, TJPF_BGRX, TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
        benchmark::DoNotOptimize(picture.constBits());
    }
    tjDestroy(tj);
}

// Arguments: width, height, eighths, straight to the window's size (0, 1).
void BM_ViewPicture(benchmark::State& state) {
    const QSize frame(int(state.range(0)), int(state.range(1)));
    const auto& jpeg = cameraJpeg(frame.width(), frame.height());
    const int n = int(state.range(2));
    const QSize window = frame.scaled(800, 600, Qt::KeepAspectRatio);
    const QSizeF reduced((frame.width() * n + 7) / 8, (frame.height() * n + 7) / 8);
    for (auto _ : state) {
        QImage picture;
        if (state.range(3))
            picture = orv::decodeJpegReduced(jpeg.data(), jpeg.size(), n, window);
        else
            picture = orv::renderView(orv::decodeJpegReduced(jpeg.data(), jpeg.size(), n),
                                      QRectF(QPointF(), reduced), window, 0);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_ViewPicture)
    ->ArgNames({"w", "h", "n", "straight"})
    ->Args({2592, 1944, 3, 0})
    ->Args({2592, 1944, 3, 1})
    ->Args({1920, 1080, 4, 0})
    ->Args({1920, 1080, 4, 1})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

void frames(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "n"});
    for (int n : {1, 2, 3, 4})
        b->Args({2592, 1944, n});
    for (int n : {3, 4})
        b->Args({1920, 1080, n});
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_ReducedOurs)->Apply(frames);
BENCHMARK(BM_ReducedTurboJpeg)->Apply(frames);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the scene draws text
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
