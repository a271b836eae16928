// SPDX-License-Identifier: GPL-3.0-or-later
// The reading of running text (kind 0), by category, written from Turkish usage: what a
// Turkish newsreader says for what a Turkish newspaper prints.
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

TEST(NormaliseForSpeech, Cardinals) {
    Check({
        {"zero", "0", "sıfır"},
        {"units", "1 2 3 4 5 6 7 8 9", "bir iki üç dört beş altı yedi sekiz dokuz"},
        {"tens", "10 20 30 40 50 60 70 80 90", "on yirmi otuz kırk elli altmış yetmiş seksen doksan"},
        {"hundred without bir", "100 101 110 999", "yüz yüz bir yüz on dokuz yüz doksan dokuz"},
        {"thousand without bir", "1000 1001 2024", "bin bin bir iki bin yirmi dört"},
        {"thousands", "11000 100000 999999", "on bir bin yüz bin dokuz yüz doksan dokuz bin dokuz yüz doksan dokuz"},
        {"million with bir", "1000000 2500000", "bir milyon iki milyon beş yüz bin"},
        {"billion", "1000000000 3000000001", "bir milyar üç milyar bir"},
        {"thousands dots", "1.000 12.500 1.250.000", "bin on iki bin beş yüz bir milyon iki yüz elli bin"},
        {"digits in a word's sentence", "Sınıfta 32 öğrenci var.", "sınıfta otuz iki öğrenci var."},
        {"leading zeros", "007 ajanı", "sıfır sıfır yedi ajanı"},
        {"range", "5-10 dakika", "beş on dakika"},
    });
}

TEST(NormaliseForSpeech, DecimalsNegativesAndPercentages) {
    Check({
        {"decimal comma", "3,14", "üç virgül on dört"},
        {"leading zero after the comma", "0,05", "sıfır virgül sıfır beş"},
        {"thousands and decimals", "1.250,75", "bin iki yüz elli virgül yetmiş beş"},
        {"comma in a list is no decimal", "3, 4 ve 5", "üç, dört ve beş"},
        {"negative", "Hava -5 derece.", "hava eksi beş derece."},
        {"negative decimal", "-3,5", "eksi üç virgül beş"},
        {"plus", "+2", "artı iki"},
        {"hyphen between numbers is no sign", "1990-2000", "bin dokuz yüz doksan iki bin"},
        {"percent", "%25", "yüzde yirmi beş"},
        {"percent with space and decimal", "% 3,5 faiz", "yüzde üç virgül beş faiz"},
        {"percent with suffix", "Oyların %50'si", "oyların yüzde ellisi"},
        {"dot without thousands", "Sürüm 3.5", "sürüm üç nokta beş"},
        {"fractions", "1/2 3/4 2/3 çoğunluk", "ikide bir dörtte üç üçte iki çoğunluk"},
        {"no fraction", "24/7 açık, 12/3", "yirmi dört bölü yedi açık, on iki bölü üç"},
    });
}

TEST(NormaliseForSpeech, Ordinals) {
    Check({
        {"period before lower case", "5. sınıf", "beşinci sınıf"},
        {"period before capital", "3. Madde", "üçüncü madde"},
        {"softened dört", "4. kat", "dördüncü kat"},
        {"harmony", "1., 2., 6., 9., 10., 20., 40., 60., 100. ve 1000. sıralar",
         "birinci, ikinci, altıncı, dokuzuncu, onuncu, yirminci, kırkıncı, altmışıncı, yüzüncü ve bininci sıralar"},
        {"compound", "21. yüzyıl", "yirmi birinci yüzyıl"},
        {"written ending", "1'inci 2'nci 3'üncü 4'üncü 6'ncı 10'uncu 100'üncü",
         "birinci ikinci üçüncü dördüncü altıncı onuncu yüzüncü"},
        {"ending with more suffixes", "Yarışmanın 1'incisi", "yarışmanın birincisi"},
        {"ordinal period and suffix", "1.'si ve 2.'si", "birincisi ve ikincisi"},
        {"sentence-final number stays cardinal", "Yaş ortalaması 25.", "yaş ortalaması yirmi beş."},
    });
}

TEST(NormaliseForSpeech, SuffixesAfterNumbersFollowTheSpokenWord) {
    Check({
        {"dative", "1'e 2'ye 3'e 4'e 5'e 6'ya 7'ye 8'e 9'a 10'a",
         "bire ikiye üçe dörde beşe altıya yediye sekize dokuza ona"},
        {"dative of tens and powers", "20'ye 30'a 40'a 50'ye 60'a 70'e 80'e 90'a 100'e 1000'e 1000000'a 1000000000'a",
         "yirmiye otuza kırka elliye altmışa yetmişe seksene doksana yüze bine bir milyona bir milyara"},
        {"accusative", "4'ü 8'i 40'ı 100'ü 3'ü 6'yı", "dördü sekizi kırkı yüzü üçü altıyı"},
        {"locative voicing", "2024'te 3'te 5'te 6'da 2000'de 40'ta", "iki bin yirmi dörtte üçte beşte altıda iki binde kırkta"},
        {"ablative", "10'dan 2'den 3'ten 4'ten", "ondan ikiden üçten dörtten"},
        {"genitive", "5'in 2'nin 4'ün", "beşin ikinin dördün"},
        {"possessive", "6'sı 50'si", "altısı ellisi"},
        {"plural and derivation", "1990'lı yıllar 80'ler", "bin dokuz yüz doksanlı yıllar seksenler"},
        {"ki keeps its vowel", "2024'teki", "iki bin yirmi dörtteki"},
        {"a wrongly voiced suffix is said right", "3'de 5'da", "üçte beşte"},
        {"after a decimal", "2,5'i", "iki virgül beşi"},
        {"typographic apostrophe", "8’i", "sekizi"},
    });
}

TEST(NormaliseForSpeech, APeriodAfterANumberIsReadAsTheSplitterDecides) {
    Check({
        {"value at a sentence end", "Katılımcı sayısı 250. Geçen yıl", "katılımcı sayısı iki yüz elli. geçen yıl"},
        {"ordinal before a name", "İstanbul 5. Asliye Hukuk", "istanbul beşinci asliye hukuk"},
        {"decimal", "Oran 3,5. Bu", "oran üç virgül beş. bu"},
        {"score", "Maç 3-1. Taraftar", "maç üç bir. taraftar"},
        {"grouped ordinal", "10.000. ziyaretçi", "on bininci ziyaretçi"},
        {"grouped value", "Seyirci 45.000. Stat", "seyirci kırk beş bin. stat"},
        {"article", "Madde 5. Ayrıca", "madde beş. ayrıca"},
        {"section heading", "3.2. Yöntem", "üç nokta iki yöntem"},
        {"year then a capital", "Kuruluş 1923. Yıllar", "kuruluş bin dokuz yüz yirmi üç. yıllar"},
        {"year ordinal", "1923. yılın", "bin dokuz yüz yirmi üçüncü yılın"},
        {"a word glued to the period", "2.Yarı ve 3.lük", "ikinci yarı ve üçüncülük"},
    });
}

TEST(NormaliseForSpeech, DatesAndTimes) {
    Check({
        {"dotted date", "10.12.2026", "on aralık iki bin yirmi altı"},
        {"slashed date", "1/5/1919", "bir mayıs bin dokuz yüz on dokuz"},
        {"hyphenated date", "29-10-1923", "yirmi dokuz ekim bin dokuz yüz yirmi üç"},
        {"ISO date", "2026-02-03", "üç şubat iki bin yirmi altı"},
        {"date with suffix", "23.04.1920'de", "yirmi üç nisan bin dokuz yüz yirmide"},
        {"written month", "19 Mayıs 1919", "on dokuz mayıs bin dokuz yüz on dokuz"},
        {"time", "14:30", "on dört otuz"},
        {"leading zero in the minute", "14:05", "on dört sıfır beş"},
        {"whole hour", "09:00", "dokuz sıfır sıfır"},
        {"midnight hour", "00:15'te", "sıfır sıfır on beşte"},
        {"seconds", "10:15:30", "on on beş otuz"},
        {"time with suffix", "Saat 14:05'te", "saat on dört sıfır beşte"},
        {"dotted time after saat", "saat 9.30'da", "saat dokuz otuzda"},
        {"dotted time", "Toplantı 14.30'da başlar.", "toplantı on dört otuzda başlar."},
    });
}

TEST(NormaliseForSpeech, AmountsOfMoney) {
    Check({
        {"lira", "25 TL", "yirmi beş türk lirası"},
        {"lira and kuruş", "12,50 TL", "on iki türk lirası elli kuruş"},
        {"one decimal digit is tens of kuruş", "7,5 TL", "yedi türk lirası elli kuruş"},
        {"kuruş only", "0,75 TL", "yetmiş beş kuruş"},
        {"zero kuruş", "1.250,00 TL", "bin iki yüz elli türk lirası"},
        {"millions", "1.250.000 TL", "bir milyon iki yüz elli bin türk lirası"},
        {"suffix after lira takes n", "25 TL'ye", "yirmi beş türk lirasına"},
        {"suffix after kuruş", "12,50 TL'den", "on iki türk lirası elli kuruştan"},
        {"derivation drops the possessive", "3.000 TL'lik çek", "üç bin türk liralık çek"},
        {"instrumental keeps it", "TL'yle ödedi", "türk lirasıyla ödedi"},
        {"exchange rate is no amount in lira", "Dolar/TL 34,25", "dolar türk lirası otuz dört virgül yirmi beş"},
        {"lira alone", "TL cinsinden", "türk lirası cinsinden"},
        {"lira before the number", "TL 25 ve TL3,5", "yirmi beş türk lirası ve üç türk lirası elli kuruş"},
        {"dollar before", "$100", "yüz dolar"},
        {"dollar code", "20 USD", "yirmi dolar"},
        {"euro sign after", "50 €", "elli avro"},
        {"euro cents", "€3,20", "üç avro yirmi sent"},
        {"sterling", "£10", "on sterlin"},
    });
}

TEST(NormaliseForSpeech, Units) {
    Check({
        {"km", "5 km", "beş kilometre"},
        {"kg decimal", "3,5 kg", "üç virgül beş kilogram"},
        {"no space", "180cm", "yüz seksen santimetre"},
        {"square metres", "120 m² ve 80 m2", "yüz yirmi metrekare ve seksen metrekare"},
        {"cubic metres", "5 m³", "beş metreküp"},
        {"celsius", "25 °C ve 30°C", "yirmi beş derece ve otuz derece"},
        {"degree", "90° açı", "doksan derece açı"},
        {"speed", "120 km/sa hızla", "saatte yüz yirmi kilometre hızla"},
        {"unit with suffix", "5 km'lik yol", "beş kilometrelik yol"},
        {"unit ablative", "2 kg'dan", "iki kilogramdan"},
        {"unit with period mid-sentence", "10 dk. sonra", "on dakika sonra"},
        {"minute at the end", "Süre 10 dk.", "süre on dakika."},
        {"data", "16 GB bellek", "on altı gigabayt bellek"},
        {"word starting like a unit", "5 mavi 3 gün 2 saat", "beş mavi üç gün iki saat"},
        {"litre", "1,5 lt su", "bir virgül beş litre su"},
    });
}

TEST(NormaliseForSpeech, RomanNumeralsWhereTheyAreNumerals) {
    Check({
        {"war", "II. Dünya Savaşı", "ikinci dünya savaşı"},
        {"century with period", "XIX. yüzyıl", "on dokuzuncu yüzyıl"},
        {"century without period", "XX yüzyılda", "yirminci yüzyılda"},
        {"sultan", "III. Selim ve IV. Murat", "üçüncü selim ve dördüncü murat"},
        {"king after the name", "Henry VIII", "henry sekizinci"},
        {"chapter", "Bölüm IV", "bölüm dört"},
        {"article", "Madde XII", "madde on iki"},
        {"letter, not a numeral", "Ek C", "ek ce"},
        {"initial, not a numeral", "M. Kemal", "me kemal"},
        {"word of numeral letters", "MİLLİ", "milli"},
    });
}

TEST(NormaliseForSpeech, AcronymsAndCase) {
    Check({
        {"letter names", "ABD ve AB", "a be de ve a be"},
        {"all letters", "BCÇDFGĞHJKLMNPRSŞTVYZ", "be ce çe de fe ge ğe he je ke le me ne pe re se şe te ve ye ze"},
        {"vowels and foreign letters", "IİOÖUÜ QWX", "ı i o ö u ü ku çift ve iks"},
        {"suffix harmonised to the last letter name", "TBMM'de ABD'ye CHP'nin", "te be me mede a be deye ce he penin"},
        {"short acronym in running text", "MEB açıkladı", "me e be açıkladı"},
        {"read as words", "NATO ASELSAN TÜBİTAK ODTÜ YÖK", "nato aselsan tübitak odtü yök"},
        {"word acronym with suffix", "NATO'ya TÜBİTAK'ın", "natoya tübitakın"},
        {"foreign acronyms said as words", "FIFA, UNICEF, COVID-19, BIST 100", "fifa, unisef, kovid on dokuz, bist yüz"},
        {"text in capitals", "İSTANBUL'DA SON DAKİKA", "istanbulda son dakika"},
        {"acronym in a text in capitals", "TBMM GENEL KURULU", "te be me me genel kurulu"},
        {"Turkish lower case", "IŞIK İĞNE ÇAĞ ŞÖYLE ÜZÜM", "ışık iğne çağ şöyle üzüm"},
        {"proper noun suffix", "Ankara'da İzmir'e", "ankarada izmire"},
        {"letter with number", "A4 kâğıt, 4G", "a dört kâğıt, dört ge"},
    });
}

TEST(NormaliseForSpeech, Abbreviations) {
    Check({
        {"titles", "Prof. Dr. Ahmet Yılmaz", "profesör doktor ahmet yılmaz"},
        {"running text", "elma, armut vb. meyveler", "elma, armut ve benzeri meyveler"},
        {"at the end", "kalem, defter vs.", "kalem, defter vesaire."},
        {"capital at a sentence start", "Bkz. Ek", "bakınız ek"},
        {"dotted", "T.C. Ziraat Bankası A.Ş.", "türkiye cumhuriyeti ziraat bankası anonim şirketi."},
        {"company", "Ltd. Şti. ve Ltd.Şti.", "limited şirketi ve limited şirketi."},
        {"suffix re-harmonised", "Prof.'a Dr.'dan", "profesöre doktordan"},
        {"possessive takes n", "Atatürk Cad.'de, A.Ş.'ye", "atatürk caddesinde, anonim şirketine"},
        {"possessive with its n written", "Kızılay Mah.'nde", "kızılay mahallesinde"},
        {"plural of a possessive compound", "Cad.'ler ve Sok.'lar", "caddeler ve sokaklar"},
        {"number sign", "No: 5 ve No. 7", "numara beş ve numara yedi"},
        {"page", "s. 45", "sayfa kırk beş"},
        {"unknown initials", "M.K. Atatürk", "me ke atatürk"},
        {"initial", "A. Yılmaz", "a yılmaz"},
        {"word that looks like an abbreviation", "Bu bir ara.", "bu bir ara."},
        {"eras", "M.Ö. 500, MÖ 3000'li yıllar, MS 1453", "milattan önce beş yüz, milattan önce üç binli yıllar, milattan sonra bin dört yüz elli üç"},
        {"MS elsewhere is an acronym", "MS hastalığı", "me se hastalığı"},
        {"religious formula", "Hz. Muhammed (s.a.v.)", "hazreti muhammed sallallahu aleyhi ve sellem"},
    });
}

TEST(NormaliseForSpeech, PunctuationAndAddresses) {
    Check({
        {"marks kept", "Geldin mi? Evet! Tamam: bitti; gidelim.", "geldin mi? evet! tamam: bitti; gidelim."},
        {"quotes and brackets dropped", "\"Gel\" dedi (hemen).", "gel dedi hemen."},
        {"ellipsis", "Bilmem…", "bilmem..."},
        {"ampersand", "Ali & Veli", "ali ve veli"},
        {"dash between words", "Ankara - İstanbul", "ankara, istanbul"},
        {"a dash after a full stop adds no pause", "dedi. — Eve", "dedi. eve"},
        {"e-mail", "ali.veli@ornek.com.tr", "ali nokta veli et ornek nokta kom nokta te re"},
        {"web address", "www.ornek.gov.tr.", "çift ve çift ve çift ve nokta ornek nokta gov nokta te re."},
        {"whitespace", "  bir\r\n\tiki  ", "bir iki"},
        {"empty", "", ""},
    });
}

TEST(NormaliseForSpeech, NoDigitsAndNoCapitalsEverSurvive) {
    const char *texts[] = {
        "2024'te %12,5 büyüdü; 3.500.000 TL, 10.12.2026 14:05 II. XIX yüzyıl ABD'ye",
        "9999999999999999999999 1.2.3.4 12/34 5:7 0,0 ₺ 1e5 3x4 H2O",
    };
    for (const char *t : texts) {
        std::string reading = NormaliseForSpeech(cp1254::FromUtf8(t));
        for (unsigned char c : reading) {
            EXPECT_FALSE(c >= '0' && c <= '9') << t << " -> " << cp1254::ToUtf8(reading);
            EXPECT_FALSE(c >= 'A' && c <= 'Z') << t << " -> " << cp1254::ToUtf8(reading);
        }
    }
}

TEST(NormaliseForSpeech, EveryByteValueIsSafe) {
    std::string text;
    for (int b = 0; b < 256; ++b) text += char(b);
    for (int kind = 0; kind <= 6; ++kind) {
        for (std::size_t start = 0; start < text.size(); start += 37) {
            std::string part = text.substr(start) + text.substr(0, start);
            EXPECT_EQ(NormaliseForSpeech(part, kind), NormaliseForSpeech(part, kind));
        }
    }
}

}  // namespace
