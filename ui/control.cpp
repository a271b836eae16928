// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/control.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/gauge.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "ui/painted_text.h"
#include "ui/wx_text.h"

int32_t TControl::Id() const { return Checked()->GetId(); }

namespace {

// Widens a radio or check box to its indicator plus its text; keeps its position.
wxRect RoomForIndicator(wxWindow *parent, const wxString &text, wxRect rect) {
    wxClientDC dc(parent);
    dc.SetFont(parent->GetFont());
    int need = CheckIndicatorWidth + dc.GetTextExtent(text).x;
    rect.width = std::max(rect.width, need);
    rect.height = std::max(rect.height, CheckMinimumHeight);
    return rect;
}

}  // namespace

void MakeRoomForIndicator(wxWindow *w) {
    if (!dynamic_cast<wxCheckBox *>(w) && !dynamic_cast<wxRadioButton *>(w)) return;
    wxRect rect = RoomForIndicator(w, ShownLabel(w), w->GetRect());
    if (rect != w->GetRect()) w->SetSize(rect);
}

wxWindow *CreateWidget(wxWindow *parent, const TControlSpec &row, wxRect rect,
                       const wxString &text, bool firstRadio) {
    const uint32_t s = row.Style;
    const wxWindowID id = row.Id == IDC_STATIC ? wxID_ANY : row.Id;
    const wxPoint pos = rect.GetPosition();
    const wxSize size = rect.GetSize();
    wxWindow *w = nullptr;
    switch (row.Kind) {
    case TControlKind::PushButton:
    case TControlKind::DefPushButton: {
        auto *button = new wxButton(parent, id, text, pos, size);
        if (row.Kind == TControlKind::DefPushButton) button->SetDefault();
        w = button;
        break;
    }
    case TControlKind::CheckBox: {
        rect = RoomForIndicator(parent, text, rect);
        auto *box = new wxCheckBox(parent, id, text, rect.GetPosition(), rect.GetSize());
        box->SetValue((s & csChecked) != 0);
        w = box;
        break;
    }
    case TControlKind::RadioButton: {
        rect = RoomForIndicator(parent, text, rect);
        long style = (firstRadio || (s & csGroup)) ? wxRB_GROUP : 0;
        auto *radio = new wxRadioButton(parent, id, text, rect.GetPosition(), rect.GetSize(), style);
        if (s & csChecked) radio->SetValue(true);
        w = radio;
        break;
    }
    case TControlKind::GroupBox:
        w = new wxStaticBox(parent, id, text, pos, size);
        break;
    case TControlKind::Text:
        w = new TTextWindow(parent, id, text, pos, size, (s & csCentred) != 0, (s & csNotify) != 0);
        break;
    case TControlKind::Picture:
        w = new wxStaticBitmap(parent, id, wxNullBitmap, pos, size);
        break;
    case TControlKind::Edit: {
        long style = 0;
        if (s & csMultiLine) style |= wxTE_MULTILINE;
        if (s & csHScroll) style |= wxHSCROLL | wxTE_DONTWRAP;
        if (s & csNoHideSel) style |= wxTE_NOHIDESEL;
        if (s & csPassword) style |= wxTE_PASSWORD;
        if (s & csReadOnly) style |= wxTE_READONLY;
        if (!(s & csBorder) && !(s & csMultiLine)) style |= wxBORDER_NONE;
        w = new wxTextCtrl(parent, id, text, pos, size, style);
        break;
    }
    case TControlKind::Link:
        w = new TLinkWindow(parent, id, text, pos, size, (s & csTabStop) != 0);
        break;
    case TControlKind::ProgressBar:
        w = new wxGauge(parent, id, 100, pos, size, wxGA_HORIZONTAL | wxGA_SMOOTH);
        break;
    case TControlKind::Slider: {
        long style = (s & csVertical) ? wxSL_VERTICAL : wxSL_HORIZONTAL;
        if (s & csTicksBoth) style |= wxSL_AUTOTICKS | wxSL_BOTH;
        w = new wxSlider(parent, id, 0, 0, 100, pos, size, style);
        break;
    }
    case TControlKind::ComboBox:
        w = new wxComboBox(parent, id, text, pos, size, 0, nullptr, wxCB_DROPDOWN);
        break;
    }
    if (!w) return nullptr;
    if (s & csDisabled) w->Enable(false);
    if (s & csHidden) w->Show(false);
    return w;
}
