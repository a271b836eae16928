// SPDX-License-Identifier: GPL-3.0-or-later
// The one Ogg Vorbis encoder: the stream depends on the samples, never on how they were
// handed over (the service hands a whole speech at once, narrelo-say the blocks it is given,
// as bytes), and settings libvorbisenc refuses are refused before any byte.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "records/ogg_vorbis_encoder.h"

namespace {

std::vector<int16_t> Sound(size_t count, int channels) {
    std::vector<int16_t> samples(count * size_t(channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(9000 * std::sin(double(i) * 0.07) + double(i * 7919 % 200) - 100);
    return samples;
}

std::string InSteps(const std::vector<int16_t> &samples, int channels,
                    const std::vector<size_t> &steps, bool asBytes) {
    TOggVorbisEncoder encoder(channels, 16000, 7, "test");
    std::string out;
    encoder.Headers(out);
    const size_t frames = samples.size() / size_t(channels);
    for (size_t at = 0, i = 0; at < frames; ++i) {
        const size_t n = std::min(steps[i % steps.size()], frames - at);
        if (asBytes)
            encoder.WriteLittleEndian(
                reinterpret_cast<const uint8_t *>(samples.data() + at * size_t(channels)), n, out);
        else
            encoder.Write(samples.data() + at * size_t(channels), n, out);
        at += n;
    }
    encoder.Finish(out);
    return out;
}

TEST(OggVorbisEncoderTest, TheStreamDoesNotDependOnHowTheSamplesCame) {
    for (const int channels : {1, 2}) {
        const std::vector<int16_t> samples = Sound(40000, channels);
        const std::string whole = InSteps(samples, channels, {1000000}, false);
        EXPECT_EQ(whole.substr(0, 4), "OggS");
        EXPECT_NE(whole.find("test"), std::string::npos);  // the ENCODER comment
        EXPECT_EQ(InSteps(samples, channels, {1, 4095, 4097, 333}, false), whole) << channels;
        EXPECT_EQ(InSteps(samples, channels, {5000, 17}, true), whole) << channels;
    }
    const std::vector<int16_t> mono = Sound(40000, 1);
    EXPECT_EQ(EncodeOggVorbis(mono.data(), mono.size(), 16000, 7, "test"),
              InSteps(mono, 1, {4096}, false));
    // Another serial number, another stream.
    EXPECT_NE(EncodeOggVorbis(mono.data(), mono.size(), 16000, 8, "test"),
              InSteps(mono, 1, {4096}, false));
    // No samples: a valid stream of headers and an empty end.
    EXPECT_EQ(EncodeOggVorbis(nullptr, 0, 16000, 1, "test").substr(0, 4), "OggS");
}

TEST(OggVorbisEncoderTest, RefusedSettingsThrow) {
    EXPECT_THROW(TOggVorbisEncoder(0, 16000, 1, "test"), std::runtime_error);
    EXPECT_THROW(TOggVorbisEncoder(1, 16000, 1, "test", {0.1f, 900000000, -1, -1}),
                 std::runtime_error);
}

}  // namespace
