// SPDX-License-Identifier: GPL-3.0-or-later
// The lag search on 128-bit SSE2 vectors: eight samples per register. SSE2 is part of every
// x86-64 processor. Nothing but intrinsics and the shared body may be used here (see
// amdf_avx2.cpp for why).
#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include "pipeline/amdf_kernels.h"

namespace {

struct TSse2 {
    static constexpr int Width = 8;
    using Reg = __m128i;
    static Reg Zero() { return _mm_setzero_si128(); }
    static Reg Load(const int16_t *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
    static Reg MaxAdd(Reg acc, Reg a, Reg b) {
        return _mm_add_epi32(acc, _mm_madd_epi16(_mm_max_epi16(a, b), _mm_set1_epi16(1)));
    }
    static Reg MaxAddMasked(Reg acc, Reg a, Reg b, Reg mask) {
        return _mm_add_epi32(
            acc, _mm_madd_epi16(_mm_and_si128(_mm_max_epi16(a, b), mask), _mm_set1_epi16(1)));
    }
    static constexpr int BoundLanes = 4;
    static void Bounds(const int32_t *c, int first, int blocks, int32_t *out) {
        __m128i acc = _mm_setzero_si128();
        for (int m = 0; m < blocks; ++m) {
            const __m128i t = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(c + first + 8 * m)),
                                            _mm_set1_epi32(c[8 * m]));
            const __m128i sign = _mm_srai_epi32(t, 31);
            acc = _mm_add_epi32(acc, _mm_sub_epi32(_mm_xor_si128(t, sign), sign));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), acc);
    }
    static void Sum4(Reg a0, Reg a1, Reg a2, Reg a3, int32_t out[4]) {
        const __m128i s01 = _mm_add_epi32(_mm_unpacklo_epi32(a0, a1), _mm_unpackhi_epi32(a0, a1));
        const __m128i s23 = _mm_add_epi32(_mm_unpacklo_epi32(a2, a3), _mm_unpackhi_epi32(a2, a3));
        const __m128i sum = _mm_add_epi32(_mm_unpacklo_epi64(s01, s23), _mm_unpackhi_epi64(s01, s23));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), sum);
    }
};

}  // namespace

#include "pipeline/amdf_kernel_body.h"

int AmdfSearchSse2(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch) {
    return SearchBestLag<TSse2>(base, minLag, maxLag, n, hint, scratch);
}

void AmdfLagSumsSse2(const int16_t *base, int minLag, int maxLag, int from, int to,
                     const uint32_t *prefix, bool subtract, int32_t *sums) {
    AddLagSums<TSse2>(base, minLag, maxLag, from, to, prefix, subtract, sums);
}

#endif
