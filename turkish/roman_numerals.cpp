// SPDX-License-Identifier: GPL-3.0-or-later
#include "turkish/roman_numerals.h"

#include <string>

namespace turkish {
namespace {

int DigitValue(char c) {
    switch (c) {
        case 'I': return 1;
        case 'V': return 5;
        case 'X': return 10;
        case 'L': return 50;
        case 'C': return 100;
        case 'D': return 500;
        case 'M': return 1000;
        default: return 0;
    }
}

std::string Canonical(int value) {
    static const struct { int Value; const char *Text; } parts[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    std::string out;
    for (const auto &p : parts)
        while (value >= p.Value) {
            out += p.Text;
            value -= p.Value;
        }
    return out;
}

}  // namespace

int RomanValue(std::string_view word) {
    if (word.empty() || word.size() > 15) return 0;
    int total = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        int v = DigitValue(word[i]);
        if (v == 0) return 0;
        int after = i + 1 < word.size() ? DigitValue(word[i + 1]) : 0;
        total += v < after ? -v : v;
    }
    // Only the canonical spelling counts, which rules out "IIII", "VX" and "IC".
    if (total <= 0 || total >= 4000 || Canonical(total) != word) return 0;
    return total;
}

}  // namespace turkish
