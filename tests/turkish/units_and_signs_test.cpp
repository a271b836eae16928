// SPDX-License-Identifier: GPL-3.0-or-later
// Units, rates, signs, sizes and fractions after and around numbers in running text.
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

TEST(UnitsAndSigns, MeasuresOfVolumeSoundEnergyAndPressure) {
    Check({
        {"litres", "1,5 L su, 200 ml süt, 3 dl yağ, 33 cl kutu", "bir virgül beş litre su, iki yüz mililitre süt, üç desilitre yağ, otuz üç santilitre kutu"},
        {"decibel", "85 dB gürültü", "seksen beş desibel gürültü"},
        {"calories", "250 kcal ve 90 kal", "iki yüz elli kilokalori ve doksan kalori"},
        {"pressure", "2,2 bar, 1013 hPa, 120 mmHg, 1 atm", "iki virgül iki bar, bin on üç hektopaskal, yüz yirmi milimetre cıva, bir atmosfer"},
        {"a unit's word needs its number", "bar ve kal dedi", "bar ve kal dedi"},
        {"medical", "110 mg/dl, 50 µg, 5,5 mmol/L", "yüz on miligram desilitre, elli mikrogram, beş virgül beş milimol litre"},
    });
}

TEST(UnitsAndSigns, RatesSayTheirTimeFirst) {
    Check({
        {"per second", "300.000 km/s ve 15 m/s", "saniyede üç yüz bin kilometre ve saniyede on beş metre"},
        {"per hour", "90 km/saat", "saatte doksan kilometre"},
        {"per minute", "3000 rpm, 60 bpm, 12 lt/dk", "dakikada üç bin devir, dakikada altmış atım, dakikada on iki litre"},
        {"data rates", "100 Mbps ve 1 Gbps", "saniyede yüz megabit ve saniyede bir gigabit"},
        {"with a suffix", "50 km/s'lik hız", "saniyede elli kilometrelik hız"},
    });
}

TEST(UnitsAndSigns, AreasAndVolumesAlsoWithoutANumber) {
    Check({
        {"alone", "m² fiyatı ve km² başına", "metrekare fiyatı ve kilometrekare başına"},
        {"volume alone", "cm³ hacim", "santimetreküp hacim"},
        {"with a suffix", "m²'si", "metrekaresi"},
    });
}

TEST(UnitsAndSigns, TheInchSignIsNoClosingQuote) {
    Check({
        {"inch", "55\" televizyon ve 6,1” ekran", "elli beş inç televizyon ve altı virgül bir inç ekran"},
        {"inch with a suffix", "27\"lik monitör", "yirmi yedi inçlik monitör"},
        {"a straight quotation that ends in a number", "\"Kapı 5\" dedi.", "kapı beş dedi."},
        {"a typographic quotation that ends in a number", "“Oda 12” yazıyordu.", "oda on iki yazıyordu."},
        {"inch after a quotation closed before", "\"Yeni\" model 14\" dizüstü", "yeni model on dört inç dizüstü"},
        {"inches in a row", "5\", 6\" ve 7\" boylar", "beş inç, altı inç ve yedi inç boylar"},
        {"a quotation after an inch", "17\" ekran \"Pro 2\" adlı", "on yedi inç ekran pro iki adlı"},
        {"a suffix after an apostrophe", "15,6\"'lık", "on beş virgül altı inçlik"},
    });
}

TEST(UnitsAndSigns, PercentPerMilleAndPlusMinus) {
    Check({
        {"per mille before and after", "‰5 ve 3‰", "binde beş ve binde üç"},
        {"percent after the number", "50% ve 12,5 %", "yüzde elli ve yüzde on iki virgül beş"},
        {"percent after, with a suffix", "50%'si", "yüzde ellisi"},
        {"minus before the sign", "-%5 ve +%2", "eksi yüzde beş ve artı yüzde iki"},
        {"minus after the sign", "%-3", "yüzde eksi üç"},
        {"plus-minus", "±0,5 ve 5 ± 0,2", "artı eksi sıfır virgül beş ve beş artı eksi sıfır virgül iki"},
        {"a sign before the next number is its own", "5 %10", "beş yüzde on"},
    });
}

TEST(UnitsAndSigns, SizesAndDoses) {
    Check({
        {"size with a unit", "120x60 cm", "yüz yirmiye altmış santimetre"},
        {"resolution", "1920x1080 ekran", "bin dokuz yüz yirmiye bin seksen ekran"},
        {"three sizes", "50x40x30 cm", "elliye kırka otuz santimetre"},
        {"spaced and with the times sign", "3 x 4 m ve 2×3 m", "üçe dört metre ve ikiye üç metre"},
        {"dose", "günde 2x1 tablet", "günde iki çarpı bir tablet"},
    });
}

TEST(UnitsAndSigns, Fractions) {
    Check({
        {"possessive on the numerator", "2/3'ü ve 1/4'ünü", "üçte ikisi ve dörtte birini"},
        {"possessive with a case", "3/5'inde, 1/2'si", "beşte üçünde, ikide biri"},
        {"no possessive", "1/2'ye", "ikide bire"},
        {"grouped denominator", "1/100.000 ölçek, 1/25.000", "yüz binde bir ölçek, yirmi beş binde bir"},
        {"round denominator", "1/1000", "binde bir"},
        {"mixed numbers", "2 1/2 saat ve 1 3/4 kg", "iki buçuk saat ve bir tam dörtte üç kilogram"},
        {"vulgar fractions", "2½ bardak, 1 ¼ saat, ½ ekmek, ¼ ve ¾", "iki buçuk bardak, bir tam dörtte bir saat, yarım ekmek, çeyrek ve dörtte üç"},
        {"all day, every day", "7/24 açık", "yedi yirmi dört açık"},
        {"a season of two years", "2024/25 ve 1999/2000 sezonları", "iki bin yirmi dört yirmi beş ve bin dokuz yüz doksan dokuz iki bin sezonları"},
        {"years not in a row are no season", "2021/23", "iki bin yirmi bir bölü yirmi üç"},
        {"numerator above the denominator", "12/3", "on iki bölü üç"},
        {"two numbers, no fraction", "50/60 Hz, 12/24 ve 8/256 GB", "elli bölü altmış hertz, on iki bölü yirmi dört ve sekiz bölü iki yüz elli altı gigabayt"},
        {"a share of a round number", "15/100", "yüzde on beş"},
    });
    Check({{"address keeps bölü", "No: 1/2", "numara bir bölü iki"}}, 1);
}

}  // namespace
