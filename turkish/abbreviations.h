// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The abbreviation table (abbreviations.tsv, compiled in): written forms and their readings.
// Besides abbreviations it holds the other words whose reading a table gives: social
// shorthand ("slm") and foreign names as a Turkish speaker says them ("Google").

#include <cstddef>
#include <string_view>

namespace turkish {

struct TAbbreviationRow {
    const char *Written;  // Windows-1254, as written ("Cad.", "A.Ş.", "AŞ", "Md. Yrd.")
    const char *Reading;  // Windows-1254, lower case ("caddesi")
    const char *Flags;    // see abbreviations.tsv: "p", a kind digit, a context letter, "w"
};

extern const TAbbreviationRow kAbbreviationRows[];
extern const std::size_t kAbbreviationRowCount;

struct TAbbreviation {
    std::string_view Reading;
    bool Possessive;  // a case suffix takes the pronominal n: "caddesi" + "de" -> "caddesinde"
    bool Foreign = false;  // a foreign word ("w"): its last consonant is never softened
};

// What is written around a form, for rows that are read so only in some context: "m. 5"
// ("madde beş") but "5 m." ("beş metre"), "3 ad." ("üç adet"), "St. Petersburg".
struct TAbbreviationContext {
    bool NumberBefore = false;   // a number right before (a space between at most)
    bool NumberAfter = false;    // a number next (after spaces, and a colon: "Tel: 0212")
    bool CapitalAfter = false;   // a capitalised word next
    bool CapitalBefore = false;  // a capitalised word right before (a space between); only
                                 // for a form with its period ("Belediye Bşk.")
    bool InAddress = false;      // a part of a web or e-mail address ("com" is "kom")
};

// The context of the form written at [start, end) of `text` (end just after its period, if
// it has one).
TAbbreviationContext ContextAround(std::string_view text, std::size_t start, std::size_t end);

// The reading of a written form ("Dr.", "T.C.", "AŞ", "Md. Yrd.") for a text kind in a
// context: the row of that kind if there is one, else the general row; rows whose context
// is not met are passed over. The exact spelling first, then ignoring Turkish letter case
// (single letters only exactly); rows marked "w" match in any letter case. False when the
// table does not have it. A negative `kind` takes the first row of any kind.
bool FindAbbreviation(std::string_view written, int kind, const TAbbreviationContext &context,
                      TAbbreviation &found);

// Whether the period ending `written` (which ends in ".") belongs to an abbreviation in
// that context, for any text kind.
bool IsAbbreviation(std::string_view written, const TAbbreviationContext &context = {});

// Whether the period ending `text` (which ends in ".") closes a form of several words in
// the table ("Md. Yrd.", "Day. Tük. Mal."): `text` is what is written up to that period.
bool EndsWithAbbreviationOfWords(std::string_view text, const TAbbreviationContext &context = {});

// The longest form of several words the table has at `text`'s beginning ("Md. Yrd."), its
// first word an abbreviation with its period: the number of bytes it takes (0 for none).
std::size_t AbbreviationOfWordsAt(std::string_view text, int kind, const TAbbreviationContext &context,
                                  TAbbreviation &found);

}  // namespace turkish
