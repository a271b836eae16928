// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/input_dialog.h"

#include <wx/dialog.h>
#include <wx/textctrl.h>

#include "foundation/code_page.h"
#include "ui/wx_text.h"

namespace {

const TDialogTemplate kInputTemplate{InputDialogTemplateId, 383, 100, "Dialog", dsCaption | dsSysMenu, {}};

constexpr int32_t IdEdit = 8000, IdOk = 8001, IdCancel = 8002, IdPrompt = 8003;

}  // namespace

TInputDialog::TInputDialog() : TForm(kInputTemplate) {}

bool TInputDialog::OnInitDialog() {
    if (!TForm::OnInitDialog()) return false;
    return Guarded([&] {
        wxDialog *form = Dialog();
        SetHeight(180, false);
        const int width = GetWidth();

        TControlSpec prompt{IdPrompt, TControlKind::Text};
        wxWindow *promptWidget = CreateWidget(form, prompt, wxRect(10, 20, width - 5 - 10, 48 - 20),
                                              WideToWx(PromptText), true);
        Prompt.Attach(promptWidget);

        TControlSpec edit{IdEdit, TControlKind::Edit, csTabStop | csBorder | csAutoHScroll};
        Edit.Attach(CreateWidget(form, edit, wxRect(10, Prompt.GetBottom() + 5, width - 30 - 10, 24),
                                 wxString(), true));

        Font = DialogFont();
        Edit.Window()->SetFont(Font);
        Edit.SetLimitText(InputTextLimit);

        const int top = UsableHeight() - 50;
        OkButton.CreateAt("Tamam", width - 170, top, 70, 24, form, IdOk, csTabStop);
        CancelButton.CreateAt("İptal"_cp, OkButton.GetRight() + 5, top, 70, 24, form, IdCancel, csTabStop);

        Edit.Ctrl()->ChangeValue(WideToWx(Text));
        for (wxWindow *w : {Prompt.Window(), OkButton.Window(), CancelButton.Window()}) w->SetFont(Font);
        Edit.SetFocus();
    });
}

bool TInputDialog::OnCommand(int32_t id, int32_t code) {
    // Enter in the edit arrives as IDOK: it takes the typed text too, or OK would lose it.
    if (code == BN_CLICKED && (id == IdOk || id == IDOK)) {
        Text = std::u16string(Edit.GetWholeText());
        OnOK();
        return true;
    }
    if (code == BN_CLICKED && id == IdCancel) {
        OnCancel();
        return true;
    }
    return TForm::OnCommand(id, code);
}

bool InputQuery(const char *prompt, std::u16string &text) {
    TInputDialog dialog;
    if (prompt) dialog.PromptText = cp1254::ToUtf16(prompt);
    dialog.Text.clear();
    if (dialog.ShowModal() != IDOK) return false;
    text = dialog.Text;
    return true;
}
