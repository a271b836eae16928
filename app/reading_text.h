// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text a reading takes from the text box: the selection when there is one, else the
// whole text, trimmed of carriage returns, line feeds and spaces at both ends; and where it
// begins in the text box, so that the sentence positions the service reports (relative to
// the text sent) can be highlighted in the whole text.

#include <cstdint>
#include <string>
#include <string_view>

struct TReadingText {
    std::string Text;  // 8-bit, trimmed
    int32_t Offset;    // position of Text's first character in the text box
};

// `whole` is the text box's text (8-bit, one byte per character); [selFrom, selTo) the
// selection in characters (selTo <= selFrom: none). A selection reaching past the text is cut
// at its end.
TReadingText TakeReadingText(std::string_view whole, int32_t selFrom, int32_t selTo);
