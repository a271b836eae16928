#pragma once
// TSpeechSynthesiser: one synthesis request to one Ogg Vorbis file (16,000 Hz mono) and the
// text a listener hears. The reading styles:
//   speaker 1 "Akıcı Okuma"     natural pace;
//   speaker 2 "Belirgin Okuma"  slower, with pauses between the words and a calmer pitch.
// Only the speech engine is serialised; resampling and encoding run on the caller's thread.

#include <functional>
#include <stdexcept>
#include <string>

#include "server/speech_engine.h"
#include "server/synthesis_request.h"

// A request the service does not offer (speaker, file type) or cannot read (a malformed XML
// document); the message is for the user.
class TSynthesisError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TSynthesisResult {
    std::string Ogg;         // the complete file
    std::string SpokenText;  // Windows-1254: the words heard, for the listening pause
};

class TSpeechSynthesiser {
public:
    explicit TSpeechSynthesiser(TSpeechEngine &engine) : engine_(engine) {}

    // Same request, same bytes. Throws TSynthesisError for a request it does not offer or
    // whose speech is beyond the bounds (MaxSpokenTextBytes, refused before any speaking,
    // and MaxAudioSecondsPerItem), TSpeechCancelled once `cancelled` (asked now and then,
    // also on the engine's thread) says the result is no longer wanted.
    TSynthesisResult Synthesise(const TSynthesisRequest &request,
                                const std::function<bool()> &cancelled = {}) const;

    // What Synthesise would speak, without speaking it (Windows-1254).
    static std::string SpokenTextOf(const TSynthesisRequest &request);
    // Throws TSynthesisError unless the speaker and file type are offered.
    static void CheckOffered(const TSynthesisRequest &request);
    // Throws TSynthesisError when `spoken` (SpokenTextOf) is more than one item may say.
    static void CheckSpeakable(const std::string &spoken);
    static TVoiceSettings VoiceOf(const TSynthesisRequest &request);

private:
    TSpeechEngine &engine_;
};
