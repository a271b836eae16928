// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_device_wav.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string TempPath(const char *name) {
    const char *dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/narrelo-" + std::to_string(getpid()) + "-" + name;
}

std::vector<uint8_t> ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::vector<uint8_t> &b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

struct TBlock {
    std::vector<uint8_t> bytes;
    TAudioBuffer header;
    explicit TBlock(std::vector<uint8_t> b) : bytes(std::move(b)) {
        header.Data = bytes.data();
        header.Length = static_cast<int32_t>(bytes.size());
    }
};

class WavFileAudioDevice : public testing::Test {
protected:
    void TearDown() override { std::remove(path.c_str()); }
    std::string path = TempPath("device.wav");
    int completions = 0;
    TAudioDevice::TDoneCallback onDone = [this] { ++completions; };
};

TEST_F(WavFileAudioDevice, WritesTheBlocksInOrderBehindAWaveHeader) {
    TWavFileAudioDevice device(path);
    EXPECT_EQ(device.OutputDeviceCount(), 1);
    TAudioFormat format;
    EXPECT_EQ(device.Open(format, onDone, true), AudioOk);
    EXPECT_FALSE(device.IsOpen());
    ASSERT_EQ(device.Open(format, onDone, false), AudioOk);
    EXPECT_EQ(device.Open(format, onDone, false), AudioAllocated);

    TBlock a({1, 2, 3, 4}), b({5, 6}), c({7, 8, 9, 10, 11, 12});
    for (TBlock *block : {&a, &b}) {
        ASSERT_EQ(device.Prepare(block->header), AudioOk);
        ASSERT_EQ(device.Write(block->header), AudioOk);
        EXPECT_EQ(block->header.Flags.load(), AudioBufferPrepared | AudioBufferDone);
    }
    EXPECT_EQ(completions, 2);
    // Paused, a block waits in the queue; Restart writes it.
    ASSERT_EQ(device.Pause(), AudioOk);
    device.Prepare(c.header);
    ASSERT_EQ(device.Write(c.header), AudioOk);
    EXPECT_EQ(c.header.Flags.load(), AudioBufferPrepared | AudioBufferInQueue);
    EXPECT_EQ(device.Unprepare(c.header), AudioStillPlaying);
    EXPECT_EQ(device.Close(), AudioStillPlaying);
    ASSERT_EQ(device.Restart(), AudioOk);
    EXPECT_EQ(c.header.Flags.load(), AudioBufferPrepared | AudioBufferDone);
    EXPECT_EQ(device.Unprepare(c.header), AudioOk);
    EXPECT_EQ(c.header.Flags.load(), AudioBufferDone);
    ASSERT_EQ(device.Close(), AudioOk);
    EXPECT_FALSE(device.IsOpen());

    // A plain RIFF file: the room an RF64 ds64 chunk would take is a JUNK chunk.
    const std::vector<uint8_t> file = ReadAll(path);
    ASSERT_EQ(file.size(), 80u + 12u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(file, 4), 72u + 12u);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEJUNK");
    EXPECT_EQ(Le32(file, 16), 28u);
    EXPECT_EQ(std::string(file.begin() + 48, file.begin() + 52), "fmt ");
    EXPECT_EQ(Le32(file, 52), 16u);
    EXPECT_EQ(Le32(file, 56), 1u | (1u << 16));  // PCM, one channel
    EXPECT_EQ(Le32(file, 60), 16000u);
    EXPECT_EQ(Le32(file, 64), 32000u);
    EXPECT_EQ(Le32(file, 68), 2u | (16u << 16));  // block alignment, bits
    EXPECT_EQ(std::string(file.begin() + 72, file.begin() + 76), "data");
    EXPECT_EQ(Le32(file, 76), 12u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 80, file.end()),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

uint64_t Le64(const std::vector<uint8_t> &b, size_t at) { return Le32(b, at) | uint64_t(Le32(b, at + 4)) << 32; }

// Past what 32-bit sizes count (a bound shrunk to 8 bytes here), the file becomes RF64 with
// its true sizes in the ds64 chunk; nothing is lost.
TEST_F(WavFileAudioDevice, AFileBeyondThirtyTwoBitSizesBecomesRf64) {
    auto counters = std::make_shared<TWavFileCounters>();
    TWavFileAudioDevice device(path, counters, 8);
    ASSERT_EQ(device.Open(TAudioFormat(), onDone, false), AudioOk);
    EXPECT_FALSE(counters->Stream.load());
    TBlock a({1, 2, 3, 4, 5, 6}), b({7, 8, 9, 10});
    for (TBlock *block : {&a, &b}) {
        device.Prepare(block->header);
        ASSERT_EQ(device.Write(block->header), AudioOk);
    }
    EXPECT_EQ(counters->DataBytes.load(), 10u);
    ASSERT_EQ(device.Close(), AudioOk);
    const std::vector<uint8_t> file = ReadAll(path);
    ASSERT_EQ(file.size(), 80u + 10u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RF64");
    EXPECT_EQ(Le32(file, 4), 0xFFFFFFFFu);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEds64");
    EXPECT_EQ(Le64(file, 20), 72u + 10u);  // RIFF size
    EXPECT_EQ(Le64(file, 28), 10u);        // data size
    EXPECT_EQ(Le64(file, 36), 5u);         // sample frames of 2 bytes
    EXPECT_EQ(Le32(file, 44), 0u);         // no table
    EXPECT_EQ(std::string(file.begin() + 72, file.begin() + 76), "data");
    EXPECT_EQ(Le32(file, 76), 0xFFFFFFFFu);
}

// Outputs that cannot take the sizes afterwards get a stream's 44-byte header once and are
// never sought: a pipe (where the bound refuses a buffer whole), and a file opened to append
// to, where a second header would land at the end.
TEST_F(WavFileAudioDevice, StreamsGetOneHeaderAndABound) {
    const std::vector<uint8_t> streamHeaderSizes = {0xFF, 0xFF, 0xFF, 0xFF};
    {
        SCOPED_TRACE("a file opened to append to, as standard output");
        { std::ofstream(path, std::ios::binary) << "before"; }
        const int saved = dup(STDOUT_FILENO);
        const int appending = open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(appending, 0);
        dup2(appending, STDOUT_FILENO);
        close(appending);
        {
            auto counters = std::make_shared<TWavFileCounters>();
            TWavFileAudioDevice device("-", counters);
            const int32_t opened = device.Open(TAudioFormat(), onDone, false);
            TBlock a({1, 2, 3, 4});
            device.Prepare(a.header);
            const int32_t written = device.Write(a.header);
            const int32_t closed = device.Close();
            dup2(saved, STDOUT_FILENO);
            close(saved);
            EXPECT_EQ(opened, AudioOk);
            EXPECT_EQ(written, AudioOk);
            EXPECT_EQ(closed, AudioOk);
            EXPECT_TRUE(counters->Stream.load());
        }
        const std::vector<uint8_t> file = ReadAll(path);
        ASSERT_EQ(file.size(), 6u + 44u + 4u);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 10), "beforeRIFF");
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + 10, file.begin() + 14), streamHeaderSizes);
        EXPECT_EQ(std::string(file.begin() + 42, file.begin() + 46), "data");
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + 46, file.begin() + 50), streamHeaderSizes);
    }
    {
        SCOPED_TRACE("a pipe named by its path, with a bound of 6 bytes");
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        const std::string named = "/dev/fd/" + std::to_string(ends[1]);
        TWavFileAudioDevice device(named, nullptr, 6);
        ASSERT_EQ(device.Open(TAudioFormat(), onDone, false), AudioOk) << device.ErrorText(AudioError);
        TBlock a({1, 2, 3, 4}), b({5, 6, 7, 8});
        device.Prepare(a.header);
        device.Prepare(b.header);
        EXPECT_EQ(device.Write(a.header), AudioOk);
        EXPECT_EQ(device.Write(b.header), AudioError);
        EXPECT_NE(device.ErrorText(AudioError).find("at most 6 bytes"), std::string::npos);
        EXPECT_EQ(device.Close(), AudioOk);  // no "Illegal seek"
        close(ends[1]);
        std::vector<uint8_t> got(100);
        ssize_t total = 0;
        for (ssize_t n; (n = read(ends[0], got.data() + total, got.size() - size_t(total))) > 0;) total += n;
        close(ends[0]);
        ASSERT_EQ(total, 44 + 4);
        EXPECT_EQ(std::vector<uint8_t>(got.begin() + 4, got.begin() + 8), streamHeaderSizes);
        EXPECT_EQ(std::vector<uint8_t>(got.begin() + 44, got.begin() + 48), (std::vector<uint8_t>{1, 2, 3, 4}));
    }
}

TEST_F(WavFileAudioDevice, ResetDropsHeldBlocks) {
    TWavFileAudioDevice device(path);
    ASSERT_EQ(device.Open(TAudioFormat(), onDone, false), AudioOk);
    device.Pause();
    TBlock a({1, 2});
    device.Prepare(a.header);
    device.Write(a.header);
    ASSERT_EQ(device.Reset(), AudioOk);
    EXPECT_EQ(a.header.Flags.load(), AudioBufferPrepared | AudioBufferDone);
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(device.Close(), AudioOk);
    EXPECT_EQ(ReadAll(path).size(), 80u);
}

TEST_F(WavFileAudioDevice, Refusals) {
    TWavFileAudioDevice device(path);
    TBlock a({1, 2});
    EXPECT_EQ(device.Write(a.header), AudioInvalidHandle);
    EXPECT_EQ(device.Pause(), AudioInvalidHandle);
    EXPECT_EQ(device.Close(), AudioInvalidHandle);
    TAudioFormat adpcm;
    adpcm.FormatTag = 2;
    EXPECT_EQ(device.Open(adpcm, onDone, true), AudioBadFormat);
    ASSERT_EQ(device.Open(TAudioFormat(), onDone, false), AudioOk);
    EXPECT_EQ(device.Write(a.header), AudioUnprepared);

    TWavFileAudioDevice nowhere("/nonexistent-folder/x.wav");
    EXPECT_EQ(nowhere.Open(TAudioFormat(), onDone, false), AudioError);
    EXPECT_NE(nowhere.ErrorText(AudioError).find("/nonexistent-folder/x.wav: No such file or directory"), std::string::npos)
        << nowhere.ErrorText(AudioError);
    EXPECT_LE(nowhere.ErrorText(AudioError).size(), 255u);
}

}  // namespace
