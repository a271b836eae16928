// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small helpers shared by the pipeline tests.

#include <cstdint>
#include <string>
#include <vector>

namespace testutil {

// The bytes of a file in the tests' fixtures folder; fails the test when it is missing.
std::vector<uint8_t> ReadFixture(const std::string &name);

// 64-bit FNV-1a of a byte range.
uint64_t Fnv1a(const void *data, size_t size);

// Decodes the whole Ogg Vorbis file with libvorbisfile (its own page and packet handling,
// float output) and converts every sample with floor(x * 32767.0f + 0.5f), clamped: what the
// decoder must produce, reached by an independent path.
std::vector<int16_t> ReferenceDecode(const std::vector<uint8_t> &file, int *channels = nullptr);

// Little-endian bytes to samples and back.
std::vector<int16_t> ToSamples(const uint8_t *bytes, size_t size);

}  // namespace testutil
