// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled with -ffp-contract=off: the two products and the sum must each be rounded to
// double, as written, or the floor can land one lower or higher than the plain formula.
#include <cmath>

#include "pipeline/crossfade_kernels.h"
#include "pipeline/simd_level.h"
#include "pipeline/speed_change.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#endif

void CrossfadePortable(const int16_t *from, const int16_t *to, int n, int16_t *y) {
    const double step = 1.0 / n;
    for (int k = 0; k < n; ++k) {
        const double w = k * step;
        y[k] = static_cast<int16_t>(std::floor(from[k] * (1.0 - w) + to[k] * w));
    }
}

#if defined(__x86_64__) || defined(__i386__)

namespace {

// Two doubles from the low two int32 lanes of v, as exact values.
inline __m128d Low2(__m128i v) { return _mm_cvtepi32_pd(v); }

// floor of two doubles in [-32768, 32768) to the low two int32 lanes: truncation, minus one
// where truncation went up.
inline __m128i Floor2(__m128d v) {
    const __m128i t = _mm_cvttpd_epi32(v);
    const __m128d above = _mm_cmpgt_pd(_mm_cvtepi32_pd(t), v);
    // The 64-bit masks to the low two 32-bit lanes.
    const __m128i mask = _mm_shuffle_epi32(_mm_castpd_si128(above), _MM_SHUFFLE(3, 3, 2, 0));
    return _mm_add_epi32(t, mask);
}

// Four int16 samples widened to int32.
inline __m128i Widen4(const int16_t *p) {
    const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
    return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16);
}

inline __m128i Fade2(__m128i a, __m128i b, __m128d k, __m128d step, __m128d one) {
    const __m128d w = _mm_mul_pd(k, step);
    const __m128d v = _mm_add_pd(_mm_mul_pd(Low2(a), _mm_sub_pd(one, w)), _mm_mul_pd(Low2(b), w));
    return Floor2(v);
}

}  // namespace

void CrossfadeSse2(const int16_t *from, const int16_t *to, int n, int16_t *y) {
    const double stepValue = 1.0 / n;
    const __m128d step = _mm_set1_pd(stepValue);
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d two = _mm_set1_pd(2.0);
    const __m128d four = _mm_set1_pd(4.0);
    __m128d k = _mm_set_pd(1.0, 0.0);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i a = Widen4(from + i);
        const __m128i b = Widen4(to + i);
        const __m128i lo = Fade2(a, b, k, step, one);
        const __m128i hi = Fade2(_mm_srli_si128(a, 8), _mm_srli_si128(b, 8), _mm_add_pd(k, two), step, one);
        const __m128i four32 = _mm_unpacklo_epi64(lo, hi);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(y + i), _mm_packs_epi32(four32, four32));
        k = _mm_add_pd(k, four);
    }
    for (; i < n; ++i) {
        const double w = i * stepValue;
        y[i] = static_cast<int16_t>(std::floor(from[i] * (1.0 - w) + to[i] * w));
    }
}

#endif

void Crossfade(const int16_t *x, int i0, int d, int n, int16_t *y) {
    const int16_t *from = x + i0;
    const int16_t *to = x + i0 + d;
    switch (ActiveSimdLevel()) {
#if defined(__x86_64__) || defined(__i386__)
        case TSimdLevel::Avx512:
        case TSimdLevel::Avx2:
            CrossfadeAvx2(from, to, n, y);
            return;
        case TSimdLevel::Sse2:
            CrossfadeSse2(from, to, n, y);
            return;
#endif
    default:
        CrossfadePortable(from, to, n, y);
        return;
    }
}
