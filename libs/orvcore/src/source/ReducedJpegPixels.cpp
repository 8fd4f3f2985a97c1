#include "ReducedJpegPixels.h"

namespace orv::jpeg {

namespace {

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

} // namespace

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

} // namespace orv::jpeg
