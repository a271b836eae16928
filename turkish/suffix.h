// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turkish suffixes attached to a spoken word: vowel harmony, the buffer consonants, the
// voicing of d/t and c/ç, and the softening of the stem's last consonant. All texts are
// lower-case Windows-1254.

#include <string>
#include <string_view>

namespace turkish {

// `spoken` followed by `suffix` (as it was written after an apostrophe) in the pronounced
// form, harmonised to the last word of `spoken`: ("dört", "ü") -> "dördü", ("iki bin yirmi
// dört", "de") -> "iki bin yirmi dörtte", ("profesör", "a") -> "profesöre". `possessive`:
// `spoken` ends in a possessive compound ("caddesi", "türk lirası"), so a case suffix takes
// the pronominal n: ("caddesi", "de") -> "caddesinde".
std::string AttachSuffix(std::string_view spoken, std::string_view suffix, bool possessive = false);

// The ordinal of spoken cardinal words: "beş" -> "beşinci", "yirmi dört" -> "yirmi dördüncü".
std::string Ordinal(std::string_view cardinal);

// Whether a written suffix starts with the ordinal ending ("inci", "nci", "üncü", ...), and
// how many bytes it takes.
std::size_t OrdinalEndingLength(std::string_view suffix);

}  // namespace turkish
