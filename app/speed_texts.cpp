// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/speed_texts.h"

MyString SpeedLabel(int position) { return MyString::MakeStr("%d", SpeedNormal - position); }

MyString SpeedButtonText(int speed, bool english) {
    MyString text(english ? "Speed" : "Hız"_cp);
    if (speed != SpeedNormal) {
        text.Append(" ");
        text.Append(SpeedLabel(speed).Text());
    }
    return text;
}
