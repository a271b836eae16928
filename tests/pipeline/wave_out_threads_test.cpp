// SPDX-License-Identifier: GPL-3.0-or-later
// The wave output and its play thread: event order and error paths on a scripted device,
// then SDL's real audio path on its disk driver (which plays at real-time pace into a file,
// so the blocks are short) and the WAV writer.
#include "pipeline/wave_out.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions.h"
#include "platform/audio_device_sdl.h"
#include "platform/audio_device_wav.h"
#include "tests/support/raised_message.h"

namespace {

// Records the events in order and wakes waiters.
class TRecorder : public TEventHandler_WaveOut {
public:
    void OnPlayStart(TWaveOut *) override { Add("start"); }
    void OnPlayEnd(TWaveOut *) override { Add("end"); }
    void OnPause(TWaveOut *) override { Add("pause"); }
    void OnResume(TWaveOut *) override { Add("resume"); }
    void OnBufferDone(TWaveOut *, uint32_t tag) override { Add("done " + std::to_string(tag)); }

    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> guard(lock_);
        return events_;
    }
    int CountOf(const std::string &event) {
        std::lock_guard<std::mutex> guard(lock_);
        return static_cast<int>(std::count(events_.begin(), events_.end(), event));
    }
    // Waits until `event` has been recorded `times` times; false after 20 s, so that a
    // broken wave output fails the test instead of hanging the suite.
    bool WaitFor(const std::string &event, int times = 1) {
        std::unique_lock<std::mutex> guard(lock_);
        return changed_.wait_for(guard, std::chrono::seconds(20), [&] {
            return std::count(events_.begin(), events_.end(), event) >= times;
        });
    }

private:
    void Add(const std::string &event) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            events_.push_back(event);
        }
        changed_.notify_all();
    }
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
};

// A device the test drives by hand: buffers complete only when the test says so, and any
// operation can be made to fail.
class TScriptedDevice : public TAudioDevice {
public:
    struct TScript {
        int32_t devices = 1;
        std::map<std::string, int32_t> failures;  // operation name -> result code
        int opens = 0;
        std::mutex lock;
        std::deque<TAudioBuffer *> queue;
        TDoneCallback onDone;
        bool open = false;
    };
    explicit TScriptedDevice(TScript &script) : s_(script) {}
    // Lets go of what is still queued, touching each buffer, as a real device does.
    ~TScriptedDevice() override {
        for (TAudioBuffer *buffer : s_.queue) buffer->Flags.fetch_or(AudioBufferDone);
        s_.queue.clear();
    }

    int32_t OutputDeviceCount() override { return s_.devices; }
    int32_t Open(const TAudioFormat &format, TDoneCallback onDone, bool queryOnly) override {
        if (int32_t f = Fail(queryOnly ? "query" : "open")) return f;
        EXPECT_EQ(format.SamplesPerSec, 16000u);
        EXPECT_EQ(format.Channels, 1);
        EXPECT_EQ(format.BitsPerSample, 16);
        EXPECT_EQ(format.BlockAlign, 2);
        EXPECT_EQ(format.AvgBytesPerSec, 32000u);
        if (queryOnly) return AudioOk;
        std::lock_guard<std::mutex> guard(s_.lock);
        ++s_.opens;
        s_.onDone = std::move(onDone);
        s_.open = true;
        return AudioOk;
    }
    bool IsOpen() const override { return s_.open; }
    int32_t Prepare(TAudioBuffer &buffer) override {
        if (int32_t f = Fail("prepare")) return f;
        return TAudioDevice::Prepare(buffer);
    }
    int32_t Write(TAudioBuffer &buffer) override {
        if (int32_t f = Fail("write")) return f;
        std::lock_guard<std::mutex> guard(s_.lock);
        buffer.Flags.fetch_or(AudioBufferInQueue);
        s_.queue.push_back(&buffer);
        return AudioOk;
    }
    int32_t Pause() override { return Fail("pause"); }
    int32_t Restart() override { return Fail("restart"); }
    int32_t Reset() override {
        if (int32_t f = Fail("reset")) return f;
        Complete(1 << 30);
        return AudioOk;
    }
    int32_t Close() override {
        if (int32_t f = Fail("close")) return f;
        std::lock_guard<std::mutex> guard(s_.lock);
        if (!s_.queue.empty()) return AudioStillPlaying;
        s_.open = false;
        return AudioOk;
    }
    // Marks the first `count` queued buffers done and signals, as the device's thread would.
    void Complete(int count) {
        TDoneCallback onDone;
        {
            std::lock_guard<std::mutex> guard(s_.lock);
            for (; count > 0 && !s_.queue.empty(); --count) {
                s_.queue.front()->Flags.fetch_and(~AudioBufferInQueue);
                s_.queue.front()->Flags.fetch_or(AudioBufferDone);
                s_.queue.pop_front();
            }
            onDone = s_.onDone;
        }
        if (onDone) onDone();
    }

private:
    int32_t Fail(const char *operation) {
        const auto it = s_.failures.find(operation);
        return it == s_.failures.end() ? AudioOk : it->second;
    }
    TScript &s_;
};

class WaveOutScripted : public testing::Test {
protected:
    WaveOutScripted() {
        auto device = std::make_unique<TScriptedDevice>(script);
        device_ = device.get();
        waveOut = std::make_unique<TWaveOut>(std::move(device));
        waveOut->Listeners().InsertFirst(&recorder);
    }
    TScriptedDevice::TScript script;
    TScriptedDevice *device_;
    TRecorder recorder;
    std::unique_ptr<TWaveOut> waveOut;
    const std::vector<uint8_t> block = std::vector<uint8_t>(320, 7);
};

TEST_F(WaveOutScripted, PlayStartOncePerBusySpellAndPlayEndAfterTheLastRelease) {
    waveOut->SetActive(true);
    waveOut->SetActive(true);
    EXPECT_EQ(script.opens, 1);
    waveOut->Write(block.data(), 320, 1);
    waveOut->Write(block.data(), 100, 2);
    EXPECT_EQ(waveOut->QueuedBytes(), 420);
    EXPECT_EQ(waveOut->BufferCount(), 2);
    device_->Complete(1);
    ASSERT_TRUE(recorder.WaitFor("done 1"));
    device_->Complete(1);
    ASSERT_TRUE(recorder.WaitFor("end"));
    EXPECT_EQ(waveOut->QueuedBytes(), 0);
    EXPECT_EQ(waveOut->BufferCount(), 0);

    waveOut->Write(block.data(), 50, 3);
    device_->Complete(1);
    ASSERT_TRUE(recorder.WaitFor("end", 2));
    EXPECT_EQ(recorder.Events(), (std::vector<std::string>{"start", "done 1", "done 2", "end", "start", "done 3", "end"}));
    waveOut->SetActive(false);
    waveOut->SetActive(false);
    EXPECT_FALSE(waveOut->Active());
}

TEST_F(WaveOutScripted, ClosingWithQueuedBuffersReleasesEachOnce) {
    waveOut->OpenAndWrite(block.data(), 320, 10);
    waveOut->Write(block.data(), 320, 11);
    waveOut->Write(block.data(), 320, 12);
    EXPECT_EQ(MessageOf([&] { waveOut->SetActive(false); }), "(nothing raised)");
    EXPECT_EQ(waveOut->QueuedBytes(), 0);
    EXPECT_EQ(recorder.CountOf("done 10") + recorder.CountOf("done 11") + recorder.CountOf("done 12"), 3);
    EXPECT_FALSE(waveOut->Active());
    // And it opens again.
    waveOut->OpenAndWrite(block.data(), 320, 13);
    EXPECT_EQ(script.opens, 2);
    EXPECT_EQ(waveOut->QueuedBytes(), 320);
}

// The back-pressure and drain waits: woken by the release that makes room, the period only
// an upper bound.
TEST_F(WaveOutScripted, AWaitForRoomEndsWithTheReleaseThatMakesIt) {
    waveOut->OpenAndWrite(block.data(), 320, 1);
    waveOut->Write(block.data(), 100, 2);
    EXPECT_TRUE(waveOut->WaitForQueuedAtMost(420, std::chrono::milliseconds(0))) << "room already";
    EXPECT_FALSE(waveOut->WaitForQueuedAtMost(100, std::chrono::milliseconds(1))) << "nothing released";
    std::thread releaser([&] { device_->Complete(1); });
    EXPECT_TRUE(waveOut->WaitForQueuedAtMost(100, std::chrono::minutes(1)));
    releaser.join();
    EXPECT_EQ(waveOut->QueuedBytes(), 100);
    std::thread closer([&] { waveOut->SetActive(false); });
    EXPECT_TRUE(waveOut->WaitForQueuedAtMost(0, std::chrono::minutes(1))) << "closing releases the rest";
    closer.join();
}

TEST_F(WaveOutScripted, WriteRefusesEmptyBlocks) {
    waveOut->SetActive(true);
    EXPECT_EQ(MessageOf([&] { waveOut->Write(block.data(), 0, 1); }), "Invalid Parameter to WaveOut");
    EXPECT_EQ(MessageOf([&] { waveOut->Write(nullptr, 10, 1); }), "Invalid Parameter to WaveOut");
    EXPECT_EQ(waveOut->QueuedBytes(), 0);
    EXPECT_EQ(waveOut->BufferCount(), 0);
    EXPECT_EQ(recorder.CountOf("start"), 0);
}

TEST_F(WaveOutScripted, PauseAndResume) {
    waveOut->SetActive(true);
    waveOut->Pause();
    EXPECT_TRUE(waveOut->Paused());
    waveOut->Resume();
    EXPECT_FALSE(waveOut->Paused());
    EXPECT_EQ(recorder.Events(), (std::vector<std::string>{"pause", "resume"}));
    // Closing and opening leave Paused alone.
    waveOut->Pause();
    waveOut->SetActive(false);
    waveOut->SetActive(true);
    EXPECT_TRUE(waveOut->Paused());
}

TEST_F(WaveOutScripted, NoDeviceAtAll) {
    script.devices = 0;
    EXPECT_EQ(MessageOf([&] { waveOut->SetActive(true); }), "There is No Sound Device");
    EXPECT_EQ(MessageOf([&] { waveOut->OpenAndWrite(block.data(), 320, 1); }), "There is No Sound Device");
    EXPECT_EQ(CategoryOf([&] { waveOut->SetActive(true); }), "no device: There is No Sound Device");
    EXPECT_FALSE(waveOut->Active());
    EXPECT_EQ(waveOut->QueuedBytes(), 0);
}

// Every device failure surfaces as "<device text> (<code>) <step>".
TEST_F(WaveOutScripted, DeviceFailuresNameTheirStep) {
    const struct {
        const char *operation;
        int32_t code;
        std::function<void(TWaveOut &)> action;
        std::string message;
    } cases[] = {
        {"query", AudioBadFormat, [](TWaveOut &w) { w.SetActive(true); },
         "The sound device does not support this format. (32) Open"},
        {"open", AudioAllocated, [](TWaveOut &w) { w.SetActive(true); }, "The sound device is already open. (4) Open"},
        {"prepare", AudioNoMemory, [this](TWaveOut &w) { w.OpenAndWrite(block.data(), 2, 1); },
         "There is not enough memory for the sound device. (7) AddWavePrepareError"},
        {"write", AudioError, [this](TWaveOut &w) { w.OpenAndWrite(block.data(), 2, 1); },
         "The sound system reported an error. (1) OutWrite"},
        {"pause", AudioInvalidHandle, [](TWaveOut &w) { w.Pause(); }, "The sound device is not open. (5) Pause"},
        {"restart", AudioInvalidHandle, [](TWaveOut &w) { w.Resume(); }, "The sound device is not open. (5) Resume"},
        {"reset", AudioError, [](TWaveOut &w) { w.SetActive(true), w.SetActive(false); },
         "The sound system reported an error. (1) Restart"},
        {"close", AudioError, [](TWaveOut &w) { w.SetActive(true), w.SetActive(false); },
         "The sound system reported an error. (1) Close"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.operation);
        TScriptedDevice::TScript script;
        script.failures[c.operation] = c.code;
        TWaveOut w(std::make_unique<TScriptedDevice>(script));
        EXPECT_EQ(MessageOf([&] { c.action(w); }), c.message);
        script.failures.clear();  // let the destructor close
    }
}

// A device that cannot be reset keeps its buffers; destroying the wave output must let the
// device go before the buffers are freed.
TEST(WaveOut, DestroyedAfterAFailedClose) {
    TScriptedDevice::TScript script;
    const uint8_t b[4] = {1, 2, 3, 4};
    {
        TWaveOut w(std::make_unique<TScriptedDevice>(script));
        w.OpenAndWrite(b, 4, 1);
        w.Write(b, 4, 2);
        script.failures["reset"] = AudioError;
        EXPECT_EQ(MessageOf([&] { w.SetActive(false); }), "The sound system reported an error. (1) Restart");
    }
    EXPECT_TRUE(script.queue.empty());
}

TEST(WaveOut, WriteOnAClosedDeviceFailsInPreparation) {
    TScriptedDevice::TScript script;
    TWaveOut w(std::make_unique<TScriptedDevice>(script));
    const uint8_t b[2] = {1, 2};
    EXPECT_EQ(MessageOf([&] { w.Write(b, 2, 1); }), "The sound device is not open. (5) AddWavePrepareError");
    EXPECT_EQ(w.QueuedBytes(), 0);
}

// --- SDL's disk driver -------------------------------------------------------------------

std::string TempPath(const char *name) {
    const char *dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/narrelo-" + std::to_string(getpid()) + "-" + name;
}

std::vector<int16_t> ReadSamples(const std::string &path, size_t skip = 0) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples((bytes.size() - std::min(skip, bytes.size())) / 2);
    std::memcpy(samples.data(), bytes.data() + skip, samples.size() * 2);
    return samples;
}

// `count` samples counting up from `first`, none zero, so that silence can be told apart.
std::vector<int16_t> Ramp(int first, int count) {
    std::vector<int16_t> s;
    for (int i = 0; i < count; ++i) s.push_back(static_cast<int16_t>(first + i));
    return s;
}

class WaveOutOnSdlDisk : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        waveOut = std::make_unique<TWaveOut>(std::make_unique<TSdlAudioDevice>());
        waveOut->Listeners().InsertFirst(&recorder);
    }
    void TearDown() override {
        waveOut.reset();
        std::remove(path.c_str());
    }
    std::vector<int16_t> Played() {
        std::vector<int16_t> played;
        for (int16_t s : ReadSamples(path))
            if (s != 0) played.push_back(s);
        return played;
    }
    std::string path = TempPath("waveout-disk.raw");
    TRecorder recorder;
    std::unique_ptr<TWaveOut> waveOut;
};

TEST_F(WaveOutOnSdlDisk, TheDeviceReceivesExactlyTheBlocksInOrder) {
    const std::vector<int16_t> a = Ramp(1, 700), b = Ramp(2000, 250), c = Ramp(9000, 900);
    waveOut->OpenAndWrite(a.data(), 1400, 1);
    waveOut->Write(b.data(), 500, 2);
    waveOut->Write(c.data(), 1800, 3);
    ASSERT_TRUE(recorder.WaitFor("end"));
    EXPECT_EQ(waveOut->QueuedBytes(), 0);
    waveOut->SetActive(false);
    std::vector<int16_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    expected.insert(expected.end(), c.begin(), c.end());
    EXPECT_EQ(Played(), expected);
    // One start, each buffer released once, then the end. (Buffers that finish in the same
    // device callback are released last to first.)
    std::vector<std::string> events = recorder.Events();
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[0], "start");
    EXPECT_EQ(events[4], "end");
    std::sort(events.begin() + 1, events.begin() + 4);
    EXPECT_EQ(std::vector<std::string>(events.begin() + 1, events.begin() + 4),
              (std::vector<std::string>{"done 1", "done 2", "done 3"}));
    EXPECT_EQ(recorder.CountOf("start"), 1);
}

TEST_F(WaveOutOnSdlDisk, NothingPlaysWhilePaused) {
    const std::vector<int16_t> a = Ramp(1, 400);
    waveOut->SetActive(true);
    waveOut->Pause();
    waveOut->Write(a.data(), 800, 5);
    // A paused device never takes the block, however long it is given.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(waveOut->QueuedBytes(), 800);
    EXPECT_EQ(recorder.CountOf("done 5"), 0);
    waveOut->Resume();
    ASSERT_TRUE(recorder.WaitFor("done 5"));
    waveOut->SetActive(false);
    EXPECT_EQ(Played(), a);
    EXPECT_EQ(recorder.CountOf("pause"), 1);
    EXPECT_EQ(recorder.CountOf("resume"), 1);
}

TEST_F(WaveOutOnSdlDisk, ClosingDropsTheQueuedSound) {
    std::vector<std::vector<int16_t>> blocks;
    waveOut->SetActive(true);
    for (int i = 0; i < 4; ++i) {
        blocks.push_back(Ramp(1000 * (i + 1), 8000));  // half a second each
        waveOut->Write(blocks.back().data(), 16000, static_cast<uint32_t>(i));
    }
    EXPECT_EQ(MessageOf([&] { waveOut->SetActive(false); }), "(nothing raised)");
    EXPECT_EQ(waveOut->QueuedBytes(), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(recorder.CountOf("done " + std::to_string(i)), 1) << i;
    EXPECT_LT(Played().size(), 4u * 8000u);
}

TEST(WaveOutOnSdl, NoDriverMeansNoSoundDevice) {
    setenv("SDL_AUDIODRIVER", "narrelo-no-such-driver", 1);
    TWaveOut waveOut(std::make_unique<TSdlAudioDevice>());
    const int16_t s[4] = {1, 2, 3, 4};
    EXPECT_EQ(MessageOf([&] { waveOut.OpenAndWrite(s, 8, 0); }), "There is No Sound Device");
    EXPECT_EQ(waveOut.QueuedBytes(), 0);
    setenv("SDL_AUDIODRIVER", "disk", 1);
}

// The WAV writer behind the wave output: what narrelo-say --wav does.
TEST(WaveOutToWavFile, WritesEveryBlockAndReleasesIt) {
    const std::string path = TempPath("waveout.wav");
    TRecorder recorder;
    const std::vector<int16_t> a = Ramp(1, 300), b = Ramp(500, 200);
    {
        TWaveOut waveOut(std::make_unique<TWavFileAudioDevice>(path));
        waveOut.Listeners().InsertFirst(&recorder);
        waveOut.OpenAndWrite(a.data(), 600, 1);
        waveOut.Write(b.data(), 400, 2);
        ASSERT_TRUE(recorder.WaitFor("done 2"));
        waveOut.SetActive(false);
        EXPECT_EQ(waveOut.QueuedBytes(), 0);
    }
    std::vector<int16_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(ReadSamples(path, 80), expected);  // behind the header with its JUNK chunk
    std::remove(path.c_str());
}

}  // namespace
