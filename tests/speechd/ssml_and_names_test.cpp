// SPDX-License-Identifier: GPL-3.0-or-later
// The module's reading of SSML and its Turkish names for characters, keys and punctuation.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "speechd/spoken_names.h"
#include "speechd/ssml.h"

namespace {

using K = TSsmlStep::TKind;

TSsmlStep S(K kind, const char *value, int milliseconds = 0, TProsody prosody = {}) {
    return {kind, value, milliseconds, prosody};
}

TEST(SsmlTest, StepsInOrder) {
    struct TCase {
        const char *Document;
        std::vector<TSsmlStep> Steps;
        bool WellFormed;
    } cases[] = {
        {"<speak>Bir<mark name=\"a\"/>iki</speak>",
         {S(K::Text, "Bir"), S(K::Mark, "a"), S(K::Text, "iki")},
         true},
        {"<speak>a &lt; b &amp; c</speak>", {S(K::Text, "a < b & c")}, true},
        {"<speak>Dur<break time=\"250ms\"/>git<break time=\"1s\"/><break "
         "strength=\"none\"/></speak>",
         {S(K::Text, "Dur"), S(K::Break, "", 250), S(K::Text, "git"), S(K::Break, "", 1000),
          S(K::Break, "", 0)},
         true},
        {"<speak><say-as interpret-as=\"characters\">TBMM</say-as> ve "
         "<say-as interpret-as=\"tts:char\">x</say-as></speak>",
         {S(K::Characters, "TBMM"), S(K::Text, " ve "), S(K::Characters, "x")},
         true},
        {"<speak><prosody rate=\"+50%\" pitch=\"low\">hızlı</prosody> olağan</speak>",
         {S(K::Text, "hızlı", 0, {1.5, 0.8}), S(K::Text, " olağan")},
         true},
        {"<speak><s>Bir <emphasis>vurgu</emphasis></s><sub alias=\"Türkiye\">TR</sub></speak>",
         {S(K::Text, "Bir vurguTürkiye")},
         true},
        {"Düz metin, etiketsiz.", {S(K::Text, "Düz metin, etiketsiz.")}, false},
        {"<speak>Merhaba <b>dünya</speak>", {S(K::Text, "Merhaba dünya")}, false},
        {"3 < 5 &amp; 7 > 2", {S(K::Text, "3 < 5 & 7 > 2")}, false},
        {"", {}, false},
    };
    for (const TCase &c : cases) {
        const TSsmlMessage message = ParseSsml(c.Document);
        EXPECT_EQ(message.Steps, c.Steps) << c.Document;
        EXPECT_EQ(message.WellFormed, c.WellFormed) << c.Document;
    }
}

TEST(SpokenNamesTest, CharactersKeysAndPunctuation) {
    const std::pair<const char *, const char *> characters[] = {
        {"a", "a"},      {"ç", "çe"},      {"Ç", "çe"},    {"ğ", "ğe"},    {"ı", "ı"},
        {"İ", "i"},      {"w", "çift ve"}, {"0", "sıfır"}, {"9", "dokuz"}, {",", "virgül"},
        {" ", "boşluk"}, {"@", "et"},      {"€", "avro"},  {"ж", "ж"}};
    for (const auto &[character, name] : characters)
        EXPECT_EQ(CharacterName(character), name) << character;
    EXPECT_TRUE(IsCapital("Ş"));
    EXPECT_TRUE(IsCapital("A"));
    EXPECT_FALSE(IsCapital("ş"));
    EXPECT_FALSE(IsCapital("5"));

    const std::pair<const char *, const char *> keys[] = {
        {"space", "boşluk"},
        {"enter", "giriş"},
        {"tab", "sekme"},
        {"backspace", "geri sil"},
        {"up", "yukarı ok"},
        {"f1", "ef bir"},
        {"f12", "ef on iki"},
        {"f24", "ef yirmi dört"},
        {"shift_a", "üst karakter a"},
        {"control_alt_delete", "kontrol alt sil"},
        {"shift_kp-enter", "üst karakter tuş takımı giriş"},
        {"kp-5", "tuş takımı beş"},
        {"_", "alt çizgi"},
        {"control__", "kontrol alt çizgi"},
        {"underscore", "alt çizgi"},
        {"double-quote", "tırnak"},
        {"super_l", "süper le"}};
    for (const auto &[key, name] : keys) EXPECT_EQ(KeyName(key), name) << key;

    EXPECT_EQ(NamePunctuation("a, b!", TPunctuation::None), "a, b!");
    EXPECT_EQ(NamePunctuation("a, b@c", TPunctuation::Some), "a, b et c");
    EXPECT_EQ(NamePunctuation("(a) b.", TPunctuation::Most), " parantez aç a parantez kapa  b.");
    EXPECT_EQ(NamePunctuation("a, b.", TPunctuation::All), "a virgül  b nokta ");
}

}  // namespace
