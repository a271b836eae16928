// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/progress_ctrl.h"

#include <algorithm>

#include <wx/gauge.h>

wxGauge *TProgressCtrl::Ctrl() const { return static_cast<wxGauge *>(Checked()); }

void TProgressCtrl::SetRange(int32_t low, int32_t high) {
    wxGauge *gauge = Ctrl();
    low_ = low;
    gauge->SetRange(std::max(1, high - low));
}

void TProgressCtrl::SetPos(int32_t position) {
    wxGauge *gauge = Ctrl();
    gauge->SetValue(std::clamp(position - low_, 0, gauge->GetRange()));
}

int32_t TProgressCtrl::GetPos() const { return Ctrl()->GetValue() + low_; }
