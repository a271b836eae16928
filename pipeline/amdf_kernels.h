// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Entry points of the per-instruction-set lag search kernels (see amdf.h and BestPitchLag
// for the prefix table).

#include <cstdint>

// The inputs of one search beside the samples (see BestPitchLag) and its work space, given
// by the caller: the kernels allocate nothing. Bounds holds maxLag - minLag + 9 entries.
struct TAmdfScratch {
    const uint32_t *Prefix;
    const int32_t *Blocks;
    int32_t *Bounds;
};

int AmdfSearchPortable(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch);
#if defined(__x86_64__) || defined(__i386__)
int AmdfSearchSse2(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch);
int AmdfSearchAvx2(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch);
#endif
