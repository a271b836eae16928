// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSpeechEngine: espeak-ng, Turkish, 22,050 samples per second, 16-bit mono.
//
// espeak-ng keeps its state in process globals and crashes when two threads use it at once,
// so it is only ever called from the one thread this object owns: Speak hands the text
// over and waits for the samples. Everything else (resampling, encoding) runs on the
// callers' threads, in parallel. At most one TSpeechEngine may exist in a process.
//
// The engine is shared fairly: of the texts waiting, the shortest is spoken next, unless one
// has waited EngineFairnessSeconds, which then goes first; a text's speech stops at its
// bound of samples, and when its caller says it is no longer wanted (a client that hung up).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions.h"

// How one reading style sounds. Rates in words per minute, word gap in units of 10 ms,
// pitch and range 0..100, volume 0..200 (100 normal): espeak-ng's own parameters.
struct TVoiceSettings {
    std::string Voice = "tr";
    int Rate = 175;
    int WordGap = 0;
    int Pitch = 50;
    int Range = 50;
    int Volume = 100;

    bool operator==(const TVoiceSettings &) const = default;
};

// Where one word's speech begins: the word's first character (0-based, counted in
// characters of the text spoken) and the time in the speech, in milliseconds.
struct TWordStart {
    size_t Character = 0;
    size_t Millisecond = 0;
};

// The speech would run past the caller's bound of samples (refused).
class TSpeechTooLong : public TException {
public:
    explicit TSpeechTooLong(const std::string &text) : TException(text, TErrorCategory::Refused) {}
};

// The caller said, before or during the speech, that it is no longer wanted. Told apart by
// its type: the work stops and nobody is answered.
class TSpeechCancelled : public TException {
public:
    explicit TSpeechCancelled(const std::string &text)
        : TException(text, TErrorCategory::Refused) {}
};

// One of espeak-ng's voices: the name to select it by and its first language.
struct TEngineVoice {
    std::string Name;
    std::string Language;
};

class TSpeechEngine {
public:
    static constexpr int SampleRate = 22050;

    // Starts the engine thread and initialises espeak-ng there; throws std::runtime_error
    // when espeak-ng or its Turkish voice cannot be loaded.
    TSpeechEngine();
    // Starts the engine thread and returns at once, while espeak-ng and the Turkish voice
    // load on that thread: a service can accept connections meanwhile. Texts handed over
    // before the engine is ready wait for it; when it cannot be loaded, Ready() and every
    // Speak throw what the loading threw.
    struct TLoadInBackground {};
    explicit TSpeechEngine(TLoadInBackground);
    TSpeechEngine(TLoadInBackground, bool listVoices);
    // Finishes the texts already handed over, then ends the thread.
    ~TSpeechEngine();
    TSpeechEngine(const TSpeechEngine &) = delete;
    TSpeechEngine &operator=(const TSpeechEngine &) = delete;

    // Waits until espeak-ng and the voice are loaded; throws what the loading threw.
    // Thread-safe.
    void Ready();

    // The speech of `utf8` (plain text, not SSML). Thread-safe; blocks until done. Throws
    // std::runtime_error when espeak-ng refuses the text, TSpeechTooLong when the speech
    // would pass `maxSamples`, TSpeechCancelled when `cancelled` (asked on the engine's
    // thread, now and then while speaking) says so. `words`, when given, receives where
    // each word's speech begins, in order.
    std::vector<int16_t> Speak(const std::string &utf8, const TVoiceSettings &voice,
                               size_t maxSamples = std::numeric_limits<size_t>::max(),
                               std::function<bool()> cancelled = {},
                               std::vector<TWordStart> *words = nullptr,
                               std::function<bool(const int16_t *, size_t)> onSamples = {});
    // With `onSamples`, the speech is handed over as it is made instead of being returned:
    // called on the engine's thread with each block, after `words` has received the word
    // starts that came with it; returning false stops the speech (TSpeechCancelled).

    // espeak-ng's voices, as listed when the engine started; only an engine made by the
    // blocking constructor lists them (a service's cold start does not read them all).
    const std::vector<TEngineVoice> &Voices() const { return voices_; }

private:
    struct TJob {
        std::string Text;
        TVoiceSettings Voice;
        size_t MaxSamples;
        std::function<bool()> Cancelled;
        std::vector<TWordStart> *Words;
        std::function<bool(const int16_t *, size_t)> OnSamples;
        std::chrono::steady_clock::time_point Queued;
        std::promise<std::vector<int16_t>> Result;
    };

    // The next job to speak (jobs_ not empty; lock_ held).
    std::deque<TJob>::iterator NextJob();

    void Run();
    bool Load();  // engine thread only: false, with loadError_ set, when loading fails
    void Apply(const TVoiceSettings &voice);  // engine thread only

    std::mutex lock_;  // guards jobs_ and stop_
    std::condition_variable wake_;
    std::deque<TJob> jobs_;
    bool stop_ = false;
    std::shared_future<void> loaded_;  // ready once loading has ended, with its failure
    TVoiceSettings current_;  // engine thread only
    bool haveVoice_ = false;  // engine thread only
    bool listVoices_ = false;           // Voices() wanted: listed while loading
    std::vector<TEngineVoice> voices_;  // written before the voice is ready
    std::promise<void> loading_;  // engine thread only, until loaded_ is ready
    std::thread thread_;
};
