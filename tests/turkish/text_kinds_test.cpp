// SPDX-License-Identifier: GPL-3.0-or-later
// The five XML text kinds, read the way their official formats are said aloud.
#include "turkish/turkish_text.h"

#include "foundation/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const char *label;
    const char *text;
    const char *reading;
};

void Check(int kind, const std::vector<Case> &cases) {
    for (const Case &c : cases)
        EXPECT_EQ(cp1254::ToUtf8(NormaliseForSpeech(cp1254::FromUtf8(c.text), kind)), c.reading)
            << "kind " << kind << ", " << c.label << ": " << c.text;
}

TEST(TextKinds, Address) {
    Check(1, {
        {"street, number, floor, flat", "Atatürk Cad. No:12/3 K:2 D:5 Çankaya/Ankara",
         "atatürk caddesi numara on iki bölü üç kat iki daire beş çankaya ankara"},
        {"numbered streets read bare", "Kızılay Mah. 1. Cad. 5. Sk. No 7 Kat 3 Daire 8",
         "kızılay mahallesi birinci cadde beşinci sokak numara yedi kat üç daire sekiz"},
        {"named street", "Cumhuriyet Mh. Okul Sk. No:4 Yenimahalle / Ankara",
         "cumhuriyet mahallesi okul sokağı numara dört yenimahalle ankara"},
        {"block, boulevard, door letter", "Gül Apt. B Blok Bağdat Blv. No: 12/A Kadıköy/İSTANBUL",
         "gül apartmanı be blok bağdat bulvarı numara on iki a kadıköy istanbul"},
        {"capitals and postal code", "ATATÜRK CAD. NO:5 06100 ANKARA",
         "atatürk caddesi numara beş sıfır altı bin yüz ankara"},
        {"no trailing stop after an abbreviation", "İnönü Bulv.", "inönü bulvarı"},
    });
}

TEST(TextKinds, CommercialTitle) {
    Check(2, {
        {"limited company", "ABC Gıda San. ve Tic. Ltd. Şti.", "a be ce gıda sanayi ve ticaret limited şirketi"},
        {"joint-stock company", "Yıldız Holding A.Ş.", "yıldız holding anonim şirketi"},
        {"collective company", "Kaya ve Ortakları Koll. Şti.", "kaya ve ortakları kollektif şirketi"},
        {"trade abbreviations", "Demir Müh. İnş. Turz. Paz. Ltd.Şti.",
         "demir mühendislik inşaat turizm pazarlama limited şirketi"},
        {"capitals and ampersand", "ÖZTÜRK & OĞULLARI İNŞ. TİC. A.Ş.", "öztürk ve oğulları inşaat ticaret anonim şirketi"},
        {"without periods", "Kaya Ltd Şti", "kaya limited şirketi"},
    });
}

TEST(TextKinds, PersonName) {
    Check(3, {
        {"titles and an initial", "Prof. Dr. Ahmet K. Yılmaz", "profesör doktor ahmet ke yılmaz"},
        {"capitals are a name, not an acronym", "AYŞE DEMİR", "ayşe demir"},
        {"short name in capitals", "ALİ ER", "ali er"},
        {"lawyer with an initial", "Av. M. Ali Öztürk", "avukat me ali öztürk"},
        {"surgeon", "Op. Dr. Zeynep Şahin", "operatör doktor zeynep şahin"},
        {"honorific", "Sn. MEHMET EMİN", "sayın mehmet emin"},
        {"engineer", "Müh. Can Ak", "mühendis can ak"},
    });
}

TEST(TextKinds, LicencePlate) {
    Check(4, {
        {"three letters", "34 ABC 123", "otuz dört a be ce yüz yirmi üç"},
        {"one letter, four digits", "06 A 1234", "sıfır altı a bin iki yüz otuz dört"},
        {"written together", "35AB123", "otuz beş a be yüz yirmi üç"},
        {"leading zeros", "34-TZ-0012", "otuz dört te ze sıfır sıfır on iki"},
        {"Turkish letters", "01 ÇŞ 05", "sıfır bir çe şe sıfır beş"},
        {"lower case", "16 bk 42", "on altı be ke kırk iki"},
    });
}

TEST(TextKinds, PhoneNumber) {
    Check(5, {
        {"mobile, formatted", "0 (532) 123 45 67", "sıfır beş yüz otuz iki yüz yirmi üç kırk beş altmış yedi"},
        {"mobile, unformatted", "05321234567", "sıfır beş yüz otuz iki yüz yirmi üç kırk beş altmış yedi"},
        {"without the zero", "5321234567", "beş yüz otuz iki yüz yirmi üç kırk beş altmış yedi"},
        {"country code", "+905321234567", "artı doksan beş yüz otuz iki yüz yirmi üç kırk beş altmış yedi"},
        {"zeros in groups", "+90 212 555 00 00", "artı doksan iki yüz on iki beş yüz elli beş sıfır sıfır sıfır sıfır"},
        {"groups as written", "0212-555-1234", "sıfır iki yüz on iki beş yüz elli beş bin iki yüz otuz dört"},
        {"call centre", "444 0 123", "dört yüz kırk dört sıfır yüz yirmi üç"},
        {"call centre, unformatted", "4440123", "dört yüz kırk dört sıfır yüz yirmi üç"},
        {"leading zero in a group", "0312 405 06 07", "sıfır üç yüz on iki dört yüz beş sıfır altı sıfır yedi"},
        {"extension", "0212 555 12 34 dahili 12", "sıfır iki yüz on iki beş yüz elli beş on iki otuz dört dahili on iki"},
    });
}

TEST(TextKinds, UnknownKindsReadAsRunningText) {
    for (int kind : {-1, 6, 99})
        EXPECT_EQ(NormaliseForSpeech("5. sınıf 4'ü"_cp, kind), NormaliseForSpeech("5. sınıf 4'ü"_cp, 0)) << kind;
}

}  // namespace
