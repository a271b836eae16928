// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/status_bar.h"

#include <wx/statusbr.h>

#include "ui/wx_text.h"

bool TStatusBar::Create(wxWindow *parent) {
    if (!parent) return false;
    auto *bar = new wxStatusBar(parent, wxID_ANY, wxSTB_SHOW_TIPS | wxSTB_ELLIPSIZE_END | wxFULL_REPAINT_ON_RESIZE);
    bar->SetFont(parent->GetFont());
    int height = bar->GetBestSize().y;
    wxSize client = parent->GetClientSize();
    bar->SetSize(0, client.y - height, client.x, height);
    Attach(bar);
    return true;
}

wxStatusBar *TStatusBar::Ctrl() const { return static_cast<wxStatusBar *>(Checked()); }

void TStatusBar::SetParts(const std::vector<int32_t> &rightEdges) {
    wxStatusBar *bar = Ctrl();
    std::vector<int> widths;
    int32_t left = 0;
    for (int32_t right : rightEdges) {
        if (right < 0) {
            widths.push_back(-1);
        } else {
            widths.push_back(std::max(0, right - left));
            left = right;
        }
    }
    bar->SetFieldsCount(int(widths.size()), widths.data());
}

void TStatusBar::SetText(int32_t part, const char *text) { Ctrl()->SetStatusText(ToWx(text), part); }

MyString TStatusBar::GetText(int32_t part) const { return FromWxToMyString(Ctrl()->GetStatusText(part)); }
