// SPDX-License-Identifier: GPL-3.0-or-later
// Words in capitals (acronyms spelled or said as words, Turkish words in headlines), codes
// glued to digits, and web and e-mail addresses in running text.
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

TEST(AcronymsAndAddresses, AcronymsAreSpelledOrSaidAsWords) {
    Check({
        {"said as words", "TOGG, ARGE ve ISO 9001", "tog, arge ve iso dokuz bin bir"},
        {"written in two parts", "AR-GE'ye ve Ar-Ge", "argeye ve arge"},
        {"a name of its own", "MR çekildi", "emar çekildi"},
        {"said with a dotted i", "IBAN numarası", "iban numarası"},
        {"spelled, as before", "TBMM, MEB ve CHP", "te be me me, me e be ve ce he pe"},
        {"two parts not in the table", "AB-ABD", "a be a be de"},
    });
}

TEST(AcronymsAndAddresses, ShortTurkishWordsInCapitalsAreWords) {
    Check({
        {"headline over lower-case text", "SON DAKİKA: yol kapandı", "son dakika: yol kapandı"},
        {"notice", "SU KESİNTİSİ", "su kesintisi"},
        {"emphasis in a sentence", "Bu SON uyarı, YOL yok.", "bu son uyarı, yol yok."},
        {"with a suffix", "YOL'DA", "yolda"},
    });
}

TEST(AcronymsAndAddresses, AUnitNeverReadsInsideACodeGluedToDigits) {
    Check({
        {"code", "TB2 ve MB3 kodları", "te be iki ve me be üç kodları"},
        {"unit after its number", "2 TB disk ve 5GB", "iki terabayt disk ve beş gigabayt"},
        {"unit alone", "GB başına", "gigabayt başına"},
        {"currency glued to its amount stays an amount", "TL25", "yirmi beş türk lirası"},
    });
}

TEST(AcronymsAndAddresses, WebAndEmailAddresses) {
    Check({
        {"e-mail", "ali.veli@gmail.com", "ali nokta veli et cimeyl nokta kom"},
        {"letter runs that are no words are spelled", "www.tdk.gov.tr", "çift ve çift ve çift ve nokta te de ke nokta gov nokta te re"},
        {"bare domain", "tdk.gov.tr ve ornek.com.tr", "te de ke nokta gov nokta te re ve ornek nokta kom nokta te re"},
        {"bare domain with a suffix", "vikipedi.org'da", "vikipedi nokta orgda"},
        {"bare domain with a path", "uni.edu.tr/duyurular", "uni nokta edu nokta te re bölü duyurular"},
        {"scheme and path", "https://ornek.org/sayfa", "he te te pe se ornek nokta org bölü sayfa"},
        {"at a sentence's end", "Bkz. ornek.net.", "bakınız ornek nokta net."},
        {"no known ending is no domain", "Ankara.Bu gün", "ankara bu gün"},
    });
}

}  // namespace
