#include "ReducedJpegTables.h"

#include <algorithm>
#include <cstring>

namespace orv::jpeg {

const uint8_t kDcLuma[16 + 12] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0,  0,
                                  0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const uint8_t kDcChroma[16 + 12] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,  0,
                                    0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const uint8_t kAcLuma[16 + 162] = {
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
const uint8_t kAcChroma[16 + 162] = {
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

namespace {

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
            e = Pair{uint8_t(len), kPairEnd, 0, 1, 0, 0};
            continue;
        }
        int used = len + size;
        if (used > kPairBits) {
            e.length = uint8_t(len);
            e.run = uint8_t(sym);
            continue;
        }
        const uint32_t extra = (i >> (kPairBits - used)) & ((1U << size) - 1);
        const auto value = int16_t(size ? extend(int32_t(extra), size) : 0);
        e = Pair{uint8_t(used), 0, uint8_t(run), uint8_t(run + 1), value, 0};
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
            e.flags = guard;
            e.advance = uint8_t(run + 1 + run2 + 1);
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

} // namespace

bool loadTable(HuffmanTable& t, const uint8_t* counts, const uint8_t* symbols, bool dc) {
    int total = 0;
    for (int i = 0; i < 16; ++i)
        total += counts[i];
    if (t.defined && std::equal(counts, counts + 16, t.source.begin()) &&
        std::equal(symbols, symbols + total, t.source.begin() + 16))
        return true;
    t.defined = false;
    ++t.stamp;
    if (total > 256 || !buildTable(t, counts, symbols, dc))
        return false;
    std::copy(counts, counts + 16, t.source.begin());
    std::copy(symbols, symbols + total, t.source.begin() + 16);
    return true;
}

void buildStarts(PairTable& out, const HuffmanTable& dc, const HuffmanTable& ac) {
    for (uint32_t i = 0; i < (1U << kPairBits); ++i) {
        Pair& e = out[i];
        e = Pair{0, kPairSlow, 0, 1, 0, 0};
        int size = 0;
        int len = 0;
        if (!symbolIn(dc, i, kPairBits, size, len) || len + size > kPairBits)
            continue;
        const int used = len + size;
        const uint32_t extra = (i >> (kPairBits - used)) & ((1U << size) - 1);
        e = Pair{uint8_t(used), 0, 0, 1, int16_t(size ? extend(int32_t(extra), size) : 0), 0};
        const int avail = kPairBits - used;
        const uint32_t rest = i & ((1U << avail) - 1);
        int sym = 0;
        if (!symbolIn(ac, rest, avail, sym, len))
            continue;
        const int run = sym >> 4;
        const int size2 = sym & 15;
        constexpr uint8_t guard = 1 << 3; // the difference's run + 1
        if (size2 == 0 && run != 15) {
            e.length = uint8_t(used + len);
            e.flags = kPairEnd | guard;
        } else if (len + size2 <= avail) {
            const uint32_t extra2 = (rest >> (avail - len - size2)) & ((1U << size2) - 1);
            e.length = uint8_t(used + len + size2);
            e.flags = guard;
            e.advance = uint8_t(1 + run + 1);
            e.second = int16_t(size2 ? extend(int32_t(extra2), size2) : 0);
        }
    }
}

Symbol longSymbol(uint64_t acc, const HuffmanTable& t) {
    const auto code = uint32_t(acc >> 48);
    for (int len = kFastBits + 1; len <= 16; ++len) {
        const auto c = int32_t(code >> (16 - len));
        if (c <= t.maxCode[size_t(len)])
            return {t.symbols[size_t(t.offset[size_t(len)] + c) & 0xff], len};
    }
    return {0, 16}; // not a code of the table
}
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

} // namespace orv::jpeg
