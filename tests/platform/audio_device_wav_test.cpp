// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_device_wav.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
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

    const std::vector<uint8_t> file = ReadAll(path);
    ASSERT_EQ(file.size(), 44u + 12u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(file, 4), 36u + 12u);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(file, 16), 16u);
    EXPECT_EQ(Le32(file, 20), 1u | (1u << 16));  // PCM, one channel
    EXPECT_EQ(Le32(file, 24), 16000u);
    EXPECT_EQ(Le32(file, 28), 32000u);
    EXPECT_EQ(Le32(file, 32), 2u | (16u << 16));  // block alignment, bits
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(Le32(file, 40), 12u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 44, file.end()),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
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
    EXPECT_EQ(ReadAll(path).size(), 44u);
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
