#pragma once
// The abbreviation table (abbreviations.tsv, compiled in): written forms and their readings.

#include <cstddef>
#include <string_view>

namespace turkish {

struct TAbbreviationRow {
    const char *Written;  // Windows-1254, as written ("Cad.", "A.Ş.", "AŞ")
    const char *Reading;  // Windows-1254, lower case ("caddesi")
    const char *Flags;    // "p": possessive compound; a digit: only for that text kind
};

extern const TAbbreviationRow kAbbreviationRows[];
extern const std::size_t kAbbreviationRowCount;

struct TAbbreviation {
    std::string_view Reading;
    bool Possessive;  // a case suffix takes the pronominal n: "caddesi" + "de" -> "caddesinde"
};

// The reading of a written form ("Dr.", "T.C.", "AŞ") for a text kind: the row of that kind
// if there is one, else the general row; the exact spelling first, then ignoring Turkish
// letter case (single letters only exactly). False when the table does not have it.
bool FindAbbreviation(std::string_view written, int kind, TAbbreviation &found);

// Whether the period ending `written` (which ends in ".") belongs to an abbreviation.
bool IsAbbreviation(std::string_view written);

}  // namespace turkish
