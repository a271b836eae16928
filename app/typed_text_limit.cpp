#include "app/typed_text_limit.h"

#include <algorithm>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/textctrl.h>

int32_t CharactersThatFit(int32_t limit, int32_t length, int32_t selected, int32_t inserted) {
    const int32_t room = limit - (length - selected);
    return std::clamp(room, 0, inserted);
}

namespace {

int32_t Selected(wxTextCtrl *ctrl) {
    long from = 0, to = 0;
    ctrl->GetSelection(&from, &to);
    return int32_t(to - from);
}

}  // namespace

void LimitTypedText(wxTextCtrl *ctrl, int32_t characters) {
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
    ctrl->Bind(wxEVT_TEXT_PASTE, [ctrl, characters](wxClipboardTextEvent &event) {
        wxString text;
        if (wxTheClipboard->Open()) {
            wxTextDataObject data;
            if (wxTheClipboard->GetData(data)) text = data.GetText();
            wxTheClipboard->Close();
        }
        const int32_t fit = CharactersThatFit(characters, int32_t(ctrl->GetLastPosition()), Selected(ctrl),
                                              int32_t(text.length()));
        if (fit == int32_t(text.length())) return event.Skip();
        ctrl->WriteText(text.Left(std::size_t(fit)));
    });
}
