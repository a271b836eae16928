// SPDX-License-Identifier: GPL-3.0-or-later
#include "turkish/suffix.h"

#include "foundation/code_page.h"
#include "turkish/letters.h"

namespace turkish {
namespace {

constexpr char kDotlessI = char(0xFD);  // ı
constexpr char kSmallU = char(0xFC);    // ü
constexpr char kSmallO = char(0xF6);    // ö
constexpr char kSmallC = char(0xE7);    // ç
constexpr char kSmallS = char(0xFE);    // ş
constexpr char kSmallG = char(0xF0);    // ğ

bool IsFourWay(char c) { return c == kDotlessI || c == 'i' || c == 'u' || c == kSmallU; }
bool IsTwoWay(char c) { return c == 'a' || c == 'e'; }

bool IsVoiceless(char c) {
    return c == 'f' || c == 's' || c == 't' || c == 'k' || c == kSmallC || c == kSmallS || c == 'h' || c == 'p';
}

struct THarmony {
    bool Back = false;
    bool Round = false;

    void Follow(char v) {
        unsigned char u = (unsigned char)v;
        Back = v == 'a' || v == kDotlessI || v == 'o' || v == 'u' || u == 0xE2 || u == 0xFB;
        Round = v == 'o' || v == kSmallO || v == 'u' || v == kSmallU || u == 0xFB;
    }

    char Two() const { return Back ? 'a' : 'e'; }
    char Four() const { return Back ? (Round ? 'u' : kDotlessI) : (Round ? kSmallU : 'i'); }
};

THarmony HarmonyOf(std::string_view word) {
    THarmony h;
    for (std::size_t i = word.size(); i-- > 0;)
        if (IsVowel((unsigned char)word[i])) {
            h.Follow(word[i]);
            break;
        }
    return h;
}

// Each vowel of the suffix follows the one before it; a final "ki" keeps its vowel.
std::string Harmonise(THarmony h, std::string_view suffix) {
    std::string out;
    std::string_view tail;
    if (suffix.size() > 2 && suffix.substr(suffix.size() - 2) == "ki") {
        tail = "ki";
        suffix.remove_suffix(2);
    }
    for (char c : suffix) {
        if (IsTwoWay(c)) c = h.Two();
        else if (IsFourWay(c)) c = h.Four();
        if (IsVowel((unsigned char)c)) h.Follow(c);
        out += c;
    }
    out += tail;
    return out;
}

int VowelCount(std::string_view word) {
    int n = 0;
    for (char c : word) n += IsVowel((unsigned char)c);
    return n;
}

// The last word, softened before a vowel: "dört" -> "dörd", "sokak" -> "sokağ", "kitap" ->
// "kitab". One-syllable words keep their consonant ("üç", "kırk", "blok"), "dört" aside.
std::string Soften(std::string_view spoken) {
    std::string out(spoken);
    std::size_t space = out.rfind(' ');
    std::string_view last = std::string_view(out).substr(space == std::string::npos ? 0 : space + 1);
    if (last == "d\xF6rt") {  // dört
        out.back() = 'd';
        return out;
    }
    if (VowelCount(last) < 2 || last.size() < 2 || !IsVowel((unsigned char)last[last.size() - 2])) return out;
    char &c = out.back();
    if (c == 'k') c = kSmallG;
    else if (c == 'p') c = 'b';
    else if (c == kSmallC) c = 'c';
    return out;
}

bool IsLowerVowel(char c) { return IsVowel((unsigned char)c); }

// "lirası" -> "lira", "caddesi" -> "cadde", "sokağı" -> "sokak".
std::string WithoutPossessive(std::string_view spoken) {
    std::string out(spoken);
    if (out.size() >= 3 && out[out.size() - 2] == 's' && IsFourWay(out.back())) {
        out.resize(out.size() - 2);
    } else if (out.size() >= 3 && IsFourWay(out.back())) {
        out.pop_back();
        if (out.back() == kSmallG) out.back() = 'k';
    }
    return out;
}

// The copula and its kin as written after a word, its buffer "y" taken off: -DI ("dı",
// "tü", "dılar"), -DIr, -mIş, -sA, -ken. The locative "-DA" and the possessive "-sI" are
// none of them.
bool IsCopula(std::string_view s) {
    if (s.size() >= 2 && (s[0] == 'd' || s[0] == 't') && IsFourWay(s[1])) return true;
    if (s.size() >= 3 && s[0] == 'm' && IsFourWay(s[1]) && s[2] == kSmallS) return true;
    if (s.size() >= 2 && s[0] == 's' && IsTwoWay(s[1])) return true;
    return s.substr(0, 3) == "ken";
}

}  // namespace

std::size_t OrdinalEndingLength(std::string_view suffix) {
    std::size_t i = 0;
    if (!suffix.empty() && IsFourWay(suffix[0])) i = 1;
    if (suffix.size() >= i + 3 && suffix[i] == 'n' && (suffix[i + 1] == 'c') && IsFourWay(suffix[i + 2]))
        return i + 3;
    return 0;
}

std::string AttachSuffix(std::string_view spoken, std::string_view suffix, bool possessive) {
    if (suffix.empty()) return std::string(spoken);
    if (spoken.empty()) return std::string(suffix);
    const THarmony h = HarmonyOf(spoken);
    const char last = spoken.back();
    const bool endsInVowel = IsLowerVowel(last);
    std::string rest(suffix);

    // The copula goes on the word as it is, a possessive ending kept without its n: "türk
    // lirası" + "ydı" -> "türk lirasıydı", "caddesi" + "dir" -> "caddesidir", "doktor" +
    // "ydu" -> "doktordu". After a vowel it takes "y", "-DIr" aside.
    if (std::string copula = rest[0] == 'y' ? rest.substr(1) : rest; IsCopula(copula)) {
        if (copula[0] == 'd' || copula[0] == 't') copula[0] = IsVoiceless(last) ? 't' : 'd';
        const bool dir = copula[0] != 'm' && copula[0] != 's' && copula[0] != 'k' && copula.size() >= 3 &&
                         copula[2] == 'r';
        return std::string(spoken) + (endsInVowel && !dir ? "y" : "") + Harmonise(h, copula);
    }

    if (possessive && endsInVowel) {
        // A possessive written again ("TL'si", "Cad.'sinde") is the one already said.
        if (rest.size() >= 2 && rest[0] == 's' && IsFourWay(rest[1]))
            return AttachSuffix(spoken, std::string_view(rest).substr(2), true);
        // caddesi + (y)e -> caddesine, + de -> caddesinde, + (y)le -> caddesiyle.
        if (rest[0] == 'y' || (rest[0] == 'n' && rest.size() > 1 && IsLowerVowel(rest[1])) ||
            (rest[0] == 's' && rest.size() > 1 && IsLowerVowel(rest[1])))
            rest.erase(0, 1);
        if (rest[0] == 'l') {
            bool instrumental = rest == "le" || rest == "la" || rest.rfind("yle", 0) == 0 || rest.rfind("yla", 0) == 0;
            if (instrumental) return std::string(spoken) + "y" + Harmonise(h, rest);
            // "-lik", "-li", "-ler" go on the word without its possessive ending:
            // "türk lirası" + "lik" -> "türk liralık", "caddesi" + "ler" -> "caddeler".
            std::string bare = WithoutPossessive(spoken);
            return bare + Harmonise(HarmonyOf(bare), rest);
        }
        if (IsLowerVowel(rest[0]) || rest[0] == 'd' || rest[0] == 't') {
            if (rest[0] == 't') rest[0] = 'd';
            return std::string(spoken) + "n" + Harmonise(h, rest);
        }
        return std::string(spoken) + Harmonise(h, rest);
    }

    std::string stem(spoken);
    if (endsInVowel && IsLowerVowel(rest[0])) {
        // A buffer consonant between two vowels: n for the genitive ("ikinin"), y otherwise.
        bool genitive = (rest.size() == 2 && rest[1] == 'n') || (rest.size() == 4 && rest[1] == 'n' && rest.substr(2) == "ki");
        rest.insert(rest.begin(), genitive ? 'n' : 'y');
    } else if (!endsInVowel && rest.size() > 1 && (rest[0] == 'y' || rest[0] == 'n' || rest[0] == 's') &&
               IsLowerVowel(rest[1])) {
        rest.erase(0, 1);  // written for a vowel, spoken after a consonant: "Dr.'yla" -> "doktorla"
    }
    if (!endsInVowel && IsLowerVowel(rest[0])) stem = Soften(spoken);
    if (rest[0] == 'd' || rest[0] == 't') rest[0] = IsVoiceless(last) ? 't' : 'd';
    else if (rest[0] == 'c' || rest[0] == kSmallC) rest[0] = IsVoiceless(last) ? kSmallC : 'c';
    return stem + Harmonise(h, rest);
}

std::string Ordinal(std::string_view cardinal) {
    if (cardinal.empty()) return {};
    return AttachSuffix(cardinal, IsLowerVowel(cardinal.back()) ? "nci" : "inci");
}

}  // namespace turkish
