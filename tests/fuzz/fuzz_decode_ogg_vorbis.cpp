// Feeds arbitrary bytes to the Ogg Vorbis decoder, as an audio file from the service would
// arrive. Besides memory errors it checks that the output never passes the decoded-size
// budget (a smaller one than the program's, so that each input stays quick) and that a
// refusal is the decoder's own exception, never anything else.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"

namespace {
constexpr int64_t FuzzBudget = int64_t(4) << 20;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The decoder's diagnostics (damaged pages, clipping) would drown libFuzzer's output.
    if (!std::freopen("/dev/null", "w", stderr)) return 0;
    return 0;
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
