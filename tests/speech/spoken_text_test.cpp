// SPDX-License-Identifier: GPL-3.0-or-later
// The text a listener hears of a synthesis request: the Turkish reading of the sentence, and
// of an XML sentence part by part, each part by its text kind.

#include <gtest/gtest.h>

#include <string>

#include "foundation/code_page.h"
#include "speech/speech_synthesiser.h"

namespace {

std::string Spoken(const std::string &text, bool isXml) {
    return cp1254::ToUtf8(
        TSpeechSynthesiser::SpokenTextOf(TSynthesisRequest{text, isXml, 1, 10, 10, 1}));
}

TEST(SpokenTextTest, IsTheTurkishReadingOfTheSentence) {
    EXPECT_EQ(Spoken("Dr. Ali 2024'te 4'ü %25 indirimle aldı."_cp, false),
              "doktor ali iki bin yirmi dörtte dördü yüzde yirmi beş indirimle aldı.");
}

TEST(SpokenTextTest, ReadsEachXmlPartByItsKind) {
    const std::string document =
        "<xml>\r\n<SENTENCE>Plaka <SENTENCEPART TEXTKIND=\"4\">06 A 1234</SENTENCEPART>, telefon "
        "<SENTENCEPART TEXTKIND=\"5\">05321234567</SENTENCEPART>, adres "
        "<SENTENCEPART TEXTKIND=\"1\">Gül Sok. No:5 Çankaya/Ankara</SENTENCEPART></SENTENCE>\r\n</xml>\r\n"_cp;
    EXPECT_EQ(
        Spoken(document, true),
        "plaka sıfır altı a bin iki yüz otuz dört, telefon sıfır beş yüz otuz iki yüz yirmi üç "
        "kırk beş altmış yedi, adres gül sokağı numara beş çankaya ankara");
}

}  // namespace
