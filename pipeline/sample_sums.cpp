// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/sample_sums.h"

#include <cstddef>

namespace {

constexpr int32_t Block = 8;

}  // namespace

TSampleSums::TSampleSums(int32_t leading, const int16_t *samples, int32_t count, int32_t span, int32_t chunk)
    : leading_(leading), samples_(samples), count_(count > 0 ? count : 0), span_(span), chunk_(chunk) {
    prefix_.resize(static_cast<size_t>(chunk_) + static_cast<size_t>(span_) + Block + 1);
    blocks_.resize(static_cast<size_t>(chunk_) + static_cast<size_t>(span_) + 1);
}

int16_t TSampleSums::Sample(int64_t i) const {
    const int64_t at = i - leading_;
    return at >= 0 && at < count_ ? samples_[at] : 0;
}

void TSampleSums::Fill(int64_t start) {
    start_ = start;
    const size_t length = prefix_.size() - 1;
    uint32_t *prefix = prefix_.data();
    prefix[0] = 0;
    // The running sum is kept in a register: read back from the table, each sum would wait
    // for the store of the one before it.
    uint32_t sum = 0;
    // Straight from the samples where the chunk lies inside them, sample by sample elsewhere.
    const int64_t from = start - leading_;
    if (from >= 0 && from + static_cast<int64_t>(length) <= count_) {
        const int16_t *s = samples_ + from;
        for (size_t i = 0; i < length; ++i) {
            sum += static_cast<uint32_t>(static_cast<int32_t>(s[i]));
            prefix[i + 1] = sum;
        }
    } else {
        for (size_t i = 0; i < length; ++i) {
            sum += static_cast<uint32_t>(
                static_cast<int32_t>(Sample(start + static_cast<int64_t>(i))));
            prefix[i + 1] = sum;
        }
    }
    int32_t *blocks = blocks_.data();
    for (size_t i = 0; i < blocks_.size(); ++i)
        blocks[i] = static_cast<int32_t>(prefix[i + Block] - prefix[i]);
}

TSampleSums::TWindow TSampleSums::At(int64_t p) {
    if (start_ < 0 || p < start_ || p - start_ > chunk_) Fill(p);
    const size_t offset = static_cast<size_t>(p - start_);
    return {prefix_.data() + offset, blocks_.data() + offset};
}
