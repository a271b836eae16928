// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/speech_text.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/code_page.h"

namespace {

// Each row: what comes in (UTF-8), what is read (UTF-8 of the Windows-1254 result), and how
// many characters were left out as blanks.
TEST(SpeechText, CharactersWithoutACodePageByteAreReadNeverAsQuestionMarks) {
    struct Case {
        const char *label;
        std::string in;
        std::string out;
        int32_t leftOut;
    } cases[] = {
        {"Turkish text stays itself", "Çağrı İşığı ölçü", "Çağrı İşığı ölçü", 0},
        {"lira sign", "₺25", "TL25", 0},
        {"rouble sign spaced as a word", "100₽", "100 ruble ", 0},
        {"emoji dropped, no question", "Harika 😀 Yarın", "Harika  Yarın", 0},
        {"family emoji with joiners", "a👨‍👩‍👧b", "ab", 0},
        {"flag and variation selector", "🇹🇷❤️!", "!", 0},
        {"NUL and controls become blanks", std::string("a\0b\x01" "c\td\n", 8), "a b c\td\n", 0},
        {"quotes the code page has stay", "“a” ‘b’ «c»", "“a” ‘b’ «c»", 0},
        {"other quotes to their plain forms", "‛a‟ 5′ 6″", "‘a“ 5' 6\"", 0},
        {"dashes and minus", "a‐b ‒ c―d −5", "a-b - c—d -5", 0},
        {"spaces", "a\u2009b\u202Fc\u3000d", "a b c d", 0},
        {"zero-width characters", "a\u200Bb\uFEFFc", "abc", 0},
        {"bullet", "‣ bir", "• bir", 0},
        {"Latin letters lose their marks", "Łódź Dvořák Erdős", "Lódz Dvorák Erdös", 0},
        {"combining mark dropped", "e\u0301", "e", 0},
        {"full-width ASCII", "ＡＢ１", "AB1", 0},
        {"Greek letters of science", "α ve μ", "alfa ve µ", 0},
        {"fractions", "⅓", "1/3", 0},
        {"another script is left out and counted", "Привет!", "      !", 6},
        {"invalid UTF-8 is left out and counted", "a\xFF" "b", "a b", 1},
    };
    for (const Case &c : cases) {
        int32_t leftOut = -1;
        const std::string read = cp1254::FromUtf8ForSpeech(c.in, leftOut);
        EXPECT_EQ(cp1254::ToUtf8(read), c.out) << c.label;
        EXPECT_EQ(leftOut, c.leftOut) << c.label;
        EXPECT_EQ(read.find('?'), std::string::npos) << c.label;
        EXPECT_EQ(read.find('\0'), std::string::npos) << c.label;
    }
}

}  // namespace
