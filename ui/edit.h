// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TEdit: a text box (one line or several). Every read of its text lands in a wide-text
// cache (UTF-16, growth step 48 bytes) and the read returns a view of it, valid until the
// next read. Mouse-wheel turns go to the designer's listeners first, then are consumed when
// SwallowMouseWheel is set, else scroll the text.

#include <cstdint>
#include <string_view>

#include "foundation/my_string.h"
#include "ui/control.h"

class wxTextCtrl;

class TEdit : public TControl {
public:
    TEdit();
    bool Accepts(TControlKind kind) const override { return kind == TControlKind::Edit; }
    void Attach(wxWindow *widget) override;
    wxTextCtrl *Ctrl() const;

    // The whole text.
    std::u16string_view GetWholeText();
    // The selected text when something is selected, else the whole text. Raises "invalid
    // request to string" when the selection starts beyond the text.
    std::u16string_view GetText();
    // The same, converted to Windows-1254.
    MyString GetWholeTextAnsi();
    MyString GetTextAnsi();

    // Selection in characters, end exclusive; Select keeps it visible.
    void GetSelection(int32_t &start, int32_t &end) const;
    void Select(int32_t start, int32_t end);
    // Most characters the user may type (0: no limit).
    void SetLimitText(int32_t characters);

    // A mark on [start, end) in the selection's colours, drawn as the text's background: it
    // shows a place (the sentence being heard) without taking the user's selection, so
    // typing never replaces the marked text. The box scrolls to show the mark's start.
    // One mark at a time; Mark replaces the previous one, ClearMark takes it away.
    void Mark(int32_t start, int32_t end);
    void ClearMark();
    // The marked range; false when there is none.
    bool GetMark(int32_t &start, int32_t &end) const;

    bool SwallowMouseWheel = false;

private:
    TWideBuffer cache_;
    int32_t markStart_ = -1, markEnd_ = -1;  // the mark; -1: none
};
