// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TOutputModule: speech-dispatcher's output module protocol on two file descriptors (its
// standard input and output), speaking in process: SSML in, the Turkish front end, the
// speech engine, PCM out as the server's audio events (705), with the index marks (700) and
// the events BEGIN, END, STOP and PAUSE of each message.
//
// Threads: the caller's runs Run, reading commands and answering them; the speaking thread
// turns one message at a time into events; the speech engine's own thread synthesises and
// hands the samples over as they come. Every write to the output goes through one lock, and
// a command's reply is written while that lock is held from the command's first line on, so
// no event ever comes between a command and its reply. STOP writes the STOP event itself,
// at once, and the message's later samples are dropped.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "speech/speech_engine.h"
#include "speechd/spoken_names.h"

// The module's configuration file (speech-dispatcher passes its path): "Key value" lines, '#'
// comments.
struct TModuleConfig {
    // NarreloLogReading: each text as spoken (the words the engine is given) goes to the log
    // (standard error, which speech-dispatcher keeps as the module's log). Off by default.
    bool LogReading = false;
};
TModuleConfig ReadModuleConfig(const std::string &path);

// The settings speech-dispatcher sends (SET), as received.
struct TModuleSettings {
    int Rate = 0, Pitch = 0, PitchRange = 0, Volume = 0;  // -100..100
    std::string VoiceType = "male1";
    std::string SynthesisVoice;  // empty: by language and voice type
    std::string Language = "tr";
    TPunctuation Punctuation = TPunctuation::None;
    bool Spelling = false;
    std::string CapitalLetters = "none";  // none, spell, icon
};

class TOutputModule {
public:
    // Bytes of one message kept; the rest of a longer one is read and dropped (logged).
    static constexpr size_t MaxMessageBytes = 2 * 1024 * 1024;
    // Our Turkish voices: the two reading styles.
    static constexpr const char *FluentVoice = "Akıcı Okuma";
    static constexpr const char *ClearVoice = "Belirgin Okuma";

    TOutputModule(int in, int out, TModuleConfig config);
    ~TOutputModule();
    TOutputModule(const TOutputModule &) = delete;
    TOutputModule &operator=(const TOutputModule &) = delete;

    // Reads and answers commands until QUIT or the end of the input; returns the exit status.
    int Run();

private:
    enum class TMessageKind { Speak, Character, Key, SoundIcon };
    struct TMessage {
        uint64_t Id = 0;
        TMessageKind Kind = TMessageKind::Speak;
        std::string Text;
        TModuleSettings Settings;
    };
    struct TPlan;

    // Input.
    bool ReadLine(std::string &line, size_t limit);
    // Reads a body up to its "." line (dots unescaped); keeps at most `limit` bytes.
    bool ReadBody(std::string &body, size_t limit, bool &truncated);

    // Commands (the output lock held by the caller).
    void Write(std::string_view text);  // lock held
    void Set(const std::string &body);
    std::string VoiceList();
    void Queue(TMessageKind kind, std::string text);
    void Stop();
    void Pause();

    // The speaking thread.
    void Speak();
    void SpeakMessage(const TMessage &message);
    // Emitters: each writes only while `id` is the message being spoken and not ended.
    bool EmitAudio(uint64_t id, const int16_t *samples, size_t count);
    bool EmitMark(uint64_t id, const std::string &name);
    void EmitEnd(uint64_t id);
    bool Begin(uint64_t id);  // lock held: BEGIN once per message

    int in_, out_;
    TModuleConfig config_;
    std::unique_ptr<TSpeechEngine> engine_;
    std::string engineError_;
    TModuleSettings settings_;
    std::string pending_;  // read but not yet taken input

    std::mutex outLock_;   // guards the output and the fields below
    uint64_t active_ = 0;  // the message being spoken (0: none)
    bool begun_ = false, ended_ = true, pauseAsked_ = false;
    std::atomic<uint64_t> stopped_{0};  // the latest message told to stop

    std::mutex queueLock_;
    std::condition_variable queueWake_;
    std::deque<TMessage> queue_;
    bool quitting_ = false;
    uint64_t nextId_ = 1;
    std::thread speaker_;
};
