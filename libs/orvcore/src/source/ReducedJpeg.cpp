#include "ReducedJpeg.h"

#include "FrameScaler.h"
#include "ReducedJpegPixels.h"
#include "ReducedJpegTables.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace orv {

namespace {

using namespace jpeg;

// ---- Entropy-coded data ----

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

ORV_INLINE int slowSymbol(Bits& b, const HuffmanTable& t, int32_t e) {
    if (e & 31) {
        consume(b, e & 31);
        return (e >> 16) & 0xff;
    }
    const Symbol s = longSymbol(b.acc, t);
    consume(b, s.length);
    return s.value;
}

// The DC difference whose code or extra bits are longer than the pair
// lookup. Leaves at least 56 bits in the buffer.
ORV_INLINE int dcLong(Bits& b, const HuffmanTable& dc) {
    refill(b);
    const int32_t e = dc.fast[size_t(b.acc >> (64 - kFastBits))];
    int diff = 0;
    if (!(e & kMore)) {
        consume(b, e & 31);
        diff = e >> 16;
    } else {
        const int size = slowSymbol(b, dc, e);
        diff = size ? extend(take(b, size), size) : 0;
    }
    refill(b);
    return diff;
}

// One AC symbol of a block at k that the pair lookup leaves: its code or
// extra bits are longer, or a second symbol would not fit in the block.
// False when the block is done. Leaves at least 56 bits in the buffer.
ORV_INLINE bool acLong(Bits& b, const HuffmanTable& ac, const Pair& pair, int16_t* blk,
                       const uint8_t* slot, uint32_t& k) {
    refill(b);
    int run = 0;
    int size = 0;
    int32_t value = 0;
    if ((pair.flags & kPairSlow) && pair.length) { // a long coefficient
        consume(b, pair.length);
        run = pair.run >> 4;
        size = pair.run & 15;
        value = extend(take(b, size), size);
        refill(b);
        k += run;
        blk[slot[k]] = int16_t(value);
        ++k;
        return k < 64;
    }
    const int32_t e = ac.fast[size_t(b.acc >> (64 - kFastBits))];
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

// A block of a unit as the decode loop goes through them, in the order the
// scan codes them: its lookups, the next block's first, where its
// coefficients go (96 entries, those dropped to the block's size).
struct BlockCode {
    const Pair* ac;
    const Pair* nextStart; // the next block's first step
    const Pair* start;     // this block's
    const BlockCode* next;
    const uint8_t* slot;
    const HuffmanTable* dcTable;
    const HuffmanTable* acTable;
};

// yes at a block's end (flags with kPairEnd), else no, without a branch:
// the data decides, so a branch would be mispredicted about once a block,
// and compilers make one of the plain conditional.
template <class T> ORV_INLINE T atEnd(uint32_t flags, T yes, T no) {
#if defined(__GNUC__) && defined(__x86_64__)
    static_assert(kPairEnd == 1);
    asm("testb $1, %b1\n\tcmovnz %2, %0" : "+r"(no) : "q"(flags), "rm"(yes) : "cc");
    return no;
#else
    return flags & kPairEnd ? yes : no;
#endif
}

// Decodes blocks from blk, the first of a unit, until stop (after a whole
// number of units), or until the data read passes guard. Each step is one
// lookup: a block's DC difference and perhaps its first AC coefficient, or
// one or two of its AC coefficients, with perhaps its end. The block's end
// is data: the next step's table, block and position follow from the
// step's flags without a branch. DC differences are stored as they are,
// not added to the prediction. The buffer is refilled after every three
// steps, the least they leave for the next lookup, and after every longer
// symbol.
template <int BlockSize> class BlockWalk {
public:
    BlockWalk(const Bits& b, const BlockCode* code, int16_t* blk)
        : b_(b), code_(code), table_(code->start), blk_(blk) {}

    ORV_INLINE void run(const int16_t* stop, const uint8_t* guard) {
        refill(b_);
        for (;;) {
            if (!step(stop) || !step(stop) || !step(stop))
                return;
            refill(b_);
            if (b_.p > guard)
                return;
        }
    }
    const Bits& bits() const { return b_; }

private:
    // One step; false at stop.
    ORV_INLINE bool step(const int16_t* stop) {
        const Pair& pair = table_[size_t(b_.acc >> (64 - kPairBits))];
        const uint32_t flags = pair.flags;
        const uint32_t k = k_ + pair.advance;
        if (ORV_LIKELY(!(flags & kPairSlow) && k <= 63)) {
            consume(b_, pair.length);
            const uint8_t* slot = code_->slot;
            blk_[slot[k - 1]] = pair.second; // or 0 in the first's place
            blk_[slot[k_ + pair.run]] = pair.first;
            table_ = atEnd(flags, code_->nextStart, code_->ac);
            code_ = atEnd(flags, code_->next, code_);
            const uint32_t end = flags & kPairEnd;
            k_ = k & (end - 1);
            blk_ += BlockSize * end;
        } else {
            unusual(pair);
        }
        return blk_ != stop;
    }

    // A longer symbol, a second symbol that does not fit in the block, a
    // block full to the last coefficient, its end there.
    ORV_INLINE void unusual(const Pair& pair) {
        if ((pair.flags & kPairSlow) && k_ == 0) {
            blk_[0] = int16_t(dcLong(b_, *code_->dcTable));
            table_ = code_->ac;
            k_ = 1;
        } else if ((pair.flags & kPairSlow) || k_ + (pair.flags >> 3) > 63) {
            if (!acLong(b_, *code_->acTable, pair, blk_, code_->slot, k_))
                next();
        } else {
            consume(b_, pair.length);
            blk_[code_->slot[k_ + pair.advance - 1]] = pair.second;
            blk_[code_->slot[k_ + pair.run]] = pair.first;
            next();
        }
    }

    void next() {
        table_ = code_->nextStart;
        code_ = code_->next;
        blk_ += BlockSize;
        k_ = 0;
    }

    Bits b_;
    const BlockCode* code_;
    const Pair* table_;
    int16_t* blk_;
    uint32_t k_ = 0; // 0: the DC difference is next
};

void decodeBlocks(Bits& b, const BlockCode* code, int16_t* blk, const int16_t* stop, int blockSize,
                  const uint8_t* guard) {
    if (blockSize == 16) {
        BlockWalk<16> walk(b, code, blk);
        walk.run(stop, guard);
        b = walk.bits();
    } else {
        BlockWalk<64> walk(b, code, blk);
        walk.run(stop, guard);
        b = walk.bits();
    }
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
    Decoder(const uint8_t* data, size_t size, int n, QSize fit)
        : p_(data), end_(data + size), n_(n), fit_(fit) {}
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
    QSize fit_;
    int width_ = 0, height_ = 0;
    int components_ = 0;
    std::array<Component, 3> comp_{};
    std::array<int, 3> order_{}; // frame component of each scan component
    std::array<std::array<uint16_t, 64>, 4> quant_{};
    std::array<bool, 4> quantDefined_{};
    // The lookup of a block's first step for one scan component, kept while
    // the tables it was built from stay (their slots and stamps).
    struct Start {
        int dc = -1, ac = -1;
        uint32_t dcStamp = 0, acStamp = 0;
        PairTable pairs;
    };
    struct Tables {
        std::array<HuffmanTable, 4> dc, ac;
        std::array<Start, 3> starts;
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
    // Reduced further on the way out, when asked for and mild enough.
    const QSize reducedSize(outW, outH);
    const bool fitting = !fit_.isEmpty() && fit_ != reducedSize &&
                         fit_.boundedTo(reducedSize) == fit_ &&
                         (2 * fit_).expandedTo(reducedSize) == 2 * fit_;
    QImage picture(fitting ? fit_ : reducedSize, QImage::Format_RGB32);
    if (picture.isNull())
        return {};
    std::optional<RowReducer> reducer;
    if (fitting)
        reducer.emplace(reducedSize, picture);

    // One row of units, reduced, per component, with spare columns.
    const int lumaStride = mcusX * hMax * n + 8;
    std::vector<uint8_t> luma(size_t(lumaStride) * vMax * n);
    const int cs = components_ == 3 ? comp_[1].size : n; // chroma block size
    const int chromaStride = mcusX * cs + 8;
    std::vector<uint8_t> chroma(size_t(chromaStride) * cs * 2);
    const int hShift = hMax * n == 2 * cs ? 1 : 0; // chroma spread across
    const int vShift = vMax * n == 2 * cs ? 1 : 0; // and down

    // A unit row's coefficients are decoded before any is transformed:
    // blocks of 16 when no component keeps more than 4x4, else of 64, each
    // followed by the slot that takes its dropped coefficients, which is the
    // next block's first (written later) or a spare block's.
    const int blockSize = components_ == 3 && cs > 4 ? 64 : 16;
    // Where each coefficient goes, for blocks of n and of 2n.
    std::array<std::array<uint8_t, 96>, 2> places{};
    for (int wide = 0; wide < 2; ++wide) {
        const int size = wide ? 2 * n : n;
        places[size_t(wide)].fill(uint8_t(blockSize));
        for (int k = 0; k < 64; ++k) {
            const int row = kZigzag[size_t(k)] / 8;
            const int col = kZigzag[size_t(k)] % 8;
            if (row < size && col < size)
                places[size_t(wide)][size_t(k)] = uint8_t(row * rowStride(size) + col);
        }
    }

    // The blocks of a unit in the order the scan codes them: how they are
    // decoded, where their samples go in the first unit, and how far on the
    // next unit's go.
    struct UnitBlock {
        Component* comp;
        uint8_t* out;
        int across; // bytes per unit
        int stride;
        bool wide;
    };
    std::vector<UnitBlock> unit;
    std::vector<BlockCode> codes;
    for (int si = 0; si < components_; ++si) {
        const int ci = order_[size_t(si)];
        Component& c = comp_[size_t(ci)];
        uint8_t* plane =
            ci == 0 ? luma.data() : chroma.data() + (ci - 1) * size_t(chromaStride) * cs;
        const int stride = ci == 0 ? lumaStride : chromaStride;
        const bool wide = c.size != n;
        const HuffmanTable& dc = dcTables_[size_t(c.dc)];
        const HuffmanTable& ac = acTables_[size_t(c.ac)];
        Start& start = tables_.starts[size_t(si)];
        if (start.dc != c.dc || start.ac != c.ac || start.dcStamp != dc.stamp ||
            start.acStamp != ac.stamp) {
            buildStarts(start.pairs, dc, ac);
            start.dc = c.dc;
            start.ac = c.ac;
            start.dcStamp = dc.stamp;
            start.acStamp = ac.stamp;
        }
        for (int by = 0; by < c.v; ++by)
            for (int bx = 0; bx < c.h; ++bx) {
                unit.push_back({&c, plane + size_t(by * c.size) * stride + size_t(bx * c.size),
                                c.h * c.size, stride, wide});
                codes.push_back({ac.pairs.data(), nullptr, start.pairs.data(), nullptr,
                                 places[size_t(wide)].data(), &dc, &ac});
            }
    }
    const int perUnit = int(unit.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        const BlockCode& after = codes[(i + 1) % codes.size()];
        codes[i].next = &after;
        codes[i].nextStart = after.start;
    }
    const int unitSize = perUnit * blockSize;
    std::vector<int16_t> coefficients(size_t(mcusX + 1) * unitSize);
    // Per unit of the row: decoded (else grey), the predictions start at 0.
    constexpr uint8_t kDecoded = 1;
    constexpr uint8_t kRestart = 2;
    std::vector<uint8_t> units(static_cast<size_t>(mcusX));

    thread_local Intervals scan; // kept: a frame's worth of memory, every frame
    unstuff(p_, end_, scan);
    Bits b;
    size_t interval = 0;
    int64_t limit = 0;              // the interval's last bit
    const uint8_t* guard = nullptr; // reading past it means past the interval
    const uint8_t* const anywhere = scan.data.data() + scan.data.size();
    const auto begin = [&](size_t i) {
        b = Bits{};
        b.p = scan.data.data() + scan.starts[i];
        refill(b);
        limit = int64_t(scan.ends[i]) * 8;
        guard = scan.data.data() + scan.ends[i] + 8;
    };
    const auto past = [&] { return int64_t(b.p - scan.data.data()) * 8 - b.count > limit; };
    begin(0);
    bool missing = false;
    int untilRestart = restartInterval_;
    // Units [mx, mx + count) of the row, all of one restart interval.
    const auto decodeUnits = [&](int mx, int count) {
        int16_t* first = coefficients.data() + size_t(mx) * unitSize;
        if (missing)
            return;
        const Bits start = b;
        decodeBlocks(b, codes.data(), first, first + size_t(count) * unitSize, blockSize, guard);
        if (!past()) {
            for (int u = mx; u < mx + count; ++u)
                units[size_t(u)] |= kDecoded;
            return;
        }
        // The data ends in these units: again one by one, and those after
        // the one that reads past the end stay grey.
        std::fill(first, first + size_t(count + 1) * unitSize, int16_t(0));
        b = start;
        for (int u = mx; u < mx + count && !missing; ++u) {
            int16_t* at = coefficients.data() + size_t(u) * unitSize;
            decodeBlocks(b, codes.data(), at, at + unitSize, blockSize, anywhere);
            units[size_t(u)] |= kDecoded;
            missing = past();
        }
    };
    for (int my = 0; my < mcusY; ++my) {
        std::fill(units.begin(), units.end(), uint8_t(0));
        for (int mx = 0; mx < mcusX;) {
            int count = mcusX - mx;
            if (restartInterval_) {
                if (untilRestart == 0) {
                    // A missing marker leaves the rest of the frame grey.
                    missing = ++interval >= scan.starts.size();
                    if (!missing)
                        begin(interval);
                    units[size_t(mx)] |= kRestart;
                    untilRestart = restartInterval_;
                }
                count = std::min(count, untilRestart);
                untilRestart -= count;
            }
            decodeUnits(mx, count);
            mx += count;
        }
        // The predictions added; blocks not decoded grey, not holding the
        // previous block's dropped coefficients. Apart from the transforms,
        // which read whole rows of the blocks that these stores have left.
        int16_t* blk = coefficients.data();
        for (int mx = 0; mx < mcusX; ++mx) {
            if (units[size_t(mx)] & kRestart)
                for (Component& c : comp_)
                    c.pred = 0;
            const bool decoded = units[size_t(mx)] & kDecoded;
            for (const UnitBlock& u : unit) {
                if (decoded)
                    u.comp->pred = int16_t(u.comp->pred + *blk);
                *blk = decoded ? int16_t(u.comp->pred) : int16_t(0);
                blk += blockSize;
            }
        }
        // The row's blocks to samples; the buffer left zero for the next.
        blk = coefficients.data();
        Block block{};
        for (int mx = 0; mx < mcusX; ++mx) {
            for (const UnitBlock& u : unit) {
                // Sizes known here, so that copying and clearing take no call.
                if (rowStride(u.comp->size) == 4)
                    std::copy_n(blk, 16, block.c.data());
                else
                    std::copy_n(blk, 64, block.c.data());
                uint8_t* out = u.out + size_t(mx) * u.across;
                if (u.wide)
                    idct<2 * N>(block, u.comp->dq.data(), out, u.stride);
                else
                    idct<N>(block, u.comp->dq.data(), out, u.stride);
                if (blockSize == 16)
                    std::fill_n(blk, 16, int16_t(0));
                else
                    std::fill_n(blk, 64, int16_t(0));
                blk += blockSize;
            }
        }
        std::fill_n(blk, blockSize, int16_t(0)); // the spare block
        // The unit row to pixels.
        const int y0 = my * vMax * n;
        const int rows = std::min(vMax * n, outH - y0);
        for (int r = 0; r < rows; ++r) {
            auto* out = reducer ? reducer->row(y0 + r)
                                : reinterpret_cast<uint32_t*>(picture.scanLine(y0 + r));
            const uint8_t* y = luma.data() + size_t(r) * lumaStride;
            if (components_ == 1) {
                greyRow(y, out, outW);
            } else {
                const size_t cr = size_t(r >> vShift) * chromaStride;
                yccRow(y, chroma.data() + cr, chroma.data() + size_t(chromaStride) * cs + cr,
                       hShift, out, outW);
            }
            if (reducer)
                reducer->rowDone(y0 + r);
        }
    }
    return picture;
}

} // namespace

QImage decodeJpegReduced(const unsigned char* data, std::size_t size, int eighths, QSize fit) {
    if (!data || eighths < 1 || eighths > 4)
        return {};
    return Decoder(data, size, eighths, fit).run();
}

} // namespace orv
