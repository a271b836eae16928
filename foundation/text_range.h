// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TTextRange: a stretch of a text, by where it starts and how long it is: bytes of a
// Windows-1254 text for the service's sentences, characters of the text box for the
// window's highlight (the two are the same for 8-bit text).

#include <cstdint>

struct TTextRange {
    int32_t Start = 0;   // first byte (character)
    int32_t Length = 0;  // bytes (characters)

    // One past the last.
    int32_t End() const { return Start + Length; }
    bool operator==(const TTextRange &) const = default;
};
