// SPDX-License-Identifier: GPL-3.0-or-later
// How much of a typed or pasted insertion fits under the text box's character limit.

#include "app/typed_text_limit.h"

#include <gtest/gtest.h>
#include <wx/string.h>

namespace {

TEST(TypedTextLimitTest, AnInsertionIsCutToWhatStillFits) {
    struct Case {
        const char *label;
        int32_t length, selected, inserted, fits;
    } cases[] = {
        {"room for all", 100, 0, 10, 10},
        {"one character short", 4095, 0, 1, 1},
        {"full", 4096, 0, 1, 0},
        {"full, a selection is replaced", 4096, 3, 5, 3},
        {"paste cut at the limit", 4000, 0, 200, 96},
        {"over the limit already (set by the program)", 5000, 0, 4, 0},
        {"whole text selected", 4096, 4096, 5000, 4096},
        {"nothing inserted", 10, 0, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CharactersThatFit(4096, c.length, c.selected, c.inserted), c.fits) << c.label;
}

TEST(TypedTextLimitTest, APasteIsCutAfterItsLastWholeWordAndNeverInsideACharacter) {
    struct Case {
        const char *label;
        const char *text;  // UTF-8
        int32_t fit, kept;
    } cases[] = {
        {"all fits", "bir iki", 10, 7},
        {"after the last blank that fits", "bir iki üç", 9, 8},
        {"the blank itself is the last that fits", "bir iki üç", 8, 8},
        {"a line break is a blank too", "bir\niki", 6, 4},
        {"one long word: cut where it fits", "kelimelerimizdekiler", 10, 10},
        {"a blank in the first half only: cut where it fits", "a kelimelerimizdeki", 10, 10},
        {"not between a letter and its combining mark", "aaaai\xCC\x87", 5, 4},
        {"nothing fits", "bir", 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PasteCutPoint(wxString::FromUTF8(c.text), c.fit), c.kept) << c.label;
}

}  // namespace
