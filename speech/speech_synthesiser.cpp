// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/speech_synthesiser.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string_view>
#include <vector>

#include "foundation/code_page.h"
#include "speech/resample.h"
#include "speech/speech_limits.h"
#include "speech/xml_sentences.h"
#include "turkish/turkish_text.h"

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
    if (request.IsSpoken) return request.Text;
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

namespace {

// Windows-1254 words before which a clause may begin: "ve", "veya", "ama", "fakat", "ancak",
// "çünkü", "ya da", "ki" and their like.
bool BeginsClause(std::string_view word) {
    static constexpr std::string_view Conjunctions[] = {
        "ve",   "veya", "yahut",   "ama",  "fakat", "ancak", "lakin", "\xE7\xFCnk\xFC",
        "oysa", "ise",  "halbuki", "yani", "ya"};
    for (std::string_view conjunction : Conjunctions)
        if (word == conjunction) return true;
    return false;
}

bool EndsClause(std::string_view word) {
    return !word.empty() && std::string_view(",;:").find(word.back()) != std::string_view::npos;
}

}  // namespace

std::vector<std::string> TSpeechSynthesiser::SpeechPieces(const std::string &spoken,
                                                          size_t maxBytes) {
    if (spoken.size() <= maxBytes || maxBytes == 0) return {spoken};
    std::vector<std::string_view> words;
    for (size_t at = 0; at < spoken.size();) {
        const size_t start = spoken.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        const size_t end = std::min(spoken.find(' ', start), spoken.size());
        // A word longer than a piece is cut in its own pieces.
        for (size_t from = start; from < end; from += maxBytes)
            words.push_back(std::string_view(spoken).substr(from, std::min(maxBytes, end - from)));
        at = end;
    }
    // Clauses: runs of words ending after a clause mark or before a conjunction.
    std::vector<std::string> clauses;
    std::string clause;
    for (size_t i = 0; i < words.size(); ++i) {
        if (!clause.empty() && BeginsClause(words[i]))
            clauses.push_back(std::move(clause)), clause.clear();
        if (!clause.empty()) clause += ' ';
        clause += words[i];
        if (EndsClause(words[i])) clauses.push_back(std::move(clause)), clause.clear();
    }
    if (!clause.empty()) clauses.push_back(std::move(clause));
    // Whole clauses while they fit; a clause longer than a piece by its words.
    std::vector<std::string> pieces;
    std::string piece;
    const auto add = [&](std::string_view part) {
        if (!piece.empty() && piece.size() + 1 + part.size() > maxBytes) {
            pieces.push_back(std::move(piece));
            piece.clear();
        }
        if (!piece.empty()) piece += ' ';
        piece += part;
    };
    for (const std::string &whole : clauses) {
        if (whole.size() <= maxBytes) {
            add(whole);
            continue;
        }
        for (size_t at = 0; at < whole.size();) {
            const size_t end = std::min(whole.find(' ', at), whole.size());
            add(std::string_view(whole).substr(at, end - at));
            at = end + 1;
        }
    }
    if (!piece.empty()) pieces.push_back(std::move(piece));
    return pieces;
}

void TSpeechSynthesiser::CheckSpeakable(const std::string &spoken) {
    if (spoken.size() > MaxSpokenTextBytes)
        throw TSynthesisError("The text is too long to be spoken: " +
                              std::to_string(spoken.size()) + " bytes of words to say, at most " +
                              std::to_string(MaxSpokenTextBytes) + "; split it into sentences");
}

TSpeech TSpeechSynthesiser::Speak(const TSynthesisRequest &request,
                                  const std::function<bool()> &cancelled) const {
    CheckOffered(request);
    TSpeech result;
    result.SpokenText = SpokenTextOf(request);
    CheckSpeakable(result.SpokenText);
    std::vector<int16_t> speech;
    try {
        speech = engine_.Speak(cp1254::ToUtf8(result.SpokenText), VoiceOf(request),
                               size_t(MaxAudioSecondsPerItem) * TSpeechEngine::SampleRate,
                               cancelled, &result.Words);
    } catch (const TSpeechTooLong &) {
        throw TSynthesisError("The speech of this text would be longer than " +
                              std::to_string(MaxAudioSecondsPerItem / 60) +
                              " minutes, the most one item may have; split it into sentences");
    }
    if (cancelled && cancelled()) throw TSpeechCancelled("the speech is no longer wanted");
    result.Samples = Resample(speech, TSpeechEngine::SampleRate, OutputSampleRate);
    return result;
}

std::pair<size_t, size_t> TSpeechSynthesiser::PartSamples(const TSynthesisRequest &request,
                                                          const TSpeech &speech) {
    if (!request.IsPart()) return {0, speech.Samples.size()};
    const size_t from = CutBefore(speech, request.PartFrom);
    return {from, std::max(from, CutBefore(speech, request.PartTo))};
}

size_t TSpeechSynthesiser::CutBefore(const TSpeech &speech, int32_t offset) {
    const std::vector<int16_t> &samples = speech.Samples;
    if (offset <= 0) return 0;
    const auto word =
        std::find_if(speech.Words.begin(), speech.Words.end(),
                     [&](const TWordStart &w) { return w.Character >= size_t(offset); });
    if (word == speech.Words.end()) return samples.size();
    const auto sampleAt = [&](size_t millisecond) {
        return std::min(samples.size(), millisecond * size_t(OutputSampleRate) / 1000);
    };
    constexpr size_t Reach = OutputSampleRate / 10;  // 100 ms before the word, at most
    constexpr size_t Half = OutputSampleRate / 500;  // 2 ms either side of a cut
    const size_t last = sampleAt(word->Millisecond);
    size_t first = last > Reach ? last - Reach : 0;
    if (word != speech.Words.begin())
        first = std::max(first, sampleAt(std::prev(word)->Millisecond));
    // Sound around each candidate, by prefix sums of |sample| over the reach and its margins.
    const size_t low = first > Half ? first - Half : 0;
    const size_t high = std::min(samples.size(), last + Half);
    std::vector<uint64_t> sums(high - low + 1, 0);
    for (size_t i = low; i < high; ++i)
        sums[i - low + 1] = sums[i - low] + uint64_t(std::abs(int(samples[i])));
    // The middle of the last silent stretch (the sound over 4 ms around each point near
    // zero): away from the sound on either side, which the encoder then meets only inside a
    // part, and at the same place in two syntheses of one sentence, which differ only in
    // their faintest sounds. Without one, the quietest point, the latest of equals.
    constexpr uint64_t Silent = 4 * 2 * Half;
    size_t silentFrom = 0, silentTo = 0, runFrom = 0;
    bool silent = false, inRun = false;
    size_t quietestAt = last;
    uint64_t quietest = UINT64_MAX;
    for (size_t at = first; at <= last; ++at) {
        const size_t a = std::max(low, at > Half ? at - Half : 0), b = std::min(high, at + Half);
        const uint64_t around = sums[b - low] - sums[a - low];
        if (around <= Silent) {
            if (!inRun) runFrom = at;
            inRun = silent = true;
            silentFrom = runFrom;
            silentTo = at;
        } else {
            inRun = false;
        }
        if (around <= quietest) {
            quietest = around;
            quietestAt = at;
        }
    }
    return silent ? silentFrom + (silentTo - silentFrom) / 2 : quietestAt;
}

int32_t TSpeechSynthesiser::FirstPartEnd(const std::string &spoken) {
    std::string_view before;
    for (size_t at = 0; at < spoken.size();) {
        const size_t start = spoken.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        const size_t end = std::min(spoken.find(' ', start), spoken.size());
        const std::string_view word = std::string_view(spoken).substr(start, end - start);
        if (!before.empty() && (EndsClause(before) || BeginsClause(word))) return int32_t(start);
        before = word;
        at = end;
    }
    return 0;
}

int32_t TSpeechSynthesiser::ShortFirstPartEnd(const std::string &spoken) {
    const int32_t clause = FirstPartEnd(spoken);
    if (clause > 0 && size_t(clause) <= ShortFirstPartMaxBytes) return clause;
    const size_t last = spoken.find_last_not_of(' ');
    if (last == std::string::npos) return 0;
    for (size_t at = ShortFirstPartBytes; at < spoken.size();) {
        // The next word that starts at or after `at`: after a space, not inside a word.
        const size_t space = spoken.find(' ', at - 1);
        if (space == std::string::npos) break;
        const size_t start = spoken.find_first_not_of(' ', space);
        if (start == std::string::npos) break;
        if (last + 1 - start < ShortFirstPartMinRestBytes) break;
        if (spoken.find_first_not_of(' ') < start) return int32_t(start);
        at = start + 1;
    }
    return clause;
}

std::string TSpeechSynthesiser::PartText(const std::string &spoken, int32_t from, int32_t to) {
    const size_t begin = std::min(spoken.size(), size_t(std::max(0, from)));
    const size_t end = std::clamp(size_t(std::max(0, to)), begin, spoken.size());
    const std::string_view part = std::string_view(spoken).substr(begin, end - begin);
    const size_t first = part.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    return std::string(part.substr(first, part.find_last_not_of(' ') - first + 1));
}
