// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CountWords: the word count of the status bar and of the listening pause.

#include <cstdint>

// The number of words of `text` (split by TNoSpaceParser) that hold at least one digit or
// letter of the Turkish alphabet, so '--' is no word while '3.5' and '(Merhaba)' are one
// each. The text is read up to its first NUL; `length` only has to be positive: 0 or less,
// or a null text, gives 0.
int32_t CountWords(const char *text, int32_t length);
