// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/slider.h"

#include <wx/slider.h>

#include "ui/mouse_wheel.h"

void TSlider::Attach(wxWindow *widget) {
    TControl::Attach(widget);
    BindMouseWheel(*this, widget, AliveToken(), [this] { return SwallowMouseWheel; });
}

wxSlider *TSlider::Ctrl() const { return static_cast<wxSlider *>(Checked()); }

void TSlider::SetRange(int32_t low, int32_t high, bool redraw) {
    wxSlider *slider = Ctrl();
    slider->SetRange(low, high);
    if (redraw) slider->Refresh();
}

void TSlider::SetPos(int32_t position) { Ctrl()->SetValue(position); }
int32_t TSlider::GetPos() const { return Ctrl()->GetValue(); }
void TSlider::SetTickFreq(int32_t frequency) { Ctrl()->SetTickFreq(frequency); }
