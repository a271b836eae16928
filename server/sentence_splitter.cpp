#include "server/sentence_splitter.h"

#include <memory>
#include <stdexcept>

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "foundation/code_page.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::vector<TTextRange> SplitIntoSentences(std::string_view text) {
    std::vector<TTextRange> sentences;
    if (text.empty()) return sentences;
    const std::u16string wide = cp1254::ToUtf16(text);
    if (wide.size() != text.size()) throw std::logic_error("one UTF-16 unit per byte expected");

    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> breaks(
        icu::BreakIterator::createSentenceInstance(icu::Locale("tr"), status));
    if (U_FAILURE(status) || !breaks) throw std::runtime_error("ICU sentence break iterator");
    const icu::UnicodeString unicode(false, wide.data(), int32_t(wide.size()));  // read-only alias
    breaks->setText(unicode);

    int32_t start = breaks->first();
    for (int32_t end = breaks->next(); end != icu::BreakIterator::DONE;
         start = end, end = breaks->next()) {
        int32_t from = start, to = end;
        while (from < to && IsBlank(text[size_t(from)])) ++from;
        while (to > from && IsBlank(text[size_t(to - 1)])) --to;
        if (to > from) sentences.push_back({from, to - from});
    }
    return sentences;
}
