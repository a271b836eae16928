// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary blocks to the unscrambler, as the service's sentence-splitting reply would
// arrive. Besides memory errors it checks that the copying variant leaves its input alone and
// that unscrambling twice in place restores the block.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/exceptions.h"
#include "protocol/encrypted_raw_data.h"
#include "protocol/encrypted_raw_data_static.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> block(data, data + size);
    TEnCryptedRawDataStatic copy;
    try {
        copy.Unscramble(block.empty() ? nullptr : block.data(), int32_t(block.size()));
    } catch (const TCustomException &) {
        return 0;
    }
    if (std::memcmp(block.data(), data, size) != 0) __builtin_trap();
    // Every payload byte is readable (the sanitizer checks the copy).
    const std::vector<uint8_t> payload(copy.Payload(), copy.Payload() + copy.PayloadSize());

    TEnCryptedRawData inPlace;
    inPlace.Unscramble(block.data(), int32_t(block.size()));
    if (std::memcmp(payload.data(), block.data() + 8, payload.size()) != 0) __builtin_trap();
    // Twice restores the block, unless a selector lies inside the payload (then the second
    // pass reads a selector the first one changed).
    const int64_t chunks = (int64_t(copy.PayloadSize()) + 255) / 256;
    const int64_t payloadEnd = 8 + int64_t(copy.PayloadSize());
    const bool selectorsOutside = copy.KeyLength() <= 0 || int64_t(copy.KeyOffset()) >= payloadEnd ||
                                  int64_t(copy.KeyOffset()) + chunks <= 8;
    inPlace.Unscramble(block.data(), int32_t(block.size()));
    if (selectorsOutside && std::memcmp(block.data(), data, size) != 0) __builtin_trap();
    return 0;
}
