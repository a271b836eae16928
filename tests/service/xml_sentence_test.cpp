// SPDX-License-Identifier: GPL-3.0-or-later
// Simple XML sentences as bytes: the seven CR LF lines, the escaped value and the refused
// kind.

#include <gtest/gtest.h>

#include <string>

#include "foundation/my_string.h"
#include "service/xml_sentence.h"
#include "tests/support/raised_message.h"

namespace {

std::string Sentence(int kind, const std::string &valueLine) {
    return "<xml>\r\n<SENTENCE>\r\n<SENTENCEPART TEXTKIND=\"" + std::to_string(kind) + "\">\r\n" +
           valueLine + "\r\n</SENTENCEPART>\r\n</SENTENCE>\r\n</xml>\r\n";
}

TEST(XmlSentenceTest, FormatGivesSevenCrLfLinesAroundTheEscapedValue) {
    struct Case {
        const char *label;
        const char *value;
        int kind;
        std::string valueLine;
    } const cases[] = {
        {"address with markup", "A & B <1>", 1, "A &amp; B &lt;1&gt;"},
        {"empty value gives an empty line", "", 2, ""},
        {"quotes stay", "\"Can\" O'Brien", 3, "\"Can\" O'Brien"},
        {"Windows-1254 bytes pass through", "34 \xC7\xDD 1907", 4, "34 \xC7\xDD 1907"},
        {"phone number", "0 (212) 555 12 34", 5, "0 (212) 555 12 34"},
        {"kind without a name is written as given", "x", 0, "x"},
        {"negative kind", "x", -1, "x"},
        {"kind above six", "x", 17, "x"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FormatXmlSentence(c.value, c.kind).View(), Sentence(c.kind, c.valueLine));
    }
}

TEST(XmlSentenceTest, ValueWithoutBufferGivesTheEmptyLine) {
    EXPECT_EQ(FormatXmlSentence(MyString(), 1).View(), Sentence(1, ""));
}

TEST(XmlSentenceTest, KindSixIsRefused) {
    EXPECT_EQ(MessageOf([] { FormatXmlSentence("Ahmet", 6); }), "Valid TextKind Required");
}

TEST(XmlSentenceTest, FormatLeavesTheCallersValueUnchanged) {
    MyString value("a<b");
    FormatXmlSentence(value, 1);
    EXPECT_EQ(value.View(), "a<b");
}

TEST(XmlSentenceTest, EscapeReplacesOnlyAmpersandAndAngleBrackets) {
    struct Case {
        const char *label;
        std::string text;
        std::string escaped;
    } const cases[] = {
        {"nothing special", "Kad\xFDk\xF6y 'x' \"y\"", "Kad\xFDk\xF6y 'x' \"y\""},
        {"special first", "&x", "&amp;x"},
        {"special last", "x>", "x&gt;"},
        {"only specials", "<&>", "&lt;&amp;&gt;"},
        {"runs between specials", "ab<cd>ef&gh", "ab&lt;cd&gt;ef&amp;gh"},
        {"already escaped text is escaped again", "&amp;", "&amp;amp;"},
        {"empty", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        MyString text(c.text.c_str());
        EscapeXml(text);
        EXPECT_EQ(text.View(), c.escaped);
    }
}

TEST(XmlSentenceTest, EscapeLeavesATextWithoutSpecialsUntouched) {
    MyString none;
    EscapeXml(none);
    EXPECT_FALSE(none.HasBuffer());

    MyString plain("Ba\xF0" "dat Cad.");
    const char *before = plain.Text();
    EscapeXml(plain);
    EXPECT_EQ(plain.Text(), before);
    EXPECT_EQ(plain.View(), "Ba\xF0" "dat Cad.");
}

}  // namespace
