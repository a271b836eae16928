// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tempo change of 16 kHz mono speech without a change of pitch.
//
// The method is pitch-synchronous overlap: at each step the local pitch period t is found
// with the average magnitude difference function (amdf.h) over lags 64..266 (250 Hz down to
// 60 Hz), and P * t output samples are made as a linear crossfade between two stretches of
// input lying (Q - P) * t samples apart; the step then consumes Q * t input samples. So the
// output is about P / Q times as long as the input while every period keeps its length.
//
// The speed parameter a runs from -10 to 10 (the reading form passes 10 minus its speed
// setting): with r = 1 - a / 10, r < 1 gives P = round(10 r), Q = 10 (faster, down to a
// tenth of the duration), otherwise P = 10, Q = round(10 |2 - r|) (slower, up to ten times
// the duration); r = 0 counts as 0.1, and P, Q are at least 1.
//
// Near the end of the input a step may look at samples past it: they read as silence. The
// input left over when a whole step no longer fits is dropped.

#include <cstdint>
#include <vector>

class TStream;

// Changes the tempo of the signed 16-bit mono PCM data[0 .. size) (an odd last byte is
// ignored) by the speed parameter a and appends the result to `output` at its current
// position. Raises "Invalid Ratio" when a < -10 or a > 10; the input is not changed.
void ChangeSpeed(const void *data, int32_t size, int a, TStream &output);

// out[k] = floor(x[i0 + k] * (1 - w) + x[i0 + d + k] * w), w = k * (1 / n), in double
// precision, for k in [0, n): a linear fade from the stretch at i0 to the stretch d samples
// later (earlier for negative d).
void Crossfade(const int16_t *x, int i0, int d, int n, int16_t *y);

// The settings of one tempo and the output buffer of one step.
class TSpeedChanger {
public:
    static constexpr int SampleRate = 16000;
    static constexpr int MinLag = SampleRate / 250;  // 64
    static constexpr int MaxLag = SampleRate / 60;   // 266

    // Raises "Invalid Ratio" when a < -10 or a > 10.
    explicit TSpeedChanger(int a);

    int P() const { return p_; }
    int Q() const { return q_; }
    // Input span looked at by one step, in samples from its start.
    int SegmentLength() const { return segmentLength_; }
    // Silent samples put in front of the input (P > Q only).
    int LeadIn() const { return leadIn_; }
    // Samples compared per lag by the period search.
    int Window() const { return window_; }

    // One step at x, where x[0 .. SegmentLength()) is readable: fills the crossfade buffer
    // with P * tau samples and returns the Q * tau input samples the step consumes. Raises
    // "Invalid param FOL" or "olmaz" for a tau that does not fit the segment.
    int OverlapStep(const int16_t *x, int tau);
    const int16_t *CrossfadeBuffer() const { return crossfade_.data(); }

    // The whole change over `count` samples (see ChangeSpeed).
    void Run(const int16_t *samples, int32_t count, TStream &output);

private:
    int p_;
    int q_;
    int segmentLength_;
    int leadIn_;
    int window_;
    std::vector<int16_t> crossfade_;  // P * MaxLag samples
};
