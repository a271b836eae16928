// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From the speech engine's 22,050 Hz to the 16,000 Hz every output takes (libsoxr, high
// quality). A pure function of its input: the same samples give the same samples, on every
// call and in every process.

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr int OutputSampleRate = 16000;

// The most samples one Resample call takes: an hour at 22,050 Hz, far beyond any item.
inline constexpr size_t MaxResampleSamples = size_t(3600) * 22050;

// Mono 16-bit samples at `inputRate` resampled to `outputRate`, in blocks. Throws
// std::runtime_error when libsoxr fails or the input is beyond MaxResampleSamples.
std::vector<int16_t> Resample(const std::vector<int16_t> &input, int inputRate, int outputRate);
