// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/encrypted_raw_data.h"

#include <algorithm>

#include "foundation/exceptions.h"
#include "protocol/key_table.h"

namespace {

int32_t ReadInt32(const uint8_t *p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

}  // namespace

void TEnCryptedRawData::Unscramble(uint8_t *data, int32_t size) {
    // Until the payload is unscrambled there is none to show: a failure leaves no view of an
    // earlier block (whose memory may be gone) nor of a payload still scrambled.
    output_.Reset();
    if (!data || size <= 0) RaiseError(TErrorCategory::Format, "Internal Memory Is Nil");
    input_.Init(data, size);
    UnscrambleInput();
}

void TEnCryptedRawData::UnscrambleInput() {
    uint8_t *block = input_.Memory();
    const int32_t total = input_.Size();
    if (!block || total <= 0) RaiseError(TErrorCategory::Format, "Internal Memory Is Nil");
    if (total < 8) RaiseError(TErrorCategory::Format, "PointerStream invalid parameter");  // no room for the header
    keyOffset_ = ReadInt32(block);
    keyLength_ = ReadInt32(block + 4);

    // 64-bit so that no header value can overflow the sum.
    const int64_t payload = int64_t(total) - std::max<int64_t>(keyLength_, 0) - 8;
    output_.Init(block + 8, payload > 0 ? int32_t(payload) : 0);  // raises for n <= 0
    if (keyLength_ <= 0) return;

    const int64_t chunks = (payload + KeyTableRowSize - 1) / KeyTableRowSize;
    if (keyOffset_ < 0 || int64_t(keyOffset_) + chunks > total) {
        output_.Reset();
        RaiseError(TErrorCategory::Format, "Invalid Offset Request to PointerStream ");
    }

    const uint8_t *table = KeyTable();
    uint8_t *chunk = block + 8;
    for (int64_t k = 0; k < chunks; ++k, chunk += KeyTableRowSize) {
        const uint8_t *row = table + block[keyOffset_ + k] * KeyTableRowSize;
        const int64_t length = std::min<int64_t>(KeyTableRowSize, payload - k * KeyTableRowSize);
        for (int64_t i = 0; i < length; ++i) chunk[i] ^= row[i];
    }
}
