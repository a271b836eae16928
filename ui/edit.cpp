// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/edit.h"

#include <algorithm>

#include <wx/settings.h>
#include <wx/textctrl.h>

#include "foundation/exceptions.h"
#include "ui/mouse_wheel.h"
#include "ui/wx_text.h"

TEdit::TEdit() : cache_(WideBufferGranularity) { ClearWide(cache_); }

void TEdit::Attach(wxWindow *widget) {
    TControl::Attach(widget);
    BindMouseWheel(*this, widget, AliveToken(), [this] { return SwallowMouseWheel; });
}

wxTextCtrl *TEdit::Ctrl() const { return static_cast<wxTextCtrl *>(Checked()); }

std::u16string_view TEdit::GetWholeText() {
    std::u16string text = WxToWide(Ctrl()->GetValue());
    SetWide(cache_, text.c_str(), int32_t(text.size()));
    return {WideText(cache_), size_t(WideLength(cache_))};
}

std::u16string_view TEdit::GetText() {
    wxTextCtrl *ctrl = Ctrl();
    long start = 0, end = 0;
    ctrl->GetSelection(&start, &end);
    wxString whole = ctrl->GetValue();
    wxString text = whole;
    if (end - start > 0) {
        if (start > long(whole.length())) RaiseError("invalid request to string");
        text = whole.Mid(size_t(start), size_t(end - start));
    }
    std::u16string wide = WxToWide(text);
    SetWide(cache_, wide.c_str(), int32_t(wide.size()));
    return {WideText(cache_), size_t(WideLength(cache_))};
}

MyString TEdit::GetWholeTextAnsi() {
    std::u16string_view text = GetWholeText();
    MyString out;
    out.AssignWide(text.data(), int32_t(text.size()));
    return out;
}

MyString TEdit::GetTextAnsi() {
    std::u16string_view text = GetText();
    MyString out;
    out.AssignWide(text.data(), int32_t(text.size()));
    return out;
}

void TEdit::GetSelection(int32_t &start, int32_t &end) const {
    long from = 0, to = 0;
    Ctrl()->GetSelection(&from, &to);
    start = int32_t(from);
    end = int32_t(to);
}

void TEdit::Select(int32_t start, int32_t end) {
    wxTextCtrl *ctrl = Ctrl();
    ctrl->SetSelection(start, end);
    ctrl->ShowPosition(start);
}

void TEdit::Mark(int32_t start, int32_t end) {
    ClearMark();
    wxTextCtrl *ctrl = Ctrl();
    const long last = ctrl->GetLastPosition();
    start = std::clamp<int32_t>(start, 0, int32_t(last));
    end = std::clamp<int32_t>(end, start, int32_t(last));
    ctrl->SetStyle(start, end, wxTextAttr(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT),
                                          wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
    markStart_ = start;
    markEnd_ = end;
    ctrl->ShowPosition(start);
}

void TEdit::ClearMark() {
    if (markStart_ < 0) return;
    wxTextCtrl *ctrl = Ctrl();
    const long last = ctrl->GetLastPosition();
    const long start = std::min<long>(markStart_, last), end = std::min<long>(markEnd_, last);
    if (end > start)
        ctrl->SetStyle(start, end, wxTextAttr(ctrl->GetForegroundColour(), ctrl->GetBackgroundColour()));
    markStart_ = markEnd_ = -1;
}

bool TEdit::GetMark(int32_t &start, int32_t &end) const {
    start = markStart_;
    end = markEnd_;
    return markStart_ >= 0;
}

void TEdit::SetLimitText(int32_t characters) { Ctrl()->SetMaxLength(characters < 0 ? 0 : characters); }
