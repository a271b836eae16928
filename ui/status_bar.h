// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TStatusBar: a status bar with parts inside a dialog. Created by code along the bottom edge
// of its parent's client area, as wide as it; anchor it (left, right, bottom) to keep it
// there when the form changes size.

#include <cstdint>
#include <vector>

#include "foundation/my_string.h"
#include "ui/control.h"

class wxStatusBar;

class TStatusBar : public TControl {
public:
    bool Accepts(TControlKind) const override { return false; }
    // Creates the bar (no id) in `parent`; returns whether it was created.
    bool Create(wxWindow *parent);
    wxStatusBar *Ctrl() const;
    // Right edges of the parts in pixels; -1 for a last part that reaches the right end.
    void SetParts(const std::vector<int32_t> &rightEdges);
    void SetText(int32_t part, const char *text);
    MyString GetText(int32_t part) const;
};
