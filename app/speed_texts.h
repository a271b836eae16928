// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The speed setting as the user sees it. The speed is the pop-up slider's position, 0..20,
// 10 being normal speed; it is shown as 10 - position (top 0 shows 10, the middle 0, the
// bottom 20 shows -10), the value the speed change is given.

#include "foundation/my_string.h"

inline constexpr int SpeedMinimum = 0;
inline constexpr int SpeedNormal = 10;
inline constexpr int SpeedMaximum = 20;

// The decimal text of 10 - position.
MyString SpeedLabel(int position);

// The speed button's text: "Speed" / "Hız", followed by a space and SpeedLabel when the
// speed is not normal.
MyString SpeedButtonText(int speed, bool english);
