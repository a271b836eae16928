// SPDX-License-Identifier: GPL-3.0-or-later
// The crossfade on 256-bit vectors, four doubles at a time. Compiled with -mavx2 (which does
// not enable fused multiply-add) and -ffp-contract=off; called only on processors with
// AVX2. Only intrinsics here: see amdf_avx2.cpp for why no library inline code may be used.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "pipeline/crossfade_kernels.h"

void CrossfadeAvx2(const int16_t *from, const int16_t *to, int n, int16_t *y) {
    const __m256d step = _mm256_set1_pd(1.0 / n);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d four = _mm256_set1_pd(4.0);
    __m256d k = _mm256_set_pd(3.0, 2.0, 1.0, 0.0);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d a = _mm256_cvtepi32_pd(_mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(from + i))));
        const __m256d b = _mm256_cvtepi32_pd(_mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(to + i))));
        const __m256d w = _mm256_mul_pd(k, step);
        const __m256d v = _mm256_add_pd(_mm256_mul_pd(a, _mm256_sub_pd(one, w)), _mm256_mul_pd(b, w));
        const __m128i f = _mm256_cvttpd_epi32(_mm256_floor_pd(v));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(y + i), _mm_packs_epi32(f, f));
        k = _mm256_add_pd(k, four);
    }
    // The last samples one vector wide again, ending exactly at n (n >= 4), or the plain
    // formula's bits through the SSE2 path for shorter runs.
    if (i < n) {
        if (n >= 4) {
            const int last = n - 4;
            const __m256d kk = _mm256_set_pd(last + 3.0, last + 2.0, last + 1.0, last + 0.0);
            const __m256d a = _mm256_cvtepi32_pd(_mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(from + last))));
            const __m256d b = _mm256_cvtepi32_pd(_mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(to + last))));
            const __m256d w = _mm256_mul_pd(kk, step);
            const __m256d v = _mm256_add_pd(_mm256_mul_pd(a, _mm256_sub_pd(one, w)), _mm256_mul_pd(b, w));
            const __m128i f = _mm256_cvttpd_epi32(_mm256_floor_pd(v));
            _mm_storel_epi64(reinterpret_cast<__m128i *>(y + last), _mm_packs_epi32(f, f));
        } else {
            CrossfadeSse2(from, to, n, y);
        }
    }
}

#endif
