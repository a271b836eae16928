// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Letters read by their Turkish names, and which capitalised words are read that way.

#include <string>
#include <string_view>

namespace turkish {

// The Turkish name of a letter of either case: "be", "çe", "ğe", "ı", "i", "ku" (q),
// "çift ve" (w), "iks" (x); another letter lower-cased; empty for a non-letter.
std::string LetterName(unsigned char letter);

// The letters of `word` by name, separated by spaces ("TBMM" -> "te be me me").
std::string Spell(std::string_view word);

// Whether a word written in capitals is spelled out rather than read as a word: acronyms
// that cannot be pronounced as written ("ABD", "TBMM", "CHP") and short ones in running
// text ("MEB", "İTÜ") are spelled; those known as words (NATO, ASELSAN, TÜBİTAK), and
// words of a text written in capitals (`shouted`), are read.
bool IsSpelledAcronym(std::string_view upper, bool shouted);

// For an acronym said as a word: its reading when lower-casing would not say it right
// ("FIFA" -> "fifa"), else "" (lower-case it); nullptr for any other word.
const char *AcronymWordReading(std::string_view upper);

// A run of letters in a web or e-mail address: the table's word ("com" is "kom", "gmail"
// "cimeyl"), a sayable part as it is written ("ornek", "gov"), any other spelled ("www",
// "tr", "tdk").
std::string AddressPartReading(std::string_view letters);

}  // namespace turkish
