// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TButton: a push button, check box or radio button of a form. TRadioButton: a radio button
// whose short CreateAt makes a radio button.

#include <cstdint>

#include "ui/control.h"

class TButton : public TControl {
public:
    bool Accepts(TControlKind kind) const override;

    // Creates the widget with `text` (Windows-1254) and `id` as a child of `parent`, covering
    // x..x+width, y..y+height in the parent's client coordinates, of the given kind and row
    // styles (csHidden, csDisabled, csChecked, csGroup). When a parent is given, the button
    // takes the parent's font. Returns whether the widget was created.
    virtual bool CreateAt(const char *text, int32_t x, int32_t y, int32_t width, int32_t height,
                          wxWindow *parent, int32_t id, uint32_t style,
                          TControlKind kind = TControlKind::PushButton);
    // An 80 x 24 push button, visible, tab stop.
    virtual bool CreateAt(const char *text, int32_t x, int32_t y, wxWindow *parent, int32_t id);

    // Check boxes and radio buttons: whether it is checked / selected.
    bool IsChecked() const;
    void SetChecked(bool checked);
};

class TRadioButton : public TButton {
public:
    using TButton::CreateAt;
    // A 50 x 24 radio button, visible, tab stop; takes the parent's font.
    bool CreateAt(const char *text, int32_t x, int32_t y, wxWindow *parent, int32_t id) override;
};
