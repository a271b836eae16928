// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/key_table.h"

#include <array>

namespace {

std::array<uint8_t, KeyTableSize> Generate() {
    std::array<uint8_t, KeyTableSize> table{};
    uint64_t state = KeyTableSeed;
    for (int32_t i = 0; i < KeyTableSize; i += 8) {
        const uint64_t word = SplitMix64Next(state);
        for (int b = 0; b < 8; ++b) table[std::size_t(i + b)] = uint8_t(word >> (8 * b));
    }
    return table;
}

}  // namespace

const uint8_t *KeyTable() {
    static const std::array<uint8_t, KeyTableSize> table = Generate();
    return table.data();
}
