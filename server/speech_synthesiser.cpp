#include "server/speech_synthesiser.h"

#include <algorithm>
#include <string_view>

#include "foundation/code_page.h"
#include "server/audio_encoding.h"
#include "server/service_limits.h"
#include "server/turkish/turkish_text.h"
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
    // The words as a Turkish listener hears them (numbers, abbreviations, acronyms spelled
    // out); each XML part is read by its text kind.
    if (!request.IsXml) return NormaliseForSpeech(request.Text);
    std::string spoken;
    try {
        for (const TXmlTextPart &part : XmlTextParts(request.Text)) {
            // A mark that opens a part (", telefon") closes what came before it.
            const char first = part.Text.empty() ? '\0' : part.Text.front();
            if (!spoken.empty() && std::string_view(",.;:!?").find(first) != std::string_view::npos)
                spoken += first;
            std::string reading = NormaliseForSpeech(part.Text, part.Kind);
            if (reading.empty()) continue;
            if (!spoken.empty()) spoken += ' ';
            spoken += reading;
        }
    } catch (const TXmlSentenceError &e) {
        throw TSynthesisError(e.what());
    }
    return spoken;
}

void TSpeechSynthesiser::CheckSpeakable(const std::string &spoken) {
    if (spoken.size() > MaxSpokenTextBytes)
        throw TSynthesisError("The text is too long to be spoken as one item: " +
                              std::to_string(spoken.size()) + " bytes of words to say, at most " +
                              std::to_string(MaxSpokenTextBytes) + "; split it into sentences");
}

TSynthesisResult TSpeechSynthesiser::Synthesise(const TSynthesisRequest &request,
                                                const std::function<bool()> &cancelled) const {
    CheckOffered(request);
    TSynthesisResult result;
    result.SpokenText = SpokenTextOf(request);
    CheckSpeakable(result.SpokenText);
    const auto stillWanted = [&] {
        if (cancelled && cancelled()) throw TSpeechCancelled("the speech is no longer wanted");
    };
    std::vector<int16_t> speech;
    try {
        speech = engine_.Speak(cp1254::ToUtf8(result.SpokenText), VoiceOf(request),
                               size_t(MaxAudioSecondsPerItem) * TSpeechEngine::SampleRate, cancelled);
    } catch (const TSpeechTooLong &) {
        throw TSynthesisError("The speech of this text would be longer than " +
                              std::to_string(MaxAudioSecondsPerItem / 60) +
                              " minutes, the most one item may have; split it into sentences");
    }
    stillWanted();
    const std::vector<int16_t> samples =
        Resample(speech, TSpeechEngine::SampleRate, OutputSampleRate);
    speech = {};
    stillWanted();
    // The serial number comes from the request, so the same request gives the same bytes.
    const std::string digest = RequestDigest(request);
    const int serial = int(std::stoul(digest.substr(0, 7), nullptr, 16));
    result.Ogg = EncodeOggVorbis(samples.data(), samples.size(), OutputSampleRate, serial);
    return result;
}
