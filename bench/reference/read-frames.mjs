// The newest ZXing-C++ (its WebAssembly build, npm package zxing-wasm) on the
// barcode benchmark's frames, for comparison with our reader.
//
//   BENCH_BARCODE_FRAMES=/tmp/frames build/bin/bench_barcode --benchmark_filter=FrameSet
//   (cd bench/reference && npm ci && node read-frames.mjs /tmp/frames photo)
//
// Reads every <prefix>NN.jpg of the folder once for warming up, then each
// frame once more, timed: readBarcodes with every format, tryHarder (its
// default, with rotation, inversion and downscaling), as many symbols as it
// finds. The JPEG is decoded beforehand (jpeg-js) and not timed, as the
// benchmark hands our reader a decoded frame. Prints a line per frame (time,
// codes read, codes missed, codes not in the frame) and the read rate, the
// mean and the 95th-percentile time per frame. <prefix>.tsv lists the codes
// each frame holds ("file<TAB>format<TAB>text"). Options: --runs=n times
// each frame n times and keeps the fastest.

import { readFileSync, readdirSync } from "node:fs";
import { join, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import { performance } from "node:perf_hooks";
import jpeg from "jpeg-js";
import { prepareZXingModule, readBarcodes } from "zxing-wasm/reader";

const args = process.argv.slice(2).filter((a) => !a.startsWith("--"));
const runs = Number((process.argv.find((a) => a.startsWith("--runs=")) ?? "--runs=1").slice(7));
const [folder, prefix = "photo"] = args;
if (!folder) {
    console.error("usage: node read-frames.mjs <folder> [prefix] [--runs=n]");
    process.exit(2);
}

// The module from the package itself, never from a CDN.
const here = dirname(fileURLToPath(import.meta.url));
const wasm = readFileSync(join(here, "node_modules/zxing-wasm/dist/reader/zxing_reader.wasm"));
await prepareZXingModule({ overrides: { wasmBinary: wasm }, fireImmediately: true });

// Our reader's names are ZXing 1.4's ("QRCode", "EAN-13"); the newest
// ZXing's may be spelled with spaces: compare without them.
const key = (format, text) => `${format.replace(/[\s-]/g, "").toLowerCase()}\t${text}`;

const expected = new Map();
for (const line of readFileSync(join(folder, `${prefix}.tsv`), "utf8").split("\n")) {
    if (!line) continue;
    const [file, format, ...rest] = line.split("\t");
    if (!expected.has(file)) expected.set(file, []);
    expected.get(file).push(key(format, rest.join("\t")));
}

const options = { formats: [], tryHarder: true, maxNumberOfSymbols: 255 };
const files = readdirSync(folder)
    .filter((f) => f.startsWith(prefix) && /^\D*\d+\.jpg$/.test(f))
    .sort();
let codes = 0, hits = 0, extra = 0;
const times = [];
for (const file of files) {
    const decoded = jpeg.decode(readFileSync(join(folder, file)), { useTArray: true, formatAsRGBA: true });
    const image = { data: new Uint8ClampedArray(decoded.data.buffer), width: decoded.width, height: decoded.height };
    await readBarcodes(image, options); // warm-up
    let best = Infinity, results = [];
    for (let r = 0; r < runs; ++r) {
        const start = performance.now();
        results = await readBarcodes(image, options);
        best = Math.min(best, performance.now() - start);
    }
    times.push(best);
    const left = [...(expected.get(file) ?? [])];
    const wrong = [];
    codes += left.length;
    for (const result of results) {
        const i = left.indexOf(key(result.format, result.text));
        if (i >= 0) {
            left.splice(i, 1);
            ++hits;
        } else {
            wrong.push(`${result.format} '${result.text}'`);
        }
    }
    extra += wrong.length;
    console.log(`${file}\t${best.toFixed(1)} ms\tread ${results.length - wrong.length}` +
        (left.length ? `\tmissed ${left.map((k) => k.replace("\t", " '") + "'").join(", ")}` : "") +
        (wrong.length ? `\tnot in the frame ${wrong.join(", ")}` : ""));
}
times.sort((a, b) => a - b);
const mean = times.reduce((a, b) => a + b, 0) / times.length;
const p95 = times[Math.min(times.length - 1, Math.floor(0.95 * times.length))];
console.log(`zxing-wasm: ${hits} of ${codes} codes, rate ${(hits / codes).toFixed(3)}, ` +
    `${extra} not in the frames, mean ${mean.toFixed(1)} ms, p95 ${p95.toFixed(1)} ms`);
