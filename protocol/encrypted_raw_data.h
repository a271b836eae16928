// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TEnCryptedRawData: unscrambles, in place, a block returned by the service's sentence-
// splitting call. Layout of a block of T bytes (little-endian):
//
//   0..3   KeyOffset   position in the block of the first row selector byte
//   4..7   KeyLength   bytes at the end of the block that are not payload; <= 0: the
//                      payload is not scrambled
//   8..    payload     n = T - KeyLength - 8 bytes, scrambled in chunks of 256
//   from KeyOffset     one selector byte per chunk, in chunk order
//
// Chunk k (256 bytes, the last one shorter) is XORed byte by byte with row s of KeyTable
// (protocol/key_table.h), s being the selector byte B[KeyOffset + k]; scrambling is the same
// operation. Selectors are read as each chunk is processed, so a selector that lies inside
// an earlier chunk is read after that chunk was unscrambled.
//
// Failures (TException), raised before any byte is changed; the payload view is then empty:
//   "Internal Memory Is Nil"                   no block, or T <= 0
//   "PointerStream invalid parameter"          no payload (n <= 0, or a block shorter than
//                                              its 8-byte header)
//   "Invalid Offset Request to PointerStream " a selector outside the block (KeyOffset < 0,
//                                              or any of the selectors at or past T)
// A negative KeyLength counts as 0: the payload is then bytes 8..T-1 and never more.

#include <cstdint>

#include "foundation/pointer_stream.h"

class TEnCryptedRawData {
public:
    TEnCryptedRawData() = default;
    virtual ~TEnCryptedRawData() = default;
    TEnCryptedRawData(const TEnCryptedRawData &) = delete;
    TEnCryptedRawData &operator=(const TEnCryptedRawData &) = delete;

    // Views the caller's `size` bytes at `data` and unscrambles the payload there.
    virtual void Unscramble(uint8_t *data, int32_t size);

    // The header of the last block.
    int32_t KeyOffset() const { return keyOffset_; }
    int32_t KeyLength() const { return keyLength_; }
    // The views: the whole block, and the unscrambled payload inside it (valid while the
    // block's memory is).
    const TPointerStream &Input() const { return input_; }
    const TPointerStream &Output() const { return output_; }
    const uint8_t *Payload() const { return output_.Memory(); }
    int32_t PayloadSize() const { return output_.Size(); }

protected:
    // The algorithm on the block the input view shows.
    void UnscrambleInput();

private:
    TPointerStream input_;
    TPointerStream output_;
    int32_t keyOffset_ = 0;
    int32_t keyLength_ = 0;
};
