// SPDX-License-Identifier: GPL-3.0-or-later
// SDL's real audio path on its disk driver, which plays at real-time pace into a file:
// blocks are kept to a few tens of milliseconds.
#include "platform/audio_device_sdl.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string TempPath(const char *name) {
    const char *dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/narrelo-" + std::to_string(getpid()) + "-" + name;
}

std::vector<int16_t> ReadSamples(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// A block of `count` samples counting up from `first`, none of them zero (silence), so the
// blocks can be found again in the device's output.
struct TBlock {
    std::vector<int16_t> samples;
    TAudioBuffer header;
    TBlock(int first, int count) {
        for (int i = 0; i < count; ++i) samples.push_back(static_cast<int16_t>(first + i));
        header.Data = reinterpret_cast<const uint8_t *>(samples.data());
        header.Length = count * 2;
    }
};

class SdlAudioDevice : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    }
    void TearDown() override { std::remove(path.c_str()); }

    // Completion callback: counts, and wakes WaitDone.
    TAudioDevice::TDoneCallback OnDone() {
        return [this] {
            std::lock_guard<std::mutex> guard(lock);
            ++completions;
            changed.notify_all();
        };
    }
    // Waits (at most 20 s, so a broken device cannot hang the suite) until the block is done.
    bool WaitDone(TBlock &block) {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(20),
                                [&] { return (block.header.Flags.load() & AudioBufferDone) != 0; });
    }

    std::string path = TempPath("sdl-disk.raw");
    std::mutex lock;
    std::condition_variable changed;
    int completions = 0;
};

TEST_F(SdlAudioDevice, PlaysTheBlocksInOrder) {
    TAudioFormat format;
    auto device = std::make_unique<TSdlAudioDevice>();
    ASSERT_GE(device->OutputDeviceCount(), 1);
    ASSERT_EQ(device->Open(format, OnDone(), true), AudioOk);
    ASSERT_FALSE(device->IsOpen());
    ASSERT_EQ(device->Open(format, OnDone(), false), AudioOk) << device->ErrorText(AudioBadDeviceId);
    EXPECT_EQ(device->Open(format, OnDone(), false), AudioAllocated);

    TBlock a(1, 700), b(1000, 300), c(5000, 1100);
    for (TBlock *block : {&a, &b, &c}) {
        ASSERT_EQ(device->Prepare(block->header), AudioOk);
        ASSERT_EQ(device->Write(block->header), AudioOk);
    }
    EXPECT_EQ(device->Unprepare(c.header), AudioStillPlaying);
    ASSERT_TRUE(WaitDone(c));
    EXPECT_TRUE(a.header.Flags.load() & AudioBufferDone);
    EXPECT_TRUE(b.header.Flags.load() & AudioBufferDone);
    EXPECT_EQ(c.header.Flags.load(), AudioBufferPrepared | AudioBufferDone);
    EXPECT_EQ(device->Unprepare(c.header), AudioOk);
    ASSERT_EQ(device->Close(), AudioOk);
    device.reset();  // the disk driver's file is complete once SDL has let go of it

    // Silence aside, the file holds exactly the three blocks, in order.
    std::vector<int16_t> played;
    for (int16_t s : ReadSamples(path))
        if (s != 0) played.push_back(s);
    std::vector<int16_t> expected = a.samples;
    expected.insert(expected.end(), b.samples.begin(), b.samples.end());
    expected.insert(expected.end(), c.samples.begin(), c.samples.end());
    EXPECT_EQ(played, expected);
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_GE(completions, 1);
}

TEST_F(SdlAudioDevice, PauseHoldsAndResetReturnsEverything) {
    TSdlAudioDevice device;
    ASSERT_EQ(device.Open(TAudioFormat(), OnDone(), false), AudioOk);
    ASSERT_EQ(device.Pause(), AudioOk);
    TBlock a(1, 800), b(2000, 800);
    for (TBlock *block : {&a, &b}) {
        device.Prepare(block->header);
        ASSERT_EQ(device.Write(block->header), AudioOk);
    }
    EXPECT_EQ(device.Close(), AudioStillPlaying);
    ASSERT_EQ(device.Reset(), AudioOk);
    EXPECT_EQ(a.header.Flags.load(), AudioBufferPrepared | AudioBufferDone);
    EXPECT_EQ(b.header.Flags.load(), AudioBufferPrepared | AudioBufferDone);
    ASSERT_EQ(device.Restart(), AudioOk);
    ASSERT_EQ(device.Close(), AudioOk);
    EXPECT_EQ(device.Pause(), AudioInvalidHandle);
    EXPECT_EQ(device.Write(a.header), AudioInvalidHandle);
}

// The synthesis thread opens the device while the UI thread may pause it: Pause must see
// the device either closed or fully open, never half way (ThreadSanitizer checks the handle).
TEST_F(SdlAudioDevice, PauseWhileAnotherThreadOpens) {
    TSdlAudioDevice device;
    ASSERT_GE(device.OutputDeviceCount(), 1);
    int32_t opened = -1;
    std::thread opener([&] { opened = device.Open(TAudioFormat(), OnDone(), false); });
    for (int i = 0; i < 20000 && !device.IsOpen(); ++i) {
        const int32_t result = device.Pause();
        EXPECT_TRUE(result == AudioOk || result == AudioInvalidHandle) << result;
    }
    opener.join();
    ASSERT_EQ(opened, AudioOk);
    EXPECT_EQ(device.Pause(), AudioOk);
    EXPECT_EQ(device.Restart(), AudioOk);
    EXPECT_EQ(device.Close(), AudioOk);
}

// An exception from the completion callback never crosses SDL's C thread: it is caught there
// and told by the owner's next call, once.
TEST_F(SdlAudioDevice, CallbackFailureIsToldByTheNextCall) {
    TSdlAudioDevice device;
    const std::thread::id owner = std::this_thread::get_id();
    std::atomic<bool> thrown{false};
    ASSERT_EQ(device.Open(TAudioFormat(), [owner, &thrown] {
                  if (std::this_thread::get_id() != owner) {
                      thrown = true;
                      throw std::runtime_error("listener gone");
                  }
              }, false), AudioOk);
    TBlock a(1, 300), b(1000, 300);
    device.Prepare(a.header);
    device.Prepare(b.header);
    ASSERT_EQ(device.Write(a.header), AudioOk);
    // The block is marked done before its callback runs: wait for the callback itself, and
    // give the device's thread a moment to catch what it threw (a loaded machine may hold it
    // between the two).
    for (int i = 0; i < 2000 && !thrown.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(thrown.load());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(a.header.Flags.load() & AudioBufferDone);
    EXPECT_EQ(device.Write(b.header), AudioError);
    EXPECT_NE(device.ErrorText(AudioError).find("The completion callback failed: listener gone"),
              std::string::npos)
        << device.ErrorText(AudioError);
    EXPECT_EQ(device.Pause(), AudioOk);  // told once
    EXPECT_EQ(device.Reset(), AudioOk);
    EXPECT_EQ(device.Close(), AudioOk);
}

// A query opens nothing but answers what the real open will, also where no device opens.
TEST_F(SdlAudioDevice, QueryAnswersAsTheRealOpen) {
    const struct {
        const char *label;
        std::string file;
        int32_t expected;
    } cases[] = {
        {"a device that opens", path, AudioOk},
        {"a device that cannot open", "/nonexistent-narrelo-folder/sound.raw", AudioBadDeviceId},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        setenv("SDL_DISKAUDIOFILE", c.file.c_str(), 1);
        TSdlAudioDevice device;
        EXPECT_EQ(device.Open(TAudioFormat(), OnDone(), true), c.expected);
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(device.Open(TAudioFormat(), OnDone(), false), c.expected);
        if (device.IsOpen()) EXPECT_EQ(device.Close(), AudioOk);
    }
}

// No audio driver that can start: no device, and opening says so.
// SDL's audio brings its event subsystem along, which would take SIGINT and SIGTERM over
// and turn them into quit events nobody reads: the program could no longer be stopped.
TEST_F(SdlAudioDevice, LeavesTheSignalsToTheProgram) {
    TSdlAudioDevice device;
    ASSERT_EQ(device.Open(TAudioFormat(), OnDone(), false), AudioOk);
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
    }
    EXPECT_EQ(device.Close(), AudioOk);
}

TEST_F(SdlAudioDevice, NoDriverMeansNoDevice) {
    setenv("SDL_AUDIODRIVER", "narrelo-no-such-driver", 1);
    TSdlAudioDevice device;
    EXPECT_EQ(device.OutputDeviceCount(), 0);
    EXPECT_EQ(device.Open(TAudioFormat(), OnDone(), false), AudioNoDriver);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_NE(device.ErrorText(AudioNoDriver).find("narrelo-no-such-driver"), std::string::npos)
        << device.ErrorText(AudioNoDriver);
}

}  // namespace
