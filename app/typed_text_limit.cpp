// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/typed_text_limit.h"

#include <algorithm>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/textctrl.h>
#include <wx/string.h>

int32_t CharactersThatFit(int32_t limit, int32_t length, int32_t selected, int32_t inserted) {
    const int32_t room = limit - (length - selected);
    return std::clamp(room, 0, inserted);
}

namespace {

// Combining marks that belong to the character before them (the common blocks).
bool IsCombining(wxUniChar c) {
    const uint32_t v = c.GetValue();
    return (v >= 0x0300 && v <= 0x036F) || (v >= 0x1AB0 && v <= 0x1AFF) || (v >= 0x1DC0 && v <= 0x1DFF) ||
           (v >= 0x20D0 && v <= 0x20FF) || (v >= 0xFE20 && v <= 0xFE2F) || v == 0x200D ||
           (v >= 0xFE00 && v <= 0xFE0F);
}

bool IsBlank(wxUniChar c) {
    const uint32_t v = c.GetValue();
    return v == ' ' || v == '\t' || v == '\n' || v == '\r' || v == 0xA0;
}

int32_t Selected(wxTextCtrl *ctrl) {
    long from = 0, to = 0;
    ctrl->GetSelection(&from, &to);
    return int32_t(to - from);
}

}  // namespace

int32_t PasteCutPoint(const wxString &text, int32_t fit) {
    const int32_t length = int32_t(text.length());
    if (fit >= length) return length;
    if (fit <= 0) return 0;
    for (int32_t at = fit; at > fit / 2; --at)
        if (IsBlank(text[size_t(at - 1)])) return at;
    int32_t at = fit;
    while (at > 0 && IsCombining(text[size_t(at)])) --at;
    return at;
}

void LimitTypedText(wxTextCtrl *ctrl, int32_t characters, TPasteCutHandler onCut) {
    if (!ctrl) return;
    ctrl->Bind(wxEVT_CHAR, [ctrl, characters](wxKeyEvent &event) {
        const int key = event.GetKeyCode();
        const bool inserts = !event.ControlDown() && !event.AltDown() &&
                             (key == WXK_RETURN || key == WXK_TAB || (key >= 32 && key != WXK_DELETE && key < WXK_START) ||
                              event.GetUnicodeKey() >= 32);
        if (inserts && CharactersThatFit(characters, int32_t(ctrl->GetLastPosition()), Selected(ctrl), 1) == 0)
            return;  // refused, as the platform refuses it: no character, no event
        event.Skip();
    });
    ctrl->Bind(wxEVT_TEXT_PASTE, [ctrl, characters, onCut](wxClipboardTextEvent &event) {
        wxString text;
        if (wxTheClipboard->Open()) {
            wxTextDataObject data;
            if (wxTheClipboard->GetData(data)) text = data.GetText();
            wxTheClipboard->Close();
        }
        const int32_t fit = CharactersThatFit(characters, int32_t(ctrl->GetLastPosition()), Selected(ctrl),
                                              int32_t(text.length()));
        if (fit == int32_t(text.length())) return event.Skip();
        const int32_t kept = PasteCutPoint(text, fit);
        ctrl->WriteText(text.Left(std::size_t(kept)));
        if (onCut) onCut(int32_t(text.length()), int32_t(text.length()) - kept);
    });
}
