// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tempo change written the plain way, one absolute difference at a time, as the oracle
// the fast implementation must match bit for bit. Kept independent of pipeline/ on purpose:
// it shares no code with what it checks. The benchmarks compile the same file with
// -O2 -fno-tree-vectorize as the scalar baseline.

#include <cstdint>
#include <vector>

namespace plain {

struct TRatio {
    int P, Q, L, LeadIn, Window;
};

// P, Q and the derived lengths for the speed parameter a in [-10, 10].
TRatio RatioOf(int a);

// The lag in [minLag, maxLag] with the smallest sum of |base[lag + j] - base[j]| over
// j < n, the smaller lag on ties.
int Amdf(int minLag, int maxLag, int n, const int16_t *base);

// The whole tempo change of `input` for a in [-10, 10]; samples past the end read as 0.
std::vector<int16_t> ChangeSpeed(const std::vector<int16_t> &input, int a);

}  // namespace plain
