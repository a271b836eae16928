// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lag search shared by every kernel, written once over a small vector interface V and
// included by one file per instruction set (each compiled with its own target flags).
// Everything here has internal linkage, so no instruction-set-specific copy of a function
// can be merged with another file's copy.
//
// V provides: Width (int16 lanes per register), Reg, Zero(), Load(p) (unaligned),
// MaxAdd(acc, a, b) = acc + pairwise 32-bit sums of max(a, b), And(a, mask), Sum4(a0..a3,
// out[4]) (the horizontal sums of four accumulators), and BoundLanes with
// Bounds(c, first, blocks, out): out[i] = sum over m < blocks of |c[first + i + 8m] - c[8m]|
// for i < BoundLanes.
//
// Why max: |a - b| = 2 max(a, b) - a - b, exactly, in integers. So
//   D(t) = 2 * sum max(base[j], base[t + j]) - sum base[j] - sum base[t + j].
// The two plain sums come from one running-sum table shared by all lags (differences of
// wrapping 32-bit sums are exact, since no window sum exceeds 32 bits), leaving one max, one
// multiply-add and one add per lag and vector in the inner loop. No 16-bit value overflows:
// max stays a signed 16-bit sample and the multiply-add widens pairs to 32 bits.

// Most lags need not be summed at all. Over a block of 8 samples,
//   sum |a - b| >= |sum a - sum b|,
// and the block sums come from the running sums at almost no cost, so
//   B(t) = sum over blocks m of |S(t + 8m) - S(8m)|,   S(i) = base[i] + ... + base[i + 7],
// is a lower bound of D(t) costing an eighth of it. Speech is smooth at 16 kHz, so B is close
// to D (about 0.8 of it) and only the lags whose bound can still win (a fifth or so) are
// summed at all.

#include <cstdint>

namespace {

// Partial sums are compared with the best so far every this many samples.
constexpr int CheckEvery = 256;
constexpr int64_t NoLimit = INT64_C(0x7fffffffffffffff);
constexpr int64_t DeadLane = INT64_C(-0x7fffffffffffffff) - 1;

// Scores four lags in one pass over the window, sharing the loads of base[j]. limits[i] is
// the value lane i must stay below to be of interest; a lane whose partial sum reaches it is
// abandoned (sums only grow). d[i] receives the exact D of a lane that finished below its
// limit, or -1.
template <class V>
void ScoreGroup(const int16_t *base, int n, const uint32_t *prefix, const int lags[4],
                const int64_t limits[4], int64_t d[4]) {
    const int nv = n - n % V::Width;
    typename V::Reg acc0 = V::Zero(), acc1 = V::Zero(), acc2 = V::Zero(), acc3 = V::Zero();
    const int16_t *b0 = base + lags[0];
    const int16_t *b1 = base + lags[1];
    const int16_t *b2 = base + lags[2];
    const int16_t *b3 = base + lags[3];
    int64_t partial[4] = {0, 0, 0, 0};
    bool alive[4];
    for (int i = 0; i < 4; ++i) alive[i] = 0 < limits[i];
    int j = 0;
    while (j < nv) {
        const int stop = nv - j > CheckEvery ? j + CheckEvery : nv;
        for (; j < stop; j += V::Width) {
            const typename V::Reg a = V::Load(base + j);
            acc0 = V::MaxAdd(acc0, a, V::Load(b0 + j));
            acc1 = V::MaxAdd(acc1, a, V::Load(b1 + j));
            acc2 = V::MaxAdd(acc2, a, V::Load(b2 + j));
            acc3 = V::MaxAdd(acc3, a, V::Load(b3 + j));
        }
        int32_t s[4];
        V::Sum4(acc0, acc1, acc2, acc3, s);
        bool any = false;
        for (int i = 0; i < 4; ++i) {
            partial[i] = 2 * static_cast<int64_t>(s[i]) - static_cast<int32_t>(prefix[j] - prefix[0]) -
                         static_cast<int32_t>(prefix[lags[i] + j] - prefix[lags[i]]);
            alive[i] = partial[i] < limits[i];
            any = any || alive[i];
        }
        if (!any) break;
    }
    for (int i = 0; i < 4; ++i) {
        d[i] = -1;
        if (!alive[i]) continue;
        int64_t sum = partial[i];
        const int16_t *b = base + lags[i];
        for (int k = nv; k < n; ++k) {
            const int diff = b[k] - base[k];
            sum += diff < 0 ? -diff : diff;
        }
        if (sum < limits[i]) d[i] = sum;
    }
}

constexpr int Block = 8;
// Bounds are checked against the best so far every this many blocks.
constexpr int BoundChunk = 32;

// The lag search. The hint and its neighbours (hint - 1 .. hint + 2, which nearly always
// pass their bounds anyway) are scored in full first, in one pass; then every other lag whose
// bound can still beat the best so far is scored, in groups of four, in ascending order. A lag
// below the best lag wins on an equal sum, a lag above it only on a smaller one, which gives
// the smallest lag among the smallest sums whatever the order.
template <class V>
int SearchBestLag(const int16_t *base, int minLag, int maxLag, int n, int hint, const TAmdfScratch &scratch) {
    const uint32_t *prefix = scratch.Prefix;
    if (hint < minLag || hint > maxLag) hint = minLag;
    int lags[4];
    int64_t limits[4];
    int64_t d[4];
    // The first group: lags [firstLow, firstHigh], all in range, scored without a limit.
    const int firstLow = hint - 1 < minLag ? minLag : hint - 1;
    const int firstHigh = firstLow + 3 > maxLag ? maxLag : firstLow + 3;
    for (int i = 0; i < 4; ++i) {
        const bool used = firstLow + i <= firstHigh;
        lags[i] = used ? firstLow + i : firstLow;
        limits[i] = used ? NoLimit : DeadLane;
    }
    ScoreGroup<V>(base, n, prefix, lags, limits, d);
    // Ascending lags: the first smallest sum wins.
    int64_t best = d[0];
    int bestLag = firstLow;
    for (int i = 1; i <= firstHigh - firstLow; ++i) {
        if (d[i] < best) {
            best = d[i];
            bestLag = firstLow + i;
        }
    }

    const int blocks = n / Block;
    const int lagCount = maxLag - minLag + 1;
    const int32_t *blockSum = scratch.Blocks;
    int32_t *bound = scratch.Bounds;
    // The bounds grow block by block, so a group whose every partial bound already rules its
    // lag out is left there: the partial sum is still a lower bound, and too large to win.
    // The limits only fall as the search goes on, so the bound stays too large.
    for (int first = 0; first < lagCount; first += V::BoundLanes) {
        int32_t *out = bound + first;
        int32_t limit[V::BoundLanes];
        for (int i = 0; i < V::BoundLanes; ++i) {
            const int lag = minLag + first + i;
            const int64_t l = lag < bestLag ? best + 1 : best;
            limit[i] = l > INT32_MAX ? INT32_MAX : static_cast<int32_t>(l);
            out[i] = 0;
        }
        for (int m = 0; m < blocks; m += BoundChunk) {
            int32_t part[V::BoundLanes];
            V::Bounds(blockSum + Block * m, minLag + first,
                      blocks - m < BoundChunk ? blocks - m : BoundChunk, part);
            bool open = false;
            for (int i = 0; i < V::BoundLanes; ++i) {
                out[i] += part[i];
                open = open || out[i] < limit[i];
            }
            if (!open) break;
        }
    }

    // Every lag whose bound can still win, in ascending order, four at a time.
    int next = 0;
    for (;;) {
        int lanes = 0;
        while (lanes < 4 && next < lagCount) {
            const int i = next++;
            const int lag = minLag + i;
            const int64_t limit = lag < bestLag ? best + 1 : best;
            if ((lag >= firstLow && lag <= firstHigh) || bound[i] >= limit) continue;
            lags[lanes] = lag;
            limits[lanes] = limit;
            ++lanes;
        }
        if (lanes == 0) break;
        for (int i = lanes; i < 4; ++i) {
            lags[i] = lags[0];
            limits[i] = DeadLane;
        }
        ScoreGroup<V>(base, n, prefix, lags, limits, d);
        for (int i = 0; i < lanes; ++i) {
            if (d[i] < 0) continue;
            if (d[i] < best || (d[i] == best && lags[i] < bestLag)) {
                best = d[i];
                bestLag = lags[i];
            }
        }
    }
    return bestLag;
}

// The exact sums of every lag over j in [from, to), added to sums[t - minLag] (subtracted
// when `subtract`), four lags per pass sharing the loads of base[j]. A stretch shorter than
// a register is summed plainly; otherwise the last, partial register is taken at to - Width
// with its lanes already counted masked off, so nothing outside [from, to) (and its lags)
// is read.
template <class V>
void AddLagSums(const int16_t *base, int minLag, int maxLag, int from, int to,
                const uint32_t *prefix, bool subtract, int32_t *sums) {
    const int length = to - from;
    if (length <= 0) return;
    const int64_t sumA = static_cast<int32_t>(prefix[to] - prefix[from]);
    const int whole = length / V::Width;
    const int rest = length % V::Width;
    // Lane i of the mask is set when i >= Width - rest: the lanes of [from + whole * Width, to).
    // clang-format off
    alignas(64) static const int16_t MaskTable[128] = {
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
        -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
        -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
        -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1
    };
    // clang-format on
    static_assert(V::Width <= 64, "mask table too short");
    const typename V::Reg mask = V::Load(MaskTable + 64 - V::Width + rest);
    const int16_t *a = base + from;
    for (int lag = minLag; lag <= maxLag; lag += 4) {
        const int count = maxLag - lag + 1 < 4 ? maxLag - lag + 1 : 4;
        int lags[4];
        for (int i = 0; i < 4; ++i) lags[i] = lag + (i < count ? i : 0);
        int64_t maxSum[4] = {0, 0, 0, 0};
        if (whole == 0) {
            for (int i = 0; i < count; ++i)
                for (int j = from; j < to; ++j) {
                    const int x = base[j], y = base[lags[i] + j];
                    maxSum[i] += x > y ? x : y;
                }
        } else {
            typename V::Reg acc0 = V::Zero(), acc1 = V::Zero(), acc2 = V::Zero(), acc3 = V::Zero();
            const int16_t *b0 = a + lags[0], *b1 = a + lags[1], *b2 = a + lags[2],
                          *b3 = a + lags[3];
            const int end = whole * V::Width;
            for (int j = 0; j < end; j += V::Width) {
                const typename V::Reg x = V::Load(a + j);
                acc0 = V::MaxAdd(acc0, x, V::Load(b0 + j));
                acc1 = V::MaxAdd(acc1, x, V::Load(b1 + j));
                acc2 = V::MaxAdd(acc2, x, V::Load(b2 + j));
                acc3 = V::MaxAdd(acc3, x, V::Load(b3 + j));
            }
            if (rest > 0) {
                // max(x, y) & mask: the masked lanes add nothing.
                const int j = length - V::Width;
                const typename V::Reg x = V::Load(a + j);
                acc0 = V::MaxAddMasked(acc0, x, V::Load(b0 + j), mask);
                acc1 = V::MaxAddMasked(acc1, x, V::Load(b1 + j), mask);
                acc2 = V::MaxAddMasked(acc2, x, V::Load(b2 + j), mask);
                acc3 = V::MaxAddMasked(acc3, x, V::Load(b3 + j), mask);
            }
            int32_t s[4];
            V::Sum4(acc0, acc1, acc2, acc3, s);
            for (int i = 0; i < 4; ++i) maxSum[i] = s[i];
        }
        for (int i = 0; i < count; ++i) {
            const int64_t sumB =
                static_cast<int32_t>(prefix[lags[i] + to] - prefix[lags[i] + from]);
            const int64_t d = 2 * maxSum[i] - sumA - sumB;
            int32_t &out = sums[lags[i] - minLag];
            out = static_cast<int32_t>(subtract ? out - d : out + d);
        }
    }
}

}  // namespace
