// SPDX-License-Identifier: GPL-3.0-or-later
// The text a reading takes from the text box, and where it begins there.

#include "app/reading_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadingTextTest, SelectionOrWholeTextTrimmedWithItsStartInTheTextBox) {
    struct Case {
        const char *label;
        const char *whole;
        int32_t selFrom, selTo;
        const char *text;
        int32_t offset;
    } cases[] = {
        {"no selection", "Bir. Iki.", 0, 0, "Bir. Iki.", 0},
        {"caret only", "Bir. Iki.", 4, 4, "Bir. Iki.", 0},
        {"whole text trimmed", "\r\n  Bir. Iki. \r\n", 0, 0, "Bir. Iki.", 4},
        {"selection", "Bir. Iki. Uc.", 5, 9, "Iki.", 5},
        {"selection with blanks in front", "Bir. Iki. Uc.", 4, 13, "Iki. Uc.", 5},
        {"selection of line breaks", "Bir.\n\nIki.", 4, 6, "", 6},
        {"tabs are kept", "\tBir.\t", 0, 0, "\tBir.\t", 0},
        {"selection past the end", "Bir. Iki.", 5, 40, "Iki.", 5},
        {"empty", "", 0, 0, "", 0},
        {"blanks only", " \r\n ", 0, 0, "", 4},
    };
    for (const Case &c : cases) {
        const TReadingText taken = TakeReadingText(c.whole, c.selFrom, c.selTo);
        EXPECT_EQ(taken.Text, c.text) << c.label;
        if (!taken.Text.empty()) {
            EXPECT_EQ(taken.Offset, c.offset) << c.label;
        }
    }
}

}  // namespace
