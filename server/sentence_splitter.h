// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Splitting a plain text into sentences, on Windows-1254 bytes: the Turkish rules of
// turkish/ (ICU's sentence break iterator for the locale "tr" with Turkish
// abbreviations, ordinals, initials, quotes, blank lines and list items over it). Positions
// are byte positions of the submitted text, exactly; white space between sentences belongs
// to none, and a text of white space only has no sentences.

#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/text_range.h"

std::vector<TTextRange> SplitIntoSentences(std::string_view text);
