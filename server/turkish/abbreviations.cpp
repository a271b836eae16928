#include "server/turkish/abbreviations.h"

#include "server/turkish/letters.h"

#include <map>
#include <string>
#include <vector>

namespace turkish {
namespace {

struct TIndex {
    // Keyed by the written form, and by its lower-cased form; each key lists row numbers
    // in table order.
    std::map<std::string, std::vector<std::size_t>, std::less<>> Exact;
    std::map<std::string, std::vector<std::size_t>, std::less<>> Folded;

    TIndex() {
        for (std::size_t i = 0; i < kAbbreviationRowCount; ++i) {
            std::string written = kAbbreviationRows[i].Written;
            Exact[written].push_back(i);
            Folded[ToLower(written)].push_back(i);
        }
    }
};

const TIndex &Index() {
    static const TIndex index;
    return index;
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

bool Choose(const std::vector<std::size_t> &rows, int kind, TAbbreviation &found) {
    const TAbbreviationRow *general = nullptr;
    for (std::size_t i : rows) {
        const TAbbreviationRow &row = kAbbreviationRows[i];
        bool isGeneral = false;
        if (RowIsForKind(row, kind, isGeneral)) {
            general = &row;
            break;
        }
        if (isGeneral && !general) general = &row;
    }
    if (!general) return false;
    found.Reading = general->Reading;
    found.Possessive = std::string_view(general->Flags).find('p') != std::string_view::npos;
    return true;
}

bool IsSingleLetter(std::string_view written) {
    return written.size() == 1 || (written.size() == 2 && written[1] == '.');
}

}  // namespace

bool FindAbbreviation(std::string_view written, int kind, TAbbreviation &found) {
    const TIndex &index = Index();
    if (auto it = index.Exact.find(written); it != index.Exact.end() && Choose(it->second, kind, found))
        return true;
    // Ignoring case only for a form written in capitals ("CAD."): "ara." or "Tel." in lower
    // or mixed case may be a word that ends a sentence.
    if (IsSingleLetter(written)) return false;
    bool lowerAfterFirst = false;
    for (std::size_t i = 1; i < written.size(); ++i) lowerAfterFirst |= IsLower((unsigned char)written[i]);
    if (lowerAfterFirst) {
        // A capital at a sentence's start: "Bkz." is "bkz.".
        if (!IsUpper((unsigned char)written[0])) return false;
        for (std::size_t i = 1; i < written.size(); ++i)
            if (IsUpper((unsigned char)written[i])) return false;
        std::string lowered = ToLower(written);
        auto it = index.Exact.find(lowered);
        return it != index.Exact.end() && Choose(it->second, kind, found);
    }
    if (auto it = index.Folded.find(ToLower(written)); it != index.Folded.end())
        return Choose(it->second, kind, found);
    return false;
}

bool IsAbbreviation(std::string_view written) {
    TAbbreviation found;
    for (int kind = 0; kind <= 5; ++kind)
        if (FindAbbreviation(written, kind, found)) return true;
    return false;
}

}  // namespace turkish
