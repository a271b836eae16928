// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The block the sentence-splitting answer travels in: the payload scrambled with rows of the
// shared key table (protocol/key_table.h), as the client's TEnCryptedRawData unscrambles it.
//
//   0..3   KeyOffset  = 8 + n, where the selectors start
//   4..7   KeyLength  = k, the number of selector bytes
//   8..    the n payload bytes, chunk c (256 bytes, the last shorter) XORed with row
//          selectors[c] of the key table
//   8+n..  the k = ceil(n / 256) selector bytes

#include <string>
#include <string_view>

// `selectors` holds at least ceil(payload.size() / 256) bytes; the first that many are used.
std::string ScrambleBlock(std::string_view payload, std::string_view selectors);
// Number of selector bytes a payload of `size` bytes needs.
size_t SelectorCount(size_t size);
