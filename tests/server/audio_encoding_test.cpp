// SPDX-License-Identifier: GPL-3.0-or-later
// Resampling and Ogg Vorbis encoding: files the client's decoder reads as 16 kHz mono of the
// right length, and the same bytes for the same input.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "server/audio_encoding.h"

namespace {

std::vector<int16_t> Tone(int rate, double seconds, double hertz) {
    std::vector<int16_t> samples(size_t(rate * seconds));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(8000 * std::sin(2 * M_PI * hertz * double(i) / rate));
    return samples;
}

size_t DecodedSamples(const std::string &ogg) {
    TMemoryStream pcm(8192);
    DecodeOggVorbis(reinterpret_cast<const uint8_t *>(ogg.data()), int32_t(ogg.size()), pcm);
    return size_t(pcm.DataSize()) / 2;
}

TEST(AudioEncodingTest, ResamplingKeepsTheDuration) {
    const struct {
        int From, To;
        double Seconds;
    } cases[] = {{22050, 16000, 1.0}, {22050, 16000, 0.01}, {16000, 16000, 0.5}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.From);
        const std::vector<int16_t> out = Resample(Tone(c.From, c.Seconds, 440), c.From, c.To);
        EXPECT_NEAR(double(out.size()), c.To * c.Seconds, 2.0);
    }
    EXPECT_TRUE(Resample({}, 22050, 16000).empty());
}

TEST(AudioEncodingTest, EncodedFilesDecodeToTheirLengthAndRepeatByteForByte) {
    const std::vector<int16_t> tone = Tone(16000, 1.5, 300);
    const std::string a = EncodeOggVorbis(tone.data(), tone.size(), 16000, 1234);
    const std::string b = EncodeOggVorbis(tone.data(), tone.size(), 16000, 1234);
    const std::string c = EncodeOggVorbis(tone.data(), tone.size(), 16000, 1235);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);  // the serial number is in every page
    EXPECT_EQ(a.compare(0, 4, "OggS"), 0);
    EXPECT_EQ(DecodedSamples(a), tone.size());
    // No samples still make a file the decoder accepts.
    const std::string empty = EncodeOggVorbis(nullptr, 0, 16000, 1);
    EXPECT_EQ(DecodedSamples(empty), 0u);
}

}  // namespace
