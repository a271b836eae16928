// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/ogg_vorbis_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "pipeline/pcm_convert.h"
#include "support/pipeline_test_util.h"

namespace {

using testutil::ReadFixture;

struct TDecoded {
    std::vector<uint8_t> bytes;
    std::string diagnostics;
};

TDecoded Decode(const std::vector<uint8_t> &file) {
    TMemoryStream output;
    testing::internal::CaptureStderr();
    DecodeOggVorbis(file.data(), static_cast<int32_t>(file.size()), output);
    TDecoded result;
    result.diagnostics = testing::internal::GetCapturedStderr();
    result.bytes.assign(output.Memory(), output.Memory() + output.DataSize());
    return result;
}

// PCM bytes the independent decode gives for the file.
std::size_t ReferenceSize(const std::vector<uint8_t> &file) {
    return testutil::ReferenceDecode(file).size() * 2;
}

std::vector<int16_t> Samples(const TDecoded &decoded) {
    return testutil::ToSamples(decoded.bytes.data(), decoded.bytes.size());
}

// Offsets and lengths of the Ogg pages of a file, found by their capture pattern.
struct TPage {
    size_t offset, length;
};

std::vector<TPage> Pages(const std::vector<uint8_t> &file) {
    std::vector<TPage> pages;
    size_t i = 0;
    while (i + 27 <= file.size() && std::memcmp(&file[i], "OggS", 4) == 0) {
        const int segments = file[i + 26];
        size_t length = 27 + segments;
        for (int s = 0; s < segments; ++s) length += file[i + 27 + s];
        pages.push_back({i, length});
        i += length;
    }
    return pages;
}

// The Ogg page checksum (CRC-32, polynomial 0x04c11db7, no reflection, stored little-endian).
void SealPage(std::vector<uint8_t> &page) {
    std::memset(&page[22], 0, 4);
    uint32_t crc = 0;
    for (uint8_t byte : page) {
        crc ^= static_cast<uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    for (int k = 0; k < 4; ++k) page[22 + k] = static_cast<uint8_t>(crc >> (8 * k));
}

// A page of the given serial and sequence number holding one packet per entry (each < 255
// bytes); headerType 2 marks the first page of a stream.
std::vector<uint8_t> MakePage(uint32_t serial, uint32_t sequence, int headerType,
                              const std::vector<std::string> &packets) {
    std::vector<uint8_t> page = {'O', 'g', 'g', 'S', 0, static_cast<uint8_t>(headerType)};
    page.resize(14, 0);  // granule position 0
    for (int k = 0; k < 4; ++k) page.push_back(static_cast<uint8_t>(serial >> (8 * k)));
    for (int k = 0; k < 4; ++k) page.push_back(static_cast<uint8_t>(sequence >> (8 * k)));
    page.resize(26, 0);  // checksum, filled in by SealPage
    page.push_back(static_cast<uint8_t>(packets.size()));
    for (const std::string &p : packets) page.push_back(static_cast<uint8_t>(p.size()));
    for (const std::string &p : packets) page.insert(page.end(), p.begin(), p.end());
    SealPage(page);
    return page;
}

TEST(DecodeOggVorbis, MonoFileMatchesIndependentDecodeAndStoredHash) {
    const std::vector<uint8_t> file = ReadFixture("speech_mono.ogg");
    const TDecoded decoded = Decode(file);
    int channels = 0;
    const std::vector<int16_t> expected = testutil::ReferenceDecode(file, &channels);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(decoded.bytes.size(), 2 * expected.size());
    EXPECT_EQ(Samples(decoded), expected);
    EXPECT_EQ(decoded.bytes.size(), 172362u);  // 86,181 samples: the last page's granule position
    EXPECT_EQ(testutil::Fnv1a(decoded.bytes.data(), decoded.bytes.size()), 0x17360d8aea302e1full);
    EXPECT_EQ(decoded.diagnostics, "");
}

TEST(DecodeOggVorbis, StereoFileIsInterleaved) {
    const std::vector<uint8_t> file = ReadFixture("speech_stereo.ogg");
    const TDecoded decoded = Decode(file);
    int channels = 0;
    const std::vector<int16_t> expected = testutil::ReferenceDecode(file, &channels);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(Samples(decoded), expected);
    EXPECT_EQ(testutil::Fnv1a(decoded.bytes.data(), decoded.bytes.size()), 0xee8f0f69240797aull);
    // The right channel was made as minus half the left: even positions carry about four
    // times the energy of odd ones, and the two move against each other.
    const std::vector<int16_t> s = Samples(decoded);
    double left = 0, right = 0, product = 0;
    for (size_t j = 0; j + 1 < s.size(); j += 2) {
        left += double(s[j]) * s[j];
        right += double(s[j + 1]) * s[j + 1];
        product += double(s[j]) * s[j + 1];
    }
    EXPECT_NEAR(left / right, 4.0, 1.0);
    EXPECT_LT(product / std::sqrt(left * right), -0.5);
}

TEST(DecodeOggVorbis, OutputGoesToTheCurrentPosition) {
    const std::vector<uint8_t> file = ReadFixture("speech_mono.ogg");
    TMemoryStream output;
    output.Write("head", 4);
    DecodeOggVorbis(file.data(), static_cast<int32_t>(file.size()), output);
    ASSERT_GT(output.DataSize(), 4);
    EXPECT_EQ(std::memcmp(output.Memory(), "head", 4), 0);
    EXPECT_EQ(output.DataSize(), 4 + 172362);
}

// The file with its last page claiming `granule` frames (with a valid checksum).
std::vector<uint8_t> WithLastGranule(std::vector<uint8_t> file, uint64_t granule) {
    const TPage last = Pages(file).back();
    std::vector<uint8_t> page(file.begin() + last.offset, file.begin() + last.offset + last.length);
    for (int k = 0; k < 8; ++k) page[6 + k] = static_cast<uint8_t>(granule >> (8 * k));
    SealPage(page);
    std::copy(page.begin(), page.end(), file.begin() + last.offset);
    return file;
}

constexpr const char *BudgetMessage = "Decoded audio would exceed the limit of 64 MiB; the stream is refused.";

TEST(DecodeOggVorbis, ReservesWhatTheLastPageAnnouncesButNotAnImplausibleClaim) {
    const std::vector<uint8_t> file = ReadFixture("speech_mono.ogg");
    TMemoryStream output;
    DecodeOggVorbis(file.data(), static_cast<int32_t>(file.size()), output);
    EXPECT_EQ(output.DataSize(), 172362);

    // A claim within the budget but far beyond what 17 KB of Vorbis can hold: decoding gives
    // the same sound and reserves nothing beyond it.
    const std::vector<uint8_t> lying = WithLastGranule(file, uint64_t(1) << 24);
    const TDecoded decoded = Decode(lying);
    EXPECT_GE(decoded.bytes.size(), std::size_t(172362 - 4096));
    TMemoryStream hostile;
    DecodeOggVorbis(lying.data(), static_cast<int32_t>(lying.size()), hostile);
    EXPECT_LT(hostile.Capacity(), 4 * 1024 * 1024);
}

// A stream whose PCM would pass the budget is refused before anything is decoded or
// reserved when its last page says so, and stopped at the budget when it says less than it
// holds. No size sum overflows on the way.
TEST(DecodeOggVorbis, StreamBeyondTheBudgetIsRefused) {
    const std::vector<uint8_t> mono = ReadFixture("speech_mono.ogg");
    const std::vector<uint8_t> stereo = ReadFixture("speech_stereo.ogg");
    struct TCase {
        const char *label;
        std::vector<uint8_t> file;
        int64_t budget;
        int64_t written;  // -1: some PCM, at most the budget
    } cases[] = {
        {"2^40 frames announced", WithLastGranule(mono, uint64_t(1) << 40), DecodedSizeBudget, 0},
        {"2^62 frames: twice that is past 63 bits", WithLastGranule(mono, uint64_t(1) << 62),
         DecodedSizeBudget, 0},
        {"the largest granule position", WithLastGranule(mono, uint64_t(INT64_MAX)), DecodedSizeBudget, 0},
        {"one frame over the budget: 2 channels x 2 bytes", stereo, int64_t(ReferenceSize(stereo)) - 1, 0},
        {"announcing one frame, decoding more", WithLastGranule(mono, 1), 100000, -1},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.label);
        TMemoryStream output;
        testing::internal::CaptureStderr();
        std::string raised;
        try {
            DecodeOggVorbis(c.file.data(), static_cast<int32_t>(c.file.size()), output, c.budget);
        } catch (const TCustomException &e) {
            raised = e.Message();
        }
        const std::string diagnostics = testing::internal::GetCapturedStderr();
        EXPECT_EQ(raised, BudgetMessage);
        EXPECT_NE(diagnostics.find(std::string(BudgetMessage) + "\n"), std::string::npos) << diagnostics;
        if (c.written >= 0) {
            EXPECT_EQ(output.DataSize(), c.written);
            EXPECT_LT(output.Capacity(), 1024 * 1024);
        } else {
            EXPECT_GT(output.DataSize(), 0);
            EXPECT_LE(output.DataSize(), c.budget);
        }
    }
    // Exactly at the budget is still fine.
    const TDecoded whole = Decode(stereo);
    TMemoryStream exact;
    DecodeOggVorbis(stereo.data(), static_cast<int32_t>(stereo.size()), exact, int64_t(whole.bytes.size()));
    EXPECT_EQ(exact.DataSize(), int32_t(whole.bytes.size()));
}

TEST(DecodeOggVorbis, RandomBytesGiveNothingAndSayNothing) {
    std::mt19937 random(7);
    std::vector<uint8_t> file(10000);
    for (uint8_t &b : file) b = static_cast<uint8_t>(random());
    const TDecoded decoded = Decode(file);
    EXPECT_TRUE(decoded.bytes.empty());
    EXPECT_EQ(decoded.diagnostics, "");
}

TEST(DecodeOggVorbis, DamagedAudioPageIsSkippedAndTheGoodPagesAroundItDecode) {
    const std::vector<uint8_t> original = ReadFixture("speech_mono.ogg");
    const std::vector<TPage> pages = Pages(original);
    ASSERT_EQ(pages.size(), 6u);  // identification, comment and setup, four audio pages
    std::vector<uint8_t> file = original;
    const TPage damaged = pages[3];
    for (size_t k = damaged.offset + 100; k < damaged.offset + 140; ++k) file[k] ^= 0x5a;

    const TDecoded decoded = Decode(file);
    const std::vector<int16_t> good = testutil::ReferenceDecode(original);
    const std::vector<int16_t> got = Samples(decoded);
    EXPECT_NE(decoded.diagnostics.find("Corrupt or missing data in bitstream; continuing...\n"), std::string::npos)
        << decoded.diagnostics;
    // Less than the whole file, but the pages before (up to granule 25,088) and the last
    // pages after the damage are all there, sample for sample.
    ASSERT_LT(got.size(), good.size());
    ASSERT_GT(got.size(), 25088u + 20000u);
    EXPECT_TRUE(std::equal(good.begin(), good.begin() + 24000, got.begin()));
    EXPECT_TRUE(std::equal(good.end() - 20000, good.end(), got.end() - 20000));
}

TEST(DecodeOggVorbis, OnlyTheFirstOfTwoConcatenatedFilesIsDecoded) {
    std::vector<uint8_t> file = ReadFixture("speech_mono.ogg");
    const TDecoded first = Decode(file);
    const std::vector<uint8_t> second = ReadFixture("speech_stereo.ogg");
    file.insert(file.end(), second.begin(), second.end());
    const TDecoded both = Decode(file);
    EXPECT_EQ(both.bytes, first.bytes);
    EXPECT_EQ(both.diagnostics, "");
}

// Every broken header is reported on standard error and raised with the same text, and
// nothing reaches the output.
TEST(DecodeOggVorbis, HeaderFaultsRaiseTheirMessage) {
    const std::vector<uint8_t> good = ReadFixture("speech_mono.ogg");
    const std::vector<TPage> pages = Pages(good);
    ASSERT_GE(pages.size(), 3u);
    const std::vector<uint8_t> idPage(good.begin(), good.begin() + pages[0].length);
    const uint32_t serial = 1111;

    std::vector<uint8_t> wrongVersion = idPage;
    wrongVersion[4] = 1;
    SealPage(wrongVersion);

    std::vector<uint8_t> junkSecond = idPage;
    const std::vector<uint8_t> junk = MakePage(serial, 1, 0, {"not a comment header", "nor a setup header"});
    junkSecond.insert(junkSecond.end(), junk.begin(), junk.end());

    struct TCase {
        const char *label;
        std::vector<uint8_t> file;
        const char *message;
    } cases[] = {
        {"page version the stream rejects", wrongVersion, "Error reading first page of Ogg bitstream data."},
        {"first page without a packet", MakePage(serial, 0, 2, {}), "Error reading initial header packet."},
        {"first packet is not Vorbis", MakePage(serial, 0, 2, {"hello, this is not vorbis"}),
         "This Ogg bitstream does not contain Vorbis audio data."},
        {"second header packet is junk", junkSecond, "Corrupt secondary header.  Exiting."},
        {"file ends after the first page", idPage, "End of file before finding all Vorbis headers!"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.label);
        TMemoryStream output;
        testing::internal::CaptureStderr();
        std::string raised;
        try {
            DecodeOggVorbis(c.file.data(), static_cast<int32_t>(c.file.size()), output);
        } catch (const TCustomException &e) {
            raised = e.Message();
        }
        const std::string diagnostics = testing::internal::GetCapturedStderr();
        EXPECT_EQ(raised, c.message);
        EXPECT_EQ(diagnostics, std::string(c.message) + "\n");
        EXPECT_EQ(output.DataSize(), 0);
    }
}

// The conversion of decoded floats: the rounding at the edges, clamping and NaN, and the
// vector path against the plain formula for every length remainder.
TEST(ConvertFloatToPcm16, EdgeValues) {
    const float nan = std::nanf("");
    struct TCase {
        const char *label;
        float x;
        int16_t expected;
        bool clipped;
    } cases[] = {
        {"one is the top", 1.0f, 32767, false},
        {"above one clamps", 1.1f, 32767, true},
        {"just below the clamp", 32767.4f / 32767.0f, 32767, false},
        {"minus one", -1.0f, -32767, false},
        {"bottom without clamp", -32768.5f / 32767.0f, -32768, false},
        {"below minus one clamps", -1.1f, -32768, true},
        {"zero", 0.0f, 0, false},
        {"half a step rounds up", 0.5f / 32767.0f, 1, false},
        {"negative half step", -0.5f / 32767.0f, 0, false},
        {"NaN clamps to the bottom", nan, -32768, true},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.label);
        for (int frames : {1, 8, 13}) {  // scalar path, vector path, both
            std::vector<float> in(static_cast<size_t>(frames), 0.0f);
            in[static_cast<size_t>(frames) - 1] = c.x;
            std::vector<int16_t> out(static_cast<size_t>(frames));
            const float *planes[] = {in.data()};
            EXPECT_EQ(ConvertFloatToPcm16(planes, 1, frames, out.data()), c.clipped);
            EXPECT_EQ(out.back(), c.expected);
        }
    }
}

TEST(ConvertFloatToPcm16, MatchesThePlainFormulaOnRandomSamples) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> wide(-1.2f, 1.2f);
    for (int channels : {1, 2, 3}) {
        for (int frames : {0, 7, 8, 9, 1500, 4096 / 3}) {
            std::vector<std::vector<float>> in(static_cast<size_t>(channels));
            std::vector<const float *> planes;
            for (auto &plane : in) {
                for (int j = 0; j < frames; ++j) plane.push_back(j % 5 == 0 ? wide(random) : wide(random) / 1.2f);
                planes.push_back(plane.data());
            }
            std::vector<int16_t> out(static_cast<size_t>(frames * channels));
            bool expectClip = false;
            std::vector<int16_t> expected(out.size());
            for (int c = 0; c < channels; ++c) {
                for (int j = 0; j < frames; ++j) {
                    long v = static_cast<long>(std::floor(in[c][j] * 32767.0f + 0.5f));
                    if (v > 32767 || v < -32768) expectClip = true;
                    expected[static_cast<size_t>(j * channels + c)] =
                        static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
                }
            }
            EXPECT_EQ(ConvertFloatToPcm16(planes.data(), channels, frames, out.data()), expectClip);
            EXPECT_EQ(out, expected) << channels << " channels, " << frames << " frames";
        }
    }
}

}  // namespace
