// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesis thread with the real client against a scripted loopback service: what it
// asks for, what it hands to its listeners, and how it paces, pauses, stops and fails. The
// wave output runs on a device whose buffers finish only when the test says so, which puts
// the queued byte count in the test's hands.
#include "pipeline/demo_synthesise_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "pipeline/reading_session.h"
#include "pipeline/speed_change.h"
#include "pipeline/wave_out.h"
#include "platform/audio_device.h"
#include "records/demo_audios.h"
#include "records/narrelo_text.h"
#include "service/demo_client.h"
#include "service/text_cache.h"
#include "tests/service/support/service_fixtures.h"
#include "tests/service/support/soap_test_server.h"
#include "tests/support/fake_host.h"
#include "tests/support/temp_config_home.h"
#include "tests/pipeline/support/pipeline_test_util.h"

namespace {

using namespace std::chrono_literals;
using TStrings = std::vector<std::string>;

// Long enough for the worker to have sent a request it was free to send.
constexpr auto Settle = 150ms;

// Waits until `done` holds; false after 20 s, so that a hang fails instead of blocking.
bool WaitUntil(const std::function<bool()> &done) {
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// A sound device whose buffers stay queued until Complete.
class THeldDevice : public TAudioDevice {
public:
    ~THeldDevice() override { Complete(1 << 30); }
    int32_t OutputDeviceCount() override { return 1; }
    int32_t Open(const TAudioFormat &, TDoneCallback onDone, bool queryOnly) override {
        if (queryOnly) return AudioOk;
        std::lock_guard<std::mutex> guard(lock_);
        onDone_ = std::move(onDone);
        open_ = true;
        return AudioOk;
    }
    bool IsOpen() const override { return open_; }
    int32_t Write(TAudioBuffer &buffer) override {
        std::lock_guard<std::mutex> guard(lock_);
        buffer.Flags.fetch_or(AudioBufferInQueue);
        queue_.push_back(&buffer);
        return AudioOk;
    }
    int32_t Pause() override { return AudioOk; }
    int32_t Restart() override { return AudioOk; }
    int32_t Reset() override {
        Complete(1 << 30);
        return AudioOk;
    }
    int32_t Close() override {
        std::lock_guard<std::mutex> guard(lock_);
        if (!queue_.empty()) return AudioStillPlaying;
        open_ = false;
        return AudioOk;
    }
    // Marks the first `count` queued buffers done and signals, as the device's thread would.
    void Complete(int count) {
        TDoneCallback onDone;
        {
            std::lock_guard<std::mutex> guard(lock_);
            for (; count > 0 && !queue_.empty(); --count) {
                queue_.front()->Flags.fetch_and(~AudioBufferInQueue);
                queue_.front()->Flags.fetch_or(AudioBufferDone);
                queue_.pop_front();
            }
            onDone = onDone_;
        }
        if (onDone) onDone();
    }

private:
    std::mutex lock_;
    std::deque<TAudioBuffer *> queue_;
    TDoneCallback onDone_;
    std::atomic<bool> open_{false};
};

// Records the events as text, and queues `BlockBytes` of silence per audio item on the
// wave output when there is one (as the reading form queues the decoded item).
class TRecorder : public TEventHandler_DemoSynthesiseThread {
public:
    void OnTextReady(TDemoSynthesiseThread *thread) override {
        Add("text " + std::to_string(thread->CurrentText.load()->Sentences.Count()));
    }
    void OnAudio(TDemoSynthesiseThread *thread, TDemoAudio *audio) override {
        Add("audio " + std::to_string(thread->SentenceIndex) + " " + audio->Text.Text() + " " +
            std::to_string(audio->Data.DataSize()) + " bytes, words " +
            std::to_string(thread->WordCount) + (thread->WordLimitReached ? ", limit" : ""));
        if (WaveOut) {
            const std::vector<uint8_t> silence(size_t(BlockBytes), 0);
            WaveOut->OpenAndWrite(silence.data(), BlockBytes, uint32_t(thread->SentenceIndex));
        }
    }
    void OnFinished(TDemoSynthesiseThread *) override { Add("finished"); }

    TStrings Events() {
        std::lock_guard<std::mutex> guard(lock_);
        return events_;
    }
    bool Has(const std::string &event) {
        std::lock_guard<std::mutex> guard(lock_);
        for (const std::string &e : events_)
            if (e == event) return true;
        return false;
    }
    bool WaitFor(const std::string &event) {
        return WaitUntil([&] { return Has(event); });
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock_);
        events_.clear();
    }

    TWaveOut *WaveOut = nullptr;
    int32_t BlockBytes = 3200;

private:
    void Add(std::string event) {
        std::lock_guard<std::mutex> guard(lock_);
        events_.push_back(std::move(event));
    }
    std::mutex lock_;
    TStrings events_;
};

struct TItem {
    const char *text;
    std::string spoken;
    const char *fileId;
    std::string bytes;  // empty: the service sends the file id only
};

// A Synthesise answer with the items, made with this reading's settings.
std::string Audios(const std::vector<TItem> &items) {
    TDemoAudios list;
    for (const TItem &item : items) {
        TDemoAudio *audio = list.CreateItem();
        list.Add(audio);
        audio->Text = item.text;
        audio->SpokenText = item.spoken.c_str();
        audio->FileId = item.fileId;
        audio->FileType = 1;
        audio->Volume = 10;
        audio->Speed = 10;
        audio->Speaker = 1;
        audio->Data.Write(item.bytes.data(), int32_t(item.bytes.size()));
    }
    return AudiosReply(list);
}

std::string FileReply(const std::string &bytes) {
    return ReturnReply("GetSynthesisedFile", Base64({bytes.begin(), bytes.end()}));
}

// `n` words.
std::string Words(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += (i ? " kelime" : "kelime");
    return text;
}

class SynthesiseThreadTest : public ::testing::Test {
protected:
    SynthesiseThreadTest() {
        client.soap_endpoint = endpoint.c_str();
        client.recv_timeout = 20;
        server.AddReply(LoginReply("c1", "s1"));
        SetMainThreadId(std::this_thread::get_id());
    }
    ~SynthesiseThreadTest() override { SetMainThreadId(std::thread::id()); }
    void SetUp() override { ClearReadingCaches(); }
    void TearDown() override { ClearReadingCaches(); }

    std::unique_ptr<TDemoSynthesiseThread> Start(const char *text, TWaveOut *waveOut = nullptr) {
        auto thread = std::make_unique<TDemoSynthesiseThread>();
        thread->Client = &client;
        thread->AudioCache = &audioCache;
        thread->WaveOut = waveOut;
        thread->Text = text;
        thread->Speaker = 1;
        thread->Listeners().InsertFirst(&recorder);
        recorder.WaveOut = waveOut;
        thread->Resume();
        return thread;
    }
    // A whole reading without a wave output; returns the thread for a look afterwards.
    std::unique_ptr<TDemoSynthesiseThread> Read(const char *text) {
        auto thread = Start(text);
        EXPECT_TRUE(recorder.WaitFor("finished"));
        thread->WaitFor();
        return thread;
    }
    TStrings Ops() { return Operations(server.Requests()); }

    TempConfigHome home;
    TFakeHost boxes;
    TSoapTestServer server;
    std::string endpoint = server.Endpoint();
    TDemoClient client;
    TDemoAudios audioCache;
    TRecorder recorder;
};

TEST_F(SynthesiseThreadTest, TextWithoutSentencesDrainsAndFinishesWithoutAudio) {
    server.AddReply(SentencesReply({}));
    THeldDevice *device = new THeldDevice;
    TWaveOut waveOut{std::unique_ptr<TAudioDevice>(device)};
    const std::vector<uint8_t> chime(3200, 0);
    waveOut.OpenAndWrite(chime.data(), 3200, 0);  // still playing when the reading starts

    auto thread = Start("...", &waveOut);
    ASSERT_TRUE(recorder.WaitFor("text 0"));
    std::this_thread::sleep_for(Settle);
    EXPECT_FALSE(recorder.Has("finished")) << "finished before the queued sound played";
    device->Complete(1);
    ASSERT_TRUE(recorder.WaitFor("finished"));
    thread->WaitFor();
    EXPECT_EQ(recorder.Events(), (TStrings{"text 0", "finished"}));
    EXPECT_EQ(thread->SentenceIndex, 0);
    EXPECT_EQ(Ops(), (TStrings{"Login", "ParseSentences"}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(SynthesiseThreadTest, ItemWhoseFileCannotBeFetchedIsSkippedAndLeavesNoCacheEntry) {
    server.AddReply(SentencesReply({"Bir.", "Iki."}));
    server.AddReply(Audios({{"Bir.", Words(3), "f1", ""}}));
    server.AddReply(FileReply(""));
    server.AddReply(Audios({{"Iki.", Words(2), "f2", "OggS-2"}}));
    auto thread = Read("Bir. Iki.");
    // The item sent with its bytes adds no words.
    EXPECT_EQ(recorder.Events(),
              (TStrings{"text 2", "audio 1 Iki. 6 bytes, words 0", "finished"}));
    EXPECT_EQ(thread->SentenceIndex, 2);
    EXPECT_EQ(Ops(), (TStrings{"Login", "ParseSentences", "Synthesise", "GetSynthesisedFile",
                               "Synthesise"}));
    ASSERT_EQ(audioCache.Count(), 1);
    EXPECT_STREQ(audioCache.Get(0)->Text.Text(), "Iki.");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(SynthesiseThreadTest, SecondReadingPlaysFromTheCachesWithoutCallsOrWords) {
    server.AddReply(SentencesReply({"Bir.", "Iki."}));
    server.AddReply(Audios({{"Bir.", Words(3), "f1", ""}}));
    server.AddReply(FileReply("OggS-1"));
    server.AddReply(Audios({{"Iki.", Words(2), "f2", ""}}));
    server.AddReply(FileReply("OggS-22"));
    Read("Bir. Iki.");
    EXPECT_EQ(recorder.Events(), (TStrings{"text 2", "audio 0 Bir. 6 bytes, words 3",
                                           "audio 1 Iki. 7 bytes, words 5", "finished"}));
    const size_t requests = server.RequestCount();

    recorder.Clear();
    auto again = Read("BIR. iki.");  // letter case does not make another text
    EXPECT_EQ(recorder.Events(), (TStrings{"text 2", "audio 0 Bir. 6 bytes, words 0",
                                           "audio 1 Iki. 7 bytes, words 0", "finished"}));
    EXPECT_EQ(server.RequestCount(), requests);
    EXPECT_EQ(audioCache.Count(), 2);
}

TEST_F(SynthesiseThreadTest, FiftiethWordSetsTheLimitBeforeItsAudioAndTheReadingWaitsForTheListener) {
    server.AddReply(SentencesReply({"Bir.", "Iki.", "Uc."}));
    server.AddReply(Audios({{"Bir.", Words(30), "f1", ""}}));
    server.AddReply(FileReply("OggS-1"));
    server.AddReply(Audios({{"Iki.", Words(20), "f2", ""}}));
    server.AddReply(FileReply("OggS-2"));
    server.AddReply(Audios({{"Uc.", Words(5), "f3", ""}}));
    server.AddReply(FileReply("OggS-3"));
    auto thread = Start("Bir. Iki. Uc.");
    ASSERT_TRUE(recorder.WaitFor("audio 1 Iki. 6 bytes, words 50, limit"));
    std::this_thread::sleep_for(Settle);
    EXPECT_EQ(Ops().size(), 6u) << "the third sentence was asked for during the pause";
    EXPECT_TRUE(thread->WordLimitReached);

    thread->ContinueListening();  // the continue command
    ASSERT_TRUE(recorder.WaitFor("finished"));
    thread->WaitFor();
    EXPECT_EQ(recorder.Events(),
              (TStrings{"text 3", "audio 0 Bir. 6 bytes, words 30",
                        "audio 1 Iki. 6 bytes, words 50, limit", "audio 2 Uc. 6 bytes, words 5",
                        "finished"}));
    EXPECT_EQ(thread->SentenceIndex, 3);
}

TEST_F(SynthesiseThreadTest, StopDuringTheListeningPauseFinishesWithoutDraining) {
    server.AddReply(SentencesReply({"Bir.", "Iki."}));
    server.AddReply(Audios({{"Bir.", Words(50), "f1", ""}}));
    server.AddReply(FileReply("OggS-1"));
    TWaveOut waveOut{std::make_unique<THeldDevice>()};
    auto thread = Start("Bir. Iki.", &waveOut);
    ASSERT_TRUE(recorder.WaitFor("audio 0 Bir. 6 bytes, words 50, limit"));

    thread->Terminate();
    ASSERT_TRUE(recorder.WaitFor("finished"));
    thread->WaitFor();
    EXPECT_EQ(waveOut.QueuedBytes(), 3200) << "the stopped reading waited for the sound";
    EXPECT_EQ(Ops(), (TStrings{"Login", "ParseSentences", "Synthesise", "GetSynthesisedFile"}));
    EXPECT_FALSE(thread->WordLimitReached);
    EXPECT_EQ(thread->WordCount, 0);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(SynthesiseThreadTest, StopDuringBackPressureFinishesWithoutDraining) {
    server.AddReply(SentencesReply({"Bir.", "Iki."}));
    server.AddReply(Audios({{"Bir.", "", "", "OggS-1"}}));
    TWaveOut waveOut{std::make_unique<THeldDevice>()};
    recorder.BlockBytes = 1000000;
    auto thread = Start("Bir. Iki.", &waveOut);
    ASSERT_TRUE(recorder.WaitFor("audio 0 Bir. 6 bytes, words 0"));
    std::this_thread::sleep_for(Settle);

    thread->Terminate();
    ASSERT_TRUE(recorder.WaitFor("finished"));
    thread->WaitFor();
    EXPECT_EQ(waveOut.QueuedBytes(), 1000000);
    EXPECT_EQ(Ops(), (TStrings{"Login", "ParseSentences", "Synthesise"}));
    EXPECT_EQ(thread->SentenceIndex, 1);
}

TEST_F(SynthesiseThreadTest, BackPressureHoldsTheNextSentenceWhileMoreThanTheLimitIsQueued) {
    server.AddReply(SentencesReply({"Bir.", "Iki.", "Uc."}));
    server.AddReply(Audios({{"Bir. a", "", "", "OggS-1a"}, {"Bir. b", "", "", "OggS-1b"}}));
    server.AddReply(Audios({{"Iki. a", "", "", "OggS-2a"}, {"Iki. b", "", "", "OggS-2b"}}));
    server.AddReply(Audios({{"Uc.", "", "", "OggS-3"}}));
    THeldDevice *device = new THeldDevice;
    TWaveOut waveOut{std::unique_ptr<TAudioDevice>(device)};
    recorder.BlockBytes = 300000;  // 600,000 after the first sentence, 1,200,000 after the second
    auto thread = Start("Bir. Iki. Uc.", &waveOut);
    ASSERT_TRUE(recorder.WaitFor("audio 1 Iki. b 7 bytes, words 0"));
    std::this_thread::sleep_for(Settle);
    EXPECT_EQ(Ops(), (TStrings{"Login", "ParseSentences", "Synthesise", "Synthesise"}));

    device->Complete(1);  // 900,000 left: no longer above the limit
    ASSERT_TRUE(recorder.WaitFor("audio 2 Uc. 6 bytes, words 0"));
    EXPECT_EQ(Ops(), (TStrings{"Login", "ParseSentences", "Synthesise", "Synthesise",
                               "Synthesise"}));
    std::this_thread::sleep_for(Settle);
    EXPECT_FALSE(recorder.Has("finished")) << "finished before the queued sound played";
    device->Complete(4);
    ASSERT_TRUE(recorder.WaitFor("finished"));
    thread->WaitFor();
    EXPECT_EQ(waveOut.QueuedBytes(), 0);
}

TEST_F(SynthesiseThreadTest, FailureMidTextShowsItsMessageLetsTheSoundPlayAndKeepsWhatWasFetched) {
    server.AddReply(SentencesReply({"Bir.", "Iki.", "Uc."}));
    server.AddReply(Audios({{"Bir.", "", "", "OggS-1"}}));
    server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Server", "yok")), 500);
    THeldDevice *device = new THeldDevice;
    TWaveOut waveOut{std::unique_ptr<TAudioDevice>(device)};
    auto thread = Start("Bir. Iki. Uc.", &waveOut);
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts(), (TStrings{"WebServis çağrısında hata oluştu\r\n\r\nyok"_cp}));
    std::this_thread::sleep_for(Settle);
    EXPECT_FALSE(recorder.Has("finished")) << "finished before the queued sound played";
    device->Complete(1);
    ASSERT_TRUE(recorder.WaitFor("finished"));
    thread->WaitFor();
    EXPECT_EQ(recorder.Events(), (TStrings{"text 3", "audio 0 Bir. 6 bytes, words 0", "finished"}));
    EXPECT_EQ(thread->SentenceIndex, 1);

    // The next reading asks only for what the failure left out.
    recorder.Clear();
    server.AddReply(Audios({{"Iki.", "", "", "OggS-2"}}));
    server.AddReply(Audios({{"Uc.", "", "", "OggS-3"}}));
    const size_t before = server.RequestCount();
    Read("Bir. Iki. Uc.");
    EXPECT_EQ(recorder.Events(),
              (TStrings{"text 3", "audio 0 Bir. 6 bytes, words 0", "audio 1 Iki. 6 bytes, words 0",
                        "audio 2 Uc. 6 bytes, words 0", "finished"}));
    const TStrings ops = Ops();
    EXPECT_EQ(TStrings(ops.begin() + long(before), ops.end()), (TStrings{"Synthesise", "Synthesise"}));
}

// A reader of the session: has every item played, as the window and narrelo-say do.
class TSessionPlayer : public TEventHandler_DemoSynthesiseThread {
public:
    explicit TSessionPlayer(TReadingSession &session) : session_(session) {}
    void OnAudio(TDemoSynthesiseThread *thread, TDemoAudio *audio) override {
        session_.Play(*thread, *audio, uint32_t(thread->SentenceIndex.load()));
    }

private:
    TReadingSession &session_;
};

// A reading run through the session alone: each item decoded, changed to the session's speed
// and queued. A stop while a call hangs returns at once, drops the sound, says nothing (the
// user stopped it), and the next reading goes on once the stopped one has given up its call.
TEST_F(SynthesiseThreadTest, ASessionPlaysItemsAtItsSpeedAndStopsAHungCallWithoutWaiting) {
    const std::vector<uint8_t> file = testutil::ReadFixture("speech_mono.ogg");
    const std::string ogg(file.begin(), file.end());
    TMemoryStream pcm, fast;
    DecodeOggVorbis(file.data(), int32_t(file.size()), pcm);
    ChangeSpeed(pcm.Memory(), pcm.DataSize(), 10 - 15, fast);
    ASSERT_GT(fast.DataSize(), 0);

    server.AddReply(SentencesReply({"Bir.", "Iki."}));
    server.AddReply(Audios({{"Bir.", "", "", ogg}}));
    server.AddSilence();  // "Iki." is never answered
    THeldDevice *device = new THeldDevice;
    TWaveOut waveOut{std::unique_ptr<TAudioDevice>(device)};
    TReadingSession session(client, waveOut);
    session.Speed = 15;
    TSessionPlayer player(session);
    TReadingSession::TReading reading;
    reading.Text = "Bir. Iki.";
    reading.AudioCache = &audioCache;
    reading.Listener = &player;
    session.Start(reading);
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() == 4; }));
    std::this_thread::sleep_for(Settle);
    EXPECT_EQ(waveOut.QueuedBytes(), fast.DataSize());

    const auto before = std::chrono::steady_clock::now();
    session.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s) << "the stop waited for the service";
    EXPECT_EQ(session.Current(), nullptr);
    EXPECT_EQ(waveOut.QueuedBytes(), 0);

    server.AddReply(Audios({{"Iki.", "", "", ogg}}));
    session.Start(reading);
    ASSERT_TRUE(WaitUntil([&] { return waveOut.QueuedBytes() == 2 * fast.DataSize(); }))
        << "the second reading did not get past the stopped one";
    device->Complete(2);
    session.WaitCurrent();
    EXPECT_EQ(Ops().back(), "Synthesise");
    EXPECT_TRUE(boxes.Texts().empty()) << "a stopped call is no failure";
}

}  // namespace
