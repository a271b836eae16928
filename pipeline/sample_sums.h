// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sums over one signal that every pitch search on it reuses, made once per stretch of signal
// instead of once per search: running sums (for the plain sums in the difference function)
// and the sums of every 8 consecutive samples (for the lower bound that spares most lags).
//
// The signal is `leading` zeros, then samples[0 .. count), then silence. The sums are kept
// for one chunk of it at a time in a buffer that stays in the cache; a window beyond the
// chunk starts a new chunk at that window.

#include <cstdint>
#include <vector>

class TSampleSums {
public:
    // Sums around position p of the signal, valid for offsets [0, span].
    struct TWindow {
        // Prefix[i] = running sum of the samples before p + i, wrapping modulo 2^32: only
        // differences mean anything.
        const uint32_t *Prefix;
        // Blocks[i] = the sum of the 8 samples from p + i.
        const int32_t *Blocks;
    };

    // `samples` must outlive this object; span > 0 is the widest window asked for; one chunk
    // serves windows starting at `chunk` + 1 consecutive positions.
    TSampleSums(int32_t leading, const int16_t *samples, int32_t count, int32_t span, int32_t chunk = 16384);

    // The sums for the window at p >= 0; windows must be asked for in ascending order of p.
    TWindow At(int64_t p);

private:
    void Fill(int64_t start);
    int16_t Sample(int64_t i) const;

    int32_t leading_;
    const int16_t *samples_;
    int32_t count_;
    int32_t span_;
    int32_t chunk_;      // positions a chunk serves windows for
    int64_t start_ = -1;  // first position of the current chunk; -1 before the first
    std::vector<uint32_t> prefix_;
    std::vector<int32_t> blocks_;
};
