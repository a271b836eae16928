// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// UTF-8 to the Windows-1254 text that is read aloud: the one table, used by every client's
// border (narrelo-say, the reading window) and by the speech service's own text commands, so
// that a character missing from the code page is read the same way wherever it comes in.
//
// Every character with a Windows-1254 byte keeps it. For the others, in place of the plain
// conversion's "?" (which the speech reads as a question and takes for a sentence's end):
// - currency signs become their names ("₺" the "TL" the reading knows, "₽" "ruble", ...);
// - typographic quotes, dashes, the minus sign, bullets and spaces become the plain forms
//   the code page has ("‛" "‘", "−" "-", "‣" "•", a thin space a blank), full-width ASCII
//   its ASCII, line and paragraph separators a line feed;
// - letters of the Latin alphabets of Europe lose their marks ("Ł" "L", "ő" "ö"), and a few
//   Greek letters of science are named ("α" "alfa", "μ" "µ");
// - emoji, pictographs, arrows, dingbats, variation selectors, zero-width characters and
//   combining marks are dropped;
// - NUL and the other control characters but tab, line feed and carriage return become a
//   blank, so no text after them is lost;
// - any other character (another script) and every invalid UTF-8 sequence become a blank
//   and are counted in `leftOut`.
// The result never holds NUL.

#include <cstdint>
#include <string>
#include <string_view>

namespace cp1254 {

std::string FromUtf8ForSpeech(std::string_view utf8, int32_t &leftOut);

}  // namespace cp1254
