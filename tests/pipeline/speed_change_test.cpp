// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/speed_change.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "pipeline/amdf.h"
#include "pipeline/simd_level.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "support/pipeline_test_util.h"
#include "support/plain_speed_change.h"
#include "tests/support/raised_message.h"

namespace {

std::vector<int16_t> Speech() {
    static const std::vector<int16_t> speech = [] {
        const std::vector<uint8_t> file = testutil::ReadFixture("speech_mono.ogg");
        TMemoryStream pcm;
        DecodeOggVorbis(file.data(), static_cast<int32_t>(file.size()), pcm);
        return testutil::ToSamples(pcm.Memory(), static_cast<size_t>(pcm.DataSize()));
    }();
    return speech;
}

// Full-scale material: square waves at both rails, white noise over the whole range,
// clipped sine, runs of the extreme values and of silence.
std::vector<int16_t> Stress() {
    std::vector<int16_t> s;
    std::mt19937 random(11);
    for (int period : {64, 97, 150, 266, 300})
        for (int i = 0; i < 3000; ++i) s.push_back(i % period < period / 2 ? 32767 : -32768);
    for (int i = 0; i < 12000; ++i) s.push_back(static_cast<int16_t>(random()));
    for (int i = 0; i < 8000; ++i) {
        const double v = 60000.0 * std::sin(i * 2 * M_PI / 131.0);
        s.push_back(static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v));
    }
    s.insert(s.end(), 3000, -32768);
    s.insert(s.end(), 3000, 0);
    s.insert(s.end(), 3000, 32767);
    return s;
}

std::vector<int16_t> Change(const std::vector<int16_t> &input, int a) {
    TMemoryStream out;
    ChangeSpeed(input.data(), static_cast<int32_t>(input.size() * 2), a, out);
    return testutil::ToSamples(out.Memory(), static_cast<size_t>(out.DataSize()));
}

// Puts the fastest kernel back after a test that forces one.
class KernelGuard {
public:
    KernelGuard() : saved_(ActiveSimdLevel()) {}
    ~KernelGuard() { SelectSimdLevel(saved_); }

private:
    TSimdLevel saved_;
};

const struct {
    const char *label;
    TSimdLevel kernel;
} Kernels[] = {
    {"portable", TSimdLevel::Portable},
    {"SSE2", TSimdLevel::Sse2},
    {"AVX2", TSimdLevel::Avx2},
    {"AVX-512", TSimdLevel::Avx512},
};

TEST(SpeedChanger, SettingsTable) {
    // a, P, Q, L, b, N
    const int table[][6] = {
        {-10, 10, 1, 5054, 2394, 2394}, {-9, 10, 1, 5054, 2394, 2394}, {-8, 10, 2, 4788, 2128, 2394},
        {-7, 10, 3, 4522, 1862, 2394},  {-6, 10, 4, 4256, 1596, 2394}, {-5, 10, 5, 3990, 1330, 2394},
        {-4, 10, 6, 3724, 1064, 2394},  {-3, 10, 7, 3458, 798, 2394},  {-2, 10, 8, 3192, 532, 2394},
        {-1, 10, 9, 2926, 266, 2394},   {0, 10, 10, 2660, 0, 2394},    {1, 9, 10, 2660, 0, 2394},
        {2, 8, 10, 2660, 0, 2394},      {3, 7, 10, 2660, 0, 2394},     {4, 6, 10, 2660, 0, 2394},
        {5, 5, 10, 2660, 0, 2394},      {6, 4, 10, 2660, 0, 2394},     {7, 3, 10, 2660, 0, 2394},
        {8, 2, 10, 2660, 0, 2394},      {9, 1, 10, 2660, 0, 2394},     {10, 1, 10, 2660, 0, 2394},
    };
    for (const auto &row : table) {
        SCOPED_TRACE("a = " + std::to_string(row[0]));
        const TSpeedChanger changer(row[0]);
        EXPECT_EQ(changer.P(), row[1]);
        EXPECT_EQ(changer.Q(), row[2]);
        EXPECT_EQ(changer.SegmentLength(), row[3]);
        EXPECT_EQ(changer.LeadIn(), row[4]);
        EXPECT_EQ(changer.Window(), row[5]);
    }
}

TEST(ChangeSpeed, RatioOutsideTheRangeIsRefused) {
    const std::vector<int16_t> input(4000, 100);
    for (int a : {11, -11, 1000}) {
        TMemoryStream out;
        EXPECT_EQ(MessageOf([&] { ChangeSpeed(input.data(), 8000, a, out); }), "Invalid Ratio") << a;
        EXPECT_EQ(out.DataSize(), 0);
    }
}

// Every setting, every kernel, bit for bit against the plain oracle: on real speech and on
// full-scale material that would overflow 16-bit differences.
TEST(ChangeSpeed, EveryKernelMatchesThePlainOracleBitForBit) {
    KernelGuard guard;
    const std::vector<int16_t> signals[] = {Speech(), Stress()};
    const char *names[] = {"speech", "full-scale stress"};
    for (int s = 0; s < 2; ++s) {
        for (int a = -10; a <= 10; ++a) {
            const std::vector<int16_t> expected = plain::ChangeSpeed(signals[s], a);
            for (const auto &k : Kernels) {
                if (!SelectSimdLevel(k.kernel)) continue;
                SCOPED_TRACE(std::string(names[s]) + ", setting " + std::to_string(10 - a) + ", " + k.label);
                const std::vector<int16_t> got = Change(signals[s], a);
                ASSERT_EQ(got.size(), expected.size());
                ASSERT_TRUE(got == expected);
            }
        }
    }
}

TEST(ChangeSpeed, LengthFollowsPOverQ) {
    const std::vector<int16_t> speech = Speech();
    const double in = static_cast<double>(speech.size());
    EXPECT_NEAR(Change(speech, 5).size() / in, 0.5, 0.05);   // setting 5
    EXPECT_NEAR(Change(speech, -5).size() / in, 2.0, 0.1);   // setting 15
    EXPECT_NEAR(Change(speech, 9).size() / in, 0.1, 0.02);   // setting 1
    EXPECT_NEAR(Change(speech, -10).size() / in, 10.0, 0.5);  // setting 20
}

TEST(ChangeSpeed, PeriodicInputStepsByItsPeriod) {
    // Period 100 with no shorter period: every search answers 100, so at setting 5 each step
    // writes 500 samples for 1,000 consumed. 16,000 samples make 16 whole steps.
    std::vector<int16_t> input(16000);
    for (size_t i = 0; i < input.size(); ++i) {
        const double phase = 2 * M_PI * static_cast<double>(i % 100) / 100.0;
        input[i] = static_cast<int16_t>(9000 * std::sin(phase) + 4000 * std::sin(3 * phase + 1));
    }
    for (size_t start = 0; start + 2660 <= input.size(); start += 1000)
        EXPECT_EQ(amdfp2(64, 266, 2394, input.data() + start, 2660), 100) << start;
    const std::vector<int16_t> out = Change(input, 5);
    ASSERT_EQ(out.size(), 8000u);
    // Both faded stretches hold the same samples, so the output is the input, give or take
    // the rounding of the fade.
    for (size_t i = 0; i < out.size(); ++i) ASSERT_NEAR(out[i], input[i % 100], 1) << i;
}

TEST(ChangeSpeed, NormalSpeedGivesTheInputBackUpToRoundingAndTheTail) {
    const std::vector<int16_t> speech = Speech();
    const std::vector<int16_t> out = Change(speech, 0);
    ASSERT_GT(out.size(), speech.size() - 2660);
    ASSERT_LE(out.size(), speech.size());
    for (size_t i = 0; i < out.size(); ++i) ASSERT_NEAR(out[i], speech[i], 1) << i;
}

TEST(ChangeSpeed, InputShorterThanOneStepGivesNothing) {
    // The shortest possible step needs Q * 64 + LeadIn samples.
    const std::vector<int16_t> speech = Speech();
    for (int a : {10, 5, 0, -5, -10}) {
        const TSpeedChanger changer(a);
        const size_t length = static_cast<size_t>(changer.Q() * TSpeedChanger::MinLag - 1);
        const std::vector<int16_t> input(speech.begin() + 8000, speech.begin() + 8000 + static_cast<long>(length));
        EXPECT_TRUE(Change(input, a).empty()) << a;
    }
    EXPECT_TRUE(Change({}, 0).empty());
    EXPECT_TRUE(Change({}, -10).empty());
}

TEST(ChangeSpeed, OddByteCountAndUnalignedInput) {
    const std::vector<int16_t> speech = Speech();
    std::vector<uint8_t> bytes(1 + speech.size() * 2 + 1);
    std::memcpy(bytes.data() + 1, speech.data(), speech.size() * 2);
    TMemoryStream out;
    ChangeSpeed(bytes.data() + 1, static_cast<int32_t>(speech.size() * 2 + 1), 5, out);
    const std::vector<int16_t> got = testutil::ToSamples(out.Memory(), static_cast<size_t>(out.DataSize()));
    EXPECT_EQ(got, plain::ChangeSpeed(speech, 5));
}

TEST(SpeedChanger, OverlapStepRefusesLagsThatDoNotFit) {
    std::vector<int16_t> x(6000, 0);
    TSpeedChanger normal(0);
    EXPECT_EQ(MessageOf([&] { normal.OverlapStep(x.data(), 267); }), "olmaz");
    EXPECT_EQ(MessageOf([&] { normal.OverlapStep(x.data(), -1); }), "Invalid param FOL");
    EXPECT_EQ(normal.OverlapStep(x.data(), 266), 2660);
    TSpeedChanger slow(-10);
    EXPECT_EQ(MessageOf([&] { slow.OverlapStep(x.data(), 267); }), "Invalid param FOL");  // b + (Q - P) t < 0
    EXPECT_EQ(slow.OverlapStep(x.data(), 266), 266);
}

// Every vector level against the formula written out, on full-scale noise, for lengths
// around each vector width and a whole step.
TEST(Crossfade, EveryLevelGivesThePlainFormulasBits) {
    KernelGuard guard;
    std::mt19937 random(9);
    std::vector<int16_t> x(6000);
    for (int16_t &v : x) v = static_cast<int16_t>(random());
    for (int i = 0; i < 200; ++i) x[static_cast<size_t>(random() % x.size())] = i % 2 ? 32767 : -32768;
    for (int n : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 640, 2659, 2660}) {
        for (int d : {-1330, 0, 1, 500}) {
            const int i0 = 1500;
            std::vector<int16_t> expected(static_cast<size_t>(n));
            for (int k = 0; k < n; ++k) {
                const double w = k * (1.0 / n);
                expected[static_cast<size_t>(k)] =
                    static_cast<int16_t>(std::floor(x[static_cast<size_t>(i0 + k)] * (1 - w) + x[static_cast<size_t>(i0 + d + k)] * w));
            }
            for (const auto &k : Kernels) {
                if (!SelectSimdLevel(k.kernel)) continue;
                std::vector<int16_t> y(static_cast<size_t>(n) + 8, 0x5555);
                Crossfade(x.data(), i0, d, n, y.data());
                EXPECT_TRUE(std::equal(expected.begin(), expected.end(), y.begin())) << k.label << " n " << n << " d " << d;
                EXPECT_EQ(y[static_cast<size_t>(n)], 0x5555) << "wrote past n: " << k.label << " n " << n;
            }
        }
    }
}

TEST(Crossfade, FadesLinearlyFromOneStretchToTheOther) {
    const int16_t x[] = {1000, 1000, 1000, 1000, -1000, -1000, -1000, -1000};
    int16_t y[4];
    Crossfade(x, 0, 4, 4, y);
    EXPECT_EQ(y[0], 1000);
    EXPECT_EQ(y[1], 500);
    EXPECT_EQ(y[2], 0);
    EXPECT_EQ(y[3], -500);
    Crossfade(x, 4, -4, 4, y);  // backwards: from the negative stretch to the positive one
    EXPECT_EQ(y[0], -1000);
    EXPECT_EQ(y[3], 500);
}

}  // namespace
