// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/no_space_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/count_words.h"
#include "foundation/exceptions.h"
#include "tests/support/raised_message.h"

namespace {

TEST(CountWords, Table) {
    struct Row { const char *label; const char *text; int32_t length; int32_t expected; };
    const Row rows[] = {
        {"two words", "Merhaba dünya"_cp, -2, 2},
        {"two blanks between", "a  b", -2, 2},
        {"blanks and line breaks only", " \t\r\n \n\t  ", -2, 0},
        {"punctuation around a word", "(Merhaba)", -2, 1},
        {"punctuation only", "--", -2, 0},
        {"a number", "3.5", -2, 1},
        {"capital W is no letter", "WWW", -2, 0},
        {"small w is", "www", -2, 1},
        {"a word with W", "Windows", -2, 1},
        {"Turkish letters only", "ığüşöçİĞÜŞÖÇ"_cp, -2, 1},
        {"letters outside the alphabet", "éñ ÿ"_cp, -2, 0},
        {"leading and trailing separators", "\r\n  Bir, iki;\tüç.  \n"_cp, -2, 3},
        {"line feed after a word", "a\nb\r\nc", -2, 3},
        {"length 0 on a non-empty text", "bir iki", 0, 0},
        {"negative length", "bir iki", -5, 0},
        {"length 1 reads up to the NUL", "bir iki üç"_cp, 1, 3},
        {"empty text", "", 1, 0},
        {"null text", nullptr, 5, 0},
    };
    for (const Row &row : rows) {
        // -2 stands for the text's own length.
        const int32_t length =
            row.length == -2 ? int32_t(std::char_traits<char>::length(row.text)) : row.length;
        EXPECT_EQ(CountWords(row.text, length), row.expected) << row.label;
    }
}

// The tokens NextWord returns until null, a separator token written as "".
std::vector<std::string> Tokens(const char *text) {
    TNoSpaceParser parser;
    parser.SetText(text, int32_t(std::char_traits<char>::length(text)));
    std::vector<std::string> out;
    int32_t length = -1;
    for (int guard = 0; guard < 100; ++guard) {
        const char *token = parser.NextWord(length);
        if (!token) return out;
        out.emplace_back(token, std::size_t(length));
    }
    ADD_FAILURE() << "NextWord never returned null";
    return out;
}

TEST(TNoSpaceParser, NextWordTokenSequences) {
    using V = std::vector<std::string>;
    struct Row { const char *label; const char *text; V expected; };
    const Row rows[] = {
        {"one word", "ab", V{"ab"}},
        {"one letter", "a", V{"a"}},
        {"word then line feed", "a\n", V{"a"}},
        {"two words", "ab cd", V{"ab", "cd"}},
        {"a run of blanks is one empty token", "a   b", V{"a", "", "b"}},
        {"a blank run takes the separators after it", "a  \r\n\tb", V{"a", "", "b"}},
        {"a line break on its own is a token", "a\n\nb", V{"a", "", "b"}},
        {"leading line feed", "\nab", V{"", "ab"}},
        {"leading blanks", "  ab", V{"", "ab"}},
        {"trailing blanks", "ab  ", V{"ab", ""}},
        {"blanks only", "   ", V{""}},
        {"tab after a word", "a\tb", V{"a", "b"}},
        {"punctuation is part of a word", "(x) y.", V{"(x)", "y."}},
    };
    for (const Row &row : rows) EXPECT_EQ(Tokens(row.text), row.expected) << row.label;
}

TEST(TNoSpaceParser, NextWordStopsAtNulAndRemembersTheLastWord) {
    const char text[] = {'a', 'b', '\0', 'c', 'd'};
    TNoSpaceParser parser;
    parser.SetText(text, 5);
    int32_t length = 0;
    EXPECT_EQ(parser.NextWord(length), text);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(parser.NextWord(length), text + 3);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(parser.LastWord(), text + 3);
    EXPECT_EQ(parser.NextWord(length), nullptr);
    parser.SetText(text, 5);
    EXPECT_EQ(parser.LastWord(), nullptr);

    TNoSpaceParser empty;
    EXPECT_EQ(empty.NextWord(length), nullptr);
    EXPECT_EQ(length, 0);
}

TEST(TNoSpaceParser, PrevWordReturnsTheWordsBackwards) {
    const char *text = "  bir\tiki  üç\n"_cp;
    const int32_t n = int32_t(std::char_traits<char>::length(text));
    TNoSpaceParser parser;
    parser.SetText(text, n, n - 1);
    std::vector<std::string> words;
    int32_t length = 0;
    while (const char *word = parser.PrevWord(length)) words.emplace_back(word, std::size_t(length));
    EXPECT_EQ(words, (std::vector<std::string>{"üç"_cp, "iki", "bir"}));
    EXPECT_TRUE(parser.Bof());

    parser.SetText("x", 1);
    const char *word = parser.PrevWord(length);
    EXPECT_EQ(std::string(word, std::size_t(length)), "x");
    EXPECT_EQ(parser.PrevWord(length), nullptr);
}

TEST(TTextStream, CursorRules) {
    const char *text = "abcde";
    TTextStream stream;
    EXPECT_EQ(stream.Position(), -1);
    EXPECT_TRUE(stream.Eof() && stream.Bof());
    EXPECT_EQ(MessageOf([&] { stream.SetText(text, 5, 5); }), "A Text Position Must be < AText Length");
    EXPECT_EQ(MessageOf([&] { stream.SetText(text, 5, -1); }), "A Text Position Must be < AText Length");

    stream.SetText(text, 5, 2);
    EXPECT_FALSE(stream.Eof() || stream.Bof());
    EXPECT_EQ(MessageOf([&] { stream.Move(-3); }), "Invalid Distance -3. Len: 5. Pos: 2");
    EXPECT_EQ(MessageOf([&] { stream.Move(3); }), "Invalid Distance 3. Len: 5. Pos: 2");
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_FALSE(stream.TryMove(3));
    EXPECT_TRUE(stream.TryMove(2));
    EXPECT_EQ(*stream.Current(), 'e');

    stream.StepForward();  // from the last character: Eof, cursor stays
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Position(), 4);
    stream.MoveClamped(-100);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_TRUE(stream.Prior());  // first attempt sets Bof
    EXPECT_FALSE(stream.Prior());
    EXPECT_TRUE(stream.Bof());
    stream.MoveClamped(100);
    EXPECT_EQ(stream.Position(), 4);
    EXPECT_TRUE(stream.Prior());
    EXPECT_FALSE(stream.Eof());
    EXPECT_EQ(stream.Position(), 3);
    EXPECT_EQ(MessageOf([&] { stream.CharAt(5); }), "Invalid Offset for Txt Stream 5");

    TTextStream copy;
    copy.Assign(stream);
    EXPECT_EQ(copy.Position(), 3);
    EXPECT_EQ(copy.Text(), text);
    stream.SetText(text, 0);
    copy.Assign(stream);
    EXPECT_EQ(copy.Text(), nullptr);
    EXPECT_EQ(copy.Position(), -1);
}

}  // namespace
