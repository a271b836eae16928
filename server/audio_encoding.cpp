// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/audio_encoding.h"

std::string EncodeOggVorbis(const int16_t *samples, size_t count, int sampleRate, int serial,
                            const TVorbisSettings &settings) {
    return EncodeOggVorbis(samples, count, sampleRate, serial, "narrelo-demoserver", settings);
}
