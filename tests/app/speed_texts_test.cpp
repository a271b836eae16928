// SPDX-License-Identifier: GPL-3.0-or-later
// The speed value as the pop-up's label and the speed button show it.

#include <gtest/gtest.h>

#include <string>

#include "app/speed_texts.h"
#include "foundation/code_page.h"

namespace {

TEST(SpeedTextsTest, LabelIsTenMinusThePosition) {
    const struct {
        int position;
        const char *label;
    } cases[] = {{0, "10"}, {7, "3"}, {10, "0"}, {14, "-4"}, {20, "-10"}};
    for (const auto &c : cases) EXPECT_EQ(SpeedLabel(c.position).View(), c.label) << c.position;
}

TEST(SpeedTextsTest, ButtonShowsTheValueOnlyWhenNotNormal) {
    const struct {
        const char *label;
        int speed;
        bool english;
        const char *text;
    } cases[] = {
        {"normal, English", 10, true, "Speed"},
        {"normal, Turkish", 10, false, "Hız"},
        {"position 7, Turkish", 7, false, "Hız 3"},
        {"position 14, English", 14, true, "Speed -4"},
        {"top", 0, true, "Speed 10"},
        {"bottom", 20, false, "Hız -10"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(SpeedButtonText(c.speed, c.english).View(), cp1254::FromUtf8(c.text));
    }
}

}  // namespace
