// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/wave_file.h"

#include <cstring>

#include "foundation/exceptions.h"
#include "foundation/file_stream.h"

namespace {

uint32_t Le32(const uint8_t *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

void LoadWaveFile(TStream &output, void *formatBuffer, int32_t formatSize, const char *fileName) {
    TFileStream file(fileName, "rb");
    file.SetActive(true);
    uint8_t header[12];
    if (file.Read(header, 12) != 12 || std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        RaiseError("InvalidWaveHdr");
    for (;;) {
        uint8_t chunk[8];
        if (file.Read(chunk, 8) != 8) break;  // no further chunk
        const uint32_t length = Le32(chunk + 4);
        int64_t skip = length;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            int32_t take = formatSize > 0 ? formatSize : 0;
            if (static_cast<uint32_t>(take) > length) take = static_cast<int32_t>(length);
            const int32_t got = file.Read(formatBuffer, take);
            skip = static_cast<int64_t>(length) - (got > 0 ? got : 0);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            // A count of 0 would make CopyFrom copy the whole file from its start.
            if (length > 0) output.CopyFrom(file, length > INT32_MAX ? INT32_MAX : static_cast<int32_t>(length));
            skip = 0;
        }
        if (skip > 0) file.Seek64(skip, soFromCurrent);
    }
    file.SetActive(false);
}
