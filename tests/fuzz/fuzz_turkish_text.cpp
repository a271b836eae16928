// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes, as a client's Windows-1254 text arrives, to the Turkish reading of
// one text kind (NARRELO_FUZZ_KIND, built once per kind) or, with NARRELO_FUZZ_SPLIT, to the
// sentence splitter. Besides memory errors it checks the contracts:
// - reading: the same text reads the same twice; no ASCII digit survives and no ASCII
//   capital; the reading is at most a bounded multiple of the text (every byte costs a few
//   words at most, so a slow input shows as a time-out, never as an endless output);
// - splitting: sentences come in order, inside the text, never overlapping and never empty,
//   start and end on a byte that is no whitespace, and whatever lies between them is
//   whitespace.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "turkish/turkish_text.h"

namespace {

#if defined(NARRELO_FUZZ_SPLIT)
bool IsWhite(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0xA0;
}

void Check(std::string_view text) {
    int covered = 0;
    for (const TSentenceRange &r : SplitSentences(text)) {
        if (r.Start < covered || r.Length <= 0 || std::size_t(r.Start) + std::size_t(r.Length) > text.size())
            __builtin_trap();
        for (int k = covered; k < r.Start; ++k)
            if (!IsWhite((unsigned char)text[k])) __builtin_trap();
        if (IsWhite((unsigned char)text[r.Start]) || IsWhite((unsigned char)text[r.Start + r.Length - 1]))
            __builtin_trap();
        covered = r.Start + r.Length;
    }
    for (std::size_t k = std::size_t(covered); k < text.size(); ++k)
        if (!IsWhite((unsigned char)text[k])) __builtin_trap();
}
#else
void Check(std::string_view text) {
    const std::string reading = NormaliseForSpeech(text, NARRELO_FUZZ_KIND);
    if (reading != NormaliseForSpeech(text, NARRELO_FUZZ_KIND)) __builtin_trap();
    for (unsigned char c : reading)
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) __builtin_trap();
    if (reading.size() > 64 * text.size() + 64) __builtin_trap();
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > (64u << 10)) return 0;
    Check(std::string_view(reinterpret_cast<const char *>(data), size));
    return 0;
}
