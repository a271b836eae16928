// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the reading tests share: a table row (a label, a UTF-8 text and the UTF-8 reading
// expected of it) and the check of a table against NormaliseForSpeech for one text kind.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/code_page.h"
#include "turkish/turkish_text.h"

namespace reading_cases {

struct Case {
    const char *label;
    const char *text;
    const char *reading;
};

// The reading of UTF-8 `utf8` as text kind `kind`, in UTF-8.
inline std::string Read(const std::string &utf8, int kind = 0) {
    return cp1254::ToUtf8(NormaliseForSpeech(cp1254::FromUtf8(utf8), kind));
}

inline void Check(const std::vector<Case> &cases, int kind = 0) {
    for (const Case &c : cases)
        EXPECT_EQ(Read(c.text, kind), c.reading) << "kind " << kind << ", " << c.label << ": " << c.text;
}

}  // namespace reading_cases
