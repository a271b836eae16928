// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/button.h"

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/window.h>

#include "ui/wx_text.h"

bool TButton::Accepts(TControlKind kind) const {
    return kind == TControlKind::PushButton || kind == TControlKind::DefPushButton ||
           kind == TControlKind::CheckBox || kind == TControlKind::RadioButton;
}

bool TButton::CreateAt(const char *text, int32_t x, int32_t y, int32_t width, int32_t height,
                       wxWindow *parent, int32_t id, uint32_t style, TControlKind kind) {
    if (!parent) return false;
    TControlSpec row;
    row.Id = id;
    row.Kind = kind;
    row.Style = style;
    wxWindow *widget = CreateWidget(parent, row, wxRect(x, y, width, height), ToWx(text), true);
    if (!widget) return false;
    widget->SetFont(parent->GetFont());
    widget->Refresh();
    Attach(widget);
    return true;
}

bool TButton::CreateAt(const char *text, int32_t x, int32_t y, wxWindow *parent, int32_t id) {
    return CreateAt(text, x, y, 80, 24, parent, id, csTabStop);
}

bool TButton::IsChecked() const {
    wxWindow *w = Checked();
    if (auto *box = dynamic_cast<wxCheckBox *>(w)) return box->GetValue();
    if (auto *radio = dynamic_cast<wxRadioButton *>(w)) return radio->GetValue();
    return false;
}

void TButton::SetChecked(bool checked) {
    wxWindow *w = Checked();
    if (auto *box = dynamic_cast<wxCheckBox *>(w)) box->SetValue(checked);
    if (auto *radio = dynamic_cast<wxRadioButton *>(w)) radio->SetValue(checked);
}

bool TRadioButton::CreateAt(const char *text, int32_t x, int32_t y, wxWindow *parent, int32_t id) {
    return TButton::CreateAt(text, x, y, 50, 24, parent, id, csTabStop, TControlKind::RadioButton);
}
