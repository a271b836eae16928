// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/narrelo_say/say_reading.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "pipeline/demo_synthesise_thread.h"
#include "pipeline/reading_session.h"
#include "pipeline/wave_out.h"
#include "records/demo_audio.h"
#include "records/narrelo_text.h"

namespace {

constexpr double BytesPerSecond = 32000.0;  // 16,000 samples of 16 bits, mono

int32_t TerminalWidth() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col;
    return 80;
}

// The first `columns` characters of the UTF-8 `text`, its line breaks as blanks.
std::string Fit(const std::string &text, int32_t columns) {
    std::string out;
    int32_t used = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80) {
            if (used == columns) break;
            ++used;
        }
        out += (c == '\n' || c == '\r' || c == '\t') ? ' ' : char(c);
    }
    return out;
}

}  // namespace

std::string TerminalSafe(const std::string &utf8, bool keepLineBreaks) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (keepLineBreaks && (c == '\n' || c == '\r' || c == '\t')) {
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else if (c == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            out += ' ';  // U+0080..U+009F: the C1 controls, CSI among them
            ++i;
        } else {
            out += char(c);
        }
    }
    return out;
}

TSayReading::TSayReading(TReadingSession &session, TWaveOut &waveOut, bool autoContinue,
                         bool showProgress, bool inPlace)
    : session_(session), waveOut_(waveOut), autoContinue_(autoContinue), showProgress_(showProgress),
      inPlace_(inPlace) {}

void TSayReading::OnTextReady(TDemoSynthesiseThread *thread) {
    const TNarreloText *text = thread->CurrentText;
    std::vector<std::string> sentences;
    std::vector<int32_t> starts;
    for (int32_t i = 0; i < text->Sentences.Count(); ++i) {
        sentences.push_back(TerminalSafe(text->Sentences.Get(i)->Text.ToUtf8(), false));
        starts.push_back(text->Sentences.Get(i)->Start);
    }
    {
        // A new part of a long text: its sentences are counted on from the parts before.
        std::lock_guard<std::mutex> guard(lock_);
        sentences_ = std::move(sentences);
        starts_ = std::move(starts);
        heard_ = -1;
        printed_ = -1;
        lastQueued_ = -1;
        if (stopAfter_ != INT32_MAX) stopAfter_ = -1;  // a stop asked for: nothing of a new part
    }
    sentenceCount_ = text->Sentences.Count();
}

void TSayReading::OnAudio(TDemoSynthesiseThread *thread, TDemoAudio *audio) {
    if (autoContinue_ && thread->WordLimitReached) {
        thread->ContinueListening();
    }
    const uint32_t sentence = uint32_t(thread->SentenceIndex.load());
    {
        // Decided under the lock, so that a stop asked for now sees this sentence begun or not.
        std::lock_guard<std::mutex> guard(lock_);
        if (int32_t(sentence) > stopAfter_) return;
        if (int32_t(sentence) != lastQueued_) {
            if (RoomForSentence && !RoomForSentence()) {
                outOfRoom_ = true;
                stopAfter_ = lastQueued_;
                return;
            }
            lastQueued_ = int32_t(sentence);
        }
    }
    bool listed = false;
    try {
        // Listed before the write: the buffer may be done (and released) before Write returns.
        const bool queued = session_.Play(*thread, *audio, sentence, [&] {
            std::lock_guard<std::mutex> guard(lock_);
            if (playing_.empty()) heard_ = int32_t(sentence);
            playing_.push_back(sentence);
            listed = true;
        });
        if (queued) ++queued_;
    } catch (...) {
        if (listed) {
            std::lock_guard<std::mutex> guard(lock_);
            if (!playing_.empty()) playing_.pop_back();
        }
        throw;
    }
}

int32_t TSayReading::StopAfterCurrentSentence() {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopAfter_ > lastQueued_) stopAfter_ = lastQueued_;
    return stopAfter_;
}

void TSayReading::OnBufferDone(TWaveOut *, uint32_t) {
    std::lock_guard<std::mutex> guard(lock_);
    if (playing_.empty()) return;
    playing_.pop_front();
    if (!playing_.empty()) heard_ = int32_t(playing_.front());
}

void TSayReading::BeginPart(int64_t offset, int64_t total, bool final) {
    std::lock_guard<std::mutex> guard(lock_);
    // The sentences of the part before that began to be heard (all of a part read whole).
    if (heard_ >= 0) sentencesBefore_ += heard_ + 1;
    sentences_.clear();
    starts_.clear();
    heard_ = -1;
    printed_ = -1;
    partOffset_ = offset;
    total_ = total;
    finalPart_ = final;
}

namespace {

// "1:02:03" or "2:03".
std::string Clock(int64_t seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace

void TSayReading::Finish() {
    std::lock_guard<std::mutex> guard(lock_);
    finished_ = true;
}

std::string TSayReading::ProgressLine(int32_t heard, int32_t width) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const int64_t elapsed = int64_t(seconds);
    int64_t done = partOffset_ + (heard >= 0 && heard < int32_t(starts_.size()) ? starts_[size_t(heard)] : 0);
    if (finished_ && total_ > 0) done = total_;
    std::string line;
    char piece[160];
    if (total_ > 0) {
        // A bar over the whole text, with the time left at the pace so far.
        const double fraction = std::min(1.0, double(done) / double(total_));
        constexpr int32_t barWidth = 20;
        const int32_t filled = int32_t(fraction * barWidth);
        std::snprintf(piece, sizeof piece, "[%s%s] %3d%%  ", std::string(size_t(filled), '#').c_str(),
                      std::string(size_t(barWidth - filled), '-').c_str(), int(fraction * 100));
        line += piece;
    }
    std::snprintf(piece, sizeof piece, "sentence %d  %s", sentencesBefore_ + std::max(heard + 1, 0),
                  Clock(elapsed).c_str());
    line += piece;
    if (total_ > 0 && done > 0 && !finished_) {
        // At the pace so far.
        const double left = seconds * double(std::max<int64_t>(total_ - done, 0)) / double(done);
        line += ", ~" + Clock(int64_t(left + 0.5)) + " left";
    }
    const double queued = waveOut_.QueuedBytes() / BytesPerSecond;
    if (queued >= 0.05) {
        std::snprintf(piece, sizeof piece, "  %.1f s queued", queued);
        line += piece;
    }
    line += "  ";
    if (heard >= 0 && heard < int32_t(sentences_.size()))
        line += Fit(sentences_[size_t(heard)], width - 1 - int32_t(line.size()));
    return line;
}

void TSayReading::DrawProgress() {
    if (!showProgress_) return;
    std::lock_guard<std::mutex> guard(lock_);
    if (inPlace_) {
        const std::string line = ProgressLine(heard_, TerminalWidth());
        std::fprintf(stderr, "\r%s\x1B[K", line.c_str());
        lineShown_ = true;
    } else {
        // One line for every sentence that has begun to play, none left out, numbered over
        // the whole reading ("[k/n]" when the text is one part and n is known).
        for (; printed_ < heard_; ++printed_) {
            const int32_t next = printed_ + 1;
            if (next >= int32_t(sentences_.size())) break;
            if (finalPart_ && sentencesBefore_ == 0)
                std::fprintf(stderr, "[%d/%d] %s\n", next + 1, int32_t(sentences_.size()),
                             sentences_[size_t(next)].c_str());
            else
                std::fprintf(stderr, "[%d] %s\n", sentencesBefore_ + next + 1, sentences_[size_t(next)].c_str());
        }
    }
    std::fflush(stderr);
}

void TSayReading::ClearProgress() {
    std::lock_guard<std::mutex> guard(lock_);
    if (lineShown_) std::fprintf(stderr, "\r\x1B[K");
    lineShown_ = false;
    std::fflush(stderr);
}

void TSayReading::Print(const std::string &text) {
    ClearProgress();
    std::fprintf(stderr, "%s\n", TerminalSafe(text, true).c_str());
    std::fflush(stderr);
}
