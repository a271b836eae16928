// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TPlayingQueue: the sentences whose sound has been queued on the wave output and not yet
// heard, in playing order, and what follows from them: which sentence of the text box is
// highlighted and how many sentences have been heard.
//
// It lives on the UI thread only. Its writers run elsewhere (the synthesis thread queues
// sound, the play thread hears buffers finish), so they post their events to the UI thread,
// which applies them here in the order they were posted. No lock is needed and nothing can
// be changed half-way.
//
// Every event carries the serial number of the reading it belongs to. Start begins a new
// reading; events of any earlier reading (posted before it, run after it) are ignored, so a
// stopped reading's late events never move the highlight of the next one.
//
// Positions: a sentence's Start and Length are character positions in the text that was
// sent; that text may be a trimmed selection, so the highlight (a TTextRange of the text
// box) adds the reading's Offset (where the sent text begins in the text box).
//
// Buffers are tagged with the sentence index; the warning sound is tagged WarningSoundTag,
// which no sentence has, so its end never moves the highlight.

#include <cstdint>
#include <deque>
#include <optional>

#include "foundation/text_range.h"

inline constexpr uint32_t WarningSoundTag = 0xFFFFFFFFu;

class TPlayingQueue {
public:
    // A new reading: forgets the queue and takes `offset` (see above). Returns its serial.
    uint32_t Start(int32_t offset);
    // Forgets the queue (the reading stopped); the serial stays.
    void Clear();
    uint32_t Serial() const { return serial_; }

    // A sound item of sentence `index` (Start, Length in the sent text) was queued. Returns
    // the range to highlight when it is now the only entry.
    std::optional<TTextRange> Queued(uint32_t serial, int32_t index, int32_t start, int32_t length);
    // A buffer tagged `tag` has been heard. Drops the entries up to the one of that buffer
    // and returns the range to highlight when another entry follows.
    std::optional<TTextRange> Heard(uint32_t serial, uint32_t tag);

    // Sentences heard to the end, for the progress bar: one past the last finished sentence
    // whose items have all been heard.
    int32_t SentencesHeard() const { return heard_; }
    int32_t Count() const { return int32_t(entries_.size()); }
    bool Empty() const { return entries_.empty(); }

private:
    struct TEntry {
        int32_t Index;
        int32_t Start;
        int32_t Length;
    };
    TTextRange RangeOf(const TEntry &entry) const;

    std::deque<TEntry> entries_;
    uint32_t serial_ = 0;
    int32_t offset_ = 0;
    int32_t heard_ = 0;
};
