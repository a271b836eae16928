// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/reading_text.h"

namespace {

bool Trimmed(char c) { return c == '\r' || c == '\n' || c == ' '; }

}  // namespace

TReadingText TakeReadingText(std::string_view whole, int32_t selFrom, int32_t selTo) {
    const int32_t size = int32_t(whole.size());
    int32_t from = 0, to = size;
    if (selTo - selFrom > 0 && selFrom >= 0 && selFrom < size) {
        from = selFrom;
        to = selTo < size ? selTo : size;
    }
    while (from < to && Trimmed(whole[std::size_t(from)])) ++from;
    while (to > from && Trimmed(whole[std::size_t(to - 1)])) --to;
    return {std::string(whole.substr(std::size_t(from), std::size_t(to - from))), from};
}
