// SPDX-License-Identifier: GPL-3.0-or-later
// The lag search on 512-bit AVX-512 (F and BW) vectors: thirty-two samples per register and
// sixteen lag bounds at once. This file alone is compiled for AVX-512 and is only called
// after the processor has been asked. Nothing but intrinsics and the shared body may be
// used here (see amdf_avx2.cpp for why).
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "pipeline/amdf_kernels.h"

namespace {

struct TAvx512 {
    static constexpr int Width = 32;
    using Reg = __m512i;
    static Reg Zero() { return _mm512_setzero_si512(); }
    static Reg Load(const int16_t *p) { return _mm512_loadu_si512(p); }
    static Reg MaxAdd(Reg acc, Reg a, Reg b) {
        return _mm512_add_epi32(acc,
                                _mm512_madd_epi16(_mm512_max_epi16(a, b), _mm512_set1_epi16(1)));
    }
    static Reg MaxAddMasked(Reg acc, Reg a, Reg b, Reg mask) {
        return _mm512_add_epi32(acc,
                                _mm512_madd_epi16(_mm512_and_si512(_mm512_max_epi16(a, b), mask),
                                                  _mm512_set1_epi16(1)));
    }
    static constexpr int BoundLanes = 16;
    static void Bounds(const int32_t *c, int first, int blocks, int32_t *out) {
        __m512i acc = _mm512_setzero_si512();
        for (int m = 0; m < blocks; ++m) {
            const __m512i t = _mm512_loadu_si512(c + first + 8 * m);
            acc = _mm512_add_epi32(
                acc, _mm512_abs_epi32(_mm512_sub_epi32(t, _mm512_set1_epi32(c[8 * m]))));
        }
        _mm512_storeu_si512(out, acc);
    }
    static __m128i Fold(Reg a) {
        const __m256i half =
            _mm256_add_epi32(_mm512_castsi512_si256(a), _mm512_extracti64x4_epi64(a, 1));
        return _mm_add_epi32(_mm256_castsi256_si128(half), _mm256_extracti128_si256(half, 1));
    }
    static void Sum4(Reg r0, Reg r1, Reg r2, Reg r3, int32_t out[4]) {
        const __m128i a0 = Fold(r0), a1 = Fold(r1), a2 = Fold(r2), a3 = Fold(r3);
        const __m128i s01 = _mm_add_epi32(_mm_unpacklo_epi32(a0, a1), _mm_unpackhi_epi32(a0, a1));
        const __m128i s23 = _mm_add_epi32(_mm_unpacklo_epi32(a2, a3), _mm_unpackhi_epi32(a2, a3));
        const __m128i sum =
            _mm_add_epi32(_mm_unpacklo_epi64(s01, s23), _mm_unpackhi_epi64(s01, s23));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), sum);
    }
};

}  // namespace

#include "pipeline/amdf_kernel_body.h"

int AmdfSearchAvx512(const int16_t *base, int minLag, int maxLag, int n, int hint,
                     const TAmdfScratch &scratch) {
    return SearchBestLag<TAvx512>(base, minLag, maxLag, n, hint, scratch);
}

void AmdfLagSumsAvx512(const int16_t *base, int minLag, int maxLag, int from, int to,
                       const uint32_t *prefix, bool subtract, int32_t *sums) {
    AddLagSums<TAvx512>(base, minLag, maxLag, from, to, prefix, subtract, sums);
}

#endif
