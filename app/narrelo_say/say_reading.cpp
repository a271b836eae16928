// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/narrelo_say/say_reading.h"

#include <sys/ioctl.h>
#include <unistd.h>

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
    for (int32_t i = 0; i < text->Sentences.Count(); ++i)
        sentences.push_back(TerminalSafe(text->Sentences.Get(i)->Text.ToUtf8(), false));
    {
        // A new part of a long text: its sentences are counted and shown from the first.
        std::lock_guard<std::mutex> guard(lock_);
        sentences_ = std::move(sentences);
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

std::string TSayReading::ProgressLine(int32_t heard, int32_t width) {
    const int32_t count = sentenceCount_;
    const int32_t shown = count > 0 ? std::min(heard + 1, count) : 0;
    constexpr int32_t barWidth = 20;
    const int32_t filled = count > 0 ? shown * barWidth / count : 0;
    char head[96];
    std::snprintf(head, sizeof head, "[%s%s] %d/%d  %5.1f s queued  ",
                  std::string(size_t(filled), '#').c_str(),
                  std::string(size_t(barWidth - filled), '-').c_str(), shown, std::max(count, 0),
                  waveOut_.QueuedBytes() / BytesPerSecond);
    std::string line = head;
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
        // One line for every sentence that has begun to play, none left out.
        for (; printed_ < heard_; ++printed_) {
            const int32_t next = printed_ + 1;
            if (next >= int32_t(sentences_.size())) break;
            std::fprintf(stderr, "[%d/%d] %s\n", next + 1, int32_t(sentences_.size()),
                         sentences_[size_t(next)].c_str());
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
