// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Entry points of the per-instruction-set lag search kernels (see amdf.h and BestPitchLag
// for the prefix table).

#include <cstdint>

// The inputs of one search beside the samples (see BestPitchLag) and its work space, given
// by the caller: the kernels allocate nothing. Bounds holds maxLag - minLag + 17 entries.
struct TAmdfScratch {
    const uint32_t *Prefix;
    const int32_t *Blocks;
    int32_t *Bounds;
};

int AmdfSearchPortable(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch);
// AddLagSums of amdf.h.
void AmdfLagSumsPortable(const int16_t *base, int minLag, int maxLag, int from, int to,
                         const uint32_t *prefix, bool subtract, int32_t *sums);
#if defined(__x86_64__) || defined(__i386__)
int AmdfSearchSse2(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch);
int AmdfSearchAvx2(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch);
int AmdfSearchAvx512(const int16_t *base, int minLag, int maxLag, int n, int hint,
                     const TAmdfScratch &scratch);
void AmdfLagSumsSse2(const int16_t *base, int minLag, int maxLag, int from, int to,
                     const uint32_t *prefix, bool subtract, int32_t *sums);
void AmdfLagSumsAvx2(const int16_t *base, int minLag, int maxLag, int from, int to,
                     const uint32_t *prefix, bool subtract, int32_t *sums);
void AmdfLagSumsAvx512(const int16_t *base, int minLag, int maxLag, int from, int to,
                       const uint32_t *prefix, bool subtract, int32_t *sums);
#endif
