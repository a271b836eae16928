// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSpeechSynthesiser: one synthesis request to its speech (16,000 Hz mono) and the text a
// listener hears; the service makes its Ogg Vorbis file of it (server/speech_file.h). A request
// whose IsSpoken is set is one piece of a longer sentence (SpeechPieces): its text is spoken as it
// is. A request that is a part (IsPart) is a cut of the speech of its whole: the sentence is spoken
// whole and cut at quiet points before words, so its parts played one after the other are the
// sentence as spoken whole, with the engine's own pauses and intonation. The reading styles:
//   speaker 1 "Akıcı Okuma"     natural pace;
//   speaker 2 "Belirgin Okuma"  slower, with pauses between the words and a calmer pitch.
// Only the speech engine is serialised; resampling and encoding run on the caller's thread.

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "foundation/exceptions.h"
#include "speech/speech_engine.h"
#include "speech/speech_limits.h"
#include "speech/synthesis_request.h"

// A request the service does not offer (speaker, file type) or cannot read (a malformed XML
// document), refused: the message is for the user.
class TSynthesisError : public TException {
public:
    explicit TSynthesisError(const std::string &text) : TException(text, TErrorCategory::Refused) {}
};

// The speech of a whole request at OutputSampleRate, and where its words begin.
struct TSpeech {
    std::vector<int16_t> Samples;
    std::vector<TWordStart> Words;  // Character: the byte of SpokenText (Windows-1254)
    std::string SpokenText;
};

class TSpeechSynthesiser {
public:
    explicit TSpeechSynthesiser(TSpeechEngine &engine) : engine_(engine) {}

    // The speech of the whole request (its part ignored). Same request, same samples.
    // Throws TSynthesisError for a request it does not offer or whose speech is beyond the
    // bounds (MaxSpokenTextBytes, refused before any speaking, and MaxAudioSecondsPerItem),
    // TSpeechCancelled once `cancelled` (asked now and then, also on the engine's thread)
    // says the result is no longer wanted.
    TSpeech Speak(const TSynthesisRequest &request,
                  const std::function<bool()> &cancelled = {}) const;
    // The samples of `request`'s part of `speech` (all of them for a whole request): from
    // the cut before PartFrom to the cut before PartTo.
    static std::pair<size_t, size_t> PartSamples(const TSynthesisRequest &request,
                                                 const TSpeech &speech);

    // Where the speech is cut before the word that begins at byte `offset` of its spoken
    // text, between the start of the word before (at most 100 ms back) and the start of
    // this one: the middle of the last silent stretch (the sound over 4 ms around each point
    // near zero), else the quietest point; 0 for offset 0, the end when no word begins at
    // `offset` or later. Cuts before later words are never earlier.
    static size_t CutBefore(const TSpeech &speech, int32_t offset);
    // Where a sentence's speech is cut so that its first part is short: the byte of `spoken`
    // where the word after its first clause begins (after ",", ";", ":" or before a
    // conjunction); 0 when it has no clause boundary.
    static int32_t FirstPartEnd(const std::string &spoken);
    // Where a sentence's first item ends so that it is short whatever the sentence
    // (ShortFirstPartBytes in speech_limits.h): at the first clause boundary when it comes
    // soon, else at a word boundary after about 1.5 s of speech; 0 when the sentence is too
    // short to be worth cutting.
    static int32_t ShortFirstPartEnd(const std::string &spoken);
    // The words of `spoken` from byte `from` to byte `to`, without the spaces around them.
    static std::string PartText(const std::string &spoken, int32_t from, int32_t to);

    // What Synthesise would speak, without speaking it (Windows-1254).
    static std::string SpokenTextOf(const TSynthesisRequest &request);
    // `spoken` cut into pieces of at most `maxBytes`, to be spoken one after the other:
    // at clause boundaries (after ",", ";", ":" and before a conjunction), at word
    // boundaries within a longer clause, and inside a word only when one word is longer.
    // The pieces joined with single spaces give `spoken` back (its runs of spaces as one; a
    // word longer than a piece stays cut).
    // One piece, `spoken` itself, when it fits.
    static std::vector<std::string> SpeechPieces(const std::string &spoken,
                                                 size_t maxBytes = MaxPieceSpokenBytes);
    // Throws TSynthesisError unless the speaker and file type are offered.
    static void CheckOffered(const TSynthesisRequest &request);
    // Throws TSynthesisError when `spoken` (SpokenTextOf) is more than one request may say.
    static void CheckSpeakable(const std::string &spoken);
    static TVoiceSettings VoiceOf(const TSynthesisRequest &request);

private:
    TSpeechEngine &engine_;
};
