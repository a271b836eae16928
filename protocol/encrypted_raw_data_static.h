// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TEnCryptedRawDataStatic: unscrambles a private copy of the block, leaving the caller's
// memory as it was. The payload (Payload(), PayloadSize(), Output()) lives in the copy until
// the next Unscramble or the object's destruction.

#include "foundation/memory_stream.h"
#include "protocol/encrypted_raw_data.h"

class TEnCryptedRawDataStatic : public TEnCryptedRawData {
public:
    TEnCryptedRawDataStatic() = default;

    // Empties the copy, copies the `size` bytes at `data` into it and unscrambles there.
    // Same failures as TEnCryptedRawData.
    void Unscramble(uint8_t *data, int32_t size) override;
    void Unscramble(const void *data, int32_t size);

private:
    TMemoryStream copy_{8192};
};
