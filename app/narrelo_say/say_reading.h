// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSayReading: what narrelo-say does with the events of one reading, in the place of the
// reading window: it has the session decode, speed-change and queue every audio item tagged
// with its sentence, lets the reading go on after 50 new words when nobody is asked, follows
// the sentence being heard, and draws the progress on standard error.
//
// Threads: OnTextReady and OnAudio run on the synthesis thread, OnBufferDone on the play
// thread (with the wave output's lock held: it only takes this object's own lock), the
// rest on the main thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <climits>
#include <mutex>
#include <string>
#include <vector>

#include "pipeline/demo_synthesise_thread_events.h"
#include "pipeline/wave_out_events.h"

class TReadingSession;
class TWaveOut;

// `utf8` with every control character a blank, so that a text's escape sequences never reach
// the terminal: C0 controls and DEL, and the C1 controls U+0080..U+009F. keepLineBreaks
// keeps line feed, carriage return and tab (a message's own layout).
std::string TerminalSafe(const std::string &utf8, bool keepLineBreaks);

class TSayReading : public TEventHandler_DemoSynthesiseThread, public TEventHandler_WaveOut {
public:
    // autoContinue: clear the listening pause at once (no one is asked). showProgress: draw
    // the progress; inPlace: redraw one line (a terminal) instead of writing a line per
    // sentence. The session plays the sound (at its Speed) on `waveOut`.
    TSayReading(TReadingSession &session, TWaveOut &waveOut, bool autoContinue, bool showProgress,
                bool inPlace);

    void OnTextReady(TDemoSynthesiseThread *thread) override;
    void OnAudio(TDemoSynthesiseThread *thread, TDemoAudio *audio) override;
    void OnBufferDone(TWaveOut *waveOut, uint32_t tag) override;

    // Main thread, before each part of the text is read: `offset` bytes of the whole text
    // (Windows-1254) come before the part; `total` is the whole text's length when it is
    // known or estimated (-1: not known, a stream); `final`: no text follows the part. The
    // progress is one for the whole reading: sentences and bytes done of all the parts.
    void BeginPart(int64_t offset, int64_t total, bool final);
    // Main thread: brings the progress up to date.
    void DrawProgress();
    // Main thread: the whole text was read; the progress says so from now on.
    void Finish();
    // Any thread: removes the progress line from the terminal (before a message).
    void ClearProgress();
    // Any thread: writes `text` (UTF-8) to standard error on lines of its own.
    void Print(const std::string &text);

    // Asked on the synthesis thread before the first item of every sentence is queued: false
    // ends the reading after the sentences queued so far (a WAVE stream near its bound). Set
    // before the reading starts.
    std::function<bool()> RoomForSentence;
    // Any thread: no item of a later sentence than the one queued last is queued from now
    // on; returns that sentence (-1: none of this part's). The reading then ends on whole
    // sentences once the thread's SentenceIndex has passed it (or the thread has finished).
    int32_t StopAfterCurrentSentence();
    // RoomForSentence said no.
    bool OutOfRoom() const { return outOfRoom_.load(); }

    // Sentences of the text; -1 before OnTextReady.
    int32_t SentenceCount() const { return sentenceCount_.load(); }
    // Audio items queued.
    int32_t Queued() const { return queued_.load(); }

private:
    std::string ProgressLine(int32_t heard, int32_t width);  // lock_ held

    TReadingSession &session_;
    TWaveOut &waveOut_;
    const bool autoContinue_;
    const bool showProgress_;
    const bool inPlace_;

    std::atomic<int32_t> sentenceCount_{-1};  // synthesis thread writes, anyone reads
    std::atomic<int32_t> queued_{0};          // synthesis thread writes, anyone reads
    std::atomic<bool> outOfRoom_{false};

    // Guards what follows: the synthesis, play and main threads all touch it.
    std::mutex lock_;
    std::vector<std::string> sentences_;  // UTF-8 texts, filled by OnTextReady
    std::vector<int32_t> starts_;         // where each begins in the part's text
    int64_t partOffset_ = 0;              // bytes of the whole text before this part
    int64_t total_ = -1;                  // the whole text's bytes; -1 unknown
    bool finalPart_ = true;
    bool finished_ = false;
    int32_t sentencesBefore_ = 0;         // sentences begun in the parts before
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::deque<uint32_t> playing_;        // sentence of each queued buffer, in queue order
    int32_t heard_ = -1;                  // the sentence at the front of the queue
    int32_t printed_ = -1;                // last sentence written as a line of its own
    int32_t lastQueued_ = -1;             // sentence of the last item queued (this part)
    int32_t stopAfter_ = INT32_MAX;       // no item of a later sentence is queued
    bool lineShown_ = false;              // the in-place progress line is on the terminal
};
