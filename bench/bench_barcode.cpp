// What a barcode reading costs: the reader behind OrvReadBarcode on a
// 2592 x 1944 frame, against the zbarimg command on the same picture; and on
// a set of photograph-like frames (made at start, see barcode/BarcodeFrames.h)
// the reader against the one it replaced, in the same run: the share of the
// codes read, and the mean and 95th-percentile time per frame.
// BENCH_BARCODE_FRAMES=folder also writes the sets there as the JPEG files
// they were made as, with the codes each holds (bench/reference/ reads them
// with the newest ZXing-C++ for comparison); BENCH_BARCODE_FROM=folder reads
// the sets from such a folder instead of making them (which takes minutes);
// BENCH_BARCODE_VERBOSE=1 lists the codes missed and misread;
// BENCH_BARCODE_ONLY=n reads frame n only; BENCH_BARCODE_TIMES=1 lists each
// frame's times; BENCH_BARCODE_REPEAT=n reads each frame n times with each
// reader and counts the quickest (per-frame times then jitter less);
// BENCH_BARCODE_BEFORE=0 leaves the previous reader out (its figures are 0).
//
// The frames are the virtual cameras' scenes: camera 1's card (one QR code)
// and camera 0's document page (a QR code and a Code 128). zbarimg is timed
// as a whole process (start, reading the PNG, decoding), so the reader is
// also timed from the same PNG file, and zbarimg on a tiny picture shows what
// its start alone costs. Run: build/bin/bench_barcode.

#include "BarcodeReader.h"
#include "SceneRenderer.h"
#include "barcode/BarcodeFrames.h"
#include "barcode/BarcodeReaderBefore.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const QSize kFrameSize(2592, 1944);

struct Pictures {
    QTemporaryDir dir;
    QImage card;     // one QR code
    QImage document; // a QR code above a Code 128
    QString cardFile;
    QString tinyFile;
};

Pictures& pictures() {
    static Pictures p = [] {
        Pictures made;
        made.card = orv::renderScene(1, kFrameSize);
        made.document = orv::renderScene(0, kFrameSize);
        made.cardFile = made.dir.filePath(QStringLiteral("card.png"));
        made.tinyFile = made.dir.filePath(QStringLiteral("tiny.png"));
        made.card.save(made.cardFile);
        QImage tiny(16, 16, QImage::Format_Grayscale8);
        tiny.fill(255);
        tiny.save(made.tinyFile);
        return made;
    }();
    return p;
}

QByteArray expectedCard() {
    return "<barcode type=\"QRCode\">" + orv::sceneCodes(1).qrText.toUtf8() + "</barcode>";
}

// zbarimg's output for file ("" when it found nothing or is missing).
QByteArray zbarimg(const QString& file) {
    const QByteArray command = "zbarimg -q --raw '" + file.toLocal8Bit() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.constData(), "r"), pclose);
    QByteArray out;
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    return out.trimmed();
}

void BM_ReaderCardFrame(benchmark::State& state) {
    const QImage& frame = pictures().card;
    const orv::BarcodeReadOptions options{24, int(state.range(0))};
    if (orv::barcodeElements(orv::readBarcodes(frame, options)) != expectedCard()) {
        state.SkipWithError("the reader did not read the card's QR code");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(orv::readBarcodes(frame, options));
    state.SetLabel(state.range(0) ? "reduced copy first" : "full size only");
}
BENCHMARK(BM_ReaderCardFrame)->Arg(1400)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReaderDocumentFrame(benchmark::State& state) {
    const QImage& frame = pictures().document;
    const orv::BarcodeReadOptions options{24, int(state.range(0))};
    if (orv::readBarcodes(frame, options).size() != 2) {
        state.SkipWithError("the reader did not read both codes of the page");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(orv::readBarcodes(frame, options));
    state.SetLabel(state.range(0) ? "reduced copy first" : "full size only");
}
BENCHMARK(BM_ReaderDocumentFrame)->Arg(1400)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reader from the PNG file, as zbarimg reads it.
void BM_ReaderCardFile(benchmark::State& state) {
    const QString file = pictures().cardFile;
    for (auto _ : state)
        benchmark::DoNotOptimize(orv::readBarcodes(QImage(file)));
}
BENCHMARK(BM_ReaderCardFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ZbarimgCardFile(benchmark::State& state) {
    const QString file = pictures().cardFile;
    const QByteArray found = zbarimg(file);
    if (found != orv::sceneCodes(1).qrText.toUtf8()) {
        state.SkipWithError(
            ("zbarimg did not read the card's QR code: '" + found + "'").constData());
        return;
    }
    const QByteArray command = "zbarimg -q --raw '" + file.toLocal8Bit() + "' >/dev/null 2>&1";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.constData()));
}
BENCHMARK(BM_ZbarimgCardFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// zbarimg's start and a 16 x 16 picture: the part of the above that is not
// reading barcodes.
void BM_ZbarimgStart(benchmark::State& state) {
    const QByteArray command =
        "zbarimg -q --raw '" + pictures().tinyFile.toLocal8Bit() + "' >/dev/null 2>&1";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.constData()));
}
BENCHMARK(BM_ZbarimgStart)->Unit(benchmark::kMillisecond)->UseRealTime();

// Writes the frames of a set into folder as the JPEG files they were made
// as, with prefix.tsv beside them: a line per code, "file<TAB>format<TAB>text";
// and prefix-about.tsv: a line per frame, "file<TAB>description".
QString frameFile(const char* prefix, qsizetype i) {
    return QLatin1String(prefix) + QString::number(i).rightJustified(2, QLatin1Char('0')) +
           QLatin1String(".jpg");
}

void writeSet(const QList<benchframes::Frame>& frames, const QString& folder, const char* prefix) {
    QDir().mkpath(folder);
    QFile list(QDir(folder).filePath(QLatin1String(prefix) + QLatin1String(".tsv")));
    QFile about(QDir(folder).filePath(QLatin1String(prefix) + QLatin1String("-about.tsv")));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        !about.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QString name = frameFile(prefix, i);
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(frames.at(i).jpeg);
        for (const benchframes::ExpectedCode& c : frames.at(i).codes)
            list.write(name.toUtf8() + '\t' + c.format + '\t' + c.text + '\n');
        about.write(name.toUtf8() + '\t' + frames.at(i).description + '\n');
    }
}

// The set as writeSet left it in folder; empty when it is not there whole.
QList<benchframes::Frame> readSet(const QString& folder, const char* prefix) {
    const QDir dir(folder);
    QFile list(dir.filePath(QLatin1String(prefix) + QLatin1String(".tsv")));
    QFile about(dir.filePath(QLatin1String(prefix) + QLatin1String("-about.tsv")));
    if (!list.open(QIODevice::ReadOnly) || !about.open(QIODevice::ReadOnly))
        return {};
    QList<benchframes::Frame> frames;
    QHash<QByteArray, qsizetype> index;
    for (const QByteArray& line : about.readAll().split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab < 0)
            continue;
        QFile file(dir.filePath(QString::fromUtf8(line.left(tab))));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        benchframes::Frame frame;
        frame.jpeg = file.readAll();
        frame.image = QImage::fromData(frame.jpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
        frame.description = line.mid(tab + 1);
        if (frame.image.isNull())
            return {};
        index.insert(line.left(tab), frames.size());
        frames << frame;
    }
    for (const QByteArray& line : list.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 3 || !index.contains(fields.at(0)))
            continue;
        const QByteArray text = line.mid(fields.at(0).size() + fields.at(1).size() + 2);
        frames[index.value(fields.at(0))].codes << benchframes::ExpectedCode{fields.at(1), text};
    }
    return frames;
}

// The set read from BENCH_BARCODE_FROM when it holds it, else made (and
// written to BENCH_BARCODE_FRAMES when set).
QList<benchframes::Frame> makeSet(benchframes::Style style, const char* prefix) {
    const QString from = qEnvironmentVariable("BENCH_BARCODE_FROM");
    if (!from.isEmpty()) {
        QList<benchframes::Frame> read = readSet(from, prefix);
        if (!read.isEmpty())
            return read;
        std::fprintf(stderr, "no %s set in %s: making it\n", prefix, qPrintable(from));
    }
    const QList<benchframes::Frame> made = benchframes::makeFrames(48, kFrameSize, style);
    const QString folder = qEnvironmentVariable("BENCH_BARCODE_FRAMES");
    if (!folder.isEmpty())
        writeSet(made, folder, prefix);
    return made;
}

// Arg 0: printed labels; 1: photographed ones (see BarcodeFrames.h).
const QList<benchframes::Frame>& frameSet(int style) {
    static const QList<benchframes::Frame> print = makeSet(benchframes::Style::Print, "frame");
    static const QList<benchframes::Frame> photo = makeSet(benchframes::Style::Photograph, "photo");
    return style ? photo : print;
}

using Reader = QList<orv::FoundCode> (*)(const QImage&, const orv::BarcodeReadOptions&);

struct SetResult {
    std::vector<double> times; // ms per frame
    int expected = 0, found = 0, extra = 0;

    void add(const benchframes::Frame& frame, const QList<orv::FoundCode>& codes, double ms,
             const char* who) {
        QList<benchframes::ExpectedCode> read;
        for (const orv::FoundCode& c : codes)
            read << benchframes::ExpectedCode{c.format, c.text};
        const int hits = benchframes::matched(frame.codes, read);
        times.push_back(ms);
        expected += int(frame.codes.size());
        found += hits;
        extra += int(read.size()) - hits;
        if (read.size() > hits && qEnvironmentVariableIsSet("BENCH_BARCODE_VERBOSE")) {
            for (const benchframes::ExpectedCode& c : read)
                if (!benchframes::matched(frame.codes, {c}))
                    std::fprintf(stderr, "%s read %s '%s' on %s, which holds:\n", who,
                                 c.format.constData(), c.text.constData(),
                                 frame.description.constData());
            for (const benchframes::ExpectedCode& c : frame.codes)
                std::fprintf(stderr, "  %s '%s'\n", c.format.constData(), c.text.constData());
        }
        if (hits < frame.codes.size() && qEnvironmentVariableIsSet("BENCH_BARCODE_VERBOSE"))
            std::fprintf(stderr, "%s missed %d of %d: %s (%.0f ms)\n", who,
                         int(frame.codes.size()) - hits, int(frame.codes.size()),
                         frame.description.constData(), ms);
        if (hits < frame.codes.size() && qEnvironmentVariableIsSet("BENCH_BARCODE_VERBOSE"))
            for (const benchframes::ExpectedCode& c : frame.codes)
                if (!benchframes::matched({c}, read))
                    std::fprintf(stderr, "  %s missed %s '%s'\n", who, c.format.constData(),
                                 c.text.constData());
    }
    double mean() const {
        double sum = 0;
        for (const double t : times)
            sum += t;
        return times.empty() ? 0 : sum / double(times.size());
    }
    double p95() const {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty()
                   ? 0
                   : sorted[std::min(sorted.size() - 1, size_t(0.95 * double(sorted.size())))];
    }
};

// The quickest of BENCH_BARCODE_REPEAT reads (one by default), in ms.
double timed(Reader read, const QImage& image, QList<orv::FoundCode>* codes) {
    if (!read)
        return 0;
    static const int repeat = std::max(1, qEnvironmentVariableIntValue("BENCH_BARCODE_REPEAT"));
    double quickest = 0;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer clock;
        clock.start();
        *codes = read(image, {});
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        quickest = i == 0 ? ms : std::min(quickest, ms);
    }
    return quickest;
}

// Both readers on every frame, one right after the other and in turns first,
// so that a change in the machine's load weighs on both alike.
void BM_FrameSetBeforeAndNow(benchmark::State& state) {
    const QList<benchframes::Frame>& frames = frameSet(int(state.range(0)));
    bool one = false;
    const int only = qEnvironmentVariableIntValue("BENCH_BARCODE_ONLY", &one);
    SetResult before, now;
    const bool withBefore = qEnvironmentVariable("BENCH_BARCODE_BEFORE") != "0";
    const Reader previous = withBefore ? orv::before::readBarcodes : nullptr;
    for (auto _ : state) {
        for (qsizetype i = 0; i < frames.size(); ++i) {
            if (one && i != only)
                continue;
            const benchframes::Frame& frame = frames.at(i);
            QList<orv::FoundCode> codesBefore, codesNow;
            double msBefore = 0, msNow = 0;
            if (i % 2) {
                msNow = timed(orv::readBarcodes, frame.image, &codesNow);
                msBefore = timed(previous, frame.image, &codesBefore);
            } else {
                msBefore = timed(previous, frame.image, &codesBefore);
                msNow = timed(orv::readBarcodes, frame.image, &codesNow);
            }
            before.add(frame, codesBefore, msBefore, "before");
            now.add(frame, codesNow, msNow, "now");
            if (qEnvironmentVariableIsSet("BENCH_BARCODE_TIMES"))
                std::fprintf(stderr, "frame %d: before %.1f ms, now %.1f ms\n", int(i), msBefore,
                             msNow);
        }
    }
    state.counters["codes"] = before.expected;
    state.counters["rate_before"] = before.expected ? double(before.found) / before.expected : 0;
    state.counters["rate_now"] = now.expected ? double(now.found) / now.expected : 0;
    state.counters["extra_before"] = before.extra;
    state.counters["extra_now"] = now.extra;
    state.counters["mean_ms_before"] = before.mean();
    state.counters["mean_ms_now"] = now.mean();
    state.counters["p95_ms_before"] = before.p95();
    state.counters["p95_ms_now"] = now.p95();
    state.counters["mean_ratio"] = before.mean() > 0 ? now.mean() / before.mean() : 0;
    state.SetLabel(state.range(0) ? "photographed" : "printed");
}
BENCHMARK(BM_FrameSetBeforeAndNow)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the scenes
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
