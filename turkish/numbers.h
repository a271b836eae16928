// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers in Turkish words, lower-case Windows-1254: "bin" (never "bir bin"), "bir milyon",
// the words of a number separated by spaces ("iki bin yirmi dört").

#include <cstdint>
#include <string>
#include <string_view>

namespace turkish {

// 0 -> "sıfır"; up to 999 katrilyon (10^18 - 1).
std::string Cardinal(std::uint64_t n);

// A run of digits as written: each leading zero as "sıfır", the rest as one number
// ("007" -> "sıfır sıfır yedi", "0" -> "sıfır"); a run too long for a number (more than
// 18 digits after the zeros) digit by digit. Empty for an empty or non-digit text.
std::string DigitRun(std::string_view digits);

// The value of a run of at most 18 digits; false for anything else.
bool DigitValue(std::string_view digits, std::uint64_t &value);

// A one-digit name: "sıfır" .. "dokuz".
std::string_view DigitName(int digit);

}  // namespace turkish
