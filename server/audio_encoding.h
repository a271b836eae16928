// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From the speech's samples (resampled to 16,000 Hz by speech/resample.h) to the file the
// client plays: mono Ogg Vorbis (libvorbisenc). A pure function of its input: the same
// samples and serial number give the same bytes, on every call and in every process.

#include <cstdint>
#include <string>
#include <vector>

#include "speech/resample.h"  // the samples it is given

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
