// SPDX-License-Identifier: GPL-3.0-or-later
#include "turkish/number_period.h"

#include "foundation/code_page.h"
#include "turkish/letters.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace turkish {
namespace {

bool InList(std::string_view word, std::initializer_list<const char *> list) {
    for (const char *w : list)
        if (word == w) return true;
    return false;
}

// Words that count, measure or number what follows them: the number after one is a value
// ("sayısı 250.", "Madde 5.", "Ek 2."), never an ordinal, whatever comes next.
bool CountsBefore(std::string_view lower) {
    return InList(lower, {"sayısı"_cp, "sayı"_cp, "puanı"_cp, "puan", "oranı"_cp, "oran", "madde", "maddesi",
                          "ek", "eki", "sayfa", "bölüm"_cp, "tablo", "şekil"_cp, "no", "numara", "numarası"_cp,
                          "toplam", "toplamı"_cp, "yaş"_cp, "yaşı"_cp, "yaşında"_cp, "skor", "sonuç"_cp,
                          "fiyatı"_cp, "adet", "adedi", "miktarı"_cp, "tutarı"_cp, "değeri"_cp, "endeksi",
                          "kodu", "versiyon", "sürüm"_cp, "model", "modeli", "kapasitesi", "nüfusu"_cp,
                          "rakamı"_cp, "seviyesi", "düzeyi"_cp, "ortalaması"_cp, "ortalama", "derece",
                          "sırada", "rekor", "hedef", "hedefi", "limit", "limiti", "madde:", "fıkra"_cp,
                          "bent", "kat", "daire", "blok", "kapı"_cp, "oda", "salon", "peron", "hat", "hattı"_cp});
}

// Capitalised words that an ordinal stands before in names: "3. Madde", "5. Asliye Hukuk
// Mahkemesi", "2. Dünya Savaşı", "1. Lig", "50. Yıl", "28. Dönem", "3. Uluslararası ...".
bool FollowsOrdinal(std::string_view lower) {
    static const char *const stems[] = {
        "madde", "bölüm"_cp, "kısım"_cp, "fıkra"_cp, "bent", "sınıf"_cp, "kat", "cadde", "cad", "sokak", "sok",
        "sk", "bulvar", "dünya"_cp, "yüzyıl"_cp, "asır"_cp, "lig", "asliye", "ağır"_cp, "sulh", "icra",
        "hukuk", "idare", "vergi", "bölge"_cp, "ordu", "kolordu", "tümen"_cp, "tugay", "filo", "alay",
        "dönem"_cp, "yıl"_cp, "uluslararası"_cp, "ulusal", "geleneksel", "olağan"_cp, "kurultay", "festival",
        "bienal", "etap", "tur", "hafta", "gün"_cp, "sezon", "şube"_cp, "noter", "ceza", "tüketici"_cp,
        "iş"_cp, "aile", "ünite"_cp, "cilt", "baskı"_cp, "kitap", "sayı"_cp, "ek", "derece", "mevki",
        "sıra"_cp, "basamak", "dereceden", "kuşak"_cp, "nesil", "köprü"_cp, "havalimanı"_cp, "pist",
        "bina", "blok", "ofis", "kongre", "sempozyum", "kurul", "meclis", "devre", "yarı"_cp, "periyot",
        "çeyrek"_cp, "ay", "mahalle", "organize", "koşu"_cp, "ayak", "maç"_cp, "hafta", "grup", "seri",
        "vilayet", "daire", "şehir"_cp, "büyük"_cp, "küçük"_cp, "genel", "olağanüstü"_cp, "yargı"_cp,
        "mahkeme", "istinaf", "ticaret", "kadastro", "kademe", "seviye", "ordusu", "tabur", "bölük"_cp,
    };
    for (const char *s : stems) {
        std::string_view stem = s;
        if (lower.substr(0, stem.size()) == stem) {
            // The stem and at most a few suffix letters: "Maddesi", "Dönemde", "Yılında".
            if (lower.size() <= stem.size() + 5) return true;
        }
    }
    return false;
}

// The street words, written out or abbreviated ("Sokak", "Sok", "Sk", "Cd"), with a few
// suffix letters at most.
bool NamesAStreet(std::string_view lower) {
    for (const char *s : {"sokak", "soka\xF0", "cadde", "bulvar", "sok", "sk", "cad", "cd", "blv", "bulv"}) {
        const std::string_view stem = s;
        if (lower.substr(0, stem.size()) == stem && lower.size() <= stem.size() + (stem.size() > 3 ? 5 : 0))
            return true;
    }
    return false;
}

// Capitalised words that open a sentence and never follow an ordinal: pronouns,
// conjunctions, time words. "... sayısı 250. Bu yıl ..." ends at the number.
bool OpensSentence(std::string_view lower) {
    return InList(lower, {"bu", "şu"_cp, "o", "bunlar", "şunlar"_cp, "onlar", "ben", "sen", "biz", "siz",
                          "ancak", "ama", "fakat", "lakin", "ve", "veya", "ya", "ayrıca"_cp, "üstelik"_cp,
                          "oysa", "yine", "geçen"_cp, "gelecek", "önceki"_cp, "bugün"_cp, "dün"_cp,
                          "yarın"_cp, "şimdi"_cp, "sonra", "önce"_cp, "böylece"_cp, "dolayısıyla"_cp,
                          "yani", "çünkü"_cp, "ne", "nasıl"_cp, "neden", "kim", "hangi", "her", "hiç"_cp,
                          "bazı"_cp, "birçok"_cp, "tüm"_cp, "bütün"_cp, "daha", "en", "çok"_cp, "bunun",
                          "bununla", "buna", "bundan", "onun", "ona", "ondan", "işte"_cp, "peki", "evet",
                          "hayır"_cp, "aynı"_cp, "diğer"_cp, "bir", "iki", "üç"_cp, "ilk", "son", "de", "da",
                          "mi", "mı"_cp, "ise", "eğer"_cp, "bence", "sanırım"_cp, "galiba", "belki",
                          "kısacası"_cp, "sonuçta"_cp, "sonunda", "artık"_cp, "hem", "henüz"_cp, "zaten",
                          "tabii", "elbette", "öte"_cp, "buradan", "burada", "orada", "şöyle"_cp, "böyle"_cp,
                          "toplamda", "geri", "kalan", "diğerleri"_cp, "herkes", "kimse"});
}

// The word (letters) ending just before `end`, skipping spaces and a colon, as written.
std::string_view WordBefore(std::string_view text, int end) {
    int e = end;
    while (e > 0 && (text[e - 1] == ' ' || text[e - 1] == ':' || (unsigned char)text[e - 1] == 0xA0)) --e;
    int b = e;
    while (b > 0 && IsLetter((unsigned char)text[b - 1])) --b;
    return text.substr(b, e - b);
}

// An abbreviation with its period right before the number ("m. 49", "s. 12"), lower-cased
// without the period; empty when there is none.
std::string AbbreviatedWordBefore(std::string_view text, int end) {
    int e = end;
    while (e > 0 && e > end - 2 && (text[e - 1] == ' ' || (unsigned char)text[e - 1] == 0xA0)) --e;
    if (e < 2 || text[e - 1] != '.') return {};
    --e;
    int b = e;
    while (b > 0 && e - b <= 4 && IsLetter((unsigned char)text[b - 1])) --b;
    if (b == e || e - b > 4 || (b > 0 && IsLetter((unsigned char)text[b - 1]))) return {};
    return ToLower(text.substr(b, e - b));
}

bool AtLineStart(std::string_view text, int start) {
    int k = start;
    while (k > 0 && (text[k - 1] == ' ' || text[k - 1] == '\t')) --k;
    return k == 0 || text[k - 1] == '\n' || text[k - 1] == '\r';
}

}  // namespace

TNumberPeriod NumberPeriodAt(std::string_view text, int start, int period) {
    const int size = int(text.size());
    auto at = [&](int k) -> unsigned char { return k >= 0 && k < size ? (unsigned char)text[k] : 0; };

    // The number's groups: "12", "10.000", "3.2".
    int groups = 1, firstGroup = 0, longestLater = 0, run = 0;
    for (int k = start; k < period; ++k) {
        if (at(k) == '.') {
            if (groups == 1) firstGroup = run;
            else longestLater = std::max(longestLater, run);
            ++groups;
            run = 0;
        } else {
            ++run;
        }
    }
    if (groups == 1) firstGroup = run;
    else longestLater = std::max(longestLater, run);
    const bool grouped = groups > 1 && firstGroup <= 3 && longestLater == 3;  // "10.000", "1.250.000"
    if (groups > 1 && !grouped) {
        // "3.2.", "1.2.3.": a dotted section number opens a heading at a line's start.
        if (firstGroup <= 2 && longestLater <= 2 && groups <= 4 && AtLineStart(text, start))
            return TNumberPeriod::SectionHeading;
        return TNumberPeriod::SentenceEnd;
    }

    // "... 6789 01. Vergi": a number written with a leading zero is a code, never an ordinal.
    if (at(start) == '0' && period - start > 1) return TNumberPeriod::SentenceEnd;

    // What is written right before the number.
    const unsigned char before = at(start - 1);
    if (before == ',' && IsDigit(at(start - 2))) return TNumberPeriod::SentenceEnd;  // "3,5."
    if (IsLetter(before)) return TNumberPeriod::SentenceEnd;                        // "A320.", "H2O."
    const bool joined = (before == '-' || before == '/' || before == ':' || before == 0x96);
    if (joined && IsLetter(at(start - 2))) return TNumberPeriod::SentenceEnd;  // "F-16.", "Euro-6."

    // What follows the period.
    const unsigned char after = at(period + 1);
    if (after == ',' || after == '\'' || after == 0x92) return TNumberPeriod::Ordinal;  // "2., 3.", "1.'si"
    // A word glued to the period ("2.Yarı", "3.lük"): a short number is its ordinal.
    if (IsLetter(after) && IsLetter(at(period + 2)) && groups == 1 && firstGroup <= 3) return TNumberPeriod::Ordinal;
    if (!IsSpace(after)) return TNumberPeriod::SentenceEnd;
    int next = period + 1;
    while (next < size && IsSpace(at(next))) ++next;
    while (next < size && (at(next) == '"' || at(next) == 0x93 || at(next) == 0xAB)) ++next;
    if (next >= size || !IsLetter(at(next))) return TNumberPeriod::SentenceEnd;
    int wordEnd = next;
    while (wordEnd < size && IsLetter(at(wordEnd))) ++wordEnd;
    const std::string nextWord = ToLower(text.substr(next, wordEnd - next));

    // "5-6. sınıflar", "10.000. ziyaretçi", "1923. yılın": a lower-case word follows an ordinal.
    if (IsLower(at(next))) return TNumberPeriod::Ordinal;

    // A capital follows: the sentence ends unless the context makes the number an ordinal.
    if (joined && IsDigit(at(start - 2))) return TNumberPeriod::SentenceEnd;  // "3-1. Maç", "5/10."
    // Streets are numbered by ordinals of any size: "10345. Sk.", "1453. Sokak".
    if (!grouped && NamesAStreet(nextWord)) return TNumberPeriod::Ordinal;
    if (grouped || (groups == 1 && firstGroup > 3)) return TNumberPeriod::SentenceEnd;  // "12.000.", "1923."
    // "... 0850 123 45 67. Fenerbahçe": the last group of numbers written apart.
    if (at(start - 1) == ' ' && IsDigit(at(start - 2))) return TNumberPeriod::SentenceEnd;
    const std::string_view written = WordBefore(text, start);
    const std::string previous = ToLower(written);
    if (CountsBefore(previous)) return TNumberPeriod::SentenceEnd;
    // "TCK m. 49. Ayrıca", "s. 12. Sonra": the number of an article or a page.
    if (InList(AbbreviatedWordBefore(text, start), {"m", "md", "mad", "s", "sy", "no", "nu", "nr", "f", "b"}))
        return TNumberPeriod::SentenceEnd;
    if (FollowsOrdinal(nextWord)) return TNumberPeriod::Ordinal;
    if (OpensSentence(nextWord)) return TNumberPeriod::SentenceEnd;
    // After a possessive noun the number is its value: "Yaş ortalaması 25. Takım ...".
    const std::size_t p = previous.size();
    if (p >= 4 && IsLower((unsigned char)written[0]) &&
        std::string_view("\xFDiu\xFC").find(previous[p - 1]) != std::string_view::npos &&
        !IsVowel((unsigned char)previous[p - 2]))
        return TNumberPeriod::SentenceEnd;
    return TNumberPeriod::Ordinal;
}

}  // namespace turkish
