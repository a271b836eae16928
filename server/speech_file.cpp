// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/speech_file.h"

#include "server/audio_encoding.h"
#include "server/file_id.h"

TSynthesisResult EncodeSpeechFile(const TSynthesisRequest &request, const TSpeech &speech) {
    TSynthesisResult result;
    const auto [from, to] = TSpeechSynthesiser::PartSamples(request, speech);
    result.SpokenText = request.IsPart() ? TSpeechSynthesiser::PartText(
                                               speech.SpokenText, request.PartFrom, request.PartTo)
                                         : speech.SpokenText;
    // The serial number comes from the request, so the same request gives the same bytes.
    const std::string digest = RequestDigest(request);
    const int serial = int(std::stoul(digest.substr(0, 7), nullptr, 16));
    result.Ogg = EncodeOggVorbis(speech.Samples.data() + from, to - from, OutputSampleRate, serial);
    return result;
}

TSynthesisResult SynthesiseFile(const TSpeechSynthesiser &synthesiser,
                                const TSynthesisRequest &request,
                                const std::function<bool()> &cancelled) {
    return EncodeSpeechFile(request, synthesiser.Speak(request, cancelled));
}
