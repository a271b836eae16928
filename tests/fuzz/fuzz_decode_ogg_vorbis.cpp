// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the Ogg Vorbis decoder, as an audio file from the service would
// arrive. Besides memory errors it checks that the output never passes the decoded-size
// budget (a smaller one than the program's, so that each input stays quick) and that a
// refusal is the decoder's own exception, never anything else. The decoder's diagnostics go
// to standard error with libFuzzer's own lines.
#include <cstddef>
#include <cstdint>

#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"

namespace {
constexpr int64_t FuzzBudget = int64_t(4) << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    TMemoryStream output;
    try {
        DecodeOggVorbis(data, int32_t(size), output, FuzzBudget);
    } catch (const TCustomException &) {
    }
    if (output.DataSize() > FuzzBudget) __builtin_trap();
    return 0;
}
