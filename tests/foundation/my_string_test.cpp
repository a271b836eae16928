// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/my_string.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <string>

#include "foundation/exceptions.h"
#include "tests/support/raised_message.h"

namespace {

std::string S(const MyString &s) { return std::string(s.Text(), std::size_t(s.Length())); }

TEST(MyString, DefaultHasNoBufferButEveryAssignmentGivesOne) {
    MyString none;
    EXPECT_EQ(none.Text(), nullptr);
    EXPECT_EQ(none.Length(), 0);

    MyString fromNull;
    fromNull.Assign(static_cast<const char *>(nullptr));
    ASSERT_NE(fromNull.Text(), nullptr);
    EXPECT_STREQ(fromNull.Text(), "");
    EXPECT_EQ(fromNull.Length(), 0);

    MyString copyOfNone(none);
    ASSERT_NE(copyOfNone.Text(), nullptr);
    EXPECT_STREQ(copyOfNone.Text(), "");

    MyString cleared("x");
    cleared.Clear();
    EXPECT_STREQ(cleared.Text(), "");
}

TEST(MyString, EmbeddedNulsCountButCopiesStopAtTheFirst) {
    MyString s;
    s.Assign("ab\0cd", 5);
    EXPECT_EQ(s.Length(), 5);
    MyString copy(s);
    EXPECT_EQ(copy.Length(), 2);
    EXPECT_STREQ(copy.Text(), "ab");
}

TEST(MyString, AssignFromItsOwnTextIsSafe) {
    MyString s("hello world");
    s.Assign(s.Text() + 6);
    EXPECT_STREQ(s.Text(), "world");
    s.Append(s.Text(), s.Length());
    EXPECT_STREQ(s.Text(), "worldworld");
    s = s;
    EXPECT_STREQ(s.Text(), "worldworld");
}

TEST(MyString, AppendAddsBeforeTheTerminator) {
    MyString s("abc");
    s.Append("de", 2);
    EXPECT_EQ(S(s), "abcde");
    EXPECT_EQ(s.Text()[s.Length()], '\0');
    MyString none;
    none.Append("x", 1);
    EXPECT_STREQ(none.Text(), "x");
}

TEST(MyString, SubStringClipsInsteadOfRaising) {
    const MyString s("abcdef");
    struct Case {
        const char *label;
        int32_t start, count;
        const char *expected;
    } cases[] = {
        {"negative start shortens the count", -2, 5, "abc"},
        {"negative start eats the whole count", -5, 5, ""},
        {"count past the end", 4, 10, "ef"},
        {"start at the end", 6, 1, ""},
        {"start past the end", 9, 2, ""},
        {"middle", 1, 3, "bcd"},
        {"zero count", 2, 0, ""},
        {"most negative start and a negative count", INT32_MIN, -1, ""},
    };
    for (const auto &c : cases) {
        MyString sub = s.SubString(c.start, c.count);
        ASSERT_NE(sub.Text(), nullptr) << c.label;
        EXPECT_STREQ(sub.Text(), c.expected) << c.label;
    }
}

// INT32_MAX readable bytes that cost nothing until read (never read here).
const char *HugeSource() {
    static void *block = mmap(nullptr, std::size_t(INT32_MAX), PROT_READ,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return block == MAP_FAILED ? nullptr : static_cast<const char *>(block);
}

// A length no stream can hold fails before the text is touched: the string keeps its text,
// its length and its buffer (callers rely on an assigned string never turning null).
TEST(MyString, FailedAssignmentsKeepTheText) {
    ASSERT_NE(HugeSource(), nullptr);
    struct Case {
        const char *label;
        void (*change)(MyString &);
    } cases[] = {
        {"Assign of a length the stream cannot hold",
         [](MyString &s) { s.Assign(HugeSource(), INT32_MAX - 10); }},
        {"Assign with no room left for the terminator",
         [](MyString &s) { s.Assign(HugeSource(), INT32_MAX); }},
        {"Append past the largest size", [](MyString &s) { s.Append(HugeSource(), INT32_MAX - 2); }},
    };
    for (const Case &c : cases) {
        MyString s("abc");
        std::string message = "(nothing raised)";
        try {
            c.change(s);
        } catch (const TCustomException &e) {
            message = e.Message();
        }
        EXPECT_EQ(message.rfind("SMemoryStream Allocation error For New Capacity ", 0), 0u)
            << c.label << ": " << message;
        ASSERT_NE(s.Text(), nullptr) << c.label;
        EXPECT_EQ(S(s), "abc") << c.label;
        EXPECT_EQ(s.Text()[3], '\0') << c.label;
    }
}

TEST(MyString, TrimRemovesLineBreaksAndBlanksButNotTabs) {
    MyString s("\r\n  text \t");
    s.Trim();
    EXPECT_STREQ(s.Text(), "text \t");
    MyString t("\ttext\r\n");
    t.Trim();
    EXPECT_STREQ(t.Text(), "\ttext");
    MyString blanks(" \r\n ");
    blanks.Trim();
    EXPECT_STREQ(blanks.Text(), "");
}

TEST(MyString, CharAtReachesTheTerminatorAndNoFurther) {
    MyString s("abc");
    EXPECT_EQ(*s.CharAt(3), '\0');
    *s.CharAt(0) = '-';
    EXPECT_STREQ(s.Text(), "-bc");
    EXPECT_EQ(MessageOf([] { MyString("abc").CharAt(4); }), "invalid request to string");
    EXPECT_EQ(MessageOf([] { MyString("abc").CharAt(-1); }), "invalid request to string");
    EXPECT_EQ(MessageOf([] { MyString().CharAt(0); }), "invalid request to string");
}

TEST(MyString, DeleteRemovesExactlyOneCharacter) {
    MyString s("abc\r\n");
    s.Delete(s.Length() - 1);
    EXPECT_EQ(S(s), "abc\r");
    s.Delete(0);
    EXPECT_EQ(S(s), "bc\r");
}

TEST(MyString, MakeStrFormats) {
    EXPECT_STREQ(MyString::MakeStr("%s=%d", "a", -5).Text(), "a=-5");
    EXPECT_STREQ(MyString::MakeStr("%s", "").Text(), "");
}

TEST(MyString, EqualsTellsAbsentFromEmpty) {
    MyString none, empty(""), upper("İSTANBUL"_cp), lower("istanbul"), shorter("istanbu");
    EXPECT_TRUE(none.Equals(MyString()));
    EXPECT_FALSE(none.Equals(empty));
    EXPECT_FALSE(empty.Equals(none));
    EXPECT_TRUE(upper.Equals(lower));
    EXPECT_FALSE(upper.Equals(shorter));
    EXPECT_TRUE(Equals(nullptr, none));
    EXPECT_FALSE(Equals("", none));
    EXPECT_FALSE(Equals(nullptr, empty));
    EXPECT_TRUE(Equals("ISTANBUL", lower));
}

TEST(SameText, TurkishLetterPairs) {
    struct Case {
        const char *label;
        const char *a, *b;
        bool same;
    } cases[] = {
        {"IŞIK / ışık", "IŞIK"_cp, "ışık"_cp, true},
        {"ılık / ilik", "ılık"_cp, "ilik"_cp, false},
        {"i / I", "i", "I", true},
        {"i / İ", "i", "İ"_cp, true},
        {"ı / I", "ı"_cp, "I", true},
        {"İ / I", "İ"_cp, "I", false},
        {"ş / Ş", "ş"_cp, "Ş"_cp, true},
        {"ğüöç / ĞÜÖÇ", "ğüöç"_cp, "ĞÜÖÇ"_cp, true},
        {"a / b", "a", "b", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SameText(c.a, c.b, int32_t(strlen(c.a))), c.same) << c.label;
        EXPECT_EQ(SameText(c.b, c.a, int32_t(strlen(c.a))), c.same) << c.label << " (reversed)";
    }
}

TEST(TrimRightChars, DefaultSetAndGivenSet) {
    char a[] = "line \t\r\n";
    EXPECT_STREQ(TrimRightChars(a, nullptr), "line");
    char b[] = "x..;";
    EXPECT_STREQ(TrimRightChars(b, ".;"), "x");
}

TEST(WideText, ConversionsBothWays) {
    TWideBuffer buffer(WideBufferGranularity);
    AnsiToWide(buffer, "Çağrı"_cp);
    EXPECT_EQ(std::u16string(WideText(buffer)), u"Çağrı");
    EXPECT_EQ(WideLength(buffer), 5);
    EXPECT_EQ(buffer.DataSize(), 12);  // five units and the 2-byte terminator

    MyString back;
    back.AssignWide(WideText(buffer));
    EXPECT_STREQ(back.Text(), "Çağrı"_cp);

    MyString unknown;
    unknown.AssignWide(u"\u0100x");
    EXPECT_STREQ(unknown.Text(), "?x");
}

TEST(WideText, EmptyInputsGiveTheEmptyTextWithoutError) {
    TWideBuffer buffer(WideBufferGranularity);
    AnsiToWide(buffer, nullptr);
    EXPECT_EQ(WideLength(buffer), 0);
    EXPECT_EQ(buffer.DataSize(), 2);
    AnsiToWide(buffer, "abc", 0);
    EXPECT_EQ(WideLength(buffer), 0);

    MyString s("previous");
    s.AssignWide(u"abc", 0);
    EXPECT_STREQ(s.Text(), "");
    SetWide(buffer, u"abcdef", 3);
    EXPECT_EQ(std::u16string(WideText(buffer)), u"abc");
    ClearWide(buffer);
    EXPECT_EQ(std::u16string(WideText(buffer)), u"");
}

TEST(WideText, SameWideTextNeedsExactLength) {
    EXPECT_TRUE(SameWideText(u"HTTP://x", 8, u"http://X"));
    EXPECT_FALSE(SameWideText(u"http://x", 7, u"http://x"));
    EXPECT_FALSE(SameWideText(u"http://x", 8, u"http://"));
    EXPECT_TRUE(SameWideText(u"abc", 3, u"ABCdef"));
}

}  // namespace
