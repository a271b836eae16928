// SPDX-License-Identifier: GPL-3.0-or-later
// Sentence splitting. ICU's sentence break iterator (locale "tr") proposes where sentences
// may end; so do the places where a run of final marks meets whitespace and the line
// breaks, which the iterator reads differently from Turkish usage ("…" is no final mark
// to it, every line break is a paragraph end to it). Each proposed end is then judged by
// the Turkish rules alone (EndsHere), so the result depends on the text only.
//
// Windows-1254 has one byte per character, so byte i of the text is UTF-16 unit i of what
// ICU sees and positions carry over unchanged.

#include "turkish/turkish_text.h"

#include "foundation/code_page.h"
#include "turkish/abbreviations.h"
#include "turkish/letters.h"
#include "turkish/number_period.h"
#include "turkish/roman_numerals.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/utext.h>

#include <algorithm>
#include <memory>
#include <string>

namespace turkish {
namespace {

constexpr unsigned char kEllipsis = 0x85;      // …
constexpr unsigned char kLeftQuote1 = 0x91;    // ‘
constexpr unsigned char kRightQuote1 = 0x92;   // ’
constexpr unsigned char kLeftQuote2 = 0x93;    // “
constexpr unsigned char kRightQuote2 = 0x94;   // ”
constexpr unsigned char kLowQuote2 = 0x84;     // „
constexpr unsigned char kLeftAngle1 = 0x8B;    // ‹
constexpr unsigned char kRightAngle1 = 0x9B;   // ›
constexpr unsigned char kLeftAngle2 = 0xAB;    // «
constexpr unsigned char kRightAngle2 = 0xBB;   // »
constexpr unsigned char kBullet = 0x95;        // •
constexpr unsigned char kEnDash = 0x96;        // –
constexpr unsigned char kEmDash = 0x97;        // —

bool IsFinalMark(unsigned char c) { return c == '.' || c == '!' || c == '?' || c == kEllipsis; }

bool IsCloser(unsigned char c) {
    return c == '"' || c == '\'' || c == ')' || c == ']' || c == '}' || c == kRightQuote1 ||
           c == kRightQuote2 || c == kRightAngle1 || c == kRightAngle2;
}

bool IsOpener(unsigned char c) {
    return c == '"' || c == '\'' || c == '(' || c == '[' || c == '{' || c == kLeftQuote1 ||
           c == kLeftQuote2 || c == kLowQuote2 || c == kLeftAngle1 || c == kLeftAngle2;
}

bool IsLineBreak(unsigned char c) { return c == '\n' || c == '\r'; }

class TSplitter {
public:
    explicit TSplitter(std::string_view text) : Text(text), Size(int(text.size())) {}

    // Whether a sentence ends at `end` (just after its last character).
    bool EndsHere(int end) const {
        if (end <= 0 || IsSpace(At(end - 1))) return false;
        int lineBreaks = 0;
        bool blankLine = false;
        int next = end;
        while (next < Size && IsSpace(At(next))) {
            unsigned char c = At(next);
            if (c == '\n' || (c == '\r' && (next + 1 >= Size || At(next + 1) != '\n'))) {
                if (++lineBreaks >= 2) blankLine = true;
            }
            ++next;
        }
        if (next >= Size || blankLine) return true;
        if (lineBreaks > 0 && (StartsListItem(next) || IsHeadingLine(end))) return true;
        if (next == end) return false;

        // The closing run: final marks, closing quotes and parentheses, and marks after them.
        int run = end;
        while (run > 0 && (IsFinalMark(At(run - 1)) || IsCloser(At(run - 1)))) --run;
        int firstMark = run;
        while (firstMark < end && !IsFinalMark(At(firstMark))) ++firstMark;
        if (firstMark == end) return false;

        unsigned char first = At(next);
        if (!(IsUpper(first) || IsDigit(first) || IsOpener(first))) return false;

        // A period that stands alone in the run may belong to the word before it; one that
        // follows it after a closing bracket ("vb.).") ends the sentence.
        bool lonePeriod = At(firstMark) == '.' && firstMark == run;
        for (int k = firstMark + 1; k < end && lonePeriod; ++k) lonePeriod = !IsFinalMark(At(k));
        return !(lonePeriod && PeriodBelongsToWord(firstMark));
    }

private:
    // The byte at i; 0 outside the text, so a look one past a number at the text's end
    // ("... 34") reads nothing.
    unsigned char At(int i) const { return i >= 0 && i < Size ? (unsigned char)Text[i] : 0; }

    // Whether the line that `end` is on starts with a dotted section number ("3.2. Yöntem"):
    // such a heading ends at its line break.
    bool IsHeadingLine(int end) const {
        int i = end;
        while (i > 0 && !IsLineBreak(At(i - 1))) --i;
        while (i < end && (At(i) == ' ' || At(i) == '\t')) ++i;
        return SectionNumberEnd(i) > 0;
    }

    // The end of a dotted section number of two to four parts ("3.2.", "1.2.3") with a space
    // after it, starting at i; 0 when there is none.
    int SectionNumberEnd(int i) const {
        int j = i, parts = 0;
        for (;;) {
            int k = j;
            while (k < Size && k - j < 3 && IsDigit(At(k))) ++k;
            if (k == j || k - j > 2 || (k < Size && IsDigit(At(k)))) return 0;
            ++parts;
            j = k;
            if (At(j) == '.' && j + 1 < Size && IsDigit(At(j + 1)) && parts < 4) { ++j; continue; }
            break;
        }
        if (parts < 2) return 0;
        if (j < Size && At(j) == '.') ++j;
        return j < Size && IsSpace(At(j)) ? j : 0;
    }

    // A list item at the start of a line: "1)", "1.", "a)", or a bullet, then a space.
    // A line of dialogue: an em dash at the start of a line, with or without a space.
    bool StartsListItem(int i) const {
        int j = i;
        while (j < Size && j - i < 3 && IsDigit(At(j))) ++j;
        if (j > i) {
            if (SectionNumberEnd(i) > 0) return true;  // "3.2. Yöntem": a heading
            return j + 1 < Size && (At(j) == ')' || At(j) == '.') && IsSpace(At(j + 1));
        }
        if (IsLetter(At(i)) && i + 2 < Size && At(i + 1) == ')' && IsSpace(At(i + 2))) return true;
        unsigned char c = At(i);
        if (c == kEmDash) return true;
        return (c == kBullet || c == '-' || c == '*' || c == kEnDash) && i + 1 < Size &&
               IsSpace(At(i + 1));
    }

    // The period at `period` ends an abbreviation, an ordinal number, an initial or a Roman
    // numeral (so no sentence).
    bool PeriodBelongsToWord(int period) const {
        int start = period;
        while (start > 0 && (IsAlnum(At(start - 1)) || At(start - 1) == '.')) --start;
        while (start < period && At(start) == '.') ++start;
        if (start == period) return false;
        std::string_view word = Text.substr(start, period - start);

        bool lettersAndDots = true, singleLetters = true;
        for (std::size_t k = 0; k < word.size(); ++k) {
            unsigned char c = (unsigned char)word[k];
            if (!IsLetter(c) && c != '.') lettersAndDots = false;
            bool letterAlone = IsLetter(c) && (k == 0 || word[k - 1] == '.') &&
                               (k + 1 == word.size() || word[k + 1] == '.');
            if (c != '.' && !letterAlone) singleLetters = false;
        }
        // "5. sınıf", "3. Madde", "3.2. Yöntem": the context decides (number_period.h).
        if (IsDigit((unsigned char)word[0]) && word.find_first_not_of("0123456789.") == std::string_view::npos)
            return NumberPeriodAt(Text, start, period) != TNumberPeriod::SentenceEnd;
        if (!lettersAndDots) return false;
        if (word.size() == 1 && IsUpper((unsigned char)word[0])) return true;  // "A. Yılmaz"
        if (singleLetters && word.size() > 1) return true;                     // "M.K. Atatürk"
        if (word.size() > 1 && IsRomanNumeral(word)) return true;              // "II. Dünya"
        std::string written(Text.substr(start, period + 1 - start));
        const TAbbreviationContext context = ContextAround(Text, std::size_t(start), std::size_t(period + 1));
        if (IsAbbreviation(written, context)) return true;
        // "Md. Yrd.", "Day. Tük. Mal.": a form of several words (at most 48 bytes).
        const int from = std::max(0, period + 1 - 48);
        if (EndsWithAbbreviationOfWords(Text.substr(from, period + 1 - from), context)) return true;
        // "Ltd.Şti.": the last part decides.
        std::size_t dot = word.rfind('.');
        return dot != std::string_view::npos && IsAbbreviation(written.substr(dot + 1));
    }

    std::string_view Text;
    int Size;
};

const icu::BreakIterator *Prototype() {
    static const std::unique_ptr<icu::BreakIterator> prototype = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createSentenceInstance(icu::Locale("tr"), status));
        if (U_FAILURE(status)) it.reset();
        return it;
    }();
    return prototype.get();
}

// Marks the ends that ICU's sentence iterator proposes: each boundary, less the whitespace
// before it.
void ProposeIcuEnds(std::string_view text, std::vector<char> &proposed) {
    const icu::BreakIterator *prototype = Prototype();
    if (!prototype || text.empty()) return;
    std::u16string units(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) units[i] = cp1254::ToUnicode((unsigned char)text[i]);
    std::unique_ptr<icu::BreakIterator> it(prototype->clone());
    UErrorCode status = U_ZERO_ERROR;
    UText *ut = utext_openUChars(nullptr, units.data(), int64_t(units.size()), &status);
    if (U_FAILURE(status)) return;
    it->setText(ut, status);
    if (U_SUCCESS(status)) {
        // Boundaries come in increasing order; the last character before each that is no
        // space is tracked as the scan moves on, so long runs of line breaks stay linear.
        int scanned = 0, lastContent = 0;
        for (int32_t b = it->next(); b != icu::BreakIterator::DONE; b = it->next()) {
            for (; scanned < b && scanned < int(text.size()); ++scanned)
                if (!IsSpace((unsigned char)text[scanned])) lastContent = scanned + 1;
            proposed[lastContent] = 1;
        }
    }
    utext_close(ut);
}

}  // namespace
}  // namespace turkish

std::vector<TSentenceRange> SplitSentences(std::string_view text) {
    using namespace turkish;
    const int size = int(text.size());
    std::vector<char> proposed(text.size() + 1, 0);
    ProposeIcuEnds(text, proposed);
    for (int i = 0; i < size; ++i) {
        unsigned char c = (unsigned char)text[i];
        if (IsSpace(c)) {
            // A run of white space with a line break in it proposes the end before it.
            int j = i;
            bool lineBreak = false;
            while (j < size && IsSpace((unsigned char)text[j])) lineBreak |= IsLineBreak((unsigned char)text[j++]);
            if (lineBreak) proposed[i] = 1;
            i = j - 1;
        } else if (IsFinalMark(c)) {
            int end = i + 1;
            while (end < size && (IsFinalMark((unsigned char)text[end]) || IsCloser((unsigned char)text[end]))) ++end;
            if (end == size || IsSpace((unsigned char)text[end])) proposed[end] = 1;
            i = end - 1;
        }
    }

    TSplitter splitter(text);
    std::vector<TSentenceRange> sentences;
    int start = 0;
    auto skipSpace = [&](int i) {
        while (i < size && IsSpace((unsigned char)text[i])) ++i;
        return i;
    };
    start = skipSpace(0);
    for (int end = start + 1; end <= size; ++end) {
        if (!proposed[end] || !splitter.EndsHere(end)) continue;
        sentences.push_back({start, end - start});
        start = skipSpace(end);
        end = start;
    }
    if (start < size) {
        int end = size;
        while (end > start && IsSpace((unsigned char)text[end - 1])) --end;
        if (end > start) sentences.push_back({start, end - start});
    }
    return sentences;
}
