// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_device_wav.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

// The synthesis thread opens the device and queues while the UI thread pauses and resets
// it (Stop); every call must see either the closed or the open device, never half of it.
TEST(WavFileAudioDeviceThreads, PauseAndResetWhileAnotherThreadOpensAndWrites) {
    const std::string path = ::testing::TempDir() + "narrelo-" + std::to_string(getpid()) + "-threads.wav";
    TWavFileAudioDevice device(path);
    std::atomic<int> completions{0};
    std::vector<uint8_t> bytes(64, 7);
    TAudioBuffer block;
    block.Data = bytes.data();
    block.Length = static_cast<int32_t>(bytes.size());

    std::atomic<bool> writerDone{false}, pausing{false};
    int32_t opened = -1;
    std::thread writer([&] {
        for (int spin = 0; spin < 1000000 && !pausing; ++spin) std::this_thread::yield();
        opened = device.Open(TAudioFormat(), [&] { ++completions; }, false);
        if (opened == AudioOk) opened = device.Prepare(block);
        for (int i = 0; i < 200 && opened == AudioOk; ++i) {
            // Wait for the previous round, held back by a pause, to be reset or restarted.
            for (int spin = 0; spin < 100000 && (block.Flags.load() & AudioBufferInQueue); ++spin)
                std::this_thread::yield();
            if (block.Flags.load() & AudioBufferInQueue) break;
            device.Write(block);
        }
        writerDone = true;
    });
    for (int i = 0; i < 100000 && !writerDone; ++i) {
        const int32_t paused = device.Pause();
        EXPECT_TRUE(paused == AudioOk || paused == AudioInvalidHandle) << paused;
        pausing = true;
        const int32_t next = (i % 2) ? device.Reset() : device.Restart();
        EXPECT_TRUE(next == AudioOk || next == AudioInvalidHandle) << next;
    }
    writer.join();
    ASSERT_EQ(opened, AudioOk);
    device.Reset();
    EXPECT_EQ(device.Unprepare(block), AudioOk);
    EXPECT_EQ(device.Close(), AudioOk);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_GT(completions.load(), 0);
    std::remove(path.c_str());
}

}  // namespace
