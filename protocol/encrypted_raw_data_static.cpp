// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/encrypted_raw_data_static.h"

#include "foundation/exceptions.h"

void TEnCryptedRawDataStatic::Unscramble(uint8_t *data, int32_t size) {
    Unscramble(static_cast<const void *>(data), size);
}

void TEnCryptedRawDataStatic::Unscramble(const void *data, int32_t size) {
    if (!data || size <= 0) {
        TEnCryptedRawData::Unscramble(nullptr, 0);  // forgets the last payload, raises "Internal Memory Is Nil"
        return;
    }
    copy_.Clear();
    copy_.Write(data, size);
    copy_.Seek(0, soFromBeginning);
    TEnCryptedRawData::Unscramble(copy_.Memory(), size);
}
