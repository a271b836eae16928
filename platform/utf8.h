#pragma once
// The one UTF-8 decoder of the program: the code page conversions, the settings store and
// the command-line tools all read UTF-8 through it, so that a damaged text decodes the same
// way everywhere.
//
// Faults, each reported once as utf8::Invalid:
// - a byte that cannot begin a sequence (a stray continuation byte, F8..FF): that byte alone;
// - a sequence cut off (by the end of the text or by a byte that is not a continuation
//   byte): the lead byte and the continuation bytes that are there;
// - a complete sequence that is overlong, encodes a surrogate or lies beyond U+10FFFF: the
//   whole sequence.

#include <cstddef>
#include <string_view>

namespace utf8 {

inline constexpr char32_t Invalid = 0xFFFFFFFF;

// Decodes the sequence at text[at] (at < text.size()) and moves `at` past it (past the
// faulty bytes for Invalid).
char32_t Next(std::string_view text, std::size_t &at);

// Whether the whole text is well-formed UTF-8.
bool IsValid(std::string_view text);

}  // namespace utf8
