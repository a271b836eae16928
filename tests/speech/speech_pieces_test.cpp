// SPDX-License-Identifier: GPL-3.0-or-later
// A sentence with more to say than one item holds is cut into pieces that say it all, at the
// most natural boundary each piece allows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "speech/speech_synthesiser.h"

namespace {

std::string Joined(const std::vector<std::string> &pieces) {
    std::string out;
    for (const std::string &piece : pieces) out += (out.empty() ? "" : " ") + piece;
    return out;
}

TEST(SpeechPiecesTest, CutsAtClausesThenWordsAndSaysEverything) {
    const struct {
        const char *Label;
        std::string Spoken;
        size_t MaxBytes;
        std::vector<std::string> Pieces;
    } cases[] = {
        {"fits: itself", "bir iki, üç", 20, {"bir iki, üç"}},
        {"after a comma", "bir iki, üç dört", 10, {"bir iki,", "üç dört"}},
        {"clauses joined while they fit", "a b, c d; e f: g h", 10, {"a b, c d;", "e f: g h"}},
        {"before a conjunction",
         "elma armut ve kiraz erik",
         12,
         {"elma armut", "ve kiraz", "erik"}},
        {"a long clause by its words",
         "bir iki uc dort bes alti",
         9,
         {"bir iki", "uc dort", "bes alti"}},
        {"a word longer than a piece", "abcdefghij kl", 4, {"abcd", "efgh", "ij", "kl"}},
        {"runs of spaces as one", "a  b   c d e", 3, {"a b", "c d", "e"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const std::vector<std::string> pieces =
            TSpeechSynthesiser::SpeechPieces(c.Spoken, c.MaxBytes);
        EXPECT_EQ(pieces, c.Pieces);
        for (const std::string &piece : pieces) EXPECT_LE(piece.size(), c.MaxBytes);
    }
}

// A sentence's first part ends after its first clause, so it is a few words long; the
// second part is the rest.
TEST(SpeechPiecesTest, TheFirstPartEndsAfterTheFirstClause) {
    const struct {
        const char *Label;
        std::string Spoken;
        std::string First, Rest;  // empty: not cut
    } cases[] = {
        {"after a comma", "sahilde yürüdük, martılar uçuyordu.", "sahilde yürüdük,",
         "martılar uçuyordu."},
        {"after a semicolon", "kapı açıktı; içeri girdik", "kapı açıktı;", "içeri girdik"},
        {"after a colon", "şunlar: elma, armut", "şunlar:", "elma, armut"},
        {"the first boundary, before a conjunction", "eve döndük ve çay içtik, sonra uyuduk",
         "eve döndük", "ve çay içtik, sonra uyuduk"},
        {"a conjunction that opens the sentence is no boundary", "ve sonra gittik", "", ""},
        {"one clause", "bugün hava çok güzel.", "", ""},
        {"one word", "evet", "", ""},
        {"spaces around the words", "  bir,   iki ", "bir,", "iki"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const int32_t end = TSpeechSynthesiser::FirstPartEnd(c.Spoken);
        if (c.First.empty()) {
            EXPECT_EQ(end, 0);
            continue;
        }
        ASSERT_GT(end, 0);
        EXPECT_EQ(TSpeechSynthesiser::PartText(c.Spoken, 0, end), c.First);
        EXPECT_EQ(TSpeechSynthesiser::PartText(c.Spoken, end, int32_t(c.Spoken.size())), c.Rest);
    }
}

// Every sentence long enough gets a short first item: at its first clause boundary when that
// comes soon, else at the first word some 24 bytes (about 1.5 s of speech) in, as long as a
// real rest follows.
TEST(SpeechPiecesTest, TheShortFirstPartEndsSoonWhateverTheSentence) {
    const struct {
        const char *Label;
        std::string Spoken;
        std::string First;  // empty: not cut
    } cases[] = {
        {"a clause that ends soon", "sahilde yürüdük, martılar uçuyordu.", "sahilde yürüdük,"},
        {"no clause: after the first words",
         "bu sabah erkenden kalkıp bahçedeki bütün çiçekleri suladım.", "bu sabah erkenden kalkıp"},
        {"a clause that ends late: after the first words",
         "bu sabah erkenden kalkıp bahçedeki bütün çiçekleri suladım, sonra uyudum.",
         "bu sabah erkenden kalkıp"},
        {"a word that starts right at 24 bytes", "aaaaaaaaaa bbbbbbbbbbbb cccc dddddddddddddddd",
         "aaaaaaaaaa bbbbbbbbbbbb"},
        {"a word across 24 bytes is not cut", "aaaaaaaaaa bbbbbbbbbbbbbbbbbb cc dddddddddddddddd",
         "aaaaaaaaaa bbbbbbbbbbbbbbbbbb"},
        {"too little would follow", "bu sabah erkenden kalkıp çay içtim.", ""},
        {"a short sentence", "bugün hava çok güzel.", ""},
        {"one long word", std::string(80, 'a'), ""},
        {"spaces only", "    ", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const int32_t end = TSpeechSynthesiser::ShortFirstPartEnd(c.Spoken);
        if (c.First.empty()) {
            EXPECT_EQ(end, 0);
            continue;
        }
        ASSERT_GT(end, 0);
        EXPECT_EQ(TSpeechSynthesiser::PartText(c.Spoken, 0, end), c.First);
        EXPECT_EQ(c.Spoken[size_t(end) - 1], ' ') << "a word's start";
    }
}

TEST(SpeechPiecesTest, AListOfNumbersIsSaidWholeInBoundedPieces) {
    TSynthesisRequest request;
    for (int i = 0; i < 400; ++i) request.Text += std::to_string(1000 + i * 37) + ", ";
    const std::string spoken = TSpeechSynthesiser::SpokenTextOf(request);
    ASSERT_GT(spoken.size(), MaxPieceSpokenBytes);
    const std::vector<std::string> pieces = TSpeechSynthesiser::SpeechPieces(spoken);
    EXPECT_GT(pieces.size(), size_t(1));
    for (const std::string &piece : pieces) {
        EXPECT_LE(piece.size(), MaxPieceSpokenBytes);
        EXPECT_EQ(piece.back(), ',') << "cut inside a clause: " << piece;
    }
    EXPECT_EQ(Joined(pieces), spoken);
}

}  // namespace
