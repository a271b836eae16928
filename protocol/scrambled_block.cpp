// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/scrambled_block.h"

#include <stdexcept>

#include "protocol/key_table.h"
#include "protocol/byte_fields.h"

size_t SelectorCount(size_t size) { return (size + KeyTableRowSize - 1) / KeyTableRowSize; }

std::string ScrambleBlock(std::string_view payload, std::string_view selectors) {
    const size_t count = SelectorCount(payload.size());
    if (selectors.size() < count) throw std::invalid_argument("too few selector bytes");
    const uint8_t *table = KeyTable();
    std::string block;
    block.reserve(8 + payload.size() + count);
    PutInt32(block, int32_t(8 + payload.size()));
    PutInt32(block, int32_t(count));
    for (size_t i = 0; i < payload.size(); ++i) {
        const size_t row = static_cast<unsigned char>(selectors[i / KeyTableRowSize]);
        block += char(static_cast<unsigned char>(payload[i]) ^
                      table[row * KeyTableRowSize + i % KeyTableRowSize]);
    }
    block.append(selectors.substr(0, count));
    return block;
}
