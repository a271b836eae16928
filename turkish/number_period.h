// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a period right after a number is: the mark of an ordinal ("5. sınıf" is "beşinci
// sınıf") or the end of a sentence ("Katılımcı sayısı 250. Geçen yıl ..."). The sentence
// splitter and the reading ask the same question, so a number read as an ordinal never ends
// a sentence and one that ends a sentence is read as a cardinal.

#include <string_view>

namespace turkish {

enum class TNumberPeriod {
    Ordinal,         // "5. sınıf", "3. Madde", "10.000. ziyaretçi", "2.,"
    SentenceEnd,     // "sayısı 250. Geçen", "3,5. Sonra", "skor 3-1. Maç", "1923. Yılında"
    SectionHeading,  // "3.2. Yöntem" at the start of a line: the period closes the number only
};

// `text` is Windows-1254; [start, period) is the number (digits, possibly grouped by dots:
// "12", "10.000", "3.2") and text[period] is '.'. Decided from the number, what is written
// before it (a decimal comma, a range or score, a code, a counting word like "sayısı" or
// "Madde") and the word after it.
TNumberPeriod NumberPeriodAt(std::string_view text, int start, int period);

}  // namespace turkish
