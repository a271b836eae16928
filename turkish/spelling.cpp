// SPDX-License-Identifier: GPL-3.0-or-later
#include "turkish/spelling.h"

#include "foundation/code_page.h"
#include "turkish/abbreviations.h"
#include "turkish/letters.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace turkish {
namespace {

// Acronyms said as words although the rules below would spell them; a reading where
// Turkish lower-casing would not say them right ("FIFA" is not "fıfa").
const struct { const char *Written; const char *Reading; } kReadAsWords[] = {
    {"NATO", nullptr}, {"ASELSAN", nullptr}, {"HAVELSAN", nullptr}, {"ROKETSAN", nullptr},
    {"TUSAŞ"_cp, nullptr}, {"TÜBİTAK"_cp, nullptr}, {"TÜİK"_cp, nullptr}, {"TOKİ"_cp, nullptr},
    {"BOTAŞ"_cp, nullptr}, {"İSKİ"_cp, nullptr}, {"ASKİ"_cp, nullptr}, {"İZSU"_cp, nullptr},
    {"ODTÜ"_cp, nullptr}, {"YÖK"_cp, nullptr}, {"MİT"_cp, nullptr}, {"EGO", nullptr},
    {"AFAD", nullptr}, {"KOSGEB", nullptr}, {"TİKA"_cp, nullptr}, {"DEAŞ"_cp, nullptr},
    {"IŞİD"_cp, nullptr}, {"AK", nullptr}, {"İYİ"_cp, nullptr}, {"DEVA", nullptr},
    {"TÜSİAD"_cp, nullptr}, {"MÜSİAD"_cp, nullptr}, {"TÜPRAŞ"_cp, nullptr}, {"PETKİM"_cp, nullptr},
    {"TEKEL", nullptr}, {"SEKA", nullptr}, {"İGDAŞ"_cp, nullptr}, {"UYAP", nullptr},
    {"MERNİS"_cp, nullptr}, {"BİST"_cp, nullptr}, {"TEMA", nullptr}, {"İŞKUR"_cp, nullptr},
    {"IBAN", "iban"}, {"NASA", nullptr}, {"UEFA", nullptr},
    {"BIST", "bist"}, {"FIFA", "fifa"}, {"UNESCO", "unesko"}, {"UNICEF", "unisef"},
    {"OPEC", "opek"}, {"COVID", "kovid"}, {"AIDS", "eyds"}, {"NASDAQ", "nasdak"},
    // Short ones said as words: service lines, computer terms, indices.
    {"ALO", nullptr}, {"RAM", nullptr}, {"ROM", nullptr}, {"LED", nullptr}, {"SIM", "sim"},
    {"PIN", "pin"}, {"LAN", nullptr}, {"WEB", "veb"}, {"ÜFE"_cp, nullptr}, {"TÜFE"_cp, nullptr},
    {"İHA"_cp, nullptr}, {"SİHA"_cp, nullptr}, {"KİT"_cp, nullptr}, {"OHAL", nullptr}, {"ATO", nullptr},
    {"İTO"_cp, nullptr}, {"GİF"_cp, nullptr}, {"GIF", "gif"}, {"CAPTCHA", "kepça"_cp},
};

// Acronyms spelled although they could be said as Turkish syllables, also in a heading in
// capitals ("AB ÜYELİK SÜRECİ" is "a be üyelik süreci").
const char *const kSpelled[] = {
    "AB", "MEB", "İTÜ"_cp, "OMÜ"_cp, "TEB", "SOS", "AİHS"_cp, "ÖYP"_cp, "DEM", "ABB", "TEM",
};

bool IsConsonant(unsigned char c) { return IsLetter(c) && !IsVowel(c); }

// A word ending in two consonants is said as written only when the pair is one Turkish
// words end in ("rt", "st", "nk", "lp", "ks", ...).
bool FinalPairSayable(unsigned char a, unsigned char b) {
    const std::string_view first = "LRNSMYFHK\xDE";   // Ş
    const std::string_view second = "TKPSZ\xC7";      // Ç
    return first.find(char(a)) != std::string_view::npos && second.find(char(b)) != std::string_view::npos;
}

// A consonant pair that starts a syllable of a borrowed word: a stop or "F" before "R" or
// "L" ("TREN", "PLAN", "KREDİ", "FLAŞ"), "S" before a stop ("SPOR", "STAT").
bool OnsetPair(unsigned char a, unsigned char b) {
    return (std::string_view("PBTDKGF").find(char(a)) != std::string_view::npos && (b == 'R' || b == 'L')) ||
           (a == 'S' && (b == 'T' || b == 'P' || b == 'K'));
}

// Turkish syllables: a sayable final pair; two vowels side by side once at most and only in
// a word of four letters or more ("SAAT", "AİLE", "ŞİİR"), never three ("IAEA"); no two
// consonants at the start and no three in a row, except, in a word of four letters or
// more, where they make a borrowed word's onset ("TRAFİK", "ELEKTRİK", "KONTROL") or a
// final pair before the next syllable ("TÜRKÇE").
bool Pronounceable(std::string_view w) {
    int vowels = 0, pairs = 0;
    const bool longWord = w.size() >= 4;
    for (std::size_t i = 0; i < w.size(); ++i) {
        unsigned char c = (unsigned char)w[i];
        if (!IsLetter(c)) return false;
        if (IsVowel(c)) {
            ++vowels;
            if (i > 0 && IsVowel((unsigned char)w[i - 1]) && (++pairs > 1 || !longWord)) return false;
        } else if (i >= 2 && IsConsonant((unsigned char)w[i - 1]) && IsConsonant((unsigned char)w[i - 2])) {
            const unsigned char a = (unsigned char)w[i - 2], b = (unsigned char)w[i - 1];
            if (!longWord || (i >= 3 && IsConsonant((unsigned char)w[i - 3])) || i + 1 >= w.size() ||
                !(FinalPairSayable(a, b) || OnsetPair(b, c)))
                return false;
        }
    }
    if (vowels == 0) return false;
    if (w.size() >= 2 && IsConsonant((unsigned char)w[0]) && IsConsonant((unsigned char)w[1]) &&
        !(longWord && OnsetPair((unsigned char)w[0], (unsigned char)w[1])))
        return false;
    std::size_t n = w.size();
    if (n >= 2 && IsConsonant((unsigned char)w[n - 1]) && IsConsonant((unsigned char)w[n - 2]))
        return FinalPairSayable((unsigned char)w[n - 2], (unsigned char)w[n - 1]);
    return true;
}

}  // namespace

std::string LetterName(unsigned char letter) {
    unsigned char c = ToUpper(letter);
    switch (c) {
        case 'A': return "a";
        case 'B': return "be";
        case 'C': return "ce";
        case 0xC7: return "\xE7" "e";  // Ç: çe
        case 'D': return "de";
        case 'E': return "e";
        case 'F': return "fe";
        case 'G': return "ge";
        case 0xD0: return "\xF0" "e";  // Ğ: ğe
        case 'H': return "he";
        case 'I': return "\xFD";       // ı
        case 0xDD: return "i";         // İ
        case 'J': return "je";
        case 'K': return "ke";
        case 'L': return "le";
        case 'M': return "me";
        case 'N': return "ne";
        case 'O': return "o";
        case 0xD6: return "\xF6";      // ö
        case 'P': return "pe";
        case 'Q': return "ku";
        case 'R': return "re";
        case 'S': return "se";
        case 0xDE: return "\xFE" "e";  // Ş: şe
        case 'T': return "te";
        case 'U': return "u";
        case 0xDC: return "\xFC";      // ü
        case 'V': return "ve";
        case 'W': return "\xE7" "ift ve";  // çift ve
        case 'X': return "iks";
        case 'Y': return "ye";
        case 'Z': return "ze";
        default:
            if (IsLetter(letter)) return std::string(1, char(ToLower(letter)));
            return {};
    }
}

std::string Spell(std::string_view word) {
    std::string out;
    for (char c : word) {
        std::string name = LetterName((unsigned char)c);
        if (name.empty()) continue;
        if (!out.empty()) out += ' ';
        out += name;
    }
    return out;
}

const char *AcronymWordReading(std::string_view upper) {
    // Indexed once: every word in capitals asks.
    static const std::unordered_map<std::string_view, const char *> index = [] {
        std::unordered_map<std::string_view, const char *> m;
        for (const auto &w : kReadAsWords) m.emplace(w.Written, w.Reading ? w.Reading : "");
        return m;
    }();
    const auto it = index.find(upper);
    return it == index.end() ? nullptr : it->second;
}

std::string AddressPartReading(std::string_view letters) {
    TAbbreviationContext inAddress;
    inAddress.InAddress = true;
    TAbbreviation found;
    if (FindAbbreviation(letters, 0, inAddress, found)) return std::string(found.Reading);
    if (Pronounceable(ToUpper(letters))) return ToLower(letters);
    return Spell(letters);
}

bool IsSpelledAcronym(std::string_view upper, bool shouted) {
    if (upper.size() == 1) return true;
    if (AcronymWordReading(upper)) return false;
    static const std::unordered_set<std::string_view> spelled(std::begin(kSpelled), std::end(kSpelled));
    if (spelled.count(upper)) return true;
    if (!Pronounceable(upper)) return true;
    return upper.size() <= 3 && !shouted;
}

}  // namespace turkish
