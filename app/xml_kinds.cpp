// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/xml_kinds.h"

#include "foundation/exceptions.h"

namespace {

struct TKindTexts {
    const char *EnglishMenu;
    const char *TurkishMenu;
    const char *EnglishPrompt;
    const char *TurkishPrompt;
};

// Index kind - 1. "Comercial" is the program's own spelling.
const TKindTexts KindTexts[] = {
    {"Address", "Adres"_cp, "Address", "Adres"_cp},
    {"Comercial Title", "Ticari Ünvan"_cp, "Comercial Title", "Ticari Ünvan"_cp},
    {"Person Name", "Kişi Adı"_cp, "Person Name", "Kişi Adı"_cp},
    {"License Plate", "Araç Plakası"_cp, "License Plate", "Araç Plaka"_cp},
    {"Phone Number", "Telefon Numarası"_cp, "Phone Number", "Telefon Numarası"_cp},
};

const TKindTexts &TextsOf(int kind) {
    if (kind < 1 || kind > 5) RaiseError("not imp");
    return KindTexts[kind - 1];
}

}  // namespace

int XmlKindOfCommand(int command) {
    if (command < XmlCommandBuildFirst || command > XmlCommandBuildLast) return 0;
    return command - XmlCommandBuildFirst + 1;
}

const char *XmlKindMenuText(int kind, bool english) {
    const TKindTexts &texts = TextsOf(kind);
    return english ? texts.EnglishMenu : texts.TurkishMenu;
}

const char *XmlKindPromptName(int kind, bool english) {
    const TKindTexts &texts = TextsOf(kind);
    return english ? texts.EnglishPrompt : texts.TurkishPrompt;
}

MyString XmlBuilderPrompt(int kind, bool english) {
    const char *name = XmlKindPromptName(kind, english);
    if (english)
        return MyString::MakeStr(
            "Type Only 1 %s.\r\nAttention !. The text you typed must not include any other "
            "value except %s.",
            name, name);
    return MyString::MakeStr(
        "Yalnızca 1 adet %s bilgisi giriniz.\r\nDikkat !. Girdiğiniz metinde, bir %s bilgisi "
        "dışında herhangi bir kelime olmamalıdır."_cp,
        name, name);
}

TXmlMenuTexts::TXmlMenuTexts(bool english)
    : LoadSamples(english ? "Load XML Sentence Samples" : "Örnek XML Cümlesi Yükle"_cp),
      BuildSubmenu(english ? "Build Simple XML Sentence" : "Basit XML Cümlesi Oluştur"_cp) {}
