// SPDX-License-Identifier: GPL-3.0-or-later
#include "turkish/abbreviations.h"

#include "turkish/letters.h"

#include <map>
#include <string>
#include <vector>

namespace turkish {
namespace {

// A word's key for the rows read in any letter case ("w"): lower case with "ı" as "i", so
// "IPHONE", "iPhone" and "iphone" meet.
std::string AnyCaseKey(std::string_view written) {
    std::string key = ToLower(written);
    for (char &c : key)
        if ((unsigned char)c == kDotlessSmallI) c = 'i';
    return key;
}

bool HasFlag(const TAbbreviationRow &row, char flag) {
    return std::string_view(row.Flags).find(flag) != std::string_view::npos;
}

std::size_t WordCount(std::string_view written) {
    std::size_t words = 1;
    for (char c : written) words += c == ' ';
    return words;
}

// The first byte of a form with its letter case (and the dot of "ı") ignored, for the quick
// check of TIndex::MayHave.
unsigned char FoldedFirst(std::string_view written) {
    const unsigned char c = ToLower((unsigned char)written[0]);
    return c == kDotlessSmallI ? 'i' : c;
}

struct TIndex {
    // Keyed by the written form, by its lower-cased form and (rows marked "w") by its
    // any-case key; each key lists row numbers in table order. Forms of several words are
    // kept apart, keyed by their first and by their last word.
    std::map<std::string, std::vector<std::size_t>, std::less<>> Exact;
    std::map<std::string, std::vector<std::size_t>, std::less<>> Folded;
    std::map<std::string, std::vector<std::size_t>, std::less<>> AnyCase;
    std::map<std::string, std::vector<std::size_t>, std::less<>> ByFirstWord;
    std::map<std::string, std::vector<std::size_t>, std::less<>> ByLastWord;
    // Whether any one-word form has this folded first byte and this length (up to 63): most
    // words are ruled out here without a lookup.
    std::vector<bool> Present = std::vector<bool>(256 * 64);

    bool MayHave(std::string_view written) const {
        return !written.empty() && written.size() < 64 && Present[FoldedFirst(written) * 64 + written.size()];
    }

    TIndex() {
        for (std::size_t i = 0; i < kAbbreviationRowCount; ++i) {
            const std::string written = kAbbreviationRows[i].Written;
            if (written.empty() || written.size() >= 64) continue;
            Present[FoldedFirst(written) * 64 + written.size()] = true;
            if (WordCount(written) > 1) {
                ByFirstWord[written.substr(0, written.find(' '))].push_back(i);
                ByLastWord[written.substr(written.rfind(' ') + 1)].push_back(i);
                continue;
            }
            Exact[written].push_back(i);
            Folded[ToLower(written)].push_back(i);
            if (HasFlag(kAbbreviationRows[i], 'w')) AnyCase[AnyCaseKey(written)].push_back(i);
        }
    }
};

const TIndex &Index() {
    static const TIndex index;
    return index;
}

bool ContextMet(const TAbbreviationRow &row, const TAbbreviationContext &context) {
    if (HasFlag(row, 'n') && !context.NumberAfter) return false;
    if (HasFlag(row, 'a') && !context.NumberBefore) return false;
    if (HasFlag(row, 'c') && !context.CapitalAfter) return false;
    if (HasFlag(row, 'h') && !context.CapitalBefore) return false;
    if (HasFlag(row, 'u') && !context.InAddress) return false;
    return true;
}

bool RowIsForKind(const TAbbreviationRow &row, int kind, bool &general) {
    bool anyKind = false;
    for (const char *f = row.Flags; *f; ++f) {
        if (*f >= '0' && *f <= '9') {
            anyKind = true;
            if (*f - '0' == kind) return true;
        }
    }
    general = !anyKind;
    return false;
}

// `inCapitals`: the form was written in capitals and matched ignoring case; rows marked "l"
// (shorthand written in lower case: "slm", "tmm") are not read so then ("HB" is no "hb").
bool Choose(const std::vector<std::size_t> &rows, int kind, const TAbbreviationContext &context,
            TAbbreviation &found, bool inCapitals = false) {
    const TAbbreviationRow *general = nullptr;
    for (std::size_t i : rows) {
        const TAbbreviationRow &row = kAbbreviationRows[i];
        if (!ContextMet(row, context) || (inCapitals && HasFlag(row, 'l'))) continue;
        if (kind < 0) {  // any kind's row will do
            general = &row;
            break;
        }
        bool isGeneral = false;
        if (RowIsForKind(row, kind, isGeneral)) {
            general = &row;
            break;
        }
        if (isGeneral && !general) general = &row;
    }
    if (!general) return false;
    found.Reading = general->Reading;
    found.Possessive = HasFlag(*general, 'p');
    found.Foreign = HasFlag(*general, 'w');
    return true;
}

bool IsSingleLetter(std::string_view written) {
    return written.size() == 1 || (written.size() == 2 && written[1] == '.');
}

}  // namespace

TAbbreviationContext ContextAround(std::string_view text, std::size_t start, std::size_t end) {
    auto at = [&](std::size_t k) -> unsigned char { return k < text.size() ? (unsigned char)text[k] : 0; };
    TAbbreviationContext context;
    std::size_t b = start;
    if (b > 0 && IsSpace(at(b - 1))) --b;
    if (b > 1 && at(b - 1) == '.') --b;  // an ordinal: "3. bas."
    context.NumberBefore = b > 0 && IsDigit(at(b - 1));
    if (end > start && at(end - 1) == '.' && start > 1 && at(start - 1) == ' ' && IsLetter(at(start - 2))) {
        // The word before an abbreviation with its period (the forms that ask for it), looked
        // at over 40 bytes at most.
        std::size_t w = start - 1;
        while (w > 0 && start - w < 40 && IsLetter(at(w - 1))) --w;
        context.CapitalBefore = IsUpper(at(w)) && (w == 0 || !IsLetter(at(w - 1)));
    }
    std::size_t a = end;
    while (a < text.size() && IsSpace(at(a))) ++a;
    // A label's colon may stand between: "Tel: 0212 ...".
    if (at(a) == ':') {
        ++a;
        while (a < text.size() && IsSpace(at(a))) ++a;
    }
    context.NumberAfter = IsDigit(at(a));
    context.CapitalAfter = a > end && IsUpper(at(a));
    return context;
}

bool FindAbbreviation(std::string_view written, int kind, const TAbbreviationContext &context,
                      TAbbreviation &found) {
    const TIndex &index = Index();
    if (!index.MayHave(written)) return false;
    if (auto it = index.Exact.find(written);
        it != index.Exact.end() && Choose(it->second, kind, context, found))
        return true;
    // Ignoring case only for a form written in capitals ("CAD."): "ara." or "Tel." in lower
    // or mixed case may be a word that ends a sentence.
    if (IsSingleLetter(written)) return false;
    if (auto it = index.AnyCase.find(AnyCaseKey(written));
        it != index.AnyCase.end() && Choose(it->second, kind, context, found))
        return true;
    bool lowerAfterFirst = false;
    for (std::size_t i = 1; i < written.size(); ++i) lowerAfterFirst |= IsLower((unsigned char)written[i]);
    if (lowerAfterFirst) {
        // A capital at a sentence's start: "Bkz." is "bkz.".
        if (!IsUpper((unsigned char)written[0])) return false;
        for (std::size_t i = 1; i < written.size(); ++i)
            if (IsUpper((unsigned char)written[i])) return false;
        std::string lowered = ToLower(written);
        auto it = index.Exact.find(lowered);
        return it != index.Exact.end() && Choose(it->second, kind, context, found);
    }
    if (auto it = index.Folded.find(ToLower(written)); it != index.Folded.end())
        return Choose(it->second, kind, context, found, true);
    return false;
}

bool IsAbbreviation(std::string_view written, const TAbbreviationContext &context) {
    TAbbreviation found;
    return FindAbbreviation(written, -1, context, found);
}

bool EndsWithAbbreviationOfWords(std::string_view text, const TAbbreviationContext &context) {
    const TIndex &index = Index();
    const std::size_t space = text.rfind(' ', text.size());
    if (space == std::string_view::npos) return false;
    auto it = index.ByLastWord.find(text.substr(space + 1));
    if (it == index.ByLastWord.end()) return false;
    for (std::size_t i : it->second) {
        const TAbbreviationRow &row = kAbbreviationRows[i];
        const std::string_view written = row.Written;
        if (text.size() < written.size() || text.substr(text.size() - written.size()) != written) continue;
        const std::size_t before = text.size() - written.size();
        if (before > 0 && IsLetter((unsigned char)text[before - 1])) continue;
        if (ContextMet(row, context)) return true;
    }
    return false;
}

std::size_t AbbreviationOfWordsAt(std::string_view text, int kind, const TAbbreviationContext &context,
                                  TAbbreviation &found) {
    const TIndex &index = Index();
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) return 0;
    auto it = index.ByFirstWord.find(text.substr(0, space));
    if (it == index.ByFirstWord.end()) return 0;
    std::size_t longest = 0;
    for (std::size_t i : it->second) {
        const TAbbreviationRow &row = kAbbreviationRows[i];
        const std::string_view written = row.Written;
        if (written.size() <= longest || text.substr(0, written.size()) != written) continue;
        if (written.size() < text.size() && IsAlnum((unsigned char)text[written.size()])) continue;
        bool general = false;
        if (!ContextMet(row, context) || !(RowIsForKind(row, kind, general) || general)) continue;
        longest = written.size();
        found.Reading = row.Reading;
        found.Possessive = HasFlag(row, 'p');
        found.Foreign = HasFlag(row, 'w');
    }
    return longest;
}

}  // namespace turkish
