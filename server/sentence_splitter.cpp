// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/sentence_splitter.h"

#include "turkish/turkish_text.h"

std::vector<TTextRange> SplitIntoSentences(std::string_view text) {
    std::vector<TTextRange> sentences;
    for (const TSentenceRange &r : SplitSentences(text)) sentences.push_back({r.Start, r.Length});
    return sentences;
}
