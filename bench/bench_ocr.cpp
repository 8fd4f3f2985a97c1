// What reading an A4 page costs: the OCR engine behind fnModaOCREx against
// the tesseract command on the same 300 dpi JPEG, side by side.
//
// The engine is started once (fnInit, then waiting for its models) before
// timing, as the program does at start-up; each iteration is one page. The command runs with its
// defaults and the same languages (-l chi_sim+eng), timed as a whole process, the way a user would
// run it; a second row runs it with OMP_THREAD_LIMIT=1 to show what the thread limit alone is
// worth. Run: build/bin/bench_ocr.

#include <modaocr/ModaOCR.h>

#include "TextPage.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Page {
    QTemporaryDir dir;
    QByteArray file;
};

// A full page: 30 lines, Chinese and English alternating in blocks.
Page& page() {
    static Page p = [] {
        Page made;
        QStringList lines;
        const QStringList chinese = {
            QStringLiteral("文档摄像头拍摄的页面可以直接识别成文字，识别结果可以编辑。"),
            QStringLiteral("请把需要识别的文件平放在摄像头下面，保持光线均匀。"),
            QStringLiteral("中华人民共和国居民身份证号码由十八位数字组成。"),
        };
        const QStringList english = {
            QStringLiteral("The quick brown fox jumps over the lazy dog, again and again."),
            QStringLiteral("Invoice 2024-0815: total amount 1,280.50 CNY, due in 30 days."),
        };
        for (int i = 0; i < 30; ++i)
            lines << ((i / 3) % 2 ? english[i % english.size()] : chinese[i % chinese.size()]);
        made.file = (made.dir.path() + QStringLiteral("/page.jpg")).toLocal8Bit();
        textpage::render(lines, textpage::kA4Height)
            .save(QString::fromLocal8Bit(made.file), "JPEG", 90);
        return made;
    }();
    return p;
}

void BM_EngineA4Page(benchmark::State& state) {
    const QByteArray& file = page().file;
    size_t bytes = 0;
    for (auto _ : state) {
        const char* text =
            fnModaOCREx(file.constData(), 50, 0, 0.6f, 0.3f, 3.0f, 2.0f, false, false);
        bytes = std::strlen(text);
        benchmark::DoNotOptimize(text);
    }
    state.counters["text_bytes"] = double(bytes);
}
BENCHMARK(BM_EngineA4Page)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void runCommand(benchmark::State& state, const char* environment) {
    const QByteArray command = QByteArray(environment) + " tesseract " + page().file +
                               " stdout -l chi_sim+eng >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.constData()) != 0) {
            state.SkipWithError("the tesseract command failed (tesseract-ocr installed?)");
            return;
        }
    }
}

void BM_TesseractCommandA4Page(benchmark::State& state) {
    runCommand(state, "");
}
BENCHMARK(BM_TesseractCommandA4Page)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TesseractCommandOneThreadA4Page(benchmark::State& state) {
    runCommand(state, "OMP_THREAD_LIMIT=1");
}
BENCHMARK(BM_TesseractCommandOneThreadA4Page)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    page();
    fnInit(4, (QCoreApplication::applicationDirPath() + QLatin1Char('/')).toUtf8().constData());
    // fnInit loads the models in the background; a blank picture waits for
    // them, so the start-up is not counted in the first page.
    QImage blank(64, 64, QImage::Format_Grayscale8);
    blank.fill(255);
    const QString blankFile = page().dir.path() + QStringLiteral("/blank.png");
    blank.save(blankFile);
    fnModaOCREx(blankFile.toLocal8Bit().constData(), 50, 0, 0.6f, 0.3f, 3.0f, 2.0f, false, false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
