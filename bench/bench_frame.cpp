// The live picture's per-frame work for a full 2592x1944 frame shown in a
// 700x500 window: the engine's view path (off the GUI thread) at zoom 1, zoomed
// and turned, one plain smooth QImage::scaled for comparison, the emulated
// picture controls on the full frame, and the blit left to the GUI thread.

#include "FrameScaler.h"
#include "PictureAdjust.h"
#include "ViewGeometry.h"
#include "ViewState.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

const QSize kFrame(2592, 1944);
const QSize kWindow(700, 500);

// Smooth shading with grain, so neither path meets a trivially uniform image.
const QImage& frame() {
    static const QImage image = [] {
        QImage img(kFrame, QImage::Format_RGB32);
        QRandomGenerator rng(7);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const int grain = int(rng.bounded(24));
                line[x] = qRgb((x * 255 / img.width() + grain) & 0xff,
                               (y * 255 / img.height() + grain) & 0xff, (x + y + grain) & 0xff);
            }
        }
        return img;
    }();
    return image;
}

// The worker's whole job per frame: lay out the view, crop, scale, turn.
// Arguments: zoom in percent, quarter turns.
void BM_EngineViewPath(benchmark::State& state) {
    const QImage& source = frame();
    orv::ViewState view;
    view.zoom = float(state.range(0)) / 100;
    view.rotation = int(state.range(1));
    for (auto _ : state) {
        const orv::ViewLayout layout = orv::layoutView(source.size(), kWindow, view);
        QImage picture =
            orv::renderView(source, layout.source, layout.target.size(), view.rotation);
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EngineViewPath)
    ->ArgNames({"zoom%", "turns"})
    ->Args({100, 0})
    ->Args({100, 1})
    ->Args({200, 0})
    ->Args({800, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_QImageSmoothScaled(benchmark::State& state) {
    const QImage& source = frame();
    for (auto _ : state) {
        QImage picture = source.scaled(kWindow, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QImageSmoothScaled)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Halve(benchmark::State& state) {
    for (auto _ : state) {
        QImage half = orv::halveImage(frame());
        benchmark::DoNotOptimize(half.constBits());
    }
}
BENCHMARK(BM_Halve)->Unit(benchmark::kMillisecond)->UseRealTime();

// Emulated picture controls on the full frame (source thread), paid once per
// new frame while a control is away from neutral. 0: brightness and contrast
// (one table), 1: plus saturation (colour matrix), 2: plus sharpness.
void BM_EmulatedControls(benchmark::State& state) {
    orv::PictureAdjustment a;
    a.brightness = 0.1;
    a.contrast = 1.2;
    if (state.range(0) >= 1)
        a.saturation = 1.5;
    if (state.range(0) >= 2)
        a.sharpen = 1;
    for (auto _ : state) {
        QImage out = orv::applyAdjustment(frame(), a);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_EmulatedControls)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

// What remains on the GUI thread per frame: blitting the ready picture.
void BM_GuiThreadBlit(benchmark::State& state) {
    const QRect area = orv::fitRect(frame().size(), kWindow);
    const QImage picture = orv::scaleForView(frame(), area.size());
    QImage window(kWindow, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&window);
        p.fillRect(QRect(0, 0, area.left(), kWindow.height()), Qt::black);
        p.drawImage(area.topLeft(), picture);
        p.end();
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_GuiThreadBlit)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
