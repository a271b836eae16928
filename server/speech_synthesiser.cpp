#include "server/speech_synthesiser.h"

#include <algorithm>

#include "foundation/code_page.h"
#include "server/audio_encoding.h"
#include "server/xml_sentences.h"

TVoiceSettings TSpeechSynthesiser::VoiceOf(const TSynthesisRequest &request) {
    TVoiceSettings voice;
    if (request.Speaker == 2) {  // "Belirgin Okuma"
        voice.Rate = 135;
        voice.WordGap = 4;
        voice.Pitch = 40;
        voice.Range = 35;
    }
    voice.Volume = std::clamp(request.Volume, 0, 20) * 10;
    return voice;
}

void TSpeechSynthesiser::CheckOffered(const TSynthesisRequest &request) {
    if (request.Speaker != 1 && request.Speaker != 2)
        throw TSynthesisError("Speaker " + std::to_string(request.Speaker) +
                              " is not offered (1 Akici Okuma, 2 Belirgin Okuma)");
    if (request.FileType != 1)
        throw TSynthesisError("File type " + std::to_string(request.FileType) +
                              " is not offered (1 Ogg Vorbis)");
}

std::string TSpeechSynthesiser::SpokenTextOf(const TSynthesisRequest &request) {
    if (!request.IsXml) return request.Text;
    std::string spoken;
    try {
        for (const TXmlTextPart &part : XmlTextParts(request.Text)) {
            if (!spoken.empty()) spoken += ' ';
            spoken += part.Text;
        }
    } catch (const TXmlSentenceError &e) {
        throw TSynthesisError(e.what());
    }
    return spoken;
}

TSynthesisResult TSpeechSynthesiser::Synthesise(const TSynthesisRequest &request) const {
    CheckOffered(request);
    TSynthesisResult result;
    result.SpokenText = SpokenTextOf(request);
    const std::vector<int16_t> speech =
        engine_.Speak(cp1254::ToUtf8(result.SpokenText), VoiceOf(request));
    const std::vector<int16_t> samples =
        Resample(speech, TSpeechEngine::SampleRate, OutputSampleRate);
    // The serial number comes from the request, so the same request gives the same bytes.
    const std::string digest = RequestDigest(request);
    const int serial = int(std::stoul(digest.substr(0, 7), nullptr, 16));
    result.Ogg = EncodeOggVorbis(samples.data(), samples.size(), OutputSampleRate, serial);
    return result;
}
