// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The benchmarks' speech: one minute of Turkish from espeak-ng, brought to 16 kHz mono and
// encoded as Ogg Vorbis by oggenc, the way the speech service delivers it. Made once per
// run in a temporary folder (removed afterwards).

#include <cstdint>
#include <vector>

struct TSpeechRecording {
    std::vector<uint8_t> Ogg;    // the 60-second file, 16 kHz mono Ogg Vorbis
    std::vector<int16_t> Pcm;    // its decoded samples (960,000)
};

// Exits the process with a message when espeak-ng or oggenc is missing or fails.
const TSpeechRecording &SpeechRecording();
