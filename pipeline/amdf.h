// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pitch-period search by the average magnitude difference function.
//
// For a lag t, D(t) = sum over j in [0, n) of |base[t + j] - base[j]|; the pitch period is
// the lag with the smallest D, the smaller lag winning ties. The work is
// (maxLag - minLag + 1) * n absolute differences per call, which is where the speed change
// spends nearly all its time. So the search runs on the widest integer vectors the
// processor offers (AVX-512, else AVX2, else SSE2; see simd_level.h), skips every lag that a cheap
// lower bound rules out, and gives up on a lag as soon as its partial sum can no longer win. Every
// kernel returns exactly the lag the plain double loop returns.

#include <cstdint>

// The best lag in [minLag, maxLag] (minLag when minLag > maxLag, without any sum).
// base[0 .. count) must be readable. Raises "invalid arguments for amdfp2" when
// n + maxLag - 1 >= count, and also when minLag < 0, n > 32,768 or maxLag > 32,768, where the
// 32-bit sums could overflow or reads would start before base.
int amdfp2(int minLag, int maxLag, int n, const int16_t *base, int count);

// As amdfp2 without the argument checks, for callers that guarantee them
// (0 <= minLag <= maxLag <= 32,768, 0 < n <= 32,768, base[0 .. maxLag + n) readable), and
// with the signal's sums made once by the caller (sample_sums.h): prefix and blocks are
// TSampleSums::Prefix and Blocks at the position of base[0], readable for
// [0, maxLag + n + 8]. `hint` is a lag likely to be near the best (the previous period): a
// good hint lets most lags be skipped or abandoned early. It never changes the result.
int BestPitchLag(int minLag, int maxLag, int n, const int16_t *base, const uint32_t *prefix, const int32_t *blocks,
                 int hint);

// The exact sums of every lag, for a search that moves along the signal by less than its
// window: rather than searching afresh, the caller keeps D(t) for every t and, when the
// window moves on by s samples, takes away the sums over [0, s) before the move and adds
// those over [n - s, n) after it. The integers are exact, so the lag found is the one the
// search finds.
//
// sums[t - minLag] += (-= when `subtract`) the sum over j in [from, to) of
// |base[t + j] - base[j]|, for every t in [minLag, maxLag]. Requires
// 0 <= minLag <= maxLag <= 32,768 and 0 <= from <= to <= 32,768; reads only base[from .. to)
// and base[from + t .. to + t); prefix as for BestPitchLag, read at [from, to] and
// [from + t, to + t]. The caller keeps every sum within 32 bits (it does when they are whole
// window sums as above).
void AddLagSums(int minLag, int maxLag, int from, int to, const int16_t *base,
                const uint32_t *prefix, bool subtract, int32_t *sums);

// The lag with the smallest of sums[0 .. maxLag - minLag] (sums[t - minLag] for lag t), the
// smaller lag on ties.
int SmallestLagSum(int minLag, int maxLag, const int32_t *sums);
