// SPDX-License-Identifier: GPL-3.0-or-later
// Suffixes written after a word the reading turned into a possessive compound ("TL" is
// "türk lirası", "Cad." "caddesi"), and numbered streets.
#include "turkish/turkish_text.h"

#include "foundation/code_page.h"

#include <gtest/gtest.h>

#include "tests/turkish/support/reading_cases.h"

#include <string>
#include <vector>

namespace {

using reading_cases::Case;
using reading_cases::Check;
using reading_cases::Read;

std::vector<std::string> Split(const std::string &utf8) {
    const std::string text = cp1254::FromUtf8(utf8);
    std::vector<std::string> out;
    for (const TSentenceRange &r : SplitSentences(text)) out.push_back(cp1254::ToUtf8(text.substr(r.Start, r.Length)));
    return out;
}

TEST(SuffixesAndStreets, TheCopulaKeepsThePossessiveWithoutItsN) {
    Check({
        {"past", "Fiyat 25 TL'ydi.", "fiyat yirmi beş türk lirasıydı."},
        {"reported, conditional, present", "10 TL'ymiş, 5 TL'yse, 3 TL'dir", "on türk lirasıymış, beş türk lirasıysa, üç türk lirasıdır"},
        {"after a street", "Atatürk Cad.'ydi ve Gül Sok.'tur", "atatürk caddesiydi ve gül sokağıdır"},
        {"while", "Cad.'yken", "caddesiyken"},
        {"after a consonant the y goes", "Dr.'ydu ve 5'ti", "doktordu ve beşti"},
        {"after a vowel it stays, -DIr aside", "2'ydi ve 2'dir", "ikiydi ve ikidir"},
        {"conditional after a consonant", "5'se", "beşse"},
        {"the locative still takes n", "TL'de ve Cad.'den", "türk lirasında ve caddesinden"},
        {"a possessive written again", "TL'si ve Cad.'sinde", "türk lirası ve caddesinde"},
    });
}

TEST(SuffixesAndStreets, ANumberedStreetIsSaidBare) {
    Check({
        {"cardinal", "1453 Sok. No: 5", "bin dört yüz elli üç sokak numara beş"},
        {"ordinal of any size", "10345. Sk. No: 3", "on bin üç yüz kırk beşinci sokak numara üç"},
        {"written out, with a suffix", "1453. Sokak'ta ve 1453 Sok.'ta", "bin dört yüz elli üçüncü sokakta ve bin dört yüz elli üç sokakta"},
        {"avenue", "5. Cad.'de, 1. Cad.", "beşinci caddede, birinci cadde."},
        {"a named street keeps its possessive", "Gül Sok. 5 Mah.", "gül sokağı beş mahalle."},
        {"floor and flat after a door number", "Büyükdere Cad. No: 185 K: 5 D: 12", "büyükdere caddesi numara yüz seksen beş kat beş daire on iki"},
    });
    Check({{"address", "1453 Sok. No:5 Karşıyaka/İzmir", "bin dört yüz elli üç sokak numara beş karşıyaka izmir"},
           {"ordinal street", "2044. Sk. No 7", "iki bin kırk dördüncü sokak numara yedi"}},
          1);
}

TEST(SuffixesAndStreets, AStreetOrdinalEndsNoSentence) {
    EXPECT_EQ(Split("Adres 10345. Sk. No 5. Kuruluş 1923. Yıllar sonra."),
              (std::vector<std::string>{"Adres 10345. Sk. No 5.", "Kuruluş 1923.", "Yıllar sonra."}));
    EXPECT_EQ(Split("1453. Sokak güzel."), (std::vector<std::string>{"1453. Sokak güzel."}));
}

}  // namespace
