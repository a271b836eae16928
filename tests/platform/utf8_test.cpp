// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one UTF-8 decoder: what each kind of damage costs, sequence by sequence.
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The decoded code points, Invalid for each fault.
std::vector<char32_t> Decode(std::string_view text) {
    std::vector<char32_t> out;
    for (std::size_t at = 0; at < text.size();) out.push_back(utf8::Next(text, at));
    return out;
}

TEST(Utf8, EachFaultIsOneInvalidOverTheBytesThatBelongToIt) {
    constexpr char32_t X = utf8::Invalid;
    const struct {
        const char *label;
        std::string text;
        std::vector<char32_t> decoded;
    } cases[] = {
        {"one to four bytes", "A\xC4\x9F\xE2\x82\xAC\xF0\x9F\x98\x80", {'A', 0x11F, 0x20AC, 0x1F600}},
        {"largest code point", "\xF4\x8F\xBF\xBF", {0x10FFFF}},
        {"stray continuation byte", "a\x80z", {'a', X, 'z'}},
        {"bytes that never begin a sequence", "\xF8\xFF", {X, X}},
        {"cut off by the end", "a\xE2\x82", {'a', X}},
        {"cut off by the end after one byte", "a\xC4", {'a', X}},
        {"cut off by a plain byte", "\xF0\x9F\x98z", {X, 'z'}},
        {"overlong", "\xC0\x80", {X}},
        {"overlong three bytes", "\xE0\x80\xAF", {X}},
        {"encoded surrogate", "\xED\xA0\x80", {X}},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", {X}},
        {"NUL is a character", std::string("a\0b", 3), {'a', 0, 'b'}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Decode(c.text), c.decoded);
        bool clean = true;
        for (char32_t d : c.decoded) clean = clean && d != X;
        EXPECT_EQ(utf8::IsValid(c.text), clean);
    }
}

}  // namespace
