// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to a record list's LoadFromStream, as a reply from the service would
// arrive. Besides memory errors (the sanitizers) it checks that what loads is canonical:
// saving it and loading that again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/exceptions.h"
#include "tests/records/support/sample_record.h"

namespace {

std::vector<uint8_t> Save(TSamples &list) {
    TMemoryStream stream;
    list.SaveToStream(stream);
    return Contents(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > (1u << 20)) return 0;
    TMemoryStream input;
    Fill(input, std::vector<uint8_t>(data, data + size));
    TSamples list;
    try {
        list.LoadFromStream(input);
    } catch (const TCustomException &) {
        return 0;  // refused: fine, as long as nothing broke on the way
    }
    const std::vector<uint8_t> once = Save(list);
    TMemoryStream again;
    Fill(again, once);
    TSamples reloaded;
    reloaded.LoadFromStream(again);  // must not fail on our own output
    if (Save(reloaded) != once || again.Position() != int32_t(once.size())) __builtin_trap();
    return 0;
}
