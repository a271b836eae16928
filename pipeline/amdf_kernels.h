#pragma once
// Entry points of the per-instruction-set lag search kernels (see amdf.h). Each takes the
// prefix sums prefix[i] = base[0] + ... + base[i - 1] for i in [0, maxLag + n].

#include <cstdint>

using TAmdfSearch = int (*)(const int16_t *base, int minLag, int maxLag, int n, int hint,
                            const int32_t *prefix);

int AmdfSearchPortable(const int16_t *base, int minLag, int maxLag, int n, int hint, const int32_t *prefix);
#if defined(__x86_64__) || defined(__i386__)
int AmdfSearchSse2(const int16_t *base, int minLag, int maxLag, int n, int hint, const int32_t *prefix);
int AmdfSearchAvx2(const int16_t *base, int minLag, int maxLag, int n, int hint, const int32_t *prefix);
#endif
