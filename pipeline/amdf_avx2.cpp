// SPDX-License-Identifier: GPL-3.0-or-later
// The lag search on 256-bit AVX2 vectors: sixteen samples per register. This file alone is
// compiled with -mavx2 and is only called after the processor has been asked. It must use
// nothing but intrinsics and the shared body (internal linkage): an inline function from a
// library header compiled here could be picked by the linker for the whole program and run
// AVX2 instructions on a processor without them.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "pipeline/amdf_kernels.h"

namespace {

struct TAvx2 {
    static constexpr int Width = 16;
    using Reg = __m256i;
    static Reg Zero() { return _mm256_setzero_si256(); }
    static Reg Load(const int16_t *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); }
    static Reg MaxAdd(Reg acc, Reg a, Reg b) {
        return _mm256_add_epi32(acc, _mm256_madd_epi16(_mm256_max_epi16(a, b), _mm256_set1_epi16(1)));
    }
    static Reg MaxAddMasked(Reg acc, Reg a, Reg b, Reg mask) {
        return _mm256_add_epi32(acc,
                                _mm256_madd_epi16(_mm256_and_si256(_mm256_max_epi16(a, b), mask),
                                                  _mm256_set1_epi16(1)));
    }
    static constexpr int BoundLanes = 8;
    static void Bounds(const int32_t *c, int first, int blocks, int32_t *out) {
        __m256i acc = _mm256_setzero_si256();
        for (int m = 0; m < blocks; ++m) {
            const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(c + first + 8 * m));
            acc = _mm256_add_epi32(acc, _mm256_abs_epi32(_mm256_sub_epi32(t, _mm256_set1_epi32(c[8 * m]))));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out), acc);
    }
    static __m128i Fold(Reg a) { return _mm_add_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1)); }
    static void Sum4(Reg r0, Reg r1, Reg r2, Reg r3, int32_t out[4]) {
        const __m128i a0 = Fold(r0), a1 = Fold(r1), a2 = Fold(r2), a3 = Fold(r3);
        const __m128i s01 = _mm_add_epi32(_mm_unpacklo_epi32(a0, a1), _mm_unpackhi_epi32(a0, a1));
        const __m128i s23 = _mm_add_epi32(_mm_unpacklo_epi32(a2, a3), _mm_unpackhi_epi32(a2, a3));
        const __m128i sum = _mm_add_epi32(_mm_unpacklo_epi64(s01, s23), _mm_unpackhi_epi64(s01, s23));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), sum);
    }
};

}  // namespace

#include "pipeline/amdf_kernel_body.h"

int AmdfSearchAvx2(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch) {
    return SearchBestLag<TAvx2>(base, minLag, maxLag, n, hint, scratch);
}

void AmdfLagSumsAvx2(const int16_t *base, int minLag, int maxLag, int from, int to,
                     const uint32_t *prefix, bool subtract, int32_t *sums) {
    AddLagSums<TAvx2>(base, minLag, maxLag, from, to, prefix, subtract, sums);
}

#endif
