// SPDX-License-Identifier: GPL-3.0-or-later
#include "speechd/output_module.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <numbers>

#include <unistd.h>

#include "foundation/code_page.h"
#include "speech/speech_limits.h"
#include "speech/speech_synthesiser.h"
#include "speechd/ssml.h"
#include "turkish/turkish_commands.h"
#include "turkish/turkish_text.h"

namespace {

constexpr size_t MaxCommandBytes = 4096;
constexpr int Rate = TSpeechEngine::SampleRate;

void Log(const std::string &text) { std::cerr << "sd_narrelo: " << text << std::endl; }

std::string Lower(std::string text) {
    for (char &c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

size_t CountWords(std::string_view text) {
    size_t words = 0;
    bool inWord = false;
    for (const char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (!space && !inWord) ++words;
        inWord = !space;
    }
    return words;
}

// A setting's number, -100..100; nullopt when it is not one.
std::optional<int> Percent(const std::string &value) {
    char *end = nullptr;
    errno = 0;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0 || number < -100 || number > 100)
        return std::nullopt;
    return int(number);
}

// `base` moved by `percent` (-100..100) toward `low` or `high`.
int Scale(int base, int percent, int low, int high) {
    return percent >= 0 ? base + percent * (high - base) / 100
                        : base + percent * (base - low) / 100;
}

std::vector<int16_t> Tone(int milliseconds, double hertz) {
    std::vector<int16_t> samples(size_t(Rate) * size_t(milliseconds) / 1000);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double fade = std::min({1.0, double(i) / 200.0, double(samples.size() - i) / 200.0});
        samples[i] =
            int16_t(8000.0 * fade * std::sin(2 * std::numbers::pi * hertz * double(i) / Rate));
    }
    return samples;
}

bool IsOurVoice(const std::string &name) {
    return name == TOutputModule::FluentVoice || name == TOutputModule::ClearVoice;
}

// The engine's voice for the settings and a prosody; `frontEnd`: Turkish, read by our rules.
TVoiceSettings VoiceFor(const TModuleSettings &s, const TProsody &prosody, bool &frontEnd) {
    const std::string language = Lower(s.Language);
    const bool turkish = language.empty() || language == "null" || language.rfind("tr", 0) == 0;
    frontEnd = IsOurVoice(s.SynthesisVoice) || (turkish && s.SynthesisVoice.empty());
    int style = 1;
    if (s.SynthesisVoice == TOutputModule::ClearVoice) style = 2;
    if (s.SynthesisVoice.empty() && !s.VoiceType.empty() && s.VoiceType.back() == '2') style = 2;
    TSynthesisRequest request;
    request.Speaker = style;
    TVoiceSettings voice = TSpeechSynthesiser::VoiceOf(request);
    if (!frontEnd) {
        voice = TVoiceSettings{};
        voice.Voice = s.SynthesisVoice.empty() ? language : s.SynthesisVoice;
    }
    voice.Rate = std::clamp(int(Scale(voice.Rate, s.Rate, 80, 450) * prosody.Rate), 80, 450);
    voice.Pitch = std::clamp(int(Scale(voice.Pitch, s.Pitch, 0, 100) * prosody.Pitch), 0, 100);
    voice.Range = std::clamp(Scale(voice.Range, s.PitchRange, 0, 100), 0, 100);
    voice.Volume = std::clamp(100 + s.Volume, 0, 200);
    return voice;
}

// The words spoken before byte `at` of `text` (Windows-1254), by the Turkish reading:
// sentence by sentence, so that many marks in a long text stay cheap.
class TWordPositions {
public:
    explicit TWordPositions(const std::string &text)
        : text_(text), sentences_(SplitSentences(text)) {
        before_.push_back(0);
        for (const TSentenceRange &s : sentences_)
            before_.push_back(before_.back() +
                              CountWords(NormaliseForSpeech(std::string_view(text_).substr(
                                  size_t(s.Start), size_t(s.Length)))));
    }
    size_t WordsBefore(size_t at) const {
        for (size_t i = 0; i < sentences_.size(); ++i) {
            const size_t start = size_t(sentences_[i].Start),
                         end = start + size_t(sentences_[i].Length);
            if (at <= start) return before_[i];
            if (at < end)
                return before_[i] + CountWords(NormaliseForSpeech(
                                        std::string_view(text_).substr(start, at - start)));
        }
        return before_.back();
    }

private:
    const std::string &text_;
    std::vector<TSentenceRange> sentences_;
    std::vector<size_t> before_;
};

// A mark inside a word (a number, a date) moves to the word's end: the reading never
// breaks there.
size_t WordEnd(std::string_view text, size_t at) {
    if (at == 0) return 0;
    while (at < text.size() && text[at] != ' ' && text[at] != '\t' && text[at] != '\n' &&
           text[at] != '\r' && at > 0 && text[at - 1] != ' ' && text[at - 1] != '\t' &&
           text[at - 1] != '\n' && text[at - 1] != '\r')
        ++at;
    return at;
}

// Where each word of `utf8` begins, counted in characters.
std::vector<size_t> WordStartCharacters(std::string_view utf8) {
    std::vector<size_t> starts;
    size_t characters = 0;
    bool inWord = false;
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = FirstCharacterLength(utf8.substr(at));
        const bool space = utf8[at] == ' ';
        if (!space && !inWord) starts.push_back(characters);
        inWord = !space;
        ++characters;
        at += length;
    }
    return starts;
}

}  // namespace

TModuleConfig ReadModuleConfig(const std::string &path) {
    TModuleConfig config;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const size_t space = line.find_first_of(" \t", start);
        if (space == std::string::npos) continue;
        const std::string key = line.substr(start, space - start);
        std::string value = line.substr(line.find_first_not_of(" \t", space) == std::string::npos
                                            ? line.size()
                                            : line.find_first_not_of(" \t", space));
        value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
        while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
        if (key == "NarreloLogReading") {
            const std::string v = Lower(value);
            config.LogReading = v == "1" || v == "on" || v == "yes" || v == "true";
        }
    }
    return config;
}

// One message's speech: the plan the speaking thread follows.
struct TOutputModule::TPlan {
    struct TMark {
        size_t Word;  // reported when the audio of this word (of the block) is reached
        std::string Name;
    };
};

TOutputModule::TOutputModule(int in, int out, TModuleConfig config)
    : in_(in), out_(out), config_(config) {
    try {
        engine_ = std::make_unique<TSpeechEngine>();
    } catch (const std::exception &e) {
        engineError_ = e.what();
        Log("the speech engine cannot start: " + engineError_);
    }
    speaker_ = std::thread([this] { Speak(); });
}

TOutputModule::~TOutputModule() {
    Stop();
    {
        std::lock_guard<std::mutex> hold(queueLock_);
        quitting_ = true;
        queue_.clear();
    }
    queueWake_.notify_all();
    speaker_.join();
}

bool TOutputModule::ReadLine(std::string &line, size_t limit) {
    line.clear();
    bool over = false;
    for (;;) {
        const size_t newline = pending_.find('\n');
        if (newline != std::string::npos) {
            if (!over)
                line.append(pending_, 0, std::min(newline, limit - std::min(limit, line.size())));
            pending_.erase(0, newline + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        if (!over) {
            line.append(pending_, 0,
                        std::min(pending_.size(), limit - std::min(limit, line.size())));
            if (line.size() >= limit) over = true;
        }
        pending_.clear();
        char buffer[65536];
        const ssize_t n = ::read(in_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        pending_.append(buffer, size_t(n));
    }
}

bool TOutputModule::ReadBody(std::string &body, size_t limit, bool &truncated) {
    body.clear();
    truncated = false;
    std::string line;
    bool first = true;
    for (;;) {
        if (!ReadLine(line, limit + 1)) return false;
        if (line == ".") return true;
        if (line == "..") line = ".";
        if (body.size() + line.size() + 1 > limit) {
            truncated = true;
            continue;
        }
        if (!first) body += '\n';
        body += line;
        first = false;
    }
}

void TOutputModule::Write(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(out_, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the reader has gone: nothing to tell it
        text.remove_prefix(size_t(n));
    }
}

bool TOutputModule::Begin(uint64_t id) {
    if (id != active_ || ended_) return false;
    if (!begun_) {
        Write("701 BEGIN\n");
        begun_ = true;
    }
    return true;
}

bool TOutputModule::EmitAudio(uint64_t id, const int16_t *samples, size_t count) {
    if (count == 0) return true;
    std::string event = "705-bits=16\n705-num_channels=1\n705-sample_rate=" + std::to_string(Rate) +
                        "\n705-num_samples=" + std::to_string(count) +
                        "\n705-big_endian=0\n705-AUDIO";
    event += '\0';  // "705-AUDIO", a NUL, then the data
    event.reserve(event.size() + count * 2 + count / 64 + 16);
    // The samples as little-endian bytes, HDLC-escaped: a line feed or 0x7D is sent as 0x7D
    // and the byte with its fifth bit inverted.
    for (size_t i = 0; i < count; ++i) {
        const uint16_t sample = uint16_t(samples[i]);
        for (const uint8_t byte : {uint8_t(sample & 0xFF), uint8_t(sample >> 8)}) {
            if (byte == '\n' || byte == 0x7D) {
                event += char(0x7D);
                event += char(byte ^ 0x20);
            } else {
                event += char(byte);
            }
        }
    }
    event += "\n705 AUDIO\n";
    std::lock_guard<std::mutex> hold(outLock_);
    if (!Begin(id)) return false;
    Write(event);
    return true;
}

bool TOutputModule::EmitMark(uint64_t id, const std::string &name) {
    std::lock_guard<std::mutex> hold(outLock_);
    if (!Begin(id)) return false;
    Write("700-" + name + "\n700 INDEX MARK\n");
    if (pauseAsked_) {
        Write("704 PAUSE\n");
        ended_ = true;
        stopped_ = id;
        return false;
    }
    return true;
}

void TOutputModule::EmitEnd(uint64_t id) {
    std::lock_guard<std::mutex> hold(outLock_);
    if (!Begin(id)) return;
    Write("702 END\n");
    ended_ = true;
}

void TOutputModule::Stop() {
    std::lock_guard<std::mutex> hold(outLock_);
    if (active_ == 0 || ended_) return;
    if (!begun_) Write("701 BEGIN\n");
    Write("703 STOP\n");
    begun_ = ended_ = true;
    stopped_ = active_;
}

void TOutputModule::Pause() {
    std::lock_guard<std::mutex> hold(outLock_);
    if (active_ != 0 && !ended_) pauseAsked_ = true;
}

void TOutputModule::Set(const std::string &body) {
    TModuleSettings next = settings_;
    bool good = true;
    size_t at = 0;
    while (at <= body.size()) {
        const size_t end = std::min(body.find('\n', at), body.size());
        const std::string line = body.substr(at, end - at);
        at = end + 1;
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) {
            good = false;
            continue;
        }
        const std::string name = line.substr(0, equals), value = line.substr(equals + 1);
        const std::string lower = Lower(value);
        if (lower == "null") continue;  // unset: the default stays
        if (name == "rate" || name == "pitch" || name == "pitch_range" || name == "volume") {
            const std::optional<int> n = Percent(value);
            if (!n) {
                good = false;
                continue;
            }
            (name == "rate"     ? next.Rate
             : name == "pitch"  ? next.Pitch
             : name == "volume" ? next.Volume
                                : next.PitchRange) = *n;
        } else if (name == "punctuation_mode") {
            if (lower == "none")
                next.Punctuation = TPunctuation::None;
            else if (lower == "some")
                next.Punctuation = TPunctuation::Some;
            else if (lower == "most")
                next.Punctuation = TPunctuation::Most;
            else if (lower == "all")
                next.Punctuation = TPunctuation::All;
            else
                good = false;
        } else if (name == "spelling_mode") {
            if (lower == "on" || lower == "off")
                next.Spelling = lower == "on";
            else
                good = false;
        } else if (name == "cap_let_recogn") {
            if (lower == "none" || lower == "spell" || lower == "icon")
                next.CapitalLetters = lower;
            else
                good = false;
        } else if (name == "voice_type" || name == "voice") {
            next.VoiceType = lower;
        } else if (name == "synthesis_voice") {
            next.SynthesisVoice = value;
        } else if (name == "language") {
            next.Language = value;
        }
        // Other names (punctuation_some and the like) are speech-dispatcher's own business.
    }
    if (good) settings_ = next;
    Write(good ? "203 OK SETTINGS RECEIVED\n" : "303 ERROR INVALID PARAMETER\n");
}

std::string TOutputModule::VoiceList() {
    std::string list =
        std::string("200-") + FluentVoice + "\ttr\tnone\n200-" + ClearVoice + "\ttr\tnone\n";
    if (engine_)
        for (const TEngineVoice &voice : engine_->Voices())
            if (voice.Language.rfind("tr", 0) != 0)
                list += "200-" + voice.Name + "\t" + voice.Language + "\tnone\n";
    return list + "200 OK VOICE LIST SENT\n";
}

void TOutputModule::Queue(TMessageKind kind, std::string text) {
    TMessage message{nextId_++, kind, std::move(text), settings_};
    active_ = message.Id;
    begun_ = ended_ = pauseAsked_ = false;
    {
        std::lock_guard<std::mutex> hold(queueLock_);
        queue_.push_back(std::move(message));
    }
    queueWake_.notify_one();
}

int TOutputModule::Run() {
    std::string line, body;
    while (ReadLine(line, MaxCommandBytes)) {
        if (line == "STOP") {
            Stop();
            continue;
        }
        if (line == "PAUSE") {
            Pause();
            continue;
        }
        std::unique_lock<std::mutex> hold(outLock_);
        bool truncated = false;
        if (line == "INIT") {
            Write(engine_ ? "299-sd_narrelo: espeak-ng and the Turkish reading ready\n299 OK "
                            "LOADED SUCCESSFULLY\n"
                          : "399-sd_narrelo: " + engineError_ + "\n399 ERR CANT INIT MODULE\n");
        } else if (line == "AUDIO") {
            Write("207 OK RECEIVING AUDIO SETTINGS\n");
            if (!ReadBody(body, MaxCommandBytes, truncated)) break;
            Write("203 OK AUDIO INITIALIZED\n");
        } else if (line == "SET") {
            Write("203 OK RECEIVING SETTINGS\n");
            if (!ReadBody(body, MaxCommandBytes, truncated)) break;
            Set(body);
        } else if (line == "LOGLEVEL") {
            Write("207 OK RECEIVING LOGLEVEL SETTINGS\n");
            if (!ReadBody(body, MaxCommandBytes, truncated)) break;
            Write("203 OK LOGLEVEL SET\n");
        } else if (line.rfind("DEBUG", 0) == 0) {
            Write("200 OK DEBUGGING\n");
        } else if (line == "LIST VOICES") {
            Write(VoiceList());
        } else if (line == "SPEAK" || line == "CHAR" || line == "KEY" || line == "SOUND_ICON") {
            const TMessageKind kind = line == "SPEAK"  ? TMessageKind::Speak
                                      : line == "CHAR" ? TMessageKind::Character
                                      : line == "KEY"  ? TMessageKind::Key
                                                       : TMessageKind::SoundIcon;
            Write("202 OK RECEIVING MESSAGE\n");
            if (!ReadBody(body, kind == TMessageKind::Speak ? MaxMessageBytes : MaxCommandBytes,
                          truncated))
                break;
            if (truncated)
                Log("a message longer than " + std::to_string(MaxMessageBytes) + " bytes was cut");
            if (!engine_) {
                Write("401 ERROR SPEECH ENGINE NOT AVAILABLE\n");
            } else if (active_ != 0 && !ended_) {
                Write("301 ERROR ALREADY SPEAKING\n");
            } else {
                Write("200 OK SPEAKING\n");
                Queue(kind, std::move(body));
            }
        } else if (line == "QUIT") {
            Write("210 OK QUIT\n");
            break;
        } else {
            Write("300 ERROR UNKNOWN COMMAND\n");
        }
    }
    return 0;
}

void TOutputModule::Speak() {
    for (;;) {
        TMessage message;
        {
            std::unique_lock<std::mutex> hold(queueLock_);
            queueWake_.wait(hold, [this] { return quitting_ || !queue_.empty(); });
            if (quitting_) return;
            message = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            SpeakMessage(message);
        } catch (const std::exception &e) {
            Log(std::string("a message could not be spoken: ") + e.what());
        }
        EmitEnd(message.Id);
    }
}

void TOutputModule::SpeakMessage(const TMessage &message) {
    const uint64_t id = message.Id;
    const TModuleSettings &settings = message.Settings;
    const auto cancelled = [this, id] { return stopped_.load() >= id; };

    // Speaks `utf8` with `voice`, reporting `marks` (by word of `utf8`) as their words are
    // reached and the rest after the last; false once the message has ended.
    const auto speak = [&](const std::string &utf8, const TVoiceSettings &voice,
                           std::vector<TPlan::TMark> marks) {
        size_t nextMark = 0, wordBase = 0;
        for (const std::string &piece :
             TSpeechSynthesiser::SpeechPieces(utf8, MaxPieceSpokenBytes)) {
            const std::vector<size_t> starts = WordStartCharacters(piece);
            std::vector<TWordStart> words;
            size_t processed = 0, cursor = 0;
            const auto onSamples = [&](const int16_t *samples, size_t count) {
                size_t from = 0;
                for (; processed < words.size(); ++processed) {
                    const TWordStart &w = words[processed];
                    const auto local = std::upper_bound(starts.begin(), starts.end(), w.Character);
                    const size_t global =
                        wordBase + size_t(std::max<ptrdiff_t>(0, local - starts.begin() - 1));
                    const size_t sample = w.Millisecond * size_t(Rate) / 1000;
                    if (sample > cursor + count) break;
                    while (nextMark < marks.size() && marks[nextMark].Word <= global) {
                        const size_t cut =
                            std::clamp(sample > cursor ? sample - cursor : 0, from, count);
                        if (!EmitAudio(id, samples + from, cut - from)) return false;
                        from = cut;
                        if (!EmitMark(id, marks[nextMark].Name)) return false;
                        ++nextMark;
                    }
                }
                cursor += count;
                return EmitAudio(id, samples + from, count - from);
            };
            engine_->Speak(piece, voice, size_t(MaxAudioSecondsPerItem) * Rate, cancelled, &words,
                           onSamples);
            if (cancelled()) return false;
            wordBase += starts.size();
        }
        for (; nextMark < marks.size(); ++nextMark)
            if (!EmitMark(id, marks[nextMark].Name)) return false;
        return true;
    };
    const auto play = [&](const std::vector<int16_t> &samples) {
        return EmitAudio(id, samples.data(), samples.size());
    };
    // One character's name, a capital said as the settings ask.
    const auto characterName = [&](std::string_view character, std::vector<int16_t> *icon) {
        std::string name = CharacterName(character);
        if (IsCapital(character)) {
            if (settings.CapitalLetters == "spell") name = "büyük " + name;
            if (settings.CapitalLetters == "icon" && icon) *icon = Tone(60, 1200);
        }
        return name;
    };
    const auto spell = [&](std::string_view text) {
        std::string out;
        for (size_t at = 0; at < text.size();) {
            const size_t length = FirstCharacterLength(text.substr(at));
            const std::string_view character = text.substr(at, length);
            at += length;
            if (character == " " || character == "\n" || character == "\t") continue;
            if (!out.empty()) out += ", ";
            out += characterName(character, nullptr);
        }
        return out;
    };

    // Names said as they are (characters, keys): logged like a reading.
    const auto sayName = [&](const std::string &name, const TProsody &prosody) {
        if (config_.LogReading) Log("reading: " + name);
        bool unused = false;
        return speak(name, VoiceFor(settings, prosody, unused), {});
    };

    bool frontEnd = false;
    switch (message.Kind) {
        case TMessageKind::SoundIcon:
            play(Tone(80, 880));
            return;
        case TMessageKind::Key:
            sayName(KeyName(message.Text), {});
            return;
        case TMessageKind::Character: {
            std::vector<int16_t> icon;
            // One character, or a name for one that is hard to send ("space").
            const std::string &character = message.Text;
            const std::string name = FirstCharacterLength(character) == character.size()
                                         ? characterName(character, &icon)
                                         : KeyName(character);
            if (!icon.empty() && !play(icon)) return;
            sayName(name, {});
            return;
        }
        case TMessageKind::Speak:
            break;
    }

    const TSsmlMessage ssml = ParseSsml(message.Text);
    if (!ssml.WellFormed) Log("the message is not well-formed SSML; read as plain text");
    const std::vector<TSsmlStep> &steps = ssml.Steps;
    for (size_t i = 0; i < steps.size();) {
        const TSsmlStep &step = steps[i];
        if (step.Kind == TSsmlStep::TKind::Break) {
            if (!play(std::vector<int16_t>(size_t(step.Milliseconds) * Rate / 1000, 0))) return;
            ++i;
            continue;
        }
        if (step.Kind == TSsmlStep::TKind::Characters) {
            if (!sayName(spell(step.Value), step.Prosody)) return;
            ++i;
            continue;
        }
        // A block: texts and marks, one prosody, read as one text.
        const TProsody prosody = step.Kind == TSsmlStep::TKind::Text ? step.Prosody : TProsody{};
        const TVoiceSettings voice = VoiceFor(settings, prosody, frontEnd);
        std::string text;  // UTF-8 (not Turkish) or Windows-1254 (Turkish)
        std::vector<std::pair<size_t, std::string>> markAt;
        for (; i < steps.size(); ++i) {
            const TSsmlStep &s = steps[i];
            if (s.Kind == TSsmlStep::TKind::Mark) {
                markAt.emplace_back(text.size(), s.Value);
            } else if (s.Kind == TSsmlStep::TKind::Text && s.Prosody == prosody) {
                std::string part = settings.Spelling
                                       ? spell(s.Value)
                                       : NamePunctuation(s.Value, settings.Punctuation);
                text += frontEnd ? Windows1254ForSpeech(part) : part;
            } else {
                break;
            }
        }
        std::vector<TPlan::TMark> marks;
        std::string spoken;
        if (frontEnd) {
            const std::string reading = NormaliseForSpeech(text, 0);
            if (config_.LogReading) Log("reading: " + cp1254::ToUtf8(reading));
            const TWordPositions positions(text);
            const size_t total = CountWords(reading);
            size_t last = 0;
            for (const auto &[at, name] : markAt) {
                last = std::clamp(positions.WordsBefore(WordEnd(text, at)), last, total);
                marks.push_back({last, name});
            }
            spoken = cp1254::ToUtf8(reading);
        } else {
            if (config_.LogReading) Log("reading: " + text);
            for (const auto &[at, name] : markAt)
                marks.push_back(
                    {CountWords(std::string_view(text).substr(0, WordEnd(text, at))), name});
            spoken = text;
        }
        if (!speak(spoken, voice, std::move(marks))) return;
    }
}
