#pragma once
// Splitting a plain text into sentences, on Windows-1254 bytes. Every byte of the code page
// is one UTF-16 unit, so positions in the UTF-16 text ICU works on are byte positions of
// the submitted text, exactly.
//
// ICU's sentence break iterator for the locale "tr" decides the boundaries. Each sentence
// is the range between two boundaries without its leading and trailing white space (space,
// tab, CR, LF); a range that holds nothing else is dropped.

#include <cstdint>
#include <string_view>
#include <vector>

struct TTextRange {
    int32_t Start = 0;   // byte position in the text
    int32_t Length = 0;  // bytes

    bool operator==(const TTextRange &) const = default;
};

std::vector<TTextRange> SplitIntoSentences(std::string_view text);
