// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/amdf.h"
#include "pipeline/sample_sums.h"
#include "pipeline/simd_level.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "support/plain_speed_change.h"

namespace {

class KernelGuard {
public:
    KernelGuard() : saved_(ActiveSimdLevel()) {}
    ~KernelGuard() { SelectSimdLevel(saved_); }

private:
    TSimdLevel saved_;
};

// BestPitchLag with the sums of a signal whose running sums wrap around 2^32 right at the
// window: 131,071 full-scale samples come first. Only differences of the sums may matter.
int Best(int minLag, int maxLag, int n, const int16_t *base, int hint) {
    std::vector<int16_t> signal(131071, 32767);
    signal.insert(signal.end(), base, base + maxLag + n);
    const int64_t at = 131071;
    TSampleSums sums(0, signal.data(), static_cast<int32_t>(signal.size()), maxLag + n + 16, static_cast<int32_t>(at));
    sums.At(0);  // one chunk from 0 serves the window at `at`: its sums have run that far
    const TSampleSums::TWindow window = sums.At(at);
    EXPECT_GT(window.Prefix[0], 0xfff00000u);
    return BestPitchLag(minLag, maxLag, n, signal.data() + at, window.Prefix, window.Blocks, hint);
}

const struct {
    const char *label;
    TSimdLevel kernel;
} Kernels[] = {
    {"portable", TSimdLevel::Portable},
    {"SSE2", TSimdLevel::Sse2},
    {"AVX2", TSimdLevel::Avx2},
    {"AVX-512", TSimdLevel::Avx512},
};

TEST(Amdf, WidestLevelIsActiveByDefault) {
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        EXPECT_EQ(ActiveSimdLevel(), TSimdLevel::Avx512);
    else if (__builtin_cpu_supports("avx2"))
        EXPECT_EQ(ActiveSimdLevel(), TSimdLevel::Avx2);
    else EXPECT_EQ(ActiveSimdLevel(), TSimdLevel::Sse2);
}

// Windows of every length remainder, lag ranges of every group remainder, hints inside and
// outside the range: each kernel answers what the plain search answers.
TEST(Amdf, KernelsMatchThePlainSearch) {
    KernelGuard guard;
    std::mt19937 random(5);
    std::vector<int16_t> base(6000);
    for (int round = 0; round < 40; ++round) {
        const int kind = round % 4;
        for (size_t i = 0; i < base.size(); ++i) {
            switch (kind) {
            case 0: base[i] = static_cast<int16_t>(random()); break;                     // full scale
            case 1: base[i] = static_cast<int16_t>((i % 113) * 300 + random() % 50); break;  // near-periodic
            case 2: base[i] = static_cast<int16_t>(random() % 3); break;                  // many ties
            default: base[i] = (i / 37) % 2 ? 32767 : -32768; break;                     // rails
            }
        }
        const int minLag = 1 + static_cast<int>(random() % 100);
        const int maxLag = minLag + static_cast<int>(random() % 300);
        const int n = 1 + static_cast<int>(random() % 2500);
        const int16_t *window = base.data() + random() % 200;
        const int expected = plain::Amdf(minLag, maxLag, n, window);
        for (const auto &k : Kernels) {
            if (!SelectSimdLevel(k.kernel)) continue;
            SCOPED_TRACE(std::string(k.label) + " round " + std::to_string(round));
            EXPECT_EQ(amdfp2(minLag, maxLag, n, window, maxLag + n), expected);
            for (int hint : {minLag, maxLag, (minLag + maxLag) / 2, expected, expected + 1, maxLag + 50})
                EXPECT_EQ(Best(minLag, maxLag, n, window, hint), expected) << "hint " << hint;
        }
    }
}

// The largest window the 32-bit sums allow, on full-scale rails: every sum and bound runs to
// the edge of 32 bits without overflowing.
TEST(Amdf, LongestWindowAtFullScale) {
    KernelGuard guard;
    std::vector<int16_t> base(32768 + 600);
    for (size_t i = 0; i < base.size(); ++i) base[i] = (i / 3) % 2 ? 32767 : -32768;
    for (size_t i = 0; i < base.size(); i += 97) base[i] = 0;
    const int expected = plain::Amdf(500, 520, 32768, base.data());
    for (const auto &k : Kernels) {
        if (!SelectSimdLevel(k.kernel)) continue;
        EXPECT_EQ(amdfp2(500, 520, 32768, base.data(), 32768 + 520), expected) << k.label;
    }
}

// The carried sums: stretches of every length around each register width, added and taken
// away, give each lag's plain sum, and the stretch alone is read (a guard of extreme samples
// around it would change the sums if any were).
TEST(Amdf, LagSumsAreThePlainSumsOfTheirStretch) {
    KernelGuard guard;
    std::mt19937 random(17);
    std::vector<int16_t> signal(131071, 32767);  // running sums wrap before the stretch
    const int at = static_cast<int>(signal.size());
    for (int i = 0; i < 4000; ++i)
        signal.push_back(static_cast<int16_t>(i % 5 ? random() : (i % 2 ? 32767 : -32768)));
    const int minLag = 3, maxLag = 70;
    TSampleSums sums(0, signal.data(), static_cast<int32_t>(signal.size()), 3000, at);
    sums.At(0);
    const TSampleSums::TWindow window = sums.At(at);
    const int16_t *base = signal.data() + at;
    for (int length : {0, 1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 1000}) {
        const int from = 500;
        const int to = from + length;
        std::vector<int32_t> expected(maxLag - minLag + 1), got(expected.size(), 1000);
        for (int t = minLag; t <= maxLag; ++t)
            for (int j = from; j < to; ++j) expected[t - minLag] += std::abs(base[t + j] - base[j]);
        // The samples around the stretch and its lags are set to full scale where nothing may
        // look at them.
        std::vector<int16_t> guarded(signal.begin() + at, signal.begin() + at + 2000);
        for (int j = 0; j < from; ++j) guarded[j] = -32768;
        for (int j = to + maxLag; j < 2000; ++j) guarded[j] = 32767;
        for (const auto &k : Kernels) {
            if (!SelectSimdLevel(k.kernel)) continue;
            SCOPED_TRACE(std::string(k.label) + " length " + std::to_string(length));
            std::fill(got.begin(), got.end(), 1000);
            AddLagSums(minLag, maxLag, from, to, guarded.data(), window.Prefix, false, got.data());
            for (size_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(got[i], expected[i] + 1000) << "lag " << i + minLag;
            AddLagSums(minLag, maxLag, from, to, base, window.Prefix, true, got.data());
            for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], 1000) << "lag " << i + minLag;
            EXPECT_EQ(SmallestLagSum(minLag, maxLag, expected.data()),
                      minLag + static_cast<int>(std::min_element(expected.begin(), expected.end()) -
                                                expected.begin()));
        }
    }
}

TEST(Amdf, TiesGoToTheSmallerLag) {
    KernelGuard guard;
    std::vector<int16_t> periodic(3000);
    for (size_t i = 0; i < periodic.size(); ++i) periodic[i] = static_cast<int16_t>((i % 50) * 100);
    const std::vector<int16_t> silence(3000, 0);
    for (const auto &k : Kernels) {
        if (!SelectSimdLevel(k.kernel)) continue;
        SCOPED_TRACE(k.label);
        EXPECT_EQ(amdfp2(40, 120, 1000, periodic.data(), 1120), 50);  // 50 and 100 both sum to 0
        EXPECT_EQ(Best(40, 120, 1000, periodic.data(), 100), 50);
        EXPECT_EQ(amdfp2(64, 266, 2394, silence.data(), 2660), 64);
        EXPECT_EQ(Best(64, 266, 2394, silence.data(), 200), 64);
    }
}

TEST(Amdf, Arguments) {
    const std::vector<int16_t> base(4000, 1);
    EXPECT_EQ(amdfp2(70, 60, 100, base.data(), 10), 70);  // empty range: minLag, nothing read
    EXPECT_EQ(amdfp2(64, 266, 2394, base.data(), 2660), 64);
    const struct {
        const char *label;
        int minLag, maxLag, n, count;
    } refused[] = {
        {"window runs past the count", 64, 266, 2394, 2659},
        {"negative lag", -1, 266, 100, 4000},
        {"window too long for 32-bit sums", 1, 2, 40000, 50000},
    };
    for (const auto &c : refused) {
        std::string raised;
        try {
            amdfp2(c.minLag, c.maxLag, c.n, base.data(), c.count);
        } catch (const TCustomException &e) {
            raised = e.Message();
        }
        EXPECT_EQ(raised, "invalid arguments for amdfp2") << c.label;
    }
}

}  // namespace
