// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TInputDialog: a one-line text prompt with the buttons "Tamam" and "İptal", and InputQuery,
// which runs one. The edit takes at most 1,024 characters. Texts are wide (UTF-16) as the
// edit keeps them; the caption stays "Dialog".

#include <cstdint>
#include <string>

#include <wx/font.h>

#include "ui/button.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/static_label.h"

inline constexpr int32_t InputDialogTemplateId = 134;
inline constexpr int32_t InputTextLimit = 1024;

class TInputDialog : public TForm {
public:
    TInputDialog();

    wxFont Font;           // the dialog font, given to the edit, prompt and buttons
    TEdit Edit;            // id 8000
    TButton OkButton;      // id 8001, "Tamam"
    TButton CancelButton;  // id 8002, "İptal"
    TStatic Prompt;        // id 8003
    std::u16string PromptText;  // set before showing
    std::u16string Text;        // the initial text before showing, the typed text after OK

protected:
    bool OnInitDialog() override;
    bool OnCommand(int32_t id, int32_t code) override;
};

// Asks for a line of text. `prompt` (Windows-1254; null: none). On OK copies the typed text
// into `text` and returns true; on any other ending returns false and leaves `text` alone.
bool InputQuery(const char *prompt, std::u16string &text);
