// Page-turn detection for automatic capture: the cost per frame at
// 1600 x 1200, the false reports over ten minutes of a still page with camera
// noise (9000 frames at 15 frames a second, fed without waiting), and the
// reports for 20 pages turned by a hand. The detector is compiled in.

#include "CameraNoise.h"
#include "PageTurnDetector.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <vector>

namespace {

constexpr QSize kFrame(1600, 1200);
constexpr qint64 kFrameMs = 1000 / 15;

QImage page(int seed) {
    QImage image(kFrame, QImage::Format_RGB32);
    image.fill(QColor(60, 50, 40));
    QPainter p(&image);
    const QRect sheet(200, 75, 1200, 1050);
    p.fillRect(sheet, Qt::white);
    QRandomGenerator rng(quint32(seed) + 1);
    for (int line = 0; line < 30; ++line) {
        const int y = sheet.top() + 40 + line * 32;
        int x = sheet.left() + 60;
        while (x < sheet.right() - 120) {
            const int w = 20 + int(rng.bounded(140));
            p.fillRect(QRect(x, y, w, 18), Qt::black);
            x += w + 14 + int(rng.bounded(20));
        }
    }
    return image;
}

QImage withHand(const QImage& frame, int x) {
    QImage out = frame.copy();
    QPainter p(&out);
    p.setBrush(QColor(200, 150, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRect(x, 400, 400, 280));
    p.drawRect(QRect(x + 100, 600, 220, 700));
    return out;
}

void BM_DetectFrame(benchmark::State& state) {
    QRandomGenerator rng(1);
    const QImage frames[2] = {noisy(page(1), 8, rng), noisy(page(1), 8, rng)};
    orv::PageTurnDetector detector;
    qint64 ms = 0;
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(detector.feedFrame(frames[i++ & 1], ms));
        ms += kFrameMs;
    }
}
BENCHMARK(BM_DetectFrame)->Unit(benchmark::kMillisecond);

// Ten minutes of one still page; a pool of noisy copies played in random
// order stands in for fresh noise on every frame.
void BM_StillPageTenMinutes(benchmark::State& state) {
    QRandomGenerator rng(2);
    const QImage sheet = page(3);
    std::vector<QImage> pool;
    for (int i = 0; i < 8; ++i)
        pool.push_back(noisy(sheet, 12, rng));
    int falseReports = 0;
    for (auto _ : state) {
        orv::PageTurnDetector detector;
        qint64 ms = 0;
        for (int frame = 0; frame < 9000; ++frame, ms += kFrameMs)
            falseReports += detector.feedFrame(pool[rng.bounded(quint32(pool.size()))], ms);
    }
    state.counters["false_reports"] = double(falseReports) / double(state.iterations());
}
BENCHMARK(BM_StillPageTenMinutes)->Unit(benchmark::kMillisecond)->Iterations(1);

// 20 pages, each turned by a hand sweeping across and then left still for
// two seconds.
void BM_TwentyTurnedPages(benchmark::State& state) {
    QRandomGenerator rng(4);
    std::vector<QImage> pages;
    for (int i = 0; i <= 20; ++i)
        pages.push_back(page(i));
    int reports = 0;
    for (auto _ : state) {
        orv::PageTurnDetector detector;
        qint64 ms = 0;
        auto feed = [&](const QImage& frame) {
            reports += detector.feedFrame(noisy(frame, 6, rng), ms);
            ms += kFrameMs;
        };
        for (int f = 0; f < 30; ++f)
            feed(pages[0]);
        for (int p = 1; p <= 20; ++p) {
            for (int x = 1600; x > -500; x -= 300)
                feed(withHand(pages[size_t(p)], x));
            for (int f = 0; f < 30; ++f)
                feed(pages[size_t(p)]);
        }
    }
    state.counters["reports_for_20_pages"] = double(reports) / double(state.iterations());
}
BENCHMARK(BM_TwentyTurnedPages)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
