// SPDX-License-Identifier: GPL-3.0-or-later
// Running text, token by token: numbers with what is written around them (signs, "%",
// currencies, units, ordinal periods, apostrophe suffixes), words with abbreviations,
// acronyms, initials and Roman numerals, and the punctuation that shapes the speech.

#include "turkish/reader.h"

#include "foundation/code_page.h"
#include "turkish/abbreviations.h"
#include "turkish/letters.h"
#include "turkish/number_period.h"
#include "turkish/numbers.h"
#include "turkish/roman_numerals.h"
#include "turkish/spelling.h"
#include "turkish/suffix.h"
#include "turkish/units.h"

#include <algorithm>
#include <vector>

namespace turkish {
namespace {

constexpr unsigned char kRightQuote1 = 0x92;  // ’, also the typographic apostrophe
constexpr unsigned char kLeftQuote2 = 0x93;   // “
constexpr unsigned char kRightQuote2 = 0x94;  // ”, also an inch sign
constexpr unsigned char kEllipsis = 0x85;      // …

const char *const kMonths[13] = {"",       "ocak",  "şubat"_cp, "mart",  "nisan",  "mayıs"_cp, "haziran",
                                 "temmuz", "ağustos"_cp, "eylül"_cp, "ekim", "kasım"_cp, "aralık"_cp};

constexpr unsigned char kPerMille = 0x89;      // ‰
constexpr unsigned char kPlusMinus = 0xB1;     // ±
constexpr unsigned char kTimes = 0xD7;         // ×
constexpr unsigned char kDivide = 0xF7;        // ÷
constexpr unsigned char kSquared = 0xB2;       // ²
constexpr unsigned char kCubed = 0xB3;         // ³
constexpr unsigned char kQuarter = 0xBC;       // ¼
constexpr unsigned char kHalf = 0xBD;          // ½
constexpr unsigned char kThreeQuarters = 0xBE; // ¾

bool IsApostrophe(unsigned char c) { return c == '\'' || c == kRightQuote1; }

bool IsPercentSign(unsigned char c) { return c == '%' || c == kPerMille; }
std::string PercentWord(unsigned char c) { return c == '%' ? "y\xFCzde" : "binde"; }  // yüzde

bool IsVulgarFraction(unsigned char c) { return c == kQuarter || c == kHalf || c == kThreeQuarters; }

// "½" alone is "yarım", "¼" "çeyrek"; after a whole number they read as its fraction part.
const char *VulgarFractionAlone(unsigned char c) {
    return c == kHalf ? "yar\xFDm" : c == kQuarter ? "\xE7" "eyrek" : "d\xF6rtte \xFC\xE7";
}
const char *VulgarFractionAfter(unsigned char c) {
    return c == kHalf ? "bu\xE7uk" : c == kQuarter ? "tam d\xF6rtte bir" : "tam d\xF6rtte \xFC\xE7";
}

// A suffix that starts with the possessive "-(s)I": "2/3'ü", "1/2'si", "3/4'ünü".
bool StartsPossessive(std::string_view suffix) {
    auto fourWay = [](char c) {
        const unsigned char u = (unsigned char)c;
        return u == 0xFD || u == 'i' || u == 'u' || u == 0xFC;
    };
    if (suffix.empty()) return false;
    return fourWay(suffix[0]) || (suffix[0] == 's' && suffix.size() > 1 && fourWay(suffix[1]));
}

// Words after which a Roman numeral is a count ("Bölüm IV"), and words before which it is
// an ordinal ("XX yüzyıl").
bool CountsWithRoman(std::string_view lowerWord) {
    static const char *const words[] = {"bölüm"_cp, "kısım"_cp, "cilt", "madde", "fasıl"_cp, "sayı"_cp,
                                        "ek", "perde", "kitap", "tablo", "şekil"_cp, "ünite"_cp};
    for (const char *w : words)
        if (lowerWord == w) return true;
    return false;
}

bool IsCenturyWord(std::string_view lower) {
    return lower.substr(0, 6) == "y\xFCzy\xFDl" || lower.substr(0, 4) == "as\xFDr" ||  // yüzyıl, asır
           lower == "yy";
}

// The possessive street words read bare after a number: "1. Cad." -> "birinci cadde".
std::string_view BareStreetWord(std::string_view reading) {
    static const struct { const char *Possessive; const char *Bare; } words[] = {
        {"caddesi", "cadde"}, {"soka\xF0\xFD", "sokak"}, {"bulvar\xFD", "bulvar"}, {"mahallesi", "mahalle"}};
    for (const auto &w : words)
        if (reading == w.Possessive) return w.Bare;
    return {};
}

struct TSpoken {
    std::string Text;
    bool Possessive = false;
    bool Foreign = false;  // a foreign word: said with its own last consonant ("leptopa")
};

class TReader {
public:
    TReader(std::string_view text, int kind) : T(text), N(int(text.size())), Kind(kind) {
        int capsWords = 0, lowerWords = 0;
        // Per line: a heading or a notice in capitals ("KAYIP İLANI", "SU VE ELEKTRİK
        // KESİNTİSİ") over lower-case text is a line of two capital words or more, one of
        // them of four letters or more, and no word in lower case.
        int lineCaps = 0, lineLong = 0, lineLower = 0;
        auto endLine = [&](int end) {
            Lines.push_back({end, lineLower == 0 && lineCaps >= 2 && lineLong >= 1});
            lineCaps = lineLong = lineLower = 0;
        };
        // Runs of capital words side by side in a line of lower-case text ("MAÇ SONUCU:
        // Beşiktaş 2 ...") are a heading too when one of them is a Turkish word of four
        // letters or more.
        int runStart = -1, runEnd = 0, runWords = 0;
        bool runHasWord = false;
        auto endRun = [&]() {
            if (runStart >= 0 && runWords >= 2 && runHasWord) Runs.push_back({runStart, runEnd});
            runStart = -1, runWords = 0, runHasWord = false;
        };
        for (int i = 0; i < N;) {
            if (At(i) == '\n' || At(i) == '\r') endLine(i);
            if (!IsLetter(At(i))) { ++i; continue; }
            int j = i, letters = 0;
            bool lower = false;
            while (j < N && IsLetter(At(j))) lower |= IsLower(At(j)), ++letters, ++j;
            if (lower) ++lowerWords, ++lineLower;
            else if (letters >= 3) ++capsWords;
            if (!lower) ++lineCaps, lineLong += letters >= 4;
            if (lower) {
                if (runStart >= 0) endRun();
            } else {
                bool joined = runStart >= 0;
                for (int k = runEnd; k < i && joined; ++k) joined = At(k) == ' ' || IsApostrophe(At(k));
                if (!joined) endRun();
                if (runStart < 0) runStart = i;
                runEnd = j, ++runWords;
                runHasWord |= j - i >= 4 && !IsSpelledAcronym(T.substr(i, j - i), false);
            }
            i = j;
        }
        endLine(N);
        endRun();
        Shouted = lowerWords == 0 && capsWords >= 2;
    }

    std::string Read() {
        while (I < N) Step();
        while (!Out.empty() && Out.back() == ' ') Out.pop_back();
        return Out;
    }

private:
    unsigned char At(int k) const { return k >= 0 && k < N ? (unsigned char)T[k] : 0; }

    void Word(std::string_view w) {
        if (w.empty()) return;
        if (!Out.empty() && Out.back() != ' ') Out += ' ';
        Out += w;
        LastWasOrdinal = LastWasNumber = false;
    }

    void Mark(std::string_view m) {
        while (!Out.empty() && Out.back() == ' ') Out.pop_back();
        if (Out.empty()) return;
        // A dash or comma after a mark that already pauses ("dedi. — Eve") adds nothing.
        if (m == "," && (Out.back() == ',' || Out.back() == '.' || Out.back() == '!' || Out.back() == '?' ||
                         Out.back() == ';' || Out.back() == ':'))
            return;
        Out += m;
    }

    // Whether a letter (after spaces and opening quotes) follows position k.
    int NextLetterAt(int k) const {
        while (k < N && (IsSpace(At(k)) || At(k) == '"' || At(k) == '(' || At(k) == 0x93 || At(k) == 0xAB)) ++k;
        return k < N && IsLetter(At(k)) ? k : -1;
    }

    // The suffix written after an apostrophe at k, lower-cased; advances k past it.
    std::string SuffixAt(int &k) const {
        if (!IsApostrophe(At(k)) || !IsLetter(At(k + 1))) return {};
        int j = k + 1;
        while (j < N && IsLetter(At(j))) ++j;
        std::string s = ToLower(T.substr(k + 1, j - k - 1));
        k = j;
        return s;
    }

    void Step() {
        unsigned char c = At(I);
        if (IsSpace(c)) { ++I; return; }
        if (IsDigit(c)) { ReadNumber({}); return; }
        // A sign starts a number after a space, a bracket, or the "^" of a power ("10^-6").
        const bool signStarts = I == 0 || IsSpace(At(I - 1)) || At(I - 1) == '(' || At(I - 1) == '^';
        if ((c == '-' || c == '+') && IsDigit(At(I + 1)) && signStarts) {
            ++I;
            ReadNumber(c == '-' ? "eksi" : "art\xFD");  // artı
            return;
        }
        // "-%5" is "eksi yüzde beş", "+‰3" "artı binde üç".
        if ((c == '-' || c == '+') && IsPercentSign(At(I + 1)) && signStarts) {
            int k = I + 2;
            if (At(k) == ' ') ++k;
            if (IsDigit(At(k))) {
                const std::string prefix = std::string(c == '-' ? "eksi " : "art\xFD ") + PercentWord(At(I + 1));
                I = k;
                ReadNumber(prefix);
                return;
            }
        }
        if (c == kPlusMinus) {
            int k = I + 1;
            if (At(k) == ' ') ++k;
            I = k;
            if (IsDigit(At(k))) ReadNumber("art\xFD eksi");  // artı eksi
            else Word("art\xFD eksi");
            return;
        }
        if (IsPercentSign(c)) {
            // "%5" is "yüzde beş", "%-5" "yüzde eksi beş", "‰3" "binde üç".
            const std::string word = PercentWord(c);
            int k = I + 1;
            while (k < N && At(k) == ' ') ++k;
            if (IsDigit(At(k))) {
                I = k;
                ReadNumber(word);
            } else if (At(k) == '-' && IsDigit(At(k + 1))) {
                I = k + 1;
                ReadNumber(word + " eksi");
            } else {
                ++I;
                Word(word);
            }
            return;
        }
        if (IsVulgarFraction(c)) {
            ++I;
            Word(VulgarFractionAlone(c));
            return;
        }
        if (c == '$' || c == 0x80 || c == 0xA3) {
            const TUnit *unit = UnitAt(T.substr(I, 1));
            int k = I + 1;
            while (k < N && At(k) == ' ') ++k;
            if (unit && IsDigit(At(k))) {
                I = k;
                ReadNumber({}, unit);
            } else {
                ++I;
                if (unit) Word(unit->Reading);
            }
            return;
        }
        if (IsLetter(c)) { ReadWord(); return; }
        ++I;
        switch (c) {
            case '.':
                // A period after a short word the table does not know, inside the sentence (a
                // lower-case word follows): an abbreviation's, not said as a pause.
                if (IsSpace(At(I)) && IsLower(At(NextLetterAt(I))) && ShortWordBefore(I - 1)) return;
                Mark(".");
                return;
            case ',': case ';': case ':': case '!': case '?':
                Mark(std::string_view(T.data() + I - 1, 1));
                return;
            case kEllipsis: Mark("..."); return;
            case '&': Word("ve"); return;
            case '+': SignWord("art\xFD"); return;  // artı; "C++'ta" is "ce artı artıda"
            case '=': Word("e\xFEittir"); return;  // eşittir
            case '@': Word("et"); return;
            case 0xB0: SignWord("derece"); return;
            case kDivide: SignWord("b\xF6l\xFC"); return;  // bölü
            case kTimes: SignWord("\xE7" "arp\xFD"); return;  // çarpı
            case kSquared: case kCubed:
                // A power after a number, a letter or a bracket: "7²" is "yedi kare", "x³"
                // "iks küp", "(a+b)²" "... kare"; alone the sign is not read.
                if (IsAlnum(At(I - 2)) || At(I - 2) == ')') SignWord(c == kSquared ? "kare" : "k\xFCp");  // küp
                return;
            case '^':
                // "2^10" is "iki üzeri on", "10^-6" "on üzeri eksi altı" (the minus is read as
                // the next number's sign), "e^x" "e üzeri iks".
                if ((IsAlnum(At(I - 2)) || At(I - 2) == ')') &&
                    (IsAlnum(At(I)) || At(I) == '(' || ((At(I) == '-' || At(I) == '+') && IsDigit(At(I + 1)))))
                    Word("\xFCzeri");  // üzeri
                return;
            case 0x96: case 0x97: Mark(","); return;  // – —
            case '-':
                if ((I < 2 || IsSpace(At(I - 2))) && (I >= N || IsSpace(At(I)))) {
                    // Between two terms of an equation ("10 - 4 = 6", "y = 2x - 3") a spaced
                    // hyphen is the minus sign; elsewhere it is a dash ("Ankara - İzmir",
                    // "1990 - 2000").
                    const bool terms = (IsAlnum(At(I - 3)) || At(I - 3) == ')') && (IsAlnum(At(I + 1)) || At(I + 1) == '(');
                    if (terms && IsEquation()) Word("eksi");
                    else Mark(",");
                }
                return;
            default: return;  // quotes, brackets, slashes and other signs are not read
        }
    }

    // A sign read as a word, with the suffix written after it: the suffix joins the word
    // with harmony ("C++'ta" is "ce artı artıda", "x²'nin" "iks karenin"), never a syllable
    // of its own.
    void SignWord(std::string_view reading) {
        std::string word(reading);
        std::string suffix = SuffixAt(I);
        if (!suffix.empty()) word = AttachSuffix(word, suffix);
        Word(word);
    }

    // Whether a word that looks abbreviated ends at `end`: one to three letters with a capital
    // first ("Şek", "Ysf"), or up to six without a vowel ("xyz", "mrk"). A short word in lower
    // case with a vowel ("ya", "git") may end a sentence written without capitals.
    bool ShortWordBefore(int end) const {
        int b = end;
        bool vowel = false;
        while (b > 0 && end - b <= 6 && IsLetter(At(b - 1))) vowel |= IsVowel(At(--b));
        const int letters = end - b;
        return letters > 0 && !IsLetter(At(b - 1)) && At(b - 1) != '.' &&
               ((letters <= 3 && IsUpper(At(b))) || (!vowel && letters <= 6));
    }

    // ---- numbers ----

    struct TNumber {
        std::string Words;
        bool Plain = false;  // one run of digits, nothing else
        bool Amount = false; // an integer or a decimal, so a currency may follow
        std::string_view Whole{}, Fraction{};
        std::string WholeDigits{};  // the whole part without its thousands dots
        // A fraction ("2/3"): the denominator part ("üçte") and the numerator as written.
        std::string FractionOf{};
        std::string_view Numerator{};
    };

    static std::string HourWords(std::string_view hour) {
        return hour == "00" ? DigitRun(hour) : Cardinal(Value(hour));
    }

    static bool ValidDate(int d, int m) { return d >= 1 && d <= 31 && m >= 1 && m <= 12; }

    static int Value(std::string_view digits) {
        std::uint64_t v = 0;
        DigitValue(digits.substr(0, 9), v);
        return int(v);
    }

    std::string DateWords(std::string_view d, std::string_view m, std::string_view y) const {
        return Cardinal(Value(d)) + " " + kMonths[Value(m)] + " " + DigitRun(y);
    }

    // A decimal: the whole part, "virgül", then the digits after the comma as a number with
    // each leading zero read as "sıfır".
    static std::string DecimalWords(std::string_view whole, std::string_view fraction) {
        std::string w = DigitRun(whole);
        if (fraction.empty()) return w;
        return w + " virg\xFCl " + DigitRun(fraction);  // virgül
    }

    TNumber ParseNumber() {
        std::vector<std::string_view> groups;
        std::string separators;
        int j = I;
        for (;;) {
            int s = j;
            while (j < N && IsDigit(At(j))) ++j;
            groups.push_back(T.substr(s, j - s));
            unsigned char sep = At(j);
            if ((sep == '.' || sep == ',' || sep == ':' || sep == '/') && IsDigit(At(j + 1))) {
                separators += char(sep);
                ++j;
                continue;
            }
            break;
        }
        // Dates written with hyphens: 10-12-2026 and 2026-12-10.
        if (groups.size() == 1 && At(j) == '-' && IsDigit(At(j + 1))) {
            int k = j + 1, s2 = k;
            while (k < N && IsDigit(At(k))) ++k;
            if (At(k) == '-' && IsDigit(At(k + 1))) {
                int s3 = k + 1, e3 = s3;
                while (e3 < N && IsDigit(At(e3))) ++e3;
                std::string_view a = groups[0], b = T.substr(s2, k - s2), c = T.substr(s3, e3 - s3);
                if (a.size() <= 2 && b.size() <= 2 && c.size() == 4 && ValidDate(Value(a), Value(b))) {
                    I = e3;
                    return {DateWords(a, b, c)};
                }
                if (a.size() == 4 && b.size() <= 2 && c.size() <= 2 && ValidDate(Value(c), Value(b))) {
                    I = e3;
                    return {DateWords(c, b, a)};
                }
            }
        }
        I = j;
        TNumber n;
        const std::size_t g = groups.size();
        auto all = [&](char sep) { return separators.find_first_not_of(sep) == std::string::npos; };

        if (g == 1) {
            n.Words = DigitRun(groups[0]);
            n.Plain = n.Amount = true;
            n.Whole = groups[0];
            return n;
        }
        // A time or a duration: "14:30", "2:05:31", "45:12", "1:59,48". Groups of two digits
        // below 60 after the first, a decimal fraction of the seconds at most after the last
        // (with a comma, or a period as in timing results). Read as the bare groups: the
        // first as a number ("00" as "sıfır sıfır"), the others as written, the fraction with
        // "virgül". A colon between such groups is never "iki nokta".
        std::size_t colons = 0;
        while (colons < separators.size() && separators[colons] == ':') ++colons;
        const bool fractionAfter = colons + 1 == separators.size() && (separators.back() == ',' || separators.back() == '.') &&
                                   groups.back().size() <= 3;
        if ((colons == 1 || colons == 2) && (colons == separators.size() || fractionAfter) && groups[0].size() <= 3) {
            bool clock = true;
            for (std::size_t k = 1; k <= colons; ++k) clock &= groups[k].size() == 2 && Value(groups[k]) < 60;
            if (clock) {
                n.Words = HourWords(groups[0]);
                for (std::size_t k = 1; k <= colons; ++k) n.Words += " " + DigitRun(groups[k]);
                if (fractionAfter) n.Words += " virg\xFCl " + DigitRun(groups.back());  // virgül
                return n;
            }
        }
        if ((all('.') || all('/')) && g == 3 && groups[0].size() <= 2 && groups[1].size() <= 2 &&
            (groups[2].size() == 4 || groups[2].size() == 2) && ValidDate(Value(groups[0]), Value(groups[1]))) {
            n.Words = DateWords(groups[0], groups[1], groups[2]);
            return n;
        }
        // Thousands separated by dots, an optional decimal comma at the end.
        bool thousands = groups[0].size() <= 3 && groups[0][0] != '0';
        std::size_t dots = 0;
        while (dots < separators.size() && separators[dots] == '.') ++dots;
        for (std::size_t k = 1; k <= dots && thousands; ++k) thousands = groups[k].size() == 3;
        bool decimalAfter = dots + 1 == separators.size() && separators.back() == ',';
        if (dots > 0 && thousands && (dots == separators.size() || decimalAfter)) {
            std::string whole;
            for (std::size_t k = 0; k <= dots; ++k) whole += groups[k];
            n.Whole = T.substr(groups[0].data() - T.data(), groups[dots].data() + groups[dots].size() - groups[0].data());
            n.Fraction = decimalAfter ? groups.back() : std::string_view();
            n.Words = DecimalWords(whole, n.Fraction);
            n.Amount = true;
            n.WholeDigits = whole;
            return n;
        }
        if (separators == ",") {
            n.Whole = groups[0];
            n.Fraction = groups[1];
            n.Words = DecimalWords(groups[0], groups[1]);
            n.Amount = true;
            return n;
        }
        // "14.30": with a decimal comma in Turkish, a dot before two digits is a time.
        if (separators == "." && groups[0].size() <= 2 && groups[1].size() == 2 && Value(groups[0]) <= 24 &&
            Value(groups[1]) < 60) {
            n.Words = HourWords(groups[0]) + " " + DigitRun(groups[1]);
            return n;
        }
        // A season of two years ("2024/25", "2024/2025"): both years, no fraction or "bölü".
        if (separators == "/" && groups[0].size() == 4 && (groups[1].size() == 2 || groups[1].size() == 4) &&
            (groups[0].substr(0, 2) == "19" || groups[0].substr(0, 2) == "20") &&
            (Value(groups[0]) + 1) % int(groups[1].size() == 2 ? 100 : 10000) == Value(groups[1])) {
            n.Words = DigitRun(groups[0]) + " " + DigitRun(groups[1]);
            return n;
        }
        // "7/24", every hour of every day, is said as two numbers.
        if (separators == "/" && groups[0] == "7" && groups[1] == "24") {
            n.Words = "yedi yirmi d\xF6rt";  // dört
            return n;
        }
        // A fraction in running text: "3/4" is "dörtte üç", "1/100.000" "yüz binde bir".
        // Addresses keep "12/3" as "on iki bölü üç", and a numerator not below its
        // denominator ("24/7") is no fraction.
        if (separators[0] == '/' && separators.find_first_not_of('.', 1) == std::string::npos && Kind == 0 &&
            groups[0][0] != '0' && groups[1][0] != '0' && groups[0].size() <= 9) {
            std::string denominator(groups[1]);
            bool fraction = true;
            if (g > 2) {
                fraction = groups[1].size() <= 3 && g <= 5;
                for (std::size_t k = 2; k < g && fraction; ++k) fraction = groups[k].size() == 3, denominator += groups[k];
            } else {
                // Up to two digits, or a round number ("1/100", "1/5000"): "8/256 GB" is two
                // numbers.
                fraction = denominator.size() <= 2 || (denominator.size() <= 12 &&
                                                      denominator.find_first_not_of('0', 1) == std::string::npos);
            }
            // A numerator of one digit ("3/4"), or a share of a power of ten ("15/100"):
            // "50/60 Hz" and "12/24" are two numbers.
            const bool round = denominator.size() > 1 && denominator[0] == '1' &&
                               denominator.find_first_not_of('0', 1) == std::string::npos;
            fraction = fraction && (groups[0].size() == 1 || round);
            std::uint64_t numerator = 0, below = 0;
            if (fraction && DigitValue(groups[0], numerator) && DigitValue(denominator, below) && numerator < below) {
                n.FractionOf = AttachSuffix(DigitRun(denominator), "de");
                n.Numerator = groups[0];
                n.Words = n.FractionOf + " " + DigitRun(groups[0]);
                return n;
            }
        }
        // Anything else (versions, ratios): the numbers with their separators named.
        for (std::size_t k = 0; k < g; ++k) {
            if (k > 0) {
                char s = separators[k - 1];
                n.Words += s == '.' ? " nokta " : s == ',' ? " virg\xFCl " : s == ':' ? " iki nokta " : " b\xF6l\xFC ";
            }
            n.Words += DigitRun(groups[k]);
        }
        return n;
    }

    std::string MoneyWords(const TNumber &n, const TUnit &unit, bool &possessive) const {
        std::string wholeDigits = n.WholeDigits.empty() ? std::string(n.Whole) : n.WholeDigits;
        possessive = unit.Possessive;
        if (n.Fraction.size() > 2) return n.Words + " " + unit.Reading;
        int hundredths = n.Fraction.empty() ? 0 : Value(n.Fraction) * (n.Fraction.size() == 1 ? 10 : 1);
        std::string out;
        std::uint64_t whole = 0;
        DigitValue(wholeDigits, whole);
        if (whole > 0 || hundredths == 0) out = DigitRun(wholeDigits) + " " + unit.Reading;
        if (hundredths > 0) {
            if (!out.empty()) out += ' ';
            out += Cardinal(hundredths) + " " + unit.Subunit;
            possessive = false;
        }
        return out;
    }

    void ReadNumber(std::string_view prefix, const TUnit *currencyBefore = nullptr) {
        const int start = I;
        TNumber n = ParseNumber();
        const int parsedEnd = I;
        std::string words = n.Words;
        bool possessive = false;
        bool ordinal = false;

        if (currencyBefore && n.Amount) {
            words = MoneyWords(n, *currencyBefore, possessive);
        } else if (At(I) == '.' && T.substr(start, I - start).find_first_not_of("0123456789.") == std::string_view::npos) {
            // "5. sınıf", "10.000. ziyaretçi", "2.," and "1.'si" are ordinals; "sayısı 250."
            // ends the sentence; "3.2." is a section number (number_period.h).
            switch (NumberPeriodAt(T, start, I)) {
                case TNumberPeriod::Ordinal:
                    if (n.Plain || (n.Amount && n.Fraction.empty())) {
                        words = Ordinal(words);
                        ordinal = true;
                        ++I;
                        // "3.lük": a suffix glued to the period.
                        int e = I;
                        bool vowel = false;
                        while (e < N && e - I <= 5 && IsLower(At(e))) vowel |= IsVowel(At(e++));
                        if (e - I >= 2 && e - I <= 5 && vowel && !IsLetter(At(e))) {
                            words = AttachSuffix(words, ToLower(T.substr(I, e - I)));
                            I = e;
                        }
                    }
                    break;
                case TNumberPeriod::SectionHeading: ++I; break;
                case TNumberPeriod::SentenceEnd: break;
            }
        }
        if (!currencyBefore && !ordinal && n.Plain && At(I) == ' ' && IsLower(At(I + 1))) {
            // "5 inci madde", the ordinal ending written apart as in legal texts.
            int e = I + 1;
            while (e < N && e - I <= 5 && IsLetter(At(e))) ++e;
            const std::string ending = ToLower(T.substr(I + 1, e - I - 1));
            if (!IsLetter(At(e)) && OrdinalEndingLength(ending) == ending.size()) {
                words = Ordinal(words);
                ordinal = true;
                I = e;
            }
        }
        if (!currencyBefore && !ordinal && n.FractionOf.empty() && At(I) == '.' && At(I + 1) == ' ' &&
            IsLower(At(I + 2)) && T.substr(start, I - start).find('/') != std::string_view::npos &&
            T.substr(start, I - start).find_first_not_of("0123456789/") == std::string_view::npos) {
            // "53/1. maddesi": the last number is the ordinal ("elli üç bölü birinci").
            words = Ordinal(words);
            ordinal = true;
            ++I;
        }
        std::string percent;
        if (!currencyBefore && !ordinal) ReadAfterNumber(start, n, words, percent);
        std::string suffix = SuffixAt(I);
        if (!n.FractionOf.empty() && StartsPossessive(suffix)) {
            // "2/3'ü" is "üçte ikisi", "2/3'ünde" "üçte ikisinde": the possessive is the
            // numerator's.
            std::string numerator = AttachSuffix(DigitRun(n.Numerator), "s\xFD");  // -(s)ı, harmonised
            words = n.FractionOf + " " + AttachSuffix(numerator, suffix.substr(suffix[0] == 's' ? 2 : 1), true);
        } else if (!suffix.empty()) {
            std::size_t ending = n.Plain ? OrdinalEndingLength(suffix) : 0;
            if (ending > 0) {
                words = Ordinal(words);
                ordinal = true;
                suffix.erase(0, ending);
            }
            words = AttachSuffix(words, suffix, possessive);
        } else if (!currencyBefore && !ordinal && percent.empty()) {
            ReadUnitAfter(start, n, words);
        }
        if (!percent.empty()) words = percent + " " + words;
        if (!prefix.empty()) words = std::string(prefix) + " " + words;
        Word(words);
        LastWasOrdinal = ordinal;
        LastWasNumber = ordinal || (n.Plain && I == parsedEnd && prefix.empty());
        PrevWord.clear();
    }

    // A times sign between sizes at k ("120x60", "2 x 1", "3×4"): the position of the next
    // size's first digit, or -1.
    int TimesAt(int k) const {
        auto times = [](unsigned char c) { return c == 'x' || c == 'X' || c == kTimes; };
        if (times(At(k)) && IsDigit(At(k + 1))) return k + 1;
        if (At(k) == ' ' && times(At(k + 1)) && At(k + 2) == ' ' && IsDigit(At(k + 3))) return k + 3;
        return -1;
    }

    // Whether a length (a unit of length, pixels, or an inch sign) is written at k.
    bool LengthAt(int k) const {
        if (At(k) == '"' || At(k) == kRightQuote2) return true;
        if (const TUnit *unit = UnitAt(T.substr(k)))
            for (const char *length : {"mm", "cm", "m", "km", "px"})
                if (std::string_view(unit->Written) == length) return true;
        int e = k;
        while (e < N && e - k < 8 && IsLetter(At(e))) ++e;
        const std::string word = ToLower(T.substr(k, e - k));
        return word.rfind("piksel", 0) == 0 || word.rfind("metre", 0) == 0 || word.rfind("santim", 0) == 0 ||
               word.rfind("in\xE7", 0) == 0;  // inç
    }

    // What can follow a number and change how it is read, read with it: more sizes
    // ("120x60"), a fraction part ("2 1/2", "2½") or a percent sign after it ("50%", which
    // leaves "yüzde" in `percent`). `n` becomes the last number read.
    void ReadAfterNumber(int start, TNumber &n, std::string &words, std::string &percent) {
        if (TimesAt(I) >= 0) {
            // Sizes are two or three numbers followed by a length or pixels ("120x60 cm", "3 x
            // 4 m", "800x600 px"), or a screen's resolution (two numbers of three or four
            // digits with the sign glued: "1920x1080"): each but the last in the dative, "yüz
            // yirmiye altmış". Anything else is a product: "3 × 4" is "üç çarpı dört", "2,5 ×
            // 10^8" "iki virgül beş çarpı on üzeri sekiz", a dose "2x1" "iki çarpı bir".
            std::vector<std::string> sizes{words};
            bool resolution = I - start >= 3 && I - start <= 4 && At(I) != ' ' && n.Plain;
            for (int next; (next = TimesAt(I)) >= 0;) {
                const bool glued = next == I + 1;
                I = next;
                TNumber size = ParseNumber();
                resolution &= glued && I - next >= 3 && I - next <= 4 && size.Plain;
                sizes.push_back(size.Words);
                n = size;
            }
            int k = I;
            if (At(k) == ' ') ++k;
            const bool measured = sizes.size() <= 3 && (LengthAt(k) || (sizes.size() == 2 && resolution));
            if (!measured) {
                words = sizes[0];
                for (std::size_t i = 1; i < sizes.size(); ++i) words += " \xE7" "arp\xFD " + sizes[i];  // çarpı
            } else {
                words.clear();
                for (std::size_t i = 0; i + 1 < sizes.size(); ++i) words += AttachSuffix(sizes[i], "e") + " ";
                words += sizes.back();
            }
            n.FractionOf.clear();
            return;
        }
        if (n.Plain && IsVulgarFraction(At(I))) {  // "2½"
            words += std::string(" ") + VulgarFractionAfter(At(I++));
            n.Plain = false;
            return;
        }
        if (n.Plain && At(I) == ' ' && IsVulgarFraction(At(I + 1)) && !IsAlnum(At(I + 2))) {  // "2 ½"
            words += std::string(" ") + VulgarFractionAfter(At(I + 1));
            I += 2;
            n.Plain = false;
            return;
        }
        if (n.Plain && At(I) == ' ' && IsDigit(At(I + 1)) && Kind == 0) {
            // A mixed number: "2 1/2" is "iki buçuk", "1 3/4" "bir tam dörtte üç".
            const int saved = I;
            I = saved + 1;
            TNumber part = ParseNumber();
            if (!part.FractionOf.empty()) {
                words += part.Numerator == "1" && part.FractionOf == "ikide" ? " bu\xE7uk" : " tam " + part.Words;
                n.Plain = false;
                return;
            }
            I = saved;
        }
        int k = I;
        if (At(k) == ' ' && k > start) ++k;
        if (IsPercentSign(At(k)) && !IsDigit(At(k + 1)) && !(At(k + 1) == ' ' && IsDigit(At(k + 2)))) {
            percent = PercentWord(At(k));  // "50%" is "yüzde elli"
            I = k + 1;
        }
    }

    // Whether the text is an equation: it has an equals sign. Looked for once.
    bool IsEquation() {
        if (Equation < 0) Equation = T.find('=') != std::string_view::npos;
        return Equation > 0;
    }

    // Whether the text gives a voltage or a power after a number ("220 V", "2 kW", "60 W"),
    // looked for once.
    bool MeasuresElectricity() {
        if (Electric < 0) {
            Electric = 0;
            for (int k = 1; k < N && !Electric; ++k) {
                if (!IsDigit(At(k - 1))) continue;
                const int u = At(k) == ' ' ? k + 1 : k;
                if (const TUnit *unit = UnitAt(T.substr(u, 4)))
                    for (const char *w : {"V", "kV", "W", "kW", "MW", "mAh", "Ah", "Wh", "kWh"})
                        Electric |= std::string_view(unit->Written) == w;
            }
        }
        return Electric > 0;
    }

    // Whether the number at `start` follows a slash after a measure ("12 V / 20 A"): a unit
    // letter after it is a unit (TUnit::AfterSlash).
    bool SlashBefore(int start) const {
        int b = start;
        if (At(b - 1) == ' ') --b;
        if (At(b - 1) != '/') return false;
        --b;
        if (At(b - 1) == ' ') --b;
        return IsLetter(At(b - 1)) || At(b - 1) == kSquared || At(b - 1) == kCubed;
    }

    // A unit's reading; `apart`: a power written in the unit is said after it ("m³" is
    // "metre küp"), as in the second part of a compound unit.
    static std::string UnitReading(const TUnit &unit, bool apart) {
        const std::string_view written = unit.Written;
        const unsigned char power = written.empty() ? 0 : (unsigned char)written.back();
        if (apart && written.size() > 1 && (power == kSquared || power == kCubed))
            if (const TUnit *base = UnitAt(written.substr(0, written.size() - 1)))
                return std::string(base->Reading) + (power == kSquared ? " kare" : " k\xFCp");  // küp
        return unit.Reading;
    }

    // A power written after a unit the table has without it ("km³", "dm²"): said after it.
    void PowerAfterUnit(int &k, std::string &reading) const {
        if (At(k) == kSquared || At(k) == kCubed) reading += At(k++) == kSquared ? " kare" : " k\xFCp";  // küp
    }

    // A unit or currency after a number, with its own suffix: "5 km'den", "25 TL'ye". A
    // compound unit ("kg/m³", "40 µg/L", "9,8 m/s²") is read part by part with "bölü", each
    // part with its power ("kilogram bölü metre küp"); a rate followed by a power is such a
    // compound, an acceleration and no speed ("m/s²" is "metre bölü saniye kare").
    void ReadUnitAfter(int start, const TNumber &n, std::string &words) {
        if (ReadInchAfter(words)) return;
        int k = I;
        if (At(k) == ' ' || At(k) == 0xA0) ++k;
        const TUnit *unit = UnitAt(T.substr(k), SlashBefore(start));
        // "10 A" is ten amperes in a text that also gives volts or watts ("220 V, akım 10
        // A"); elsewhere "A" after a number is a letter ("3 A blok").
        if (!unit && At(k) == 'A' && !IsAlnum(At(k + 1)) && MeasuresElectricity()) unit = UnitAt(T.substr(k), true);
        if (!unit) return;
        const int unitStart = k;
        k += int(std::string_view(unit->Written).size());
        // A rate after an exponent ("3 × 10^8 m/s") is read as the compound too: its time
        // cannot go before a number that is a power's.
        const bool exponent = At(start - 1) == '^' || ((At(start - 1) == '-' || At(start - 1) == '+') && At(start - 2) == '^');
        if (unit->Per && (At(k) == kSquared || At(k) == kCubed || exponent)) {
            const std::string_view written = unit->Written;
            if (const TUnit *first = UnitAt(written.substr(0, written.find('/')))) {
                unit = first;
                k = unitStart + int(std::string_view(first->Written).size());
            }
        }
        bool possessive = false;
        if (unit->Subunit && n.Amount) {
            words = MoneyWords(n, *unit, possessive);
        } else if (unit->Per) {
            words = std::string(unit->Per) + " " + words + " " + unit->Reading;
        } else {
            std::string reading = UnitReading(*unit, false);
            PowerAfterUnit(k, reading);
            int s = k;
            if (At(s) == ' ') ++s;
            if (At(s) == '/' && !unit->Subunit) {
                ++s;
                if (At(s) == ' ') ++s;
                const TUnit *per = UnitAt(T.substr(s), true);
                if (per && !per->Subunit && !per->Per) {
                    reading += " b\xF6l\xFC " + UnitReading(*per, true);  // bölü
                    k = s + int(std::string_view(per->Written).size());
                    PowerAfterUnit(k, reading);
                    unit = per;
                }
            }
            words += " " + reading;
        }
        // "10 dk. sonra", "1 m. 80 cm": the period of a unit's abbreviation is no full stop
        // before a lower-case word or (where the table has the form) a number.
        if (At(k) == '.' && k + 1 < N) {
            const std::string written = std::string(unit->Written) + ".";
            const int writtenStart = k - int(std::string_view(unit->Written).size());
            const TAbbreviationContext context = ContextAround(T, std::size_t(writtenStart), std::size_t(k + 1));
            if ((NextLetterAt(k + 1) >= 0 && IsAbbreviation(written) && IsLower(At(NextLetterAt(k + 1)))) ||
                (context.NumberAfter && IsAbbreviation(written, context)))
                ++k;
        }
        std::string suffix = SuffixAt(k);
        if (!suffix.empty()) words = AttachSuffix(words, suffix, possessive);
        I = k;
    }

    // The inch sign glued to a number: 55" or 55”, read "inç", with a suffix written after it,
    // with or without an apostrophe ("27\"lik"). The same mark closes a quotation ("Fiyatı 5"), so it is an inch only where
    // no quotation of its kind is open before it and it is followed by a space, the end,
    // punctuation, an apostrophe or a suffix.
    bool ReadInchAfter(std::string &words) {
        const unsigned char c = At(I);
        if (c != '"' && c != kRightQuote2) return false;
        const unsigned char after = At(I + 1);
        if (!(after == 0 || IsSpace(after) || after == ',' || after == '.' || after == ';' ||
              after == ':' || after == ')' || IsApostrophe(after) || IsLower(after)))
            return false;
        AdvanceQuotes(I);
        if (c == '"' ? StraightQuoteOpen : CurlyQuotesOpen > 0) return false;
        int k = I + 1;
        words += " in\xE7";  // inç
        std::string suffix;
        if (IsLower(At(k))) {  // written without an apostrophe: 27"lik
            const int start = k;
            while (k < N && IsLetter(At(k))) ++k;
            suffix = ToLower(T.substr(start, k - start));
        } else {
            suffix = SuffixAt(k);
        }
        if (!suffix.empty()) words = AttachSuffix(words, suffix);
        I = k;
        return true;
    }

    // Which quotations are open before `end`, scanned once over the text as the reader moves
    // on (`end` never goes back). A straight quote after a letter or digit closes an open
    // quotation and is otherwise an inch itself; any other straight quote opens one.
    void AdvanceQuotes(int end) {
        for (; QuoteScan < end; ++QuoteScan) {
            const unsigned char q = At(QuoteScan);
            if (q == '"') {
                const unsigned char before = At(QuoteScan - 1);
                if (StraightQuoteOpen) StraightQuoteOpen = false;
                else if (!(IsLetter(before) || IsDigit(before))) StraightQuoteOpen = true;
            } else if (q == kLeftQuote2) {
                ++CurlyQuotesOpen;
            } else if (q == kRightQuote2 && CurlyQuotesOpen > 0) {
                --CurlyQuotesOpen;
            }
        }
    }

    // ---- words ----

    void ReadAddress(int end) {
        // Web and e-mail addresses: the parts, with the separators named ("://" is not said),
        // and a suffix written after the address on its last word ("tdk.gov.tr'de").
        std::string words;
        auto add = [&words](std::string_view w) {
            if (!words.empty()) words += ' ';
            words += w;
        };
        for (int k = I; k < end;) {
            unsigned char c = At(k);
            if (IsLetter(c)) {
                int j = k;
                while (j < end && IsLetter(At(j))) ++j;
                add(AddressPartReading(T.substr(k, j - k)));
                k = j;
            } else if (IsDigit(c)) {
                int j = k;
                while (j < end && IsDigit(At(j))) ++j;
                add(DigitRun(T.substr(k, j - k)));
                k = j;
            } else if (c == ':' && At(k + 1) == '/' && At(k + 2) == '/') {
                k += 3;
            } else {
                if (c == '.') add("nokta");
                else if (c == '@') add("et");
                else if (c == '/') add("b\xF6l\xFC");  // bölü
                else if (c == '-') add("tire");
                else if (c == '_') add("alt \xE7izgi");  // alt çizgi
                ++k;
            }
        }
        I = end;
        std::string suffix = SuffixAt(I);
        Word(suffix.empty() ? words : AttachSuffix(words, suffix));
    }

    // Whether a web or e-mail address starts here. Only a run of non-space characters can
    // start one. Every start inside one run shares the run's end, its next "@" and its last
    // ".", which are found once and kept, so runs like "a-a-a-..." or "(a(a(a..." are looked
    // through once and the reading stays linear.
    bool AddressAhead(int &end) const {
        if (I > 0 && !IsSpace(At(I - 1)) && At(I - 1) != '"' && At(I - 1) != '(' && At(I - 1) != '<') return false;
        if (I >= RunEnd) {
            int j = I;
            while (j < N && !IsSpace(At(j)) && At(j) != '"' && At(j) != ')' && At(j) != ',' && !IsApostrophe(At(j))) ++j;
            RunEnd = j;
            while (j > I && (At(j - 1) == '.' || At(j - 1) == '!' || At(j - 1) == '?' || At(j - 1) == ':')) --j;
            RunTrimmedEnd = j;
            RunLastDot = -1;
            for (int k = j - 1; k >= I; --k)
                if (At(k) == '.') { RunLastDot = k; break; }
            // The domain is what comes before the first "/" ("uni.edu.tr/duyurular").
            RunSlash = I;
            while (RunSlash < j && At(RunSlash) != '/') ++RunSlash;
            RunLastNonDomain = I - 1;
            RunDomainLastDot = -1;
            for (int k = RunSlash - 1; k >= I; --k) {
                if (At(k) == '.' && RunDomainLastDot < 0) RunDomainLastDot = k;
                if (!IsAlnum(At(k)) && At(k) != '.' && At(k) != '-') { RunLastNonDomain = k; break; }
            }
            RunNextAt = I;
        }
        const int j = RunTrimmedEnd;
        end = j;
        if (j <= I) return false;
        std::string head = ToLower(T.substr(I, std::min(j - I, 8)));
        if (head.rfind("http://", 0) == 0 || head.rfind("https://", 0) == 0 || head.rfind("www.", 0) == 0)
            return true;
        // A bare domain with a known ending, perhaps a path after it: "tdk.gov.tr",
        // "ornek.com", "uni.edu.tr/duyurular".
        if (I < RunSlash && I > RunLastNonDomain && IsLetter(At(I)) && RunDomainLastDot > I &&
            IsAlnum(At(RunDomainLastDot - 1)) && RunSlash - RunDomainLastDot - 1 <= 4 &&
            IsDomainEnding(ToLower(T.substr(RunDomainLastDot + 1, RunSlash - RunDomainLastDot - 1))))
            return true;
        while (RunNextAt < j && (RunNextAt < I || At(RunNextAt) != '@')) ++RunNextAt;
        return RunNextAt < j && RunNextAt > I && RunLastDot > RunNextAt;
    }

    static bool IsDomainEnding(std::string_view lower) {
        for (const char *e : {"com", "org", "net", "edu", "gov", "tr", "info", "io"})
            if (lower == e) return true;
        return false;
    }

    // Whether `symbol` (one capital, perhaps one small letter) is a chemical element's.
    static bool IsElement(std::string_view symbol) {
        static const std::string_view single = "HBCNOFPSKVYIWU";
        if (symbol.size() == 1) return single.find(symbol[0]) != std::string_view::npos;
        static constexpr std::string_view pairs[] = {
            "He", "Li", "Be", "Ne", "Na", "Mg", "Al", "Si", "Cl", "Ar", "Ca", "Sc", "Ti", "Cr", "Mn", "Fe",
            "Co", "Ni", "Cu", "Zn", "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Zr", "Nb", "Mo", "Tc",
            "Ru", "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
            "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "Re", "Os", "Ir",
            "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th", "Pa", "Np", "Pu",
            "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr"};
        for (std::string_view p : pairs)
            if (symbol == p) return true;
        return false;
    }

    // A chemical formula written in mixed case ("NaCl", "CaCO3", "KMnO4", "NaOH'ın"): read
    // letter by letter with the Turkish letter names, its counts as numbers, a suffix on the
    // last word with harmony ("ne a o henin"). A formula is made of element symbols only,
    // two or more, and has a small letter (a run in capitals is an acronym, "H2O" reads as
    // such already); a brand in mixed case ("YouTube", "McLaren") is no run of symbols.
    bool ReadFormula() {
        if (!IsUpper(At(I)) || (I > 0 && IsAlnum(At(I - 1)))) return false;
        // A second symbol or a count starts within the first three letters ("NaCl", "KCl",
        // "CaCO3"); a capitalised word ("Ahmet") is passed over here.
        if (!(IsUpper(At(I + 1)) || IsUpper(At(I + 2)) || IsDigit(At(I + 1)) || IsDigit(At(I + 2)))) return false;
        int k = I, symbols = 0;
        bool small = false;
        std::string words;
        auto add = [&words](std::string_view w) {
            if (!words.empty()) words += ' ';
            words += w;
        };
        while (k < N && k - I <= 24 && IsUpper(At(k))) {
            const int s = k++;
            if (IsLower(At(k))) ++k, small = true;
            if (!IsElement(T.substr(s, k - s))) return false;
            ++symbols;
            add(LetterName(At(s)));
            if (k - s == 2) add(LetterName(At(s + 1)));
            const int d = k;
            while (k < N && IsDigit(At(k))) ++k;
            if (k > d) add(DigitRun(T.substr(d, k - d)));
        }
        if (!small || symbols < 2 || IsAlnum(At(k)) || k - I > 24) return false;
        // A word the table knows in this spelling is no formula.
        TAbbreviation known;
        if (FindAbbreviation(T.substr(I, k - I), Kind, {}, known)) return false;
        I = k;
        std::string suffix = SuffixAt(I);
        Word(suffix.empty() ? words : AttachSuffix(words, suffix));
        return true;
    }

    // A hashtag written in CamelCase is its words: "#MutluYıllar" is "mutlu yıllar",
    // "#SonDakika'da" "son dakikada" (the suffix as written on the last word). A hashtag
    // without a capital inside is read as any word.
    bool ReadHashtag() {
        if (At(I - 1) != '#') return false;
        int j = I;
        while (j < N && IsLetter(At(j))) ++j;
        std::string words;
        int s = I;
        for (int k = I + 1; k <= j; ++k) {
            if (k < j && !(IsUpper(At(k)) && IsLower(At(k - 1)))) continue;
            if (!words.empty()) words += ' ';
            words += ToLower(T.substr(s, k - s));
            s = k;
        }
        if (words.find(' ') == std::string::npos) return false;
        I = j;
        words += SuffixAt(I);
        Word(words);
        return true;
    }

    void ReadWord() {
        // "m² fiyatı", "km² başına": an area or volume without a number before it.
        if ((At(I + 1) == 0xB2 || At(I + 1) == 0xB3 || At(I + 2) == 0xB2 || At(I + 2) == 0xB3) &&
            !IsAlnum(At(I - 1))) {
            if (const TUnit *unit = UnitAt(T.substr(I)); unit && unit->Standalone) {
                I += int(std::string_view(unit->Written).size());
                std::string reading = unit->Reading;
                std::string suffix = SuffixAt(I);
                if (!suffix.empty()) reading = AttachSuffix(reading, suffix);
                Word(reading);
                PrevWord.clear();
                return;
            }
        }
        int addressEnd;
        if (AddressAhead(addressEnd)) {
            ReadAddress(addressEnd);
            PrevWord.clear();
            return;
        }
        if (ReadFormula() || ReadHashtag()) {
            PrevWord.clear();
            return;
        }
        int j = I;
        bool dotted = false;
        for (;;) {
            while (j < N && IsLetter(At(j))) ++j;
            if (At(j) == '.' && IsLetter(At(j + 1)) && j + 2 <= N &&
                (At(j + 2) == '.' || j - I == 1 || IsUpper(At(j + 1)))) {
                // "T.C.", "A.Ş.", "Ltd.Şti.": letters joined by periods.
                dotted = true;
                ++j;
                continue;
            }
            break;
        }
        std::string_view token = T.substr(I, j - I);
        const int start = I;
        I = j;
        TSpoken spoken;
        if (!dotted && At(j) == '-' && IsUpper(At(j + 1)) && IsUpper(At(start)) && j - start <= 4) {
            // An acronym written in two parts that the table reads as one word: "AR-GE",
            // "Ar-Ge".
            int e = j + 1;
            while (e < N && e - j <= 5 && IsLetter(At(e))) ++e;
            TAbbreviation whole;
            if (!IsLetter(At(e)) &&
                FindAbbreviation(ToUpper(std::string(token) + std::string(T.substr(j + 1, e - j - 1))), Kind, {}, whole)) {
                spoken = {std::string(whole.Reading), whole.Possessive};
                token = T.substr(start, e - start);
                I = e;
            }
        }
        if (spoken.Text.empty()) spoken = ReadToken(token, dotted, start);
        std::string suffix = SuffixAt(I);
        if (!suffix.empty() && !spoken.Text.empty()) {
            if (spoken.Possessive || spoken.Text != ToLower(token)) {
                const std::string said = spoken.Text;
                spoken.Text = AttachSuffix(said, suffix, spoken.Possessive, HarmonyAmbiguous(said));
                // A foreign word keeps its consonant before a vowel: "laptop'a" is "leptopa".
                if (spoken.Foreign && spoken.Text.size() > said.size() &&
                    spoken.Text.compare(0, said.size() - 1, said, 0, said.size() - 1) == 0)
                    spoken.Text[said.size() - 1] = said.back();
            } else {
                // A word read as written keeps the suffix as written, its vowels too ("Kemal'in",
                // not "kemalın"). A name as written (a capital, then lower case) is said
                // softened before a vowel, as Turkish says it though it writes the name
                // unsoftened: "Başak'ın" is "başağın", "Zonguldak'a" "zonguldağa".
                bool name = token.size() > 1 && IsUpper((unsigned char)token[0]);
                for (std::size_t k = 1; k < token.size() && name; ++k) name = IsLower((unsigned char)token[k]);
                if (name && IsVowel((unsigned char)suffix[0])) spoken.Text = SoftenedName(spoken.Text);
                spoken.Text += suffix;
            }
        }
        Word(spoken.Text);
        PrevWord = ToLower(token);
    }

    bool EndsText(int k) const {
        while (k < N && IsSpace(At(k))) ++k;
        return k >= N;
    }

    // The table's reading of `written`, the form at [start, end) of the text.
    TSpoken Abbreviation(std::string_view written, int start, int end) const {
        TAbbreviation a;
        if (!FindAbbreviation(written, Kind, ContextAround(T, start, end), a)) return {};
        if (a.Foreign) return {std::string(a.Reading), a.Possessive, true};
        std::string reading(a.Reading);
        // A numbered street is said bare ("1453 Sok." is "bin dört yüz elli üç sokak", "1.
        // Cad." "birinci cadde"); after a name it keeps its possessive ("Gül Sokağı").
        if (LastWasNumber) {
            std::string_view bare = BareStreetWord(reading);
            if (!bare.empty()) return {std::string(bare), false};
        }
        return {reading, a.Possessive};
    }

    TSpoken ReadToken(std::string_view token, bool dotted, int start) {
        const bool period = At(I) == '.';
        // Abbreviations of several words ("Md. Yrd."), with their period ("Dr.", "T.C.") or
        // without one ("AŞ").
        if (period) {
            TSpoken s;
            TAbbreviation words;
            if (const std::size_t length = AbbreviationOfWordsAt(T.substr(start, std::min(48, N - start)), Kind, {}, words)) {
                s = {std::string(words.Reading), words.Possessive};
                I = start + int(length) - 1;
            } else {
                s = Abbreviation(std::string(token) + ".", start, I + 1);
            }
            if (!s.Text.empty()) {
                ++I;
                if (EndsText(I) && Kind == 0) {  // the abbreviation's period also ends the sentence
                    Word(s.Text);
                    Mark(".");
                    return {};
                }
                // A suffix written right after the period: "No.lu" is "numaralı".
                int j = I;
                while (j < N && j - I <= 5 && IsLower(At(j))) ++j;
                if (j > I && j - I <= 5 && !IsLetter(At(j))) {
                    s.Text = AttachSuffix(s.Text, ToLower(T.substr(I, j - I)), s.Possessive);
                    s.Possessive = false;
                    I = j;
                }
                return s;
            }
        }
        if (TSpoken s = Abbreviation(token, start, I); !s.Text.empty()) return s;
        if (dotted) return ReadDotted(token);

        std::string lower = ToLower(token);
        // "No: 5", and in addresses "K: 3", "D: 5", "No 5"; in running text "K: 3" and "D: 5"
        // right after a number ("No: 185 K: 5").
        if (Kind == 1 || lower == "no" || (LastWasNumber && (lower == "k" || lower == "d"))) {
            int k = I;
            bool colon = At(k) == ':' || At(k) == '.';
            if (colon) ++k;
            while (k < N && At(k) == ' ') ++k;
            if (IsDigit(At(k)) && (colon || Kind == 1)) {
                const char *reading = lower == "no" ? "numara" : lower == "k" || lower == "kat" ? "kat"
                                      : lower == "d" || lower == "daire"                    ? "daire"
                                                                                           : nullptr;
                if (reading) {
                    I = k;
                    return {reading};
                }
            }
        }
        // "kg/m³ cinsinden", "g/cm³": a compound unit without a number, read as after one.
        if (At(I) == '/') {
            const TUnit *unit = UnitAt(token);
            const TUnit *per = unit && unit->Written == token && !unit->Subunit ? UnitAt(T.substr(I + 1), true) : nullptr;
            if (per && !per->Subunit && !per->Per) {
                std::string reading = std::string(unit->Reading) + " b\xF6l\xFC " + UnitReading(*per, true);  // bölü
                I += 1 + int(std::string_view(per->Written).size());
                PowerAfterUnit(I, reading);
                return {reading};
            }
        }
        bool allUpper = true;
        for (char ch : token) allUpper &= IsUpper((unsigned char)ch);
        // "MS 1453": the era only before a year; elsewhere MS is an acronym.
        if (token == "MS" && At(I) == ' ' && IsDigit(At(I + 1))) return {"milattan sonra"};

        if (allUpper && Kind != 3) {
            if (int roman = RomanValue(token); roman > 0) {
                // Single letters other than I, V and X are initials rather than numerals,
                // and without an ordinal period only I, V and X make numerals ("Ek C").
                const bool ivx = token.find_first_not_of("IVX") == std::string_view::npos;
                if (period && (token.size() > 1 || ivx) && NextLetterAt(I + 1) >= 0) {
                    ++I;
                    return {Ordinal(Cardinal(roman))};  // "II. Dünya", "XIX. yüzyıl"
                }
                if (ivx && CountsWithRoman(PrevWord)) return {Cardinal(roman)};  // "Bölüm IV"
                if (ivx && (CenturyFollows() || (token.size() > 1 && AfterName(start))))
                    return {Ordinal(Cardinal(roman))};  // "XX yüzyıl", "Henry VIII"
            }
        }
        if (token.size() == 1 && IsUpper((unsigned char)token[0])) {
            // An initial ("A. Yılmaz") or a letter on its own ("B blok").
            if (period && NextLetterAt(I + 1) >= 0 && IsUpper(At(NextLetterAt(I + 1)))) ++I;
            return {LetterName((unsigned char)token[0])};
        }
        if (allUpper && token.size() > 1) {
            // A unit never reads inside a code glued to digits: "TB2" is no "terabayt iki".
            if (const TUnit *unit = UnitAt(token);
                unit && unit->Standalone && unit->Written == token && (unit->Subunit || !IsDigit(At(I)))) {
                int k = I;
                if (At(k) == ' ') ++k;
                bool alone = start == 0 || IsSpace(At(start - 1)) || At(start - 1) == '(';  // not "Dolar/TL 34"
                if (unit->Subunit && alone && IsDigit(At(k))) {  // "TL 25", and "₺25" read as "TL25"
                    I = k;
                    ReadNumber({}, unit);
                    return {};
                }
                return {unit->Reading, unit->Possessive};
            }
            if (Kind != 3 && IsSpelledAcronym(token, ShoutedAt(start))) return {Spell(token)};
            if (const char *reading = AcronymWordReading(token); reading && *reading) return {reading};
            return {lower};
        }
        if (token.size() > 1) {
            if (const TUnit *unit = UnitAt(token); unit && unit->Standalone && unit->Written == token && !IsDigit(At(I)))
                return {unit->Reading, unit->Possessive};
        }
        if (token.size() == 1) return {LetterName((unsigned char)token[0])};
        return {lower};
    }

    // Whether the word at `start` is in capitals among capitals: the whole text, or its line
    // (a heading). Words are asked about in the order of the text.
    bool ShoutedAt(int start) {
        while (LineAt + 1 < Lines.size() && Lines[LineAt].End <= start) ++LineAt;
        while (RunAt < Runs.size() && Runs[RunAt].second <= start) ++RunAt;
        const bool inRun = RunAt < Runs.size() && Runs[RunAt].first <= start;
        return Shouted || inRun || (!Lines.empty() && Lines[LineAt].Shouted);
    }

    bool CenturyFollows() const {
        int next = NextLetterAt(I);
        if (next <= I) return false;
        int e = next;
        while (e < N && IsLetter(At(e))) ++e;
        return IsCenturyWord(ToLower(T.substr(next, e - next)));
    }

    // The word before `start` is a capitalised name: "Henry VIII".
    bool AfterName(int start) const {
        if (start < 2 || At(start - 1) != ' ' || !IsLower(At(start - 2))) return false;
        int b = start - 2;
        while (b > 0 && IsLetter(At(b - 1))) --b;
        return IsUpper(At(b));
    }

    TSpoken ReadDotted(std::string_view token) {
        // Letters joined by periods that the table does not know: each part by itself,
        // single letters by name ("M.K." -> "me ke").
        std::string out;
        bool possessive = false;
        std::size_t s = 0;
        while (s <= token.size()) {
            std::size_t e = token.find('.', s);
            if (e == std::string_view::npos) e = token.size();
            std::string_view part = token.substr(s, e - s);
            std::string reading;
            possessive = false;
            TAbbreviation a;
            if (FindAbbreviation(std::string(part) + ".", Kind, {}, a)) reading = a.Reading, possessive = a.Possessive;
            else if (part.size() == 1) reading = LetterName((unsigned char)part[0]);
            else reading = ToLower(part);
            if (!out.empty()) out += ' ';
            out += reading;
            s = e + 1;
        }
        if (At(I) == '.') {
            ++I;
            if (EndsText(I) && Kind == 0) {
                Word(out);
                Mark(".");
                return {};
            }
        }
        return {out, possessive};
    }

    std::string_view T;
    int N;
    int Kind;
    bool Shouted = false;
    int Electric = -1;  // MeasuresElectricity, once known
    int Equation = -1;  // IsEquation, once known
    struct TLine {
        int End;       // the position of the line break that ends the line, or N
        bool Shouted;  // a heading in capitals
    };
    std::vector<TLine> Lines;
    std::size_t LineAt = 0;  // the line of the word read last (see ShoutedAt)
    std::vector<std::pair<int, int>> Runs;  // capital words side by side that make a heading
    std::size_t RunAt = 0;                  // the run at or after the word read last
    int I = 0;
    std::string Out;
    std::string PrevWord;       // the last word read, lower-cased as written
    bool LastWasOrdinal = false;
    bool LastWasNumber = false;  // the last word read is a bare number, cardinal or ordinal
    // The quotations open before QuoteScan (see AdvanceQuotes).
    int QuoteScan = 0;
    bool StraightQuoteOpen = false;
    int CurlyQuotesOpen = 0;
    // The non-space run AddressAhead looked through last (see there).
    mutable int RunEnd = 0, RunTrimmedEnd = 0, RunLastDot = -1, RunNextAt = 0;
    mutable int RunSlash = 0, RunLastNonDomain = -1, RunDomainLastDot = -1;  // the run's domain part
};

}  // namespace

std::string ReadText(std::string_view text, int kind) { return TReader(text, kind).Read(); }

}  // namespace turkish
