// SPDX-License-Identifier: GPL-3.0-or-later
// One reading end to end against narrelo-demoserver on loopback (started by the benchmark,
// warm before timing): the synthesis thread with the real client, decoding and the wave
// output, as the reading window drives them.
//
// - BM_FirstSample/fresh: from Resume to the first PCM handed to the sound device, for a
//   15-word first sentence neither the client nor the server has seen (target <= 150 ms);
// - BM_FirstSample/cached: the same for a text the client has read before (<= 30 ms);
// - BM_SayWav: narrelo-say --wav of a text of about five minutes of sound, as a process,
//   at speed 10 (<= 4 s), a text the server has not seen in every iteration;
// - BM_SayStream/minutes: narrelo-say --wav of a long text given on standard input, 5 and
//   120 minutes of sound, and /0 a 1 MB text (about a day of sound: an hour and more of
//   work; run it alone with --benchmark_filter=SayStream/0). "ms_per_sound_s" is the wall
//   time per second of sound (the long ones no slower than 5 minutes), "peak_rss_MiB" the
//   reader's largest resident set (flat: the 2-hour stream no larger than 5 minutes);
// - BM_RealTimeReading: the same kind of text played on SDL's disk driver at real-time
//   pace (five minutes of wall time): "underruns" counts the times the device ran dry
//   before the reading was over (target 0); "max_queued" the most bytes queued, beside
//   "limit" = 900,000 + the longest sentence's PCM (target max_queued <= limit).
//
// The "device" of the first two is one that takes every block at once, so the time is the
// time to the device, not the sound card's latency.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "foundation/thread.h"
#include "pipeline/demo_synthesise_thread.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "pipeline/wave_out.h"
#include "platform/audio_device.h"
#include "platform/audio_device_sdl.h"
#include "records/demo_audios.h"
#include "records/narrelo_text.h"
#include "service/demo_client.h"
#include "service/text_cache.h"
#include "tests/support/child_process.h"
#include "tests/support/demo_server_process.h"

namespace {

using Clock = std::chrono::steady_clock;

TDemoServerProcess &Server() {
    static TDemoServerProcess server;
    return server;
}

// Turkish words to build texts from; the sentence number picks and orders them, so that
// every generated sentence is new to the server.
const char *const Vocabulary[] = {
    "bugün", "yarın", "akşam", "sabah", "şehir", "deniz", "kitap", "öğrenci", "öğretmen",
    "çocuk", "arkadaş", "güzel", "büyük", "küçük", "eski", "yeni", "sıcak", "soğuk",
    "okula", "eve", "parka", "çarşıya", "gidiyor", "geliyor", "okuyor", "yazıyor",
    "bakıyor", "gülüyor", "konuşuyor", "dinliyor", "yavaşça", "hızla", "sessizce",
    "birlikte", "yalnız", "mutlu", "yorgun", "merakla", "dikkatle", "neşeyle"};
constexpr int VocabularySize = int(sizeof Vocabulary / sizeof *Vocabulary);

// A sentence of `words` words, different for every `seed`.
std::string Sentence(uint32_t seed, int words) {
    std::string text;
    uint32_t x = seed * 2654435761u + 12345u;
    for (int i = 0; i < words; ++i) {
        x = x * 1103515245u + 12345u;
        if (i) text += ' ';
        text += Vocabulary[(x >> 16) % VocabularySize];
    }
    text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

// About five minutes of sound: 400 words in sentences of 8 to 16 words.
std::string FiveMinuteText(uint32_t seed) {
    std::string text;
    for (int words = 0, i = 0; words < 400; ++i) {
        const int n = 8 + int((seed + uint32_t(i) * 7u) % 9u);
        text += (text.empty() ? "" : " ") + Sentence(seed * 1000u + uint32_t(i), n);
        words += n;
    }
    return text;
}

// A device that takes every block at once and remembers when the first one came.
class TInstantDevice : public TAudioDevice {
public:
    int32_t OutputDeviceCount() override { return 1; }
    int32_t Open(const TAudioFormat &, TDoneCallback onDone, bool queryOnly) override {
        if (!queryOnly) {
            onDone_ = std::move(onDone);
            open_ = true;
        }
        return AudioOk;
    }
    bool IsOpen() const override { return open_; }
    int32_t Write(TAudioBuffer &buffer) override {
        if (!writing_.exchange(true)) {
            FirstWrite = Clock::now();
            written_ = true;  // after FirstWrite: the reader looks at it once this is set
        }
        buffer.Flags.fetch_or(AudioBufferDone);
        if (onDone_) onDone_();
        return AudioOk;
    }
    int32_t Pause() override { return AudioOk; }
    int32_t Restart() override { return AudioOk; }
    int32_t Reset() override { return AudioOk; }
    int32_t Close() override {
        open_ = false;
        return AudioOk;
    }
    bool Written() const { return written_; }
    Clock::time_point FirstWrite;  // set before written_

private:
    TDoneCallback onDone_;
    std::atomic<bool> open_{false};
    std::atomic<bool> writing_{false};  // the device thread's own "first write seen"
    std::atomic<bool> written_{false};  // FirstWrite is set
};

// Decodes and queues every item as the reading window does (speed 10: no tempo change),
// and keeps the figures of the real-time run.
class TPlayer : public TEventHandler_DemoSynthesiseThread, public TEventHandler_WaveOut {
public:
    explicit TPlayer(TWaveOut &waveOut) : waveOut_(waveOut) {}
    void OnAudio(TDemoSynthesiseThread *thread, TDemoAudio *audio) override {
        // Nobody is asked to go on after 50 new words: the reading goes on at once.
        thread->ContinueListening();
        TMemoryStream pcm;
        DecodeOggVorbis(audio->Data.Memory(), audio->Data.DataSize(), pcm);
        if (pcm.DataSize() == 0) return;
        const int32_t sentence = thread->SentenceIndex;
        if (sentence != lastSentence_) sentenceBytes_ = 0;
        lastSentence_ = sentence;
        sentenceBytes_ += pcm.DataSize();
        LongestSentence = std::max(LongestSentence.load(), sentenceBytes_);
        waveOut_.OpenAndWrite(pcm.Memory(), pcm.DataSize(), uint32_t(sentence));
        MaxQueued = std::max(MaxQueued.load(), waveOut_.QueuedBytes());
    }
    // The device ran dry: an underrun unless every sentence has been handed out (the
    // thread then only waits for the queue to play out).
    void OnPlayEnd(TWaveOut *) override {
        const TDemoSynthesiseThread *thread = Reading.load();
        if (!thread) return;
        const TNarreloText *text = thread->CurrentText;
        if (!text || thread->SentenceIndex < text->Sentences.Count()) ++Underruns;
    }

    std::atomic<const TDemoSynthesiseThread *> Reading{nullptr};
    std::atomic<int32_t> Underruns{0};
    std::atomic<int32_t> MaxQueued{0};
    std::atomic<int32_t> LongestSentence{0};

private:
    TWaveOut &waveOut_;
    int32_t lastSentence_ = -1;  // synthesis thread only
    int32_t sentenceBytes_ = 0;  // synthesis thread only
};

// The reading pieces the window owns for its whole life.
struct TReader {
    TReader() {
        endpoint = Server().Endpoint();
        client.soap_endpoint = endpoint.c_str();
    }
    std::unique_ptr<TDemoSynthesiseThread> NewThread(const std::string &text, TWaveOut &waveOut,
                                                     TEventHandler_DemoSynthesiseThread &listener) {
        auto thread = std::make_unique<TDemoSynthesiseThread>();
        thread->WaveOut = &waveOut;
        thread->Listeners().InsertFirst(&listener);
        thread->Text = cp1254::FromUtf8(text).c_str();
        thread->Speaker = 2;
        thread->Client = &client;
        thread->AudioCache = &audioCache;
        return thread;
    }
    std::string endpoint;
    TDemoClient client;
    TDemoAudios audioCache;
};

// Seconds from Resume to the first block on the device; the reading is stopped there.
double TimeToFirstSample(TReader &reader, const std::string &text) {
    auto device = std::make_unique<TInstantDevice>();
    TInstantDevice *seen = device.get();
    TWaveOut waveOut(std::move(device));
    TPlayer player(waveOut);
    auto thread = reader.NewThread(text, waveOut, player);
    const Clock::time_point start = Clock::now();
    thread->Resume();
    while (!seen->Written() && !thread->Finished()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double seconds = seen->Written()
                               ? std::chrono::duration<double>(seen->FirstWrite - start).count()
                               : -1;
    thread->StopAndWait();
    waveOut.SetActive(false);
    return seconds;
}

void BM_FirstSample(benchmark::State &state) {
    const bool cached = state.range(0) == 1;
    TReader reader;
    TimeToFirstSample(reader, Sentence(999999, 15));  // logs in; the server is warm
    uint32_t seed = cached ? 999999u : 1000u * uint32_t(Clock::now().time_since_epoch().count() % 1000000);
    for (auto _ : state) {
        if (!cached) ClearReadingCaches();
        const double seconds = TimeToFirstSample(reader, Sentence(cached ? seed : ++seed, 15));
        if (seconds < 0) {
            state.SkipWithError("no sound came");
            break;
        }
        state.SetIterationTime(seconds);
    }
    ClearReadingCaches();
}

void BM_SayWav(benchmark::State &state) {
    const std::string wav = Server().Folder() + "/bench.wav";
    uint32_t seed = uint32_t(Clock::now().time_since_epoch().count() % 100000);
    double soundSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string text = FiveMinuteText(++seed);
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        TChildProcess say(NARRELO_SAY_EXE, {"--quiet", "--server", Server().Endpoint(), "--wav", wav, text});
        const TChildResult run = say.Wait();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (run.Status != 0) {
            state.SkipWithError(("narrelo-say failed: " + run.Err).c_str());
            break;
        }
        soundSeconds = double(std::filesystem::file_size(wav) - 80) / 32000.0;  // behind the 80-byte header
    }
    state.counters["sound_s"] = soundSeconds;
}

// Paragraphs of five minutes of sound each, `minutes` in all; minutes 0: 1 MB of text.
std::string LongText(uint32_t seed, int minutes) {
    std::string text;
    for (uint32_t k = 0; minutes == 0 ? text.size() < 1000000 : int(k) < minutes / 5; ++k)
        text += FiveMinuteText(seed * 131u + k) + "\n\n";
    return text;
}

void BM_SayStream(benchmark::State &state) {
    const std::string wav = Server().Folder() + "/stream.wav";
    uint32_t seed = uint32_t(Clock::now().time_since_epoch().count() % 100000);
    double soundSeconds = 0, wallSeconds = 0;
    long peakKiB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string text = LongText(++seed, int(state.range(0)));
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        TChildProcess say(NARRELO_SAY_EXE, {"--quiet", "--server", Server().Endpoint(), "--wav", wav}, text);
        const TChildResult run = say.Wait(std::chrono::hours(4));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (run.Status != 0) {
            state.SkipWithError(("narrelo-say failed: " + run.Err).c_str());
            break;
        }
        soundSeconds = double(std::filesystem::file_size(wav) - 80) / 32000.0;  // behind the 80-byte header
        wallSeconds = seconds;
        peakKiB = std::max(peakKiB, run.PeakRssKiB);
    }
    state.counters["sound_s"] = soundSeconds;
    state.counters["ms_per_sound_s"] = soundSeconds > 0 ? 1000.0 * wallSeconds / soundSeconds : 0;
    state.counters["peak_rss_MiB"] = double(peakKiB) / 1024.0;
}

void BM_RealTimeReading(benchmark::State &state) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    TReader reader;
    for (auto _ : state) {
        TWaveOut waveOut(std::make_unique<TSdlAudioDevice>());
        TPlayer player(waveOut);
        waveOut.Listeners().InsertFirst(&player);
        auto thread = reader.NewThread(FiveMinuteText(uint32_t(Clock::now().time_since_epoch().count() % 100000)),
                                       waveOut, player);
        player.Reading = thread.get();
        thread->Resume();
        while (!thread->Finished()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        thread->StopAndWait();
        player.Reading = nullptr;
        waveOut.SetActive(false);
        state.counters["underruns"] = player.Underruns.load();
        state.counters["max_queued"] = player.MaxQueued.load();
        state.counters["limit"] = TDemoSynthesiseThread::QueueLimit + player.LongestSentence;
        state.counters["sentences"] = thread->SentenceIndex.load();
    }
    ClearReadingCaches();
}

BENCHMARK(BM_FirstSample)->ArgName("cached")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SayWav)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SayStream)->ArgName("minutes")->Arg(5)->Arg(120)->Arg(0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_RealTimeReading)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SetMainThreadId(std::this_thread::get_id());
    Server();  // started before any timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
