// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From the speech engine's samples to the file the client plays: 22,050 Hz is resampled
// to 16,000 Hz (libsoxr, high quality) and encoded as mono Ogg Vorbis (libvorbisenc).
// Both steps are pure functions of their input: the same samples and serial number give
// the same bytes, on every call and in every process.

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int OutputSampleRate = 16000;

// The most samples one Resample call takes: an hour at 22,050 Hz, far beyond any item.
inline constexpr size_t MaxResampleSamples = size_t(3600) * 22050;

// Mono 16-bit samples at `inputRate` resampled to `outputRate`, in blocks. Throws
// std::runtime_error when libsoxr fails or the input is beyond MaxResampleSamples.
std::vector<int16_t> Resample(const std::vector<int16_t> &input, int inputRate, int outputRate);

// How libvorbisenc encodes: variable bit rate at a quality (-0.1 to 1.0), the bit rate
// unmanaged; or, with a nominal bit rate, managed (the bit rate manager holds the average,
// and Minimum and Maximum, when given, as hard bounds).
struct TVorbisSettings {
    float Quality = 0.1f;
    long NominalBitrate = 0;  // > 0: managed instead of a quality
    long MinimumBitrate = -1, MaximumBitrate = -1;
};

// What the service encodes with (docs/encoder.md says why).
inline constexpr TVorbisSettings ServiceVorbisSettings{};

// A complete Ogg Vorbis file (one logical stream with serial number `serial`) of the mono
// samples at `sampleRate`. No samples give a valid file of silence-free zero length. Throws
// std::runtime_error when libvorbisenc refuses the settings.
std::string EncodeOggVorbis(const int16_t *samples, size_t count, int sampleRate, int serial,
                            const TVorbisSettings &settings = ServiceVorbisSettings);
