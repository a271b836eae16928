// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/code_page.h"
#include "platform/settings_store_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CodePage, EveryByteSurvivesARoundTripThroughUtf16AndUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += char(b);
    EXPECT_EQ(cp1254::FromUtf16(cp1254::ToUtf16(all)), all);
    EXPECT_EQ(cp1254::FromUtf8(cp1254::ToUtf8(all)), all);
}

TEST(CodePage, UnassignedBytesMapToTheControlCharacterOfTheSameNumber) {
    for (unsigned char b : {0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E}) EXPECT_EQ(cp1254::ToUnicode(b), char16_t(b)) << int(b);
}

TEST(CodePage, TurkishLettersAndTheHighHalf) {
    struct Case {
        const char *label;
        unsigned char byte;
        char16_t character;
    } cases[] = {
        {"G breve", 0xD0, u'Ğ'}, {"dotted I", 0xDD, u'İ'}, {"S cedilla", 0xDE, u'Ş'},
        {"g breve", 0xF0, u'ğ'}, {"dotless i", 0xFD, u'ı'}, {"s cedilla", 0xFE, u'ş'},
        {"C cedilla", 0xC7, u'Ç'}, {"euro", 0x80, u'€'},    {"y diaeresis", 0x9F, u'Ÿ'},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(cp1254::ToUnicode(c.byte), c.character) << c.label;
        EXPECT_EQ(cp1254::FromUnicode(c.character), c.byte) << c.label;
    }
}

TEST(CodePage, CharactersWithoutAByteBecomeOneQuestionMarkEach) {
    EXPECT_EQ(cp1254::FromUtf16(u"a\u0100b\u4E2D"), "a?b?");
    EXPECT_EQ(cp1254::FromUtf16(u"x\U0001F600y"), "x?y");       // a surrogate pair is one character
    EXPECT_EQ(cp1254::FromUtf16(std::u16string(1, char16_t(0xD800))), "?");  // a lone surrogate
    EXPECT_EQ(cp1254::FromUtf8("\xC3\xA7\xE2\x82\xAC\xF0\x9F\x98\x80"), "\xE7\x80?");
}

TEST(CodePage, InvalidUtf8BecomesQuestionMarksWithoutLosingWhatFollows) {
    EXPECT_EQ(cp1254::FromUtf8("a\xFFz"), "a?z");
    EXPECT_EQ(cp1254::FromUtf8("a\xC3"), "a?");          // truncated at the end
    EXPECT_EQ(cp1254::FromUtf8("\xC3(ok"), "?(ok");      // lead byte without continuation
    EXPECT_EQ(cp1254::FromUtf8("\xC0\xAF"), "?");        // overlong
    EXPECT_EQ(cp1254::FromUtf8("\xED\xA0\x80"), "?");    // encoded surrogate
}

TEST(CodePage, SourceLiteralsBecomeWindows1254AtCompileTime) {
    constexpr const char *text = "Sistem Kaydı Yazılamadı."_cp;
    EXPECT_STREQ(text, "Sistem Kayd\xFD Yaz\xFDlamad\xFD.");
    EXPECT_STREQ("çağrısında"_cp, "\xE7" "a\xF0r\xFDs\xFDnda");
    EXPECT_STREQ("İŞĞÜÖÇ"_cp, "\xDD\xDE\xD0\xDC\xD6\xC7");
}

// The code page and the settings store read damaged UTF-8 alike: one replacement per fault,
// in the same places.
TEST(CodePage, DamagedUtf8ReadsAsInTheSettingsStore) {
    const char *texts[] = {"a\xE2\x82", "\xE2\x82z", "\xF0\x9F\x98", "\xC0\x80", "\xED\xA0\x80x",
                           "\x80\x80", "\xC3(", "ok\xC4\x9F\xFF"};
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        std::string fromStore;
        for (char16_t c : settings_text::FromUtf8(text)) fromStore += c == 0xFFFD ? '?' : c < 0x80 ? char(c) : '*';
        std::string fromCodePage;
        for (char c : cp1254::FromUtf8(text)) fromCodePage += c == '?' || (c & 0x80) == 0 ? c : '*';
        EXPECT_EQ(fromCodePage, fromStore);
    }
}

}  // namespace
