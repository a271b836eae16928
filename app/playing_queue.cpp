// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/playing_queue.h"

uint32_t TPlayingQueue::Start(int32_t offset) {
    entries_.clear();
    offset_ = offset;
    heard_ = 0;
    return ++serial_;
}

void TPlayingQueue::Clear() { entries_.clear(); }

TTextRange TPlayingQueue::RangeOf(const TEntry &entry) const {
    return {entry.Start + offset_, entry.Length};
}

std::optional<TTextRange> TPlayingQueue::Queued(uint32_t serial, int32_t index, int32_t start,
                                                 int32_t length) {
    if (serial != serial_) return std::nullopt;
    entries_.push_back({index, start, length});
    if (entries_.size() == 1) return RangeOf(entries_.front());
    return std::nullopt;
}

std::optional<TTextRange> TPlayingQueue::Heard(uint32_t serial, uint32_t tag) {
    if (serial != serial_ || tag == WarningSoundTag || entries_.empty()) return std::nullopt;
    const int32_t index = int32_t(tag);
    // Buffers finish in the order they were queued; entries ahead of this one belong to
    // sound that was dropped, and go with it.
    bool found = false;
    for (const TEntry &entry : entries_)
        if (entry.Index == index) found = true;
    if (!found) return std::nullopt;
    while (entries_.front().Index != index) entries_.pop_front();
    entries_.pop_front();
    if (entries_.empty() || entries_.front().Index != index) heard_ = index + 1;
    if (entries_.empty()) return std::nullopt;
    return RangeOf(entries_.front());
}
