// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads running text (and the word-based XML text kinds) into spoken Turkish words.

#include <string>
#include <string_view>

namespace turkish {

// The reading of `text` (Windows-1254) for text kind 0 (running text), 1 (address),
// 2 (commercial title) or 3 (person name): lower-case words separated by single spaces,
// the punctuation marks . , ; : ! ? kept after the word they follow, no digits.
std::string ReadText(std::string_view text, int kind);

// Licence plates (kind 4) and phone numbers (kind 5).
std::string ReadPlate(std::string_view text);
std::string ReadPhone(std::string_view text);

}  // namespace turkish
