// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/speed_change.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "foundation/exceptions.h"
#include "foundation/stream.h"
#include "pipeline/amdf.h"
#include "pipeline/sample_sums.h"

namespace {

// floor(c) + 1 when the first decimal of c is 5 or more, else floor(c); at least 1.
// The sums of every lag are carried from step to step when a step consumes at most this many
// periods (see Run): there the carried sums cost less than a fresh search (measured by
// bench_pipeline; at Q = 5 the two cost about the same).
constexpr int CarryUpToQ = 3;

int RoundRatio(double c) {
    const double whole = std::floor(c);
    int result = static_cast<int>(whole);
    if ((c - whole) * 10 >= 5) ++result;
    return result < 1 ? 1 : result;
}

}  // namespace

TSpeedChanger::TSpeedChanger(int a) {
    if (a < -10 || a > 10) RaiseError("Invalid Ratio");
    const double r = 1 - a / 10.0;
    if (r == 0) {
        p_ = 1;
        q_ = 10;
    } else if (r < 1) {
        p_ = RoundRatio(10 * r);
        q_ = 10;
    } else {
        p_ = 10;
        q_ = RoundRatio(10 * std::fabs(2 - r));
    }
    if (p_ <= q_) {
        segmentLength_ = MaxLag * q_;
        leadIn_ = 0;
    } else {
        segmentLength_ = MaxLag * (2 * p_ - q_);
        leadIn_ = MaxLag * (p_ - q_);
    }
    window_ = segmentLength_ - MaxLag - leadIn_;
    crossfade_.assign(static_cast<size_t>(p_) * MaxLag, 0);
}

int TSpeedChanger::OverlapStep(const int16_t *x, int tau) {
    if (leadIn_ < 0 || leadIn_ + (q_ - p_) * tau < 0 || p_ * tau < 0) RaiseError("Invalid param FOL");
    if (q_ * tau + leadIn_ - 1 >= segmentLength_ - leadIn_) RaiseError("olmaz");
    Crossfade(x, leadIn_, (q_ - p_) * tau, p_ * tau, crossfade_.data());
    return q_ * tau;
}

void TSpeedChanger::Run(const int16_t *samples, int32_t count, TStream &output) {
    // The work sequence is LeadIn() zeros, the input, then silence. A step reads only
    // x[0 .. SegmentLength()); where that span leaves the input it is assembled in `edge`.
    const int64_t total = static_cast<int64_t>(leadIn_) + (count > 0 ? count : 0);
    std::vector<int16_t> edge(static_cast<size_t>(segmentLength_));
    // The sums every period search reuses, over the work sequence and its silent tail.
    TSampleSums sums(leadIn_, samples, count, segmentLength_ + 16);
    int64_t position = 0;  // of x in the work sequence
    int64_t remaining = total;
    int hint = MinLag;
    // When the steps are short against the window (the slow settings), the sums of every lag
    // are carried from step to step (AddLagSums), which costs two step lengths per lag
    // instead of a search over the whole window. `carried` is the length of the last step
    // when the sums hold its window less its first samples, or -1 when they must be made
    // afresh.
    const bool carry = q_ <= CarryUpToQ;
    std::vector<int32_t> lagSums(carry ? MaxLag - MinLag + 1 : 0);
    int carried = -1;
    while (remaining > 0) {
        const int16_t *x;
        if (position >= leadIn_ && position + segmentLength_ <= total) {
            x = samples + (position - leadIn_);
        } else {
            std::memset(edge.data(), 0, edge.size() * sizeof(int16_t));
            const int64_t from = position > leadIn_ ? position : leadIn_;
            const int64_t to = position + segmentLength_ < total ? position + segmentLength_ : total;
            if (to > from)
                std::memcpy(edge.data() + (from - position), samples + (from - leadIn_),
                            static_cast<size_t>(to - from) * sizeof(int16_t));
            x = edge.data();
        }
        const TSampleSums::TWindow window = sums.At(position + leadIn_);
        const int16_t *base = x + leadIn_;
        int tau;
        if (carry) {
            if (carried < 0) {
                std::fill(lagSums.begin(), lagSums.end(), 0);
                AddLagSums(MinLag, MaxLag, 0, window_, base, window.Prefix, false, lagSums.data());
            } else {
                AddLagSums(MinLag, MaxLag, window_ - carried, window_, base, window.Prefix, false,
                           lagSums.data());
            }
            tau = SmallestLagSum(MinLag, MaxLag, lagSums.data());
        } else {
            tau = BestPitchLag(MinLag, MaxLag, window_, base, window.Prefix, window.Blocks, hint);
        }
        if (remaining < static_cast<int64_t>(q_) * tau + leadIn_) break;
        const int consumed = OverlapStep(x, tau);
        output.Write(crossfade_.data(), 2 * p_ * tau);
        if (carry) {
            // The samples the window leaves behind, while x still holds them.
            carried = consumed < window_ ? consumed : -1;
            if (carried > 0)
                AddLagSums(MinLag, MaxLag, 0, consumed, base, window.Prefix, true, lagSums.data());
        }
        remaining -= consumed;
        position += consumed;
        hint = tau;
    }
}

void ChangeSpeed(const void *data, int32_t size, int a, TStream &output) {
    TSpeedChanger changer(a);
    const int32_t count = size > 0 ? size / 2 : 0;
    if (reinterpret_cast<uintptr_t>(data) % alignof(int16_t) == 0) {
        changer.Run(static_cast<const int16_t *>(data), count, output);
        return;
    }
    std::vector<int16_t> aligned(static_cast<size_t>(count));
    if (count > 0) std::memcpy(aligned.data(), data, aligned.size() * sizeof(int16_t));
    changer.Run(aligned.data(), count, output);
}
