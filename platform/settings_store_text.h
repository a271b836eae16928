// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text rules of the settings store: how key paths and value names are spelled, compared and
// converted between the UTF-16 the program hands over and the UTF-8 the database holds.
//
// Key paths and value names compare without regard to case, as the Windows registry does.
// The folding is an equivalence (so it can back a UNIQUE index): ASCII letters and the
// Turkish letters fold to their capitals, and all four Turkish i's (i, I, ı, İ) fold to 'I'.
// The spelling first given is kept for display.

#include <string>
#include <string_view>

namespace settings_text {

// Separators are '\' and '/'; the result uses '\' only, with no empty component (runs of
// separators collapse, leading and trailing ones go). "" is the root of the store.
std::u16string NormaliseKeyPath(std::u16string_view path);

// The case-folded form used for comparison (of a normalised path or of a value name).
std::u16string Fold(std::u16string_view text);

// Conversions; an unpaired surrogate becomes U+FFFD, and so does each fault of the UTF-8
// (as platform/utf8.h counts them: a cut-off sequence is one).
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace settings_text
