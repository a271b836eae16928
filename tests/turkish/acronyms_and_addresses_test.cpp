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

TEST(AcronymsAndAddresses, CapitalsThatMakeATurkishWordAreTheWord) {
    Check({
        {"a heading line over text", "YOL ÇALIŞMASI NEDENİYLE\nCadde kapalıdır.", "yol çalışması nedeniyle cadde kapalıdır."},
        {"short words in a heading line", "ÇAY VE KAHVE SAATİ\nHerkes davetli.", "çay ve kahve saati herkes davetli."},
        {"vowels side by side", "Bu SAAT ve AİLE ile ŞİİR", "bu saat ve aile ile şiir"},
        {"a borrowed word's onset", "Bu TRAFİK, PLAN, KREDİ ve STRES", "bu trafik, plan, kredi ve stres"},
        {"three consonants across syllables", "ELEKTRİK ve TÜRKÇE", "elektrik ve türkçe"},
        {"a suffixed notice", "İLGİLİLERE DUYURULUR", "ilgililere duyurulur"},
        {"a known spelled acronym in a heading", "AB VE MEB TOPLANTISI", "a be ve me e be toplantısı"},
        {"letters that make no syllables", "SPSS, KPSS ve ÖSYM", "se pe se se, ke pe se se ve ö se ye me"},
        {"three vowels are no word", "IAEA raporu", "ı a e a raporu"},
        {"a short capital word in running text stays spelled", "THY ve DHL ile OSD", "te he ye ve de he le ile o se de"},
        {"a heading before a colon on a line of text", "KÖK HÜCRE BAĞIŞI: başvurular sürüyor", "kök hücre bağışı: başvurular sürüyor"},
        {"a heading run of short and long words", "Haber: YOL VE KÖPRÜ ÇALIŞMASI sürüyor", "haber: yol ve köprü çalışması sürüyor"},
        {"acronyms side by side are no heading", "TOBB ETÜ ve SGK AYM", "te o be be e te ü ve se ge ke a ye me"},
    });
}

TEST(AcronymsAndAddresses, ShortAcronymsSaidAsWordsComeFromTheirTable) {
    Check({
        {"a service line", "ALO 153'ü arayın", "alo yüz elli üçü arayın"},
        {"computer terms", "8 GB RAM, SIM kart, PIN kodu ve LED ekran", "sekiz gigabayt ram, sim kart, pin kodu ve led ekran"},
        {"indices and vehicles", "ÜFE ve TÜFE, İHA'lar", "üfe ve tüfe, ihalar"},
    });
}

TEST(AcronymsAndAddresses, MixedCaseFormulasAreSpelled) {
    Check({
        {"salts", "KCl ve MgSO4", "ke ce le ve me ge se o dört"},
        {"counts as numbers", "Al2O3 ve C6H12O6", "a le iki o üç ve ce altı he on iki o altı"},
        {"a suffix on the last letter name", "NaHCO3'ü ve LiCl'nin", "ne a he ce o üçü ve le i ce lenin"},
        {"a capitals formula reads as before", "CO2 ve H2O", "ce o iki ve he iki o"},
        {"lab symbols from the table", "pH'si 6,5 ve mRNA", "pe hası altı virgül beş ve me re ne a"},
        {"a brand in mixed case is no formula", "McLaren ve BioNTech", "mclaren ve biontech"},
        {"a single symbol is no formula", "Na ve Fe", "na ve fe"},
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
