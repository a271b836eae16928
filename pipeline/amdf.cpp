// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/amdf.h"

#include <vector>

#include "foundation/exceptions.h"
#include "pipeline/amdf_kernels.h"
#include "pipeline/sample_sums.h"
#include "pipeline/simd_level.h"

namespace {

// One int16 "lane": the shared body as plain scalar code, for processors without a vector
// kernel.
struct TScalar {
    static constexpr int Width = 1;
    using Reg = int32_t;
    static Reg Zero() { return 0; }
    static Reg Load(const int16_t *p) { return *p; }
    static Reg MaxAdd(Reg acc, Reg a, Reg b) { return acc + (a > b ? a : b); }
    static Reg MaxAddMasked(Reg acc, Reg a, Reg b, Reg mask) {
        return acc + ((a > b ? a : b) & mask);
    }
    static constexpr int BoundLanes = 1;
    static void Bounds(const int32_t *c, int first, int blocks, int32_t *out) {
        int32_t sum = 0;
        for (int m = 0; m < blocks; ++m) {
            const int32_t diff = c[first + 8 * m] - c[8 * m];
            sum += diff < 0 ? -diff : diff;
        }
        *out = sum;
    }
    static void Sum4(Reg a0, Reg a1, Reg a2, Reg a3, int32_t out[4]) {
        out[0] = a0;
        out[1] = a1;
        out[2] = a2;
        out[3] = a3;
    }
};

}  // namespace

#include "pipeline/amdf_kernel_body.h"

int AmdfSearchPortable(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch) {
    return SearchBestLag<TScalar>(base, minLag, maxLag, n, hint, scratch);
}

void AmdfLagSumsPortable(const int16_t *base, int minLag, int maxLag, int from, int to,
                         const uint32_t *prefix, bool subtract, int32_t *sums) {
    AddLagSums<TScalar>(base, minLag, maxLag, from, to, prefix, subtract, sums);
}

namespace {

constexpr int MaxWindow = 32768;

}  // namespace

int BestPitchLag(int minLag, int maxLag, int n, const int16_t *base, const uint32_t *prefix, const int32_t *blocks,
                 int hint) {
    // The bounds on the stack for the speech search (203 lags), on the heap beyond.
    constexpr int SmallLags = 512;
    int32_t bounds[SmallLags + 16];
    std::vector<int32_t> largeBounds;
    TAmdfScratch scratch{prefix, blocks, bounds};
    const int lags = maxLag - minLag + 1;
    if (lags > SmallLags) {
        largeBounds.resize(static_cast<size_t>(lags + 16));
        scratch.Bounds = largeBounds.data();
    }
    switch (ActiveSimdLevel()) {
#if defined(__x86_64__) || defined(__i386__)
        case TSimdLevel::Avx512:
            return AmdfSearchAvx512(base, minLag, maxLag, n, hint, scratch);
        case TSimdLevel::Avx2:
            return AmdfSearchAvx2(base, minLag, maxLag, n, hint, scratch);
        case TSimdLevel::Sse2:
            return AmdfSearchSse2(base, minLag, maxLag, n, hint, scratch);
#endif
    default:
        return AmdfSearchPortable(base, minLag, maxLag, n, hint, scratch);
    }
}

void AddLagSums(int minLag, int maxLag, int from, int to, const int16_t *base,
                const uint32_t *prefix, bool subtract, int32_t *sums) {
    switch (ActiveSimdLevel()) {
#if defined(__x86_64__) || defined(__i386__)
        case TSimdLevel::Avx512:
            return AmdfLagSumsAvx512(base, minLag, maxLag, from, to, prefix, subtract, sums);
        case TSimdLevel::Avx2:
            return AmdfLagSumsAvx2(base, minLag, maxLag, from, to, prefix, subtract, sums);
        case TSimdLevel::Sse2:
            return AmdfLagSumsSse2(base, minLag, maxLag, from, to, prefix, subtract, sums);
#endif
        default:
            return AmdfLagSumsPortable(base, minLag, maxLag, from, to, prefix, subtract, sums);
    }
}

int SmallestLagSum(int minLag, int maxLag, const int32_t *sums) {
    // The smallest value first (a reduction the compiler vectorises), then its first place.
    const int count = maxLag - minLag + 1;
    int32_t smallest = sums[0];
    for (int i = 1; i < count; ++i) smallest = sums[i] < smallest ? sums[i] : smallest;
    int i = 0;
    while (sums[i] != smallest) ++i;
    return minLag + i;
}

int amdfp2(int minLag, int maxLag, int n, const int16_t *base, int count) {
    if (minLag > maxLag) return minLag;
    if (static_cast<int64_t>(n) + maxLag - 1 >= count || minLag < 0 || n > MaxWindow || maxLag > MaxWindow)
        RaiseError("invalid arguments for amdfp2");
    if (n <= 0) return minLag;  // every sum is empty: all lags tie
    // Sums over the samples the search may read; past them only unused bound lanes look.
    TSampleSums sums(0, base, maxLag + n, maxLag + n + 16, 0);
    const TSampleSums::TWindow window = sums.At(0);
    return BestPitchLag(minLag, maxLag, n, base, window.Prefix, window.Blocks, minLag);
}
