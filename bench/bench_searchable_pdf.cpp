// Searchable PDF pages: what the text layer costs and how well it reads.
//
// A rendered A4 page (Chinese and English lines, 300 dpi JPEG) is made a
// searchable PDF page the program's way: the OCR engine's words
// (fnModaOCRWords) laid over the JPEG by the capture path's PDF writer. The
// same JPEG, made a one-page PDF with img2pdf, is made searchable by the
// ocrmypdf command (Debian package ocrmypdf) side by side, timed as a whole
// process the way a user would run it. Counters of the program's row:
//   cer_pct         character errors of `pdftotext` against the rendered
//                   text (white space left out), in percent;
//   pos_max_mm      the largest distance of a word's edge in
//                   `pdftotext -bbox` from the ink of that word in the
//                   picture (English words, found by their text), in mm;
//   added_pct       bytes the text layer adds to the page, in percent of
//                   the JPEG.
// BM_SearchableAppend/N appends page N (words known, recognition left out)
// to a searchable multi-page PDF. Run: build/bin/bench_searchable_pdf.

#include <modaocr/ModaOCRWords.h>

#include "CaptureJob.h"
#include "PdfWriter.h"
#include "TextPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace orv::capture;

namespace {

struct Page {
    QTemporaryDir dir;
    QStringList lines;
    QByteArray jpegFile;
    QByteArray jpeg;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

Page& page() {
    static Page p = [] {
        Page made;
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
            made.lines << ((i / 3) % 2 ? english[i % english.size()] : chinese[i % chinese.size()]);
        made.jpegFile = QFile::encodeName(made.path("page.jpg"));
        textpage::render(made.lines, textpage::kA4Height)
            .save(QFile::decodeName(made.jpegFile), "JPEG", 90);
        QFile f(QFile::decodeName(made.jpegFile));
        f.open(QIODevice::ReadOnly);
        made.jpeg = f.readAll();
        return made;
    }();
    return p;
}

QString withoutSpaces(QString s) {
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    return s;
}

int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min(
                {above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

QByteArray run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

qint64 sizeOf(const QString& path) {
    return QFileInfo(path).size();
}

// The ink boxes of the English words of the rendered page, in pixels.
QList<QPair<QString, QRect>> englishWordBoxes() {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(50);
    const QFontMetrics metrics(font);
    QList<QPair<QString, QRect>> boxes;
    for (int i = 0; i < page().lines.size(); ++i) {
        const QString& line = page().lines[i];
        if (line.at(0).unicode() >= 0x80)
            continue;
        const int baseline = 300 + 90 * i + 50;
        int at = 0;
        for (const QString& word : line.split(QLatin1Char(' '))) {
            const int x = 300 + metrics.horizontalAdvance(line.left(at));
            boxes << qMakePair(word, metrics.tightBoundingRect(word).translated(x, baseline));
            at += int(word.size()) + 1;
        }
    }
    return boxes;
}

// Largest distance in mm of a found word's edges from its ink; -1 when no
// word is found.
double positionError(const QString& pdf) {
    const QString html = QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<QPair<QString, QRectF>> found;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        found << qMakePair(m.captured(5),
                           QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                  QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    }
    const double mmPerPixel = 25.4 / textpage::kDpi, mmPerPoint = 25.4 / 72;
    double worst = -1;
    for (const auto& [text, ink] : englishWordBoxes()) {
        // The nearest found word of that text.
        double best = -1;
        for (const auto& [foundText, box] : found) {
            if (foundText != text)
                continue;
            const double d =
                std::max({std::abs(box.left() * mmPerPoint - ink.left() * mmPerPixel),
                          std::abs(box.right() * mmPerPoint - (ink.right() + 1) * mmPerPixel),
                          std::abs(box.top() * mmPerPoint - ink.top() * mmPerPixel),
                          std::abs(box.bottom() * mmPerPoint - (ink.bottom() + 1) * mmPerPixel)});
            if (best < 0 || d < best)
                best = d;
        }
        if (best >= 0)
            worst = std::max(worst, best);
        if (qEnvironmentVariableIsSet("DEBUG_POS") && best > 1.5)
            qWarning() << text << ink << best;
    }
    return worst;
}

double characterErrorPercent(const QString& pdf) {
    const QString expected = withoutSpaces(page().lines.join(QString()));
    const QString text = withoutSpaces(
        QString::fromUtf8(run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})));
    return 100.0 * editDistance(expected, text) / double(expected.size());
}

void BM_OursSearchablePage(benchmark::State& state) {
    const QString out = page().path("ours.pdf");
    QByteArray words;
    for (auto _ : state) {
        words = fnModaOCRWords(page().jpegFile.constData());
        if (writePdfFromFiles(QFile::encodeName(out), false, {page().jpegFile}, {words}) != 1)
            state.SkipWithError("writing the page failed");
    }
    const QString plain = page().path("plain.pdf");
    writePdfFromFiles(QFile::encodeName(plain), false, {page().jpegFile}, {});
    state.counters["cer_pct"] = characterErrorPercent(out);
    state.counters["pos_max_mm"] = positionError(out);
    state.counters["added_pct"] =
        100.0 * double(sizeOf(out) - sizeOf(plain)) / double(page().jpeg.size());
    if (qEnvironmentVariableIsSet("DEBUG_POS")) {
        QFile::copy(out, QStringLiteral("/tmp/i23/ours.pdf"));
        QFile::copy(QFile::decodeName(page().jpegFile), QStringLiteral("/tmp/i23/page.jpg"));
    }
    state.counters["jpeg_kB"] = double(page().jpeg.size()) / 1000;
    QFile f(out);
    state.counters["same_jpeg"] = f.open(QIODevice::ReadOnly) && f.readAll().contains(page().jpeg);
}
BENCHMARK(BM_OursSearchablePage)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// ocrmypdf on the JPEG made a one-page PDF by img2pdf; extra: its options.
void runOcrmypdf(benchmark::State& state, const QStringList& extra) {
    const QString in = page().path("img2pdf.pdf");
    if (!QFile::exists(in) &&
        run(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import sys, img2pdf; open(sys.argv[2], 'wb').write("
                            "img2pdf.convert(sys.argv[1]))"),
             QFile::decodeName(page().jpegFile), in})
            .isNull() &&
        !QFile::exists(in)) {
        state.SkipWithError("img2pdf failed (python3-img2pdf installed?)");
        return;
    }
    const QString out = page().path("ocrmypdf.pdf");
    for (auto _ : state) {
        QProcess p;
        p.start(
            QStringLiteral("ocrmypdf"),
            QStringList{QStringLiteral("-q"), QStringLiteral("-l"), QStringLiteral("chi_sim+eng")}
                << extra << in << out);
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            state.SkipWithError("ocrmypdf failed (package ocrmypdf installed?)");
            return;
        }
    }
    state.counters["cer_pct"] = characterErrorPercent(out);
    state.counters["pos_max_mm"] = positionError(out);
    state.counters["added_pct"] =
        100.0 * double(sizeOf(out) - sizeOf(in)) / double(page().jpeg.size());
}

void BM_OcrmypdfDefaults(benchmark::State& state) {
    runOcrmypdf(state, {});
}
BENCHMARK(BM_OcrmypdfDefaults)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OcrmypdfPlainPdf(benchmark::State& state) {
    runOcrmypdf(state, {QStringLiteral("--output-type"), QStringLiteral("pdf"),
                        QStringLiteral("--optimize"), QStringLiteral("0")});
}
BENCHMARK(BM_OcrmypdfPlainPdf)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Appending page n, with its words, to a searchable multi-page PDF of n - 1
// such pages; the file is cut back after each append.
void BM_SearchableAppend(benchmark::State& state) {
    const int n = int(state.range(0));
    static const QByteArray words = fnModaOCRWords(page().jpegFile.constData());
    PdfImage image;
    pdfImageFromJpeg(page().jpeg, 300, &image);
    image.words = parseWords(words);
    const QByteArray path = QFile::encodeName(page().path("append.pdf"));
    QFile::remove(QFile::decodeName(path));
    for (int i = 1; i < n; ++i)
        if (appendPdf(path, {image}) != PdfStatus::Written) {
            state.SkipWithError("building the file failed");
            return;
        }
    const qint64 before = sizeOf(QFile::decodeName(path));
    for (auto _ : state) {
        if (appendPdf(path, {image}) != PdfStatus::Written)
            state.SkipWithError("append failed");
        state.PauseTiming();
        if (::truncate(path.constData(), before) != 0)
            state.SkipWithError("truncate failed");
        state.ResumeTiming();
    }
    state.counters["file_MB"] = double(before) / 1e6;
    state.counters["words"] = double(image.words.size());
    QFile::remove(QFile::decodeName(path));
}
BENCHMARK(BM_SearchableAppend)->Arg(2)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    page();
    fnInit(4, (QCoreApplication::applicationDirPath() + QLatin1Char('/')).toUtf8().constData());
    // The models load in the background; waiting for them here keeps the
    // start-up out of the first page.
    fnModaOCRLanguages();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
