// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the samples of a RIFF WAVE file (the warning sound).

#include <cstdint>

class TStream;

// Appends the bytes of every "data" chunk of the WAVE file `fileName` (8-bit name) to
// `output` at its current position and copies the "fmt " chunk into formatBuffer, at most
// formatSize bytes of it (the rest is skipped). Other chunks are skipped; chunks are walked
// until the file ends, and a chunk that claims more bytes than the file holds yields what
// there is. The format is not interpreted: the file must already be in the format it will be
// played in.
//
// The file is opened for reading only, so a sound installed read-only loads.
// Raises "File Not Opened %s" when the file cannot be opened, "InvalidWaveHdr" unless it
// starts with "RIFF" and has "WAVE" at byte 8, and "Cannot read to NULL buffer" for a format
// chunk with no formatBuffer.
void LoadWaveFile(TStream &output, void *formatBuffer, int32_t formatSize, const char *fileName);
