// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/text_fit.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>

#include "ui/control.h"
#include "ui/form.h"
#include "ui/painted_text.h"
#include "ui/wx_text.h"

namespace {

wxSize WrappedNeed(wxDC &dc, const wxString &text, int width) {
    wxSize need(0, 0);
    for (const wxString &line : WrapText(text, width, [&](const wxString &s) { return dc.GetTextExtent(s).x; })) {
        need.x = std::max(need.x, dc.GetTextExtent(line).x);
        need.y += dc.GetCharHeight();
    }
    return need;
}

}  // namespace

std::vector<TTextMisfit> TextsThatDoNotFit(const TForm &form) {
    std::vector<TTextMisfit> misfits;
    wxDialog *dialog = form.Dialog();
    if (!dialog) return misfits;
    for (wxWindow *w : dialog->GetChildren()) {
        if (!w->IsShown()) continue;
        wxClientDC dc(w);
        dc.SetFont(w->GetFont());
        // A group box's client area lies inside its frame; its caption is on the frame.
        const wxSize have = dynamic_cast<wxStaticBox *>(w) ? w->GetSize() : w->GetClientSize();
        wxString text;
        wxSize need;
        if (auto *link = dynamic_cast<TLinkWindow *>(w)) {
            text = LinkPlainText(link->GetLabel());
            for (const TLinkWindow::TPlaced &word : link->Layout(dc)) {
                need.x = std::max(need.x, word.Rect.GetRight() + 1);
                need.y = std::max(need.y, word.Rect.GetBottom() + 1);
            }
        } else if (dynamic_cast<TTextWindow *>(w)) {
            text = w->GetLabel();
            need = WrappedNeed(dc, text, have.x);
        } else if (dynamic_cast<wxCheckBox *>(w) || dynamic_cast<wxRadioButton *>(w)) {
            text = ShownLabel(w);
            need = dc.GetTextExtent(text);
            need.x += CheckIndicatorWidth;
        } else if (dynamic_cast<wxButton *>(w)) {
            text = ShownLabel(w);
            need = dc.GetTextExtent(text);
            need.x += ButtonFrameWidth;
            need.y += ButtonFrameHeight;
        } else if (dynamic_cast<wxStaticBox *>(w)) {
            text = ShownLabel(w);
            if (text.empty()) continue;
            need = dc.GetTextExtent(text);
            need.x += 2 * ButtonFrameWidth;
        } else {
            continue;
        }
        if (text.empty()) continue;
        if (need.x > have.x || need.y > have.y)
            misfits.push_back(TTextMisfit{w->GetId() < 0 ? -1 : int32_t(w->GetId()),
                                          std::string(text.utf8_str()), need, have});
    }
    return misfits;
}
