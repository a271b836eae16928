// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Float-to-PCM conversion of decoded Vorbis audio.
//
// Each sample x becomes floor(x * 32767.0f + 0.5f): the product and the sum are each rounded
// to single precision (two roundings, never fused) before the floor. Results above 32,767
// or below -32,768 are clamped, and so is a NaN, which becomes -32,768. The file is
// compiled with -ffp-contract=off so that no compiler turns the product and the sum into
// one fused operation.

#include <cstdint>

// Converts `frames` frames of `channels` planar float channels into interleaved signed
// 16-bit samples at `out` (frame j, channel c at out[j * channels + c]). Returns true when
// at least one sample was clamped. channels >= 1, frames >= 0.
bool ConvertFloatToPcm16(const float *const *planes, int channels, int frames, int16_t *out);
