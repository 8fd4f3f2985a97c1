#include "ReducedJpeg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orv {

namespace {

#if defined(__GNUC__)
#define ORV_INLINE inline __attribute__((always_inline))
#define ORV_NOINLINE __attribute__((noinline))
#define ORV_LIKELY(x) __builtin_expect(!!(x), 1)
#else
#define ORV_INLINE inline
#define ORV_NOINLINE
#define ORV_LIKELY(x) (x)
#endif

// Position in the 8x8 block of each coefficient in stream order.
constexpr std::array<uint8_t, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The usual tables of baseline encoders, which MJPEG frames leave out:
// code counts per length 1..16, then the symbols.
constexpr uint8_t kDcLuma[16 + 12] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0,  0,
                                      0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr uint8_t kDcChroma[16 + 12] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,  0,
                                        0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr uint8_t kAcLuma[16 + 162] = {
    0,    2,    1,    3,    3,    2,    4,    3,    5,    5,    4,    4,    0,    0,    1,
    0x7d, 0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51,
    0x61, 0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15,
    0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a,
    0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98,
    0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5,
    0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2,
    0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
constexpr uint8_t kAcChroma[16 + 162] = {
    0,    2,    1,    2,    4,    4,    3,    4,    7,    5,    4,    4,    0,    1,    2,
    0x77, 0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07,
    0x61, 0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23,
    0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17,
    0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43,
    0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a,
    0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79,
    0x7a, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3,
    0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9,
    0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6,
    0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

// ---- Huffman tables ----

// A lookup of the next kFastBits bits gives, for most symbols, the whole
// coefficient: code and extra bits consumed, zero run, value.
constexpr int kFastBits = 10;
// An entry: bits 0-4 the bits to consume, 5-8 the zero run, 16-31 the value;
// kEob ends the block; kMore: the extra bits (or the code) are longer, the
// symbol is in bits 16-23 if bits 0-4 are not 0.
constexpr int32_t kEob = 1 << 9;
constexpr int32_t kMore = 1 << 10;

// For AC tables, a lookup of the next kPairBits bits gives up to two
// coefficients, or one and the end of the block, when their codes and extra
// bits fit: the run before the first, its value, the step to the second
// (1 + its run) and its value (0 and a step of 1 when there is none).
constexpr int kPairBits = 11;
struct Pair {
    uint8_t length = 0; // bits to consume
    uint8_t flags =
        0; // kPairEnd, kPairSlow, kPairTwo; bits 3-7: run + 1 when a second symbol follows
    uint8_t run = 0;
    uint8_t step = 0;
    int16_t first = 0;
    int16_t second = 0;
};
constexpr uint8_t kPairEnd = 1;  // the block ends after this entry
constexpr uint8_t kPairSlow = 2; // decode one symbol the longer way
constexpr uint8_t kPairTwo = 4;  // two coefficients

struct HuffmanTable {
    bool defined = false; // built from source
    std::array<uint8_t, 16 + 256> source{};
    std::array<int32_t, 1 << kFastBits> fast{};
    std::array<Pair, 1 << kPairBits> pairs{};
    std::array<int32_t, 17> maxCode{}; // largest code of each length, -1 if none
    std::array<int32_t, 17> offset{};  // symbol index minus code, per length
    std::array<uint8_t, 256> symbols{};
};

ORV_INLINE int32_t extend(int32_t v, int size) {
    return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

// The symbol whose code begins the top avail bits of bits, if it is no longer.
bool symbolIn(const HuffmanTable& t, uint32_t bits, int avail, int& sym, int& len) {
    for (int l = 1; l <= std::min(avail, 16); ++l) {
        const auto c = int32_t(bits >> (avail - l));
        if (c <= t.maxCode[size_t(l)]) {
            sym = t.symbols[size_t(t.offset[size_t(l)] + c) & 0xff];
            len = l;
            return true;
        }
    }
    return false;
}

void buildPairs(HuffmanTable& t) {
    for (uint32_t i = 0; i < (1U << kPairBits); ++i) {
        Pair& e = t.pairs[i];
        e = Pair{};
        e.flags = kPairSlow;
        int sym = 0;
        int len = 0;
        if (!symbolIn(t, i, kPairBits, sym, len))
            continue;
        const int run = sym >> 4;
        const int size = sym & 15;
        if (size == 0 && run != 15) {
            e = Pair{uint8_t(len), kPairEnd, 0, 0, 0, 0};
            continue;
        }
        int used = len + size;
        if (used > kPairBits)
            continue;
        const uint32_t extra = (i >> (kPairBits - used)) & ((1U << size) - 1);
        e = Pair{
            uint8_t(used), 0, uint8_t(run), 1, int16_t(size ? extend(int32_t(extra), size) : 0), 0};
        const int avail = kPairBits - used;
        const uint32_t rest = i & ((1U << avail) - 1);
        if (!symbolIn(t, rest, avail, sym, len))
            continue;
        const int run2 = sym >> 4;
        const int size2 = sym & 15;
        const auto guard = uint8_t((run + 1) << 3);
        if (size2 == 0 && run2 != 15) {
            e.length = uint8_t(used + len);
            e.flags = uint8_t(kPairEnd | guard);
        } else if (len + size2 <= avail) {
            const uint32_t extra2 = (rest >> (avail - len - size2)) & ((1U << size2) - 1);
            e.length = uint8_t(used + len + size2);
            e.flags = uint8_t(kPairTwo | guard);
            e.step = uint8_t(1 + run2);
            e.second = int16_t(size2 ? extend(int32_t(extra2), size2) : 0);
        }
    }
}

// counts: codes per length 1..16; false for a table that is not a prefix code.
bool buildTable(HuffmanTable& t, const uint8_t* counts, const uint8_t* symbols, bool dc) {
    int total = 0;
    for (int i = 0; i < 16; ++i)
        total += counts[i];
    if (total > 256)
        return false;
    std::copy(symbols, symbols + total, t.symbols.begin());
    t.fast.fill(kMore);
    int code = 0;
    int k = 0;
    for (int len = 1; len <= 16; ++len) {
        const int n = counts[len - 1];
        t.offset[len] = k - code;
        t.maxCode[len] = n ? code + n - 1 : -1;
        for (int i = 0; i < n; ++i, ++k, ++code) {
            const int sym = symbols[k];
            if (code >= (1 << len) || (dc && sym > 15))
                return false;
            if (len > kFastBits)
                continue;
            const int run = dc ? 0 : sym >> 4;
            const int size = dc ? sym : sym & 15;
            const int spare = kFastBits - len;
            for (int fill = 0; fill < (1 << spare); ++fill) {
                int32_t e = 0;
                if (size == 0)
                    e = dc ? len : run == 15 ? len | (15 << 5) : len | kEob;
                else if (len + size <= kFastBits)
                    e = extend((fill >> (spare - size)) & ((1 << size) - 1), size) * 65536 |
                        run << 5 | (len + size);
                else
                    e = sym << 16 | kMore | len;
                t.fast[size_t(code << spare | fill)] = e;
            }
        }
        code <<= 1;
    }
    t.defined = true;
    if (!dc)
        buildPairs(t);
    return true;
}

// Built once per thread and kept while frames bring the same table.
bool loadTable(HuffmanTable& t, const uint8_t* counts, const uint8_t* symbols, bool dc) {
    int total = 0;
    for (int i = 0; i < 16; ++i)
        total += counts[i];
    if (t.defined && std::equal(counts, counts + 16, t.source.begin()) &&
        std::equal(symbols, symbols + total, t.source.begin() + 16))
        return true;
    t.defined = false;
    if (total > 256 || !buildTable(t, counts, symbols, dc))
        return false;
    std::copy(counts, counts + 16, t.source.begin());
    std::copy(symbols, symbols + total, t.source.begin() + 16);
    return true;
}

// ---- Entropy-coded data ----

// The scan's data with the stuffed zero bytes taken out, one interval
// between restart markers after the other, each followed by zeros: a reader
// that goes past an interval's data reads zeros, as after a marker or the end
// of a frame cut short, and never needs to look for markers.
constexpr size_t kGap = 16;
// Zeros after the last interval: more than one unit of blocks can consume.
constexpr size_t kTail = 4096;

struct Intervals {
    std::vector<uint8_t> data;
    std::vector<size_t> starts, ends; // byte offsets in data
};

void unstuff(const uint8_t* p, const uint8_t* end, Intervals& out) {
    out.data.clear();
    out.starts.clear();
    out.ends.clear();
    out.data.reserve(size_t(end - p) + kTail);
    out.starts.push_back(0);
    for (;;) {
        const auto* ff = static_cast<const uint8_t*>(std::memchr(p, 0xFF, size_t(end - p)));
        const uint8_t* stop = ff ? ff : end;
        out.data.insert(out.data.end(), p, stop);
        if (!ff || ff + 1 >= end)
            break;
        const uint8_t m = ff[1];
        if (m == 0x00) {
            out.data.push_back(0xFF);
            p = ff + 2;
        } else if (m == 0xFF) {
            p = ff + 1; // fill before a marker
        } else if (m >= 0xD0 && m <= 0xD7) {
            out.ends.push_back(out.data.size());
            out.data.insert(out.data.end(), kGap, 0);
            out.starts.push_back(out.data.size());
            p = ff + 2;
        } else {
            break; // the end of the image, or another marker ends the scan
        }
    }
    out.ends.push_back(out.data.size());
    out.data.insert(out.data.end(), kTail, 0);
}

// The next bits at the top of acc.
struct Bits {
    uint64_t acc = 0;
    int count = 0; // valid bits
    const uint8_t* p = nullptr;
};

// At least 56 bits in the buffer, without a branch. Bits of a byte loaded but
// not counted are that byte's own, so loading it again changes nothing.
ORV_INLINE void refill(Bits& b) {
    uint64_t w = 0;
    std::memcpy(&w, b.p, 8);
    b.acc |= __builtin_bswap64(w) >> b.count;
    b.p += (63 - b.count) >> 3;
    b.count |= 56;
}

ORV_INLINE void consume(Bits& b, int n) {
    b.acc <<= n;
    b.count -= n;
}

ORV_INLINE int32_t take(Bits& b, int n) {
    const auto v = int32_t(b.acc >> (64 - n));
    consume(b, n);
    return v;
}

// The symbol of an entry flagged kMore, and the length of its code.
struct Symbol {
    int value;
    int length;
};
ORV_NOINLINE Symbol longSymbol(uint64_t acc, const HuffmanTable& t) {
    const auto code = uint32_t(acc >> 48);
    for (int len = kFastBits + 1; len <= 16; ++len) {
        const auto c = int32_t(code >> (16 - len));
        if (c <= t.maxCode[size_t(len)])
            return {t.symbols[size_t(t.offset[size_t(len)] + c) & 0xff], len};
    }
    return {0, 16}; // not a code of the table
}
ORV_INLINE int slowSymbol(Bits& b, const HuffmanTable& t, int32_t e) {
    if (e & 31) {
        consume(b, e & 31);
        return (e >> 16) & 0xff;
    }
    const Symbol s = longSymbol(b.acc, t);
    consume(b, s.length);
    return s.value;
}

// The kept coefficients of a block, in rows of four for up to 4x4 and of
// eight beyond (row * 4 + column, row * 8 + column); slot 64 takes the
// coefficients dropped.
constexpr int kDropped = 64;
constexpr int rowStride(int size) {
    return size <= 4 ? 4 : 8;
}
struct alignas(16) Block {
    std::array<int16_t, 72> c;
    int16_t& operator[](size_t i) { return c[i]; }
    int16_t operator[](size_t i) const { return c[i]; }
};

// One AC symbol (or two) of a block at k; false when the block is done.
// Needs kPairBits bits in the buffer; leaves at least 56 after a long symbol.
ORV_INLINE bool acStep(Bits& b, const HuffmanTable& ac, Block& blk, const uint8_t* slot, int& k) {
    const Pair& pair = ac.pairs[size_t(b.acc >> (64 - kPairBits))];
    // A second symbol is read only when the first leaves room in the block.
    if (ORV_LIKELY(!(pair.flags & kPairSlow) && k + (pair.flags >> 3) <= 63)) {
        consume(b, pair.length);
        const int first = k + pair.run;
        blk[slot[first]] = pair.first;
        const int second = first + pair.step;
        blk[slot[second]] = pair.second;
        k = second + ((pair.flags >> 2) & 1);
        return !(pair.flags & kPairEnd) && k < 64;
    }
    refill(b);
    const int32_t e = ac.fast[size_t(b.acc >> (64 - kFastBits))];
    int run = 0;
    int size = 0;
    int32_t value = 0;
    if (!(e & (kEob | kMore))) {
        consume(b, e & 31);
        run = (e >> 5) & 15;
        value = e >> 16;
    } else if (e & kEob) {
        consume(b, e & 31);
        refill(b);
        return false;
    } else {
        const int sym = slowSymbol(b, ac, e);
        run = sym >> 4;
        size = sym & 15;
        if (size == 0 && run != 15) {
            refill(b);
            return false;
        }
        value = size ? extend(take(b, size), size) : 0;
    }
    refill(b);
    k += run;
    blk[slot[k]] = int16_t(value);
    ++k;
    return k < 64;
}

// Decodes one block, keeping the coefficients that slot (96 entries) maps to
// 0..15. Needs 12 bits in the buffer and leaves as many. The buffer is
// refilled after every three symbols (or pairs), which is the least they
// leave for the next, so refills take no branch.
ORV_INLINE void decodeBlock(Bits& b, const HuffmanTable& dc, const HuffmanTable& ac, int& pred,
                            Block& blk, const uint8_t* slot) {
    int32_t e = dc.fast[size_t(b.acc >> (64 - kFastBits))];
    refill(b);
    int diff = 0;
    if (!(e & kMore)) {
        consume(b, e & 31);
        diff = e >> 16;
    } else {
        const int size = slowSymbol(b, dc, e);
        diff = size ? extend(take(b, size), size) : 0;
        refill(b);
    }
    pred = int16_t(pred + diff);
    blk[0] = int16_t(pred);
    int k = 1;
    for (;;) {
        if (!acStep(b, ac, blk, slot, k))
            break;
        if (!acStep(b, ac, blk, slot, k))
            break;
        if (!acStep(b, ac, blk, slot, k))
            break;
        refill(b);
    }
}

// ---- Reduced inverse transforms ----

ORV_INLINE uint8_t sample(float v) {
    return uint8_t(int(std::min(std::max(v + 128.5F, 0.F), 255.F)));
}

// cos((2x + 1) v pi / 2N), [v][x], x padded to 8.
template <int N> const std::array<std::array<float, 8>, 8>& cosines() {
    static const auto table = [] {
        std::array<std::array<float, 8>, 8> t{};
        for (int v = 0; v < N; ++v)
            for (int x = 0; x < N; ++x)
                t[size_t(v)][size_t(x)] = float(std::cos((2 * x + 1) * v * M_PI / (2 * N)));
        return t;
    }();
    return table;
}

// The kept NxN coefficients (scaled by dq) to samples, without SIMD: across
// each row, then down.
template <int N> void idctPlain(const Block& blk, const float* dq, uint8_t* out, int stride) {
    constexpr int s = rowStride(N);
    const auto& c = cosines<N>();
    float h[N][N];
    for (int u = 0; u < N; ++u)
        for (int x = 0; x < N; ++x) {
            float sum = 0;
            for (int v = 0; v < N; ++v)
                sum += float(blk[size_t(u * s + v)]) * dq[u * s + v] * c[size_t(v)][size_t(x)];
            h[u][x] = sum;
        }
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            float sum = 0;
            for (int u = 0; u < N; ++u)
                sum += h[u][x] * c[size_t(u)][size_t(y)];
            out[y * stride + x] = sample(sum);
        }
}

#ifdef __SSE2__
// 6x6 and 8x8 with SSE2: rows of eight, two vectors each. Stores rows of
// eight: out has spare columns, and blocks are written left to right.
template <int N> void idctWide(const Block& blk, const float* dq, uint8_t* out, int stride) {
    const auto& c = cosines<N>();
    __m128 h[N][2];
    for (int u = 0; u < N; ++u) {
        __m128 a = _mm_setzero_ps();
        __m128 b = _mm_setzero_ps();
        for (int v = 0; v < N; ++v) {
            const int16_t coefficient = blk[size_t(u * 8 + v)];
            if (coefficient == 0)
                continue;
            const __m128 g = _mm_set1_ps(float(coefficient) * dq[u * 8 + v]);
            a = _mm_add_ps(a, _mm_mul_ps(g, _mm_loadu_ps(c[size_t(v)].data())));
            b = _mm_add_ps(b, _mm_mul_ps(g, _mm_loadu_ps(c[size_t(v)].data() + 4)));
        }
        h[u][0] = a;
        h[u][1] = b;
    }
    const __m128 level = _mm_set1_ps(128.5F);
    for (int y = 0; y < N; ++y) {
        __m128 a = level;
        __m128 b = level;
        for (int u = 0; u < N; ++u) {
            const __m128 w = _mm_set1_ps(c[size_t(u)][size_t(y)]);
            a = _mm_add_ps(a, _mm_mul_ps(h[u][0], w));
            b = _mm_add_ps(b, _mm_mul_ps(h[u][1], w));
        }
        const auto toInt = [](__m128 v) {
            return _mm_cvttps_epi32(
                _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(255.F)));
        };
        const __m128i words = _mm_packs_epi32(toInt(a), toInt(b));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + y * stride),
                         _mm_packus_epi16(words, words));
    }
}
#endif

// The kept NxN coefficients (scaled by dq, rows of four) to NxN samples at
// out. With SSE2 a row of four is stored for N = 3: out has a spare column,
// and blocks are written left to right.
template <int N> void idct(const Block& blk, const float* dq, uint8_t* out, int stride) {
#ifdef __SSE2__
    if constexpr (N > 1 && N <= 4) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i*>(blk.c.data()));
        const __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i*>(blk.c.data() + 8));
        const __m128i ac = _mm_or_si128(_mm_slli_si128(_mm_srli_si128(lo, 2), 2), hi);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(ac, zero)) == 0xffff) {
            const uint8_t v = sample(float(blk[0]) * dq[0]);
            for (int y = 0; y < N; ++y)
                std::memset(out + y * stride, v, N);
            return;
        }
        // Rows of coefficients, dequantised; then each row across (the
        // columns' cosines weighted by the row's terms), then down.
        __m128 r[N];
        for (int u = 0; u < N; ++u) {
            const __m128i words =
                u < 2 ? (u ? _mm_unpackhi_epi16(lo, lo) : _mm_unpacklo_epi16(lo, lo))
                      : (u == 2 ? _mm_unpacklo_epi16(hi, hi) : _mm_unpackhi_epi16(hi, hi));
            r[u] = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(words, 16)), _mm_loadu_ps(dq + 4 * u));
        }
        // cos((2x + 1) v pi / 2N) for x across.
        alignas(16) static const float kCos[3][4][4] = {
            {{1, 1, 0, 0}, {0.70710678F, -0.70710678F, 0, 0}},
            {{1, 1, 1, 0}, {0.8660254F, 0, -0.8660254F, 0}, {0.5F, -1, 0.5F, 0}},
            {{1, 1, 1, 1},
             {0.92387953F, 0.38268343F, -0.38268343F, -0.92387953F},
             {0.70710678F, -0.70710678F, -0.70710678F, 0.70710678F},
             {0.38268343F, -0.92387953F, 0.92387953F, -0.38268343F}}};
        const auto& cosines = kCos[N - 2];
        __m128 h[N];
        for (int u = 0; u < N; ++u) {
            __m128 sum = _mm_mul_ps(_mm_shuffle_ps(r[u], r[u], 0x00), _mm_load_ps(cosines[0]));
            sum = _mm_add_ps(sum,
                             _mm_mul_ps(_mm_shuffle_ps(r[u], r[u], 0x55), _mm_load_ps(cosines[1])));
            if constexpr (N > 2)
                sum = _mm_add_ps(
                    sum, _mm_mul_ps(_mm_shuffle_ps(r[u], r[u], 0xaa), _mm_load_ps(cosines[2])));
            if constexpr (N > 3)
                sum = _mm_add_ps(
                    sum, _mm_mul_ps(_mm_shuffle_ps(r[u], r[u], 0xff), _mm_load_ps(cosines[3])));
            h[u] = sum;
        }
        __m128 o[4];
        if constexpr (N == 2) {
            const __m128 odd = _mm_mul_ps(h[1], _mm_set1_ps(0.70710678F));
            o[0] = _mm_add_ps(h[0], odd);
            o[1] = _mm_sub_ps(h[0], odd);
        } else if constexpr (N == 3) {
            const __m128 even = _mm_add_ps(h[0], _mm_mul_ps(h[2], _mm_set1_ps(0.5F)));
            const __m128 odd = _mm_mul_ps(h[1], _mm_set1_ps(0.8660254F));
            o[0] = _mm_add_ps(even, odd);
            o[1] = _mm_sub_ps(h[0], h[2]);
            o[2] = _mm_sub_ps(even, odd);
        } else {
            const __m128 c2 = _mm_mul_ps(h[2], _mm_set1_ps(0.70710678F));
            const __m128 e0 = _mm_add_ps(h[0], c2);
            const __m128 e1 = _mm_sub_ps(h[0], c2);
            const __m128 o0 = _mm_add_ps(_mm_mul_ps(h[1], _mm_set1_ps(0.92387953F)),
                                         _mm_mul_ps(h[3], _mm_set1_ps(0.38268343F)));
            const __m128 o1 = _mm_sub_ps(_mm_mul_ps(h[1], _mm_set1_ps(0.38268343F)),
                                         _mm_mul_ps(h[3], _mm_set1_ps(0.92387953F)));
            o[0] = _mm_add_ps(e0, o0);
            o[1] = _mm_add_ps(e1, o1);
            o[2] = _mm_sub_ps(e1, o1);
            o[3] = _mm_sub_ps(e0, o0);
        }
        // Round to the samples: packing saturates below 0 and above 255, the
        // bound keeps the conversion in range.
        const __m128 level = _mm_set1_ps(128.5F);
        const __m128 top = _mm_set1_ps(255.F);
        __m128i v[4];
        for (int y = 0; y < N; ++y)
            v[y] = _mm_cvttps_epi32(_mm_min_ps(_mm_add_ps(o[y], level), top));
        for (int y = N; y < 4; ++y)
            v[y] = zero;
        __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(v[0], v[1]), _mm_packs_epi32(v[2], v[3]));
        for (int y = 0; y < N; ++y, bytes = _mm_srli_si128(bytes, 4)) {
            const auto row = uint32_t(_mm_cvtsi128_si32(bytes));
            std::memcpy(out + y * stride, &row, N + (N == 3));
        }
        return;
    }
#endif
    constexpr int st = rowStride(N);
    bool flat = true;
    for (int u = 0; u < N; ++u)
        for (int x = 0; x < N; ++x)
            flat &= (u == 0 && x == 0) || blk[size_t(u * st + x)] == 0;
    if (flat) {
        const uint8_t v = sample(float(blk[0]) * dq[0]);
        for (int y = 0; y < N; ++y)
            std::memset(out + y * stride, v, N);
        return;
    }
#ifdef __SSE2__
    if constexpr (N > 4) {
        idctWide<N>(blk, dq, out, stride);
        return;
    }
#endif
    idctPlain<N>(blk, dq, out, stride);
}

// ---- Colour ----

struct YccTables {
    std::array<int32_t, 256> rCr{}, bCb{}, gCr{}, gCb{};
    YccTables() {
        for (int i = 0; i < 256; ++i) {
            const int c = i - 128;
            rCr[size_t(i)] = (91881 * c + 32768) >> 16;  // 1.402
            bCb[size_t(i)] = (116130 * c + 32768) >> 16; // 1.772
            gCr[size_t(i)] = -46802 * c;                 // 0.71414
            gCb[size_t(i)] = -22554 * c + 32768;         // 0.34414
        }
    }
};

ORV_INLINE uint32_t clampByte(int v) {
    return uint32_t(std::min(std::max(v, 0), 255));
}

// One output row from a luma row and a chroma row at 1/hShift horizontally.
void yccRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int hShift, uint32_t* out,
            int width) {
    static const YccTables t;
    int x = 0;
#ifdef __SSE2__
    // Eight pixels at a time in 16 bits: chroma minus 128 times 8, and the
    // factors times 2^14, give twice the terms; rounded, then saturated.
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i one = _mm_set1_epi16(1);
    const __m128i alpha = _mm_set1_epi8(char(0xff));
    for (; x + 8 <= width; x += 8) {
        const auto chroma = [&](const uint8_t* c) {
            if (!hShift)
                return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(c + x));
            int32_t four = 0;
            std::memcpy(&four, c + x / 2, 4);
            const __m128i half = _mm_cvtsi32_si128(four);
            return _mm_unpacklo_epi8(half, half);
        };
        __m128i u = chroma(cb);
        __m128i v = chroma(cr);
        u = _mm_slli_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(u, zero), bias), 3);
        v = _mm_slli_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(v, zero), bias), 3);
        const __m128i l =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y + x)), zero);
        const auto round = [&](__m128i twice) {
            return _mm_srai_epi16(_mm_add_epi16(twice, one), 1);
        };
        const __m128i r = _mm_add_epi16(l, round(_mm_mulhi_epi16(v, _mm_set1_epi16(22970))));
        const __m128i b = _mm_add_epi16(l, round(_mm_mulhi_epi16(u, _mm_set1_epi16(29032))));
        const __m128i g =
            _mm_sub_epi16(l, round(_mm_add_epi16(_mm_mulhi_epi16(u, _mm_set1_epi16(5638)),
                                                 _mm_mulhi_epi16(v, _mm_set1_epi16(11700)))));
        const __m128i bg = _mm_unpacklo_epi8(_mm_packus_epi16(b, b), _mm_packus_epi16(g, g));
        const __m128i ra = _mm_unpacklo_epi8(_mm_packus_epi16(r, r), alpha);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi16(bg, ra));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_unpackhi_epi16(bg, ra));
    }
#endif
    for (; x < width; ++x) {
        const size_t c = size_t(x >> hShift);
        const int l = y[x];
        const int r = l + t.rCr[cr[c]];
        const int g = l + ((t.gCb[cb[c]] + t.gCr[cr[c]]) >> 16);
        const int b = l + t.bCb[cb[c]];
        out[x] = 0xff000000U | clampByte(r) << 16 | clampByte(g) << 8 | clampByte(b);
    }
}

void greyRow(const uint8_t* y, uint32_t* out, int width) {
    for (int x = 0; x < width; ++x)
        out[x] = 0xff000000U | uint32_t(y[x]) * 0x010101U;
}

// ---- The stream ----

struct Component {
    int id = 0;
    int h = 1, v = 1;
    int quant = 0;
    int dc = 0, ac = 0; // table slots of the scan
    int pred = 0;
    int size = 1; // of its reduced blocks
    std::array<float, 64> dq{};
};

class Decoder {
public:
    Decoder(const uint8_t* data, size_t size, int n) : p_(data), end_(data + size), n_(n) {}
    QImage run();

private:
    bool readFrame(const uint8_t* s, int len);
    bool readTables(const uint8_t* s, int len, bool huffman);
    bool readScan(const uint8_t* s, int len);
    bool prepare();
    QImage decodeScan();
    template <int N> QImage decodeScan();

    const uint8_t* p_;
    const uint8_t* end_;
    int n_;
    int width_ = 0, height_ = 0;
    int components_ = 0;
    std::array<Component, 3> comp_{};
    std::array<int, 3> order_{}; // frame component of each scan component
    std::array<std::array<uint16_t, 64>, 4> quant_{};
    std::array<bool, 4> quantDefined_{};
    struct Tables {
        std::array<HuffmanTable, 4> dc, ac;
    };
    // Large, so kept per thread; which of them this frame defines.
    static Tables& threadTables() {
        thread_local Tables kept;
        return kept;
    }
    Tables& tables_ = threadTables();
    std::array<HuffmanTable, 4>& dcTables_ = tables_.dc;
    std::array<HuffmanTable, 4>& acTables_ = tables_.ac;
    std::array<bool, 4> dcDefined_{}, acDefined_{};
    int restartInterval_ = 0;
    int adobeTransform_ = -1;
    bool frameSeen_ = false;
};

int be16(const uint8_t* s) {
    return s[0] << 8 | s[1];
}

QImage Decoder::run() {
    if (end_ - p_ < 4 || p_[0] != 0xFF || p_[1] != 0xD8)
        return {};
    p_ += 2;
    for (;;) {
        if (end_ - p_ < 2 || p_[0] != 0xFF)
            return {};
        while (p_ < end_ && *p_ == 0xFF)
            ++p_;
        if (p_ >= end_)
            return {};
        const int marker = *p_++;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD8 || marker == 0xD9 || end_ - p_ < 2)
            return {};
        const int len = be16(p_);
        if (len < 2 || end_ - p_ < len)
            return {};
        const uint8_t* s = p_ + 2;
        const int body = len - 2;
        p_ += len;
        bool ok = true;
        switch (marker) {
        case 0xC0:
        case 0xC1:
            ok = readFrame(s, body);
            break;
        case 0xC4:
            ok = readTables(s, body, true);
            break;
        case 0xDB:
            ok = readTables(s, body, false);
            break;
        case 0xDD:
            ok = body >= 2;
            restartInterval_ = ok ? be16(s) : 0;
            break;
        case 0xEE:
            if (body >= 12 && std::memcmp(s, "Adobe", 5) == 0)
                adobeTransform_ = s[11];
            break;
        case 0xDA:
            if (!readScan(s, body) || !prepare())
                return {};
            return decodeScan();
        default:
            // Other frame types (progressive, lossless, arithmetic) and DNL.
            ok = !((marker >= 0xC2 && marker <= 0xCF) || marker == 0xDC);
        }
        if (!ok)
            return {};
    }
}

bool Decoder::readFrame(const uint8_t* s, int len) {
    if (frameSeen_ || len < 6 || s[0] != 8)
        return false;
    frameSeen_ = true;
    height_ = be16(s + 1);
    width_ = be16(s + 3);
    components_ = s[5];
    if (width_ == 0 || height_ == 0 || (components_ != 1 && components_ != 3) ||
        len < 6 + 3 * components_)
        return false;
    for (int i = 0; i < components_; ++i) {
        Component& c = comp_[size_t(i)];
        c.id = s[6 + 3 * i];
        c.h = s[7 + 3 * i] >> 4;
        c.v = s[7 + 3 * i] & 15;
        c.quant = s[8 + 3 * i];
        if (c.quant > 3 || c.h < 1 || c.v < 1)
            return false;
    }
    if (components_ == 1) {
        comp_[0].h = comp_[0].v = 1; // one component: one block per unit
        return true;
    }
    // Luma at 1 or 2 in each direction, chroma at 1.
    const bool rgb = (comp_[0].id == 'R' && comp_[1].id == 'G' && comp_[2].id == 'B');
    return comp_[0].h <= 2 && comp_[0].v <= 2 && comp_[1].h == 1 && comp_[1].v == 1 &&
           comp_[2].h == 1 && comp_[2].v == 1 && !rgb;
}

bool Decoder::readTables(const uint8_t* s, int len, bool huffman) {
    const uint8_t* e = s + len;
    while (s < e) {
        const int tc = *s >> 4;
        const int th = *s & 15;
        ++s;
        if (th > 3)
            return false;
        if (huffman) {
            if (tc > 1 || e - s < 16)
                return false;
            int total = 0;
            for (int i = 0; i < 16; ++i)
                total += s[i];
            if (e - s < 16 + total ||
                !loadTable((tc ? acTables_ : dcTables_)[size_t(th)], s, s + 16, tc == 0))
                return false;
            (tc ? acDefined_ : dcDefined_)[size_t(th)] = true;
            s += 16 + total;
        } else {
            if (tc > 1 || e - s < (tc ? 128 : 64))
                return false;
            auto& q = quant_[size_t(th)];
            for (int i = 0; i < 64; ++i)
                q[size_t(i)] = uint16_t(tc ? be16(s + 2 * i) : s[i]);
            quantDefined_[size_t(th)] = true;
            s += tc ? 128 : 64;
        }
    }
    return true;
}

bool Decoder::readScan(const uint8_t* s, int len) {
    if (!frameSeen_ || len < 1 || s[0] != components_ || len < 4 + 2 * components_)
        return false;
    for (int i = 0; i < components_; ++i) {
        const int id = s[1 + 2 * i];
        int found = -1;
        for (int j = 0; j < components_; ++j)
            if (comp_[size_t(j)].id == id)
                found = j;
        for (int j = 0; j < i; ++j)
            if (order_[size_t(j)] == found)
                found = -1;
        if (found < 0)
            return false;
        order_[size_t(i)] = found;
        comp_[size_t(found)].dc = s[2 + 2 * i] >> 4;
        comp_[size_t(found)].ac = s[2 + 2 * i] & 15;
        if (comp_[size_t(found)].dc > 3 || comp_[size_t(found)].ac > 3)
            return false;
    }
    const uint8_t* sel = s + 1 + 2 * components_;
    // Baseline: the whole spectrum in one go.
    return sel[0] == 0 && sel[1] == 63 && sel[2] == 0;
}

bool Decoder::prepare() {
    if (components_ == 3 && adobeTransform_ == 0)
        return false; // RGB
    // Frames without tables use the usual ones, as decoders have always done.
    for (size_t i = 0; i < 2; ++i) {
        if (!dcDefined_[i])
            dcDefined_[i] = loadTable(dcTables_[i], i ? kDcChroma : kDcLuma,
                                      (i ? kDcChroma : kDcLuma) + 16, true);
        if (!acDefined_[i])
            acDefined_[i] = loadTable(acTables_[i], i ? kAcChroma : kAcLuma,
                                      (i ? kAcChroma : kAcLuma) + 16, false);
    }
    for (int i = 0; i < components_; ++i) {
        Component& c = comp_[size_t(i)];
        if (!quantDefined_[size_t(c.quant)] || !dcDefined_[size_t(c.dc)] ||
            !acDefined_[size_t(c.ac)])
            return false;
        // Chroma at half the resolution both ways comes out at twice the
        // size, so that it needs no spreading (as libjpeg does it).
        c.size = n_;
        if (i > 0 && comp_[0].h == 2 * c.h && comp_[0].v == 2 * c.v)
            c.size = 2 * n_;
        // Dequantisation with the transform's scale: 1/(2 sqrt 2) for the
        // constant term, 1/2 for the others, per direction.
        const auto& q = quant_[size_t(c.quant)];
        c.dq.fill(0);
        for (int k = 0; k < 64; ++k) {
            const int row = kZigzag[size_t(k)] / 8;
            const int col = kZigzag[size_t(k)] % 8;
            if (row < c.size && col < c.size)
                c.dq[size_t(row * rowStride(c.size) + col)] =
                    float(q[size_t(k)]) * (row ? 0.5F : 0.35355339F) * (col ? 0.5F : 0.35355339F);
        }
    }
    return true;
}

QImage Decoder::decodeScan() {
    switch (n_) {
    case 1:
        return decodeScan<1>();
    case 2:
        return decodeScan<2>();
    case 3:
        return decodeScan<3>();
    default:
        return decodeScan<4>();
    }
}

template <int N> QImage Decoder::decodeScan() {
    constexpr int n = N;
    const int hMax = comp_[0].h;
    const int vMax = comp_[0].v;
    const int mcusX = (width_ + 8 * hMax - 1) / (8 * hMax);
    const int mcusY = (height_ + 8 * vMax - 1) / (8 * vMax);
    const int outW = (width_ * n + 7) / 8;
    const int outH = (height_ * n + 7) / 8;
    QImage picture(outW, outH, QImage::Format_RGB32);
    if (picture.isNull())
        return {};

    // One row of units, reduced, per component, with spare columns.
    const int lumaStride = mcusX * hMax * n + 8;
    std::vector<uint8_t> luma(size_t(lumaStride) * vMax * n);
    const int cs = components_ == 3 ? comp_[1].size : n; // chroma block size
    const int chromaStride = mcusX * cs + 8;
    std::vector<uint8_t> chroma(size_t(chromaStride) * cs * 2);
    const int hShift = hMax * n == 2 * cs ? 1 : 0; // chroma spread across
    const int vShift = vMax * n == 2 * cs ? 1 : 0; // and down

    // Where each coefficient goes, for blocks of n and of 2n.
    std::array<std::array<uint8_t, 96>, 2> places{};
    for (int wide = 0; wide < 2; ++wide) {
        const int size = wide ? 2 * n : n;
        places[size_t(wide)].fill(kDropped);
        for (int k = 0; k < 64; ++k) {
            const int row = kZigzag[size_t(k)] / 8;
            const int col = kZigzag[size_t(k)] % 8;
            if (row < size && col < size)
                places[size_t(wide)][size_t(k)] = uint8_t(row * rowStride(size) + col);
        }
    }

    thread_local Intervals scan; // kept: a frame's worth of memory, every frame
    unstuff(p_, end_, scan);
    Bits b;
    size_t interval = 0;
    int64_t limit = 0; // the interval's last bit
    const auto begin = [&](size_t i) {
        b = Bits{};
        b.p = scan.data.data() + scan.starts[i];
        refill(b);
        limit = int64_t(scan.ends[i]) * 8;
    };
    begin(0);
    bool missing = false;
    int untilRestart = restartInterval_;
    // Each block is transformed after the next is decoded: its coefficients,
    // stored one by one, are then read back from the cache as whole rows
    // without waiting on the stores.
    std::array<Block, 2> blocks{};
    int current = 0;
    const float* pendingDq = nullptr;
    uint8_t* pendingOut = nullptr;
    int pendingStride = 0;
    bool pendingWide = false;
    const auto flush = [&] {
        if (pendingOut && pendingWide)
            idct<2 * N>(blocks[size_t(current ^ 1)], pendingDq, pendingOut, pendingStride);
        else if (pendingOut)
            idct<N>(blocks[size_t(current ^ 1)], pendingDq, pendingOut, pendingStride);
        pendingOut = nullptr;
    };
    for (int my = 0; my < mcusY; ++my) {
        for (int mx = 0; mx < mcusX; ++mx) {
            if (restartInterval_) {
                if (untilRestart == 0) {
                    // A missing marker leaves the rest of the frame grey.
                    missing = ++interval >= scan.starts.size();
                    if (!missing)
                        begin(interval);
                    for (Component& c : comp_)
                        c.pred = 0;
                    untilRestart = restartInterval_;
                }
                --untilRestart;
            }
            for (int si = 0; si < components_; ++si) {
                Component& c = comp_[size_t(order_[size_t(si)])];
                const HuffmanTable& dc = dcTables_[size_t(c.dc)];
                const HuffmanTable& ac = acTables_[size_t(c.ac)];
                const bool isLuma = order_[size_t(si)] == 0;
                uint8_t* plane =
                    isLuma ? luma.data()
                           : chroma.data() + (order_[size_t(si)] - 1) * size_t(chromaStride) * cs;
                const int stride = isLuma ? lumaStride : chromaStride;
                const bool wide = c.size != n;
                const uint8_t* slot = places[size_t(wide)].data();
                const int m = c.size;
                for (int by = 0; by < c.v; ++by)
                    for (int bx = 0; bx < c.h; ++bx) {
                        Block& blk = blocks[size_t(current)];
                        if (wide && m > 4)
                            std::fill_n(blk.c.data(), 64, int16_t(0));
                        else
                            std::fill_n(blk.c.data(), 16, int16_t(0));
                        if (!missing)
                            decodeBlock(b, dc, ac, c.pred, blk, slot);
                        flush();
                        pendingDq = c.dq.data();
                        pendingOut = plane + size_t(by * m) * stride + size_t((mx * c.h + bx) * m);
                        pendingStride = stride;
                        pendingWide = wide;
                        current ^= 1;
                    }
            }
            // Data used up past the end or a marker: the rest stays grey.
            if (int64_t(b.p - scan.data.data()) * 8 - b.count > limit)
                missing = true;
        }
        flush();
        // The unit row to pixels.
        const int y0 = my * vMax * n;
        const int rows = std::min(vMax * n, outH - y0);
        for (int r = 0; r < rows; ++r) {
            auto* out = reinterpret_cast<uint32_t*>(picture.scanLine(y0 + r));
            const uint8_t* y = luma.data() + size_t(r) * lumaStride;
            if (components_ == 1) {
                greyRow(y, out, outW);
            } else {
                const size_t cr = size_t(r >> vShift) * chromaStride;
                yccRow(y, chroma.data() + cr, chroma.data() + size_t(chromaStride) * cs + cr,
                       hShift, out, outW);
            }
        }
    }
    return picture;
}

} // namespace

QImage decodeJpegReduced(const unsigned char* data, std::size_t size, int eighths) {
    if (!data || eighths < 1 || eighths > 4)
        return {};
    return Decoder(data, size, eighths).run();
}

} // namespace orv
