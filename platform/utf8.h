// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one UTF-8 decoder and encoder of the program: the code page conversions, the settings
// store, the SOAP text codec and the command-line tools all read and write UTF-8 through it,
// so that a damaged text decodes the same way everywhere.
//
// Faults, each reported once as utf8::Invalid:
// - a byte that cannot begin a sequence (a stray continuation byte, F8..FF): that byte alone;
// - a sequence cut off (by the end of the text or by a byte that is not a continuation
//   byte): the lead byte and the continuation bytes that are there;
// - a complete sequence that is overlong, encodes a surrogate or lies beyond U+10FFFF: the
//   whole sequence.

#include <cstddef>
#include <string>
#include <string_view>

namespace utf8 {

inline constexpr char32_t Invalid = 0xFFFFFFFF;

// Decodes the sequence at text[at] (at < text.size()) and moves `at` past it (past the
// faulty bytes for Invalid).
char32_t Next(std::string_view text, std::size_t &at);

// Whether the whole text is well-formed UTF-8.
bool IsValid(std::string_view text);

// Appends the UTF-8 sequence of `c` (at most U+10FFFF; a surrogate is written as it is) to
// `out`: one byte below U+0080, two below U+0800, three below U+10000, else four.
void Append(std::string &out, char32_t c);

}  // namespace utf8
