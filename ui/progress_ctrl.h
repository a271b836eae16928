// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TProgressCtrl: a progress bar with a range (0..100 at creation) and a position.

#include <cstdint>

#include "ui/control.h"

class wxGauge;

class TProgressCtrl : public TControl {
public:
    bool Accepts(TControlKind kind) const override { return kind == TControlKind::ProgressBar; }
    wxGauge *Ctrl() const;
    // The range is low..high; positions are kept inside it.
    void SetRange(int32_t low, int32_t high);
    void SetPos(int32_t position);
    int32_t GetPos() const;

private:
    int32_t low_ = 0;
};
