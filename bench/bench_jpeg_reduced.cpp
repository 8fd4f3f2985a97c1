// The preview's reduced JPEG decode against TurboJPEG at the same scale, on
// camera-like frames (a rendered page with sensor noise of +-4 levels, 4:2:2,
// quality 85): 2592x1944 and 1920x1080, at 1/8, 1/4, 3/8 and 1/2.

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
