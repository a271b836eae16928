// SPDX-License-Identifier: GPL-3.0-or-later
// The XML menu's texts and prompts in both languages, as Windows-1254 bytes.

#include <gtest/gtest.h>

#include <string>

#include "app/xml_kinds.h"
#include "foundation/code_page.h"
#include "tests/support/raised_message.h"

namespace {

std::string Cp(const char *utf8) { return cp1254::FromUtf8(utf8); }

TEST(XmlKindsTest, CommandsMapToKinds) {
    const struct {
        int command;
        int kind;
    } cases[] = {
        {20199, 0}, {20200, 1}, {20201, 2}, {20202, 3}, {20203, 4}, {20204, 5}, {20205, 0},
        {20000, 0}, {20500, 0},
    };
    for (const auto &c : cases) EXPECT_EQ(XmlKindOfCommand(c.command), c.kind) << c.command;
}

TEST(XmlKindsTest, MenuAndPromptNamesInBothLanguages) {
    const struct {
        int kind;
        const char *englishMenu, *turkishMenu, *englishPrompt, *turkishPrompt;
    } cases[] = {
        {1, "Address", "Adres", "Address", "Adres"},
        {2, "Comercial Title", "Ticari Ünvan", "Comercial Title", "Ticari Ünvan"},
        {3, "Person Name", "Kişi Adı", "Person Name", "Kişi Adı"},
        {4, "License Plate", "Araç Plakası", "License Plate", "Araç Plaka"},
        {5, "Phone Number", "Telefon Numarası", "Phone Number", "Telefon Numarası"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(XmlKindMenuText(c.kind, true), Cp(c.englishMenu));
        EXPECT_EQ(XmlKindMenuText(c.kind, false), Cp(c.turkishMenu));
        EXPECT_EQ(XmlKindPromptName(c.kind, true), Cp(c.englishPrompt));
        EXPECT_EQ(XmlKindPromptName(c.kind, false), Cp(c.turkishPrompt));
    }
}

TEST(XmlKindsTest, KindsWithoutANameAreRefused) {
    for (int kind : {0, 6, -1, 7}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(MessageOf([&] { XmlKindMenuText(kind, true); }), "not imp");
        EXPECT_EQ(MessageOf([&] { XmlBuilderPrompt(kind, false); }), "not imp");
    }
}

TEST(XmlKindsTest, PromptsNameTheKindTwice) {
    EXPECT_EQ(XmlBuilderPrompt(4, false).View(),
              Cp("Yalnızca 1 adet Araç Plaka bilgisi giriniz.\r\nDikkat !. Girdiğiniz metinde, "
                 "bir Araç Plaka bilgisi dışında herhangi bir kelime olmamalıdır."));
    EXPECT_EQ(XmlBuilderPrompt(2, true).View(),
              "Type Only 1 Comercial Title.\r\nAttention !. The text you typed must not include "
              "any other value except Comercial Title.");
}

TEST(XmlKindsTest, MenuTextsFollowTheLanguage) {
    const TXmlMenuTexts english(true), turkish(false);
    EXPECT_EQ(english.LoadSamples, std::string("Load XML Sentence Samples"));
    EXPECT_EQ(english.BuildSubmenu, std::string("Build Simple XML Sentence"));
    EXPECT_EQ(turkish.LoadSamples, Cp("Örnek XML Cümlesi Yükle"));
    EXPECT_EQ(turkish.BuildSubmenu, Cp("Basit XML Cümlesi Oluştur"));
}

}  // namespace
