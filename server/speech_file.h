// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file the service answers for a synthesis request: the request's speech
// (speech/speech_synthesiser.h), or its part of it, encoded as Ogg Vorbis (16,000 Hz mono).
// Same request, same bytes: the stream's serial number comes from the request's digest.

#include <functional>
#include <string>

#include "speech/speech_synthesiser.h"
#include "speech/synthesis_request.h"

struct TSynthesisResult {
    std::string Ogg;         // the complete file
    std::string SpokenText;  // Windows-1254: the words heard, for the listening pause
};

// The file of `request` (whole or part) from the speech of its whole request.
TSynthesisResult EncodeSpeechFile(const TSynthesisRequest &request, const TSpeech &speech);
// The file of `request`, spoken now; throws what TSpeechSynthesiser::Speak throws.
TSynthesisResult SynthesiseFile(const TSpeechSynthesiser &synthesiser,
                                const TSynthesisRequest &request,
                                const std::function<bool()> &cancelled = {});
