#pragma once

// The pieces of baseline JPEG the reduced decoder reads: the coefficients'
// order, the usual Huffman tables, lookups built from a stream's tables, and
// the entropy-coded data without its stuffing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__GNUC__)
#define ORV_INLINE inline __attribute__((always_inline))
#define ORV_NOINLINE __attribute__((noinline))
#define ORV_LIKELY(x) __builtin_expect(!!(x), 1)
#else
#define ORV_INLINE inline
#define ORV_NOINLINE
#define ORV_LIKELY(x) (x)
#endif

namespace orv::jpeg {

// Position in the 8x8 block of each coefficient in stream order.
inline // Position in the 8x8 block of each coefficient in stream order.
    constexpr std::array<uint8_t, 64>
        kZigzag = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                   12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                   35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                   58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The usual tables of baseline encoders, which MJPEG frames leave out:

// The usual tables of baseline encoders, which MJPEG frames leave out:
// code counts per length 1..16, then the symbols.
extern const uint8_t kDcLuma[16 + 12];
extern const uint8_t kDcChroma[16 + 12];
extern const uint8_t kAcLuma[16 + 162];
extern const uint8_t kAcChroma[16 + 162];

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
// bits fit: the run before the first, its value, how far on the next
// coefficient is (the second's place plus one) and the second's value (0,
// with the first's place, when there is none). Flagged kPairSlow, the code
// of the first symbol fits but not its extra bits when length is not 0:
// length is the code's, run the symbol.
constexpr int kPairBits = 11;
struct alignas(8) Pair {
    uint8_t length = 0; // bits to consume
    // kPairEnd, kPairSlow; bits 3-7: run + 1 when a second symbol or the
    // end follows
    uint8_t flags = 0;
    uint8_t run = 0;
    uint8_t advance = 0;
    int16_t first = 0;
    int16_t second = 0;
};
constexpr uint8_t kPairEnd = 1;  // the block ends after this entry
constexpr uint8_t kPairSlow = 2; // decode one symbol the longer way
using PairTable = std::array<Pair, 1 << kPairBits>;

struct alignas(64) HuffmanTable {
    bool defined = false; // built from source
    uint32_t stamp = 0;   // changes with every build
    std::array<uint8_t, 16 + 256> source{};
    std::array<int32_t, 1 << kFastBits> fast{};
    PairTable pairs{};                 // AC tables only
    std::array<int32_t, 17> maxCode{}; // largest code of each length, -1 if none
    std::array<int32_t, 17> offset{};  // symbol index minus code, per length
    std::array<uint8_t, 256> symbols{};
};

ORV_INLINE int32_t extend(int32_t v, int size) {
    return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

// The symbol whose code begins the top avail bits of bits, if it is no longer.
// Built once per thread and kept while frames bring the same table; false
// for a table that is not a prefix code. counts: codes per length 1..16.
bool loadTable(HuffmanTable& t, const uint8_t* counts, const uint8_t* symbols, bool dc);

// The lookup of a block's first step, in the form of the AC pairs: its DC
// difference from dc as the first coefficient (at 0), then, when the codes
// and extra bits fit, its first AC coefficient from ac, or its end. Only
// kPairSlow when the difference's code or extra bits do not fit.
void buildStarts(PairTable& out, const HuffmanTable& dc, const HuffmanTable& ac);

// The symbol whose code (longer than kFastBits) begins acc, and the length
// of its code.
struct Symbol {
    int value;
    int length;
};
Symbol longSymbol(uint64_t acc, const HuffmanTable& t);

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

void unstuff(const uint8_t* p, const uint8_t* end, Intervals& out);

} // namespace orv::jpeg
