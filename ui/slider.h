// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSlider: a trackbar (vertical with ticks on both sides in this program's forms). Its
// movements reach the form as OnVScroll / OnHScroll notifications (ui/form.h). Mouse-wheel
// turns go to the designer's listeners first, then are consumed when SwallowMouseWheel is
// set, else move the slider.

#include <cstdint>

#include "ui/control.h"

class wxSlider;

class TSlider : public TControl {
public:
    bool Accepts(TControlKind kind) const override { return kind == TControlKind::Slider; }
    void Attach(wxWindow *widget) override;
    wxSlider *Ctrl() const;
    void SetRange(int32_t low, int32_t high, bool redraw = false);
    void SetPos(int32_t position);
    int32_t GetPos() const;
    void SetTickFreq(int32_t frequency);

    bool SwallowMouseWheel = false;
};
