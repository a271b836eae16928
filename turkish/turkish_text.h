// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turkish text as the speech service handles it: split into sentences, and turned into the
// words the speech engine is given. Every text is Windows-1254 bytes, in and out.

#include <string>
#include <string_view>
#include <vector>

// One sentence: byte positions in the text that was split.
struct TSentenceRange {
    int Start;
    int Length;
};

// Splits a text into its sentences, in order. A sentence ends after ".", "!", "?", "…" or a
// run of them when whitespace or the end of the text follows and the next sentence begins
// with a capital, a digit, or an opening quote or parenthesis; a period after an
// abbreviation, an ordinal number or an initial ends none. A blank line always ends a
// sentence; a single line break only before a list item. Closing quotes and parentheses
// after the final mark belong to the sentence they close. Whitespace between sentences
// belongs to none; a text of whitespace only has no sentences.
std::vector<TSentenceRange> SplitSentences(std::string_view text);

// What the speech engine is given: lower-case Turkish words, no digits, Windows-1254.
// kind 0 = running text; 1 address, 2 commercial title, 3 person name, 4 licence plate,
// 5 phone number (the XML text kinds). Any other kind reads as running text. The reading
// depends on the text and the kind alone.
std::string NormaliseForSpeech(std::string_view text, int kind = 0);
