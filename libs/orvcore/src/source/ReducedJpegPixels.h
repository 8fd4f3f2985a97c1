#pragma once

// The reduced decoder's pixels: blocks of kept coefficients to samples, and
// rows of samples to Format_RGB32.

#include "ReducedJpegTables.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orv::jpeg {

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

// One output row from a luma row and chroma rows at 1 / 2^hShift across.
void yccRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int hShift, uint32_t* out,
            int width);
void greyRow(const uint8_t* y, uint32_t* out, int width);

} // namespace orv::jpeg
