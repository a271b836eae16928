// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Roman numerals written in capitals ("XIX"), in the usual subtractive form only.

#include <string_view>

namespace turkish {

// The value of a well-formed numeral from 1 to 3999, or 0 ("IIII", "VX", "Ali" are none).
int RomanValue(std::string_view word);

inline bool IsRomanNumeral(std::string_view word) { return RomanValue(word) > 0; }

}  // namespace turkish
