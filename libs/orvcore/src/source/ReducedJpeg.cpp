#include "ReducedJpeg.h"

#include "ReducedJpegPixels.h"
#include "ReducedJpegTables.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
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

// One AC symbol (or two) of a block at k; false when the block is done.
// Needs kPairBits bits in the buffer; leaves at least 56 after a long symbol.
ORV_INLINE bool acStep(Bits& b, const HuffmanTable& ac, int16_t* blk, const uint8_t* slot, int& k) {
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

// Decodes one block, keeping the coefficients that slot (96 entries) maps to
// 0..15. Needs 12 bits in the buffer and leaves as many. The buffer is
// refilled after every three symbols (or pairs), which is the least they
// leave for the next, so refills take no branch.
ORV_INLINE void decodeBlock(Bits& b, const HuffmanTable& dc, const HuffmanTable& ac, int& pred,
                            int16_t* blk, const uint8_t* slot) {
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

    // The blocks of a unit in the order the scan codes them, where their
    // samples go in the first unit, and how far on the next unit's go.
    struct UnitBlock {
        Component* comp;
        const HuffmanTable* dc;
        const HuffmanTable* ac;
        const uint8_t* slot;
        uint8_t* out;
        int across; // bytes per unit
        int stride;
        bool wide;
    };
    std::vector<UnitBlock> unit;
    for (int si = 0; si < components_; ++si) {
        const int ci = order_[size_t(si)];
        Component& c = comp_[size_t(ci)];
        uint8_t* plane =
            ci == 0 ? luma.data() : chroma.data() + (ci - 1) * size_t(chromaStride) * cs;
        const int stride = ci == 0 ? lumaStride : chromaStride;
        const bool wide = c.size != n;
        for (int by = 0; by < c.v; ++by)
            for (int bx = 0; bx < c.h; ++bx)
                unit.push_back({&c, &dcTables_[size_t(c.dc)], &acTables_[size_t(c.ac)],
                                places[size_t(wide)].data(),
                                plane + size_t(by * c.size) * stride + size_t(bx * c.size),
                                c.h * c.size, stride, wide});
    }
    const int perUnit = int(unit.size());

    std::vector<int16_t> coefficients(size_t(mcusX * perUnit + 1) * blockSize);
    std::vector<uint8_t> decoded(static_cast<size_t>(mcusX)); // per unit of the row

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
    for (int my = 0; my < mcusY; ++my) {
        int16_t* blk = coefficients.data();
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
            decoded[size_t(mx)] = !missing;
            for (const UnitBlock& u : unit) {
                if (!missing)
                    decodeBlock(b, *u.dc, *u.ac, u.comp->pred, blk, u.slot);
                blk += blockSize;
            }
            // Data used up past the end or a marker: the rest stays grey.
            if (int64_t(b.p - scan.data.data()) * 8 - b.count > limit)
                missing = true;
        }
        // The row's blocks to samples; the buffer left zero for the next.
        blk = coefficients.data();
        Block block{};
        for (int mx = 0; mx < mcusX; ++mx)
            for (const UnitBlock& u : unit) {
                // Sizes known here, so that copying and clearing take no call.
                if (rowStride(u.comp->size) == 4)
                    std::copy_n(blk, 16, block.c.data());
                else
                    std::copy_n(blk, 64, block.c.data());
                if (!decoded[size_t(mx)])
                    block[0] = 0; // not the previous block's dropped coefficients
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
        std::fill_n(blk, blockSize, int16_t(0)); // the spare block
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
