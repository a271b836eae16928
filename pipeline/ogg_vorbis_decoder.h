// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding of the Ogg Vorbis files the speech service sends into raw PCM.

#include <cstdint>

class TStream;

// Decodes the first logical Vorbis stream of the in-memory Ogg file data[0..size) and
// appends its PCM (signed 16-bit little-endian, channels interleaved, in the stream's own
// rate and channel count) to `output` at its current position. size > 0.
//
// Diagnostics go to standard error only:
// - data that does not begin with a complete Ogg page within its first 4,096 bytes writes
//   nothing and reports nothing;
// - a broken header writes its diagnostic and raises TException with the same text (without
//   the line feed): "Error reading first page of Ogg bitstream data.", "Error reading initial
//   header packet.", "This Ogg bitstream does not contain Vorbis audio data.", "Corrupt
//   secondary header.  Exiting.", "End of file before finding all Vorbis headers!"; nothing
//   has been written to `output` then;
// - a header the decoder cannot be set up from writes "Error: Corrupt header during playback
//   initialization." and returns without output;
// - damaged audio pages write "Corrupt or missing data in bitstream; continuing..." and are
//   skipped; decoding goes on with the next good page;
// - a conversion step with clamped samples writes "Clipping in frame %ld".
// - a stream whose PCM would pass DecodedSizeBudget bytes, by what its last page announces
//   (checked before any decoding) or by what it really decodes to (counted as it goes),
//   writes and raises "Decoded audio would exceed the limit of 64 MiB; the stream is
//   refused."; in the second case the PCM up to the budget has been written.
// Chained streams after the first end-of-stream page are ignored.
void DecodeOggVorbis(const uint8_t *data, int32_t size, TStream &output);

// The most PCM one file may decode to: over half an hour of the service's 16 kHz mono
// speech, while a small hostile file (many channels of silence at a high rate) could
// otherwise ask for gigabytes.
inline constexpr int64_t DecodedSizeBudget = int64_t(64) << 20;

// Whether the two warnings that do not stop decoding ("Corrupt or missing data in
// bitstream; continuing..." and "Clipping in frame %ld") are written; true unless a program
// was asked to be quiet. Errors are always written. Any thread may call it.
void SetDecoderWarningsShown(bool shown);

// How often each of those two warnings arose in this process so far, written or not (a
// program that keeps them off its progress line tells them once at the end). Any thread.
struct TDecoderWarningCounts {
    int64_t CorruptPages = 0;
    int64_t ClippedSteps = 0;
};
TDecoderWarningCounts DecoderWarningCounts();

// The same with another budget (bytes of PCM), so that tests can reach it with small files.
void DecodeOggVorbis(const uint8_t *data, int32_t size, TStream &output, int64_t budget);
