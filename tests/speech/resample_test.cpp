// SPDX-License-Identifier: GPL-3.0-or-later
// Resampling is a pure function of its input: the same speech gives the same samples on every
// call, at any time and in any process, so equal requests give equal audio files (a cache
// shared by several service processes, and a client comparing what it fetched, rely on it).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "speech/resample.h"

namespace {

// Speech-like input: a tone with a little of everything, so that the 16-bit output has
// rounding (and would show any dither) everywhere.
std::vector<int16_t> Input() {
    std::vector<int16_t> samples(22050);
    uint32_t noise = 12345;
    for (size_t i = 0; i < samples.size(); ++i) {
        noise = noise * 1103515245u + 12345u;
        samples[i] = int16_t(int((i * 37) % 2000) - 1000 + int((noise >> 16) % 301) - 150);
    }
    return samples;
}

TEST(ResampleTest, TheSameSamplesGiveTheSameSamplesAtAnyTime) {
    const std::vector<int16_t> input = Input();
    const std::vector<int16_t> first = Resample(input, 22050, OutputSampleRate);
    // A resampler that seeds its dither from the clock or an address gives other samples a
    // second later, from another allocation.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    std::vector<int> elsewhere(1000, 1);
    const std::vector<int16_t> second = Resample(input, 22050, OutputSampleRate);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_TRUE(first == second) << "resampling the same speech twice gave other samples";
    EXPECT_NEAR(double(first.size()), 16000.0, 64.0);
}

}  // namespace
