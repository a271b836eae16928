// SPDX-License-Identifier: GPL-3.0-or-later
// The input dialog, InputQuery, the file dialog and form OK listeners (run under Xvfb).
// Modal runs are ended from inside their loop, as a user would: by the dialog's buttons.

#include <string>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>

#include "../support/fake_host.h"
#include "../support/raised_message.h"
#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "support/gui_test.h"
#include "ui/file_dialog.h"
#include "ui/form.h"
#include "ui/input_dialog.h"
#include "ui/wx_text.h"

namespace {

void Type(wxDialog *dialog, const wxString &text) {
    auto *edit = dynamic_cast<wxTextCtrl *>(dialog->FindWindow(8000));
    ASSERT_NE(edit, nullptr);
    edit->ChangeValue(text);
}

void Click(wxDialog *dialog, int id) {
    wxWindow *button = dialog->FindWindow(id);
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

using DialogsTest = GuiTest;

TEST_F(DialogsTest, InputQueryCancelledLeavesTheTextAlone) {
    std::u16string text = u"önceki";
    WhenModal([](wxDialog *d) {
        Type(d, "yeni metin");
        Click(d, 8002);
    });
    EXPECT_FALSE(InputQuery("Ad\xFDn\xFDz:", text));
    EXPECT_EQ(text, u"önceki");
}

TEST_F(DialogsTest, InputQueryOkGivesTheTypedTextByButtonOrEnter) {
    struct Case {
        const char *label;
        std::function<void(wxDialog *)> accept;
    };
    const Case cases[] = {
        {"Tamam", [](wxDialog *d) { Click(d, 8001); }},
        {"Enter in the edit", [](wxDialog *d) {
             wxKeyEvent key(wxEVT_CHAR_HOOK);
             key.m_keyCode = WXK_RETURN;
             key.SetEventObject(d->FindWindow(8000));
             d->ProcessWindowEvent(key);
         }},
    };
    for (const Case &c : cases) {
        std::u16string text = u"önceki";
        WhenModal([&](wxDialog *d) {
            Type(d, wxString::FromUTF8("Şule Işık"));
            c.accept(d);
        });
        EXPECT_TRUE(InputQuery(nullptr, text)) << c.label;
        EXPECT_EQ(text, u"Şule Işık") << c.label;
    }
}

TEST_F(DialogsTest, InputDialogLayout) {
    TInputDialog dialog;
    dialog.PromptText = u"Dosya adı:";
    dialog.Text = u"ilk";
    WhenModal([&](wxDialog *d) {
        EXPECT_EQ(d->GetTitle(), "Dialog");
        EXPECT_EQ(dialog.GetHeight(), 180);
        const int width = dialog.GetWidth();
        EXPECT_EQ(dialog.Prompt.Window()->GetRect(), wxRect(10, 20, width - 15, 28));
        EXPECT_EQ(dialog.Prompt.Window()->GetLabel(), wxString::FromUTF8("Dosya adı:"));
        EXPECT_EQ(dialog.Edit.Window()->GetRect(), wxRect(10, 53, width - 40, 24));
        EXPECT_EQ(dialog.Edit.Ctrl()->GetValue(), "ilk");
        const int top = dialog.UsableHeight() - 50;
        EXPECT_EQ(dialog.OkButton.Window()->GetRect(), wxRect(width - 170, top, 70, 24));
        EXPECT_EQ(dialog.CancelButton.Window()->GetRect(), wxRect(width - 95, top, 70, 24));
        EXPECT_EQ(dialog.OkButton.Window()->GetLabel(), "Tamam");
        EXPECT_EQ(dialog.CancelButton.Window()->GetLabel(), wxString::FromUTF8("İptal"));
        dialog.Edit.Ctrl()->ChangeValue(wxString());
        dialog.Edit.Ctrl()->WriteText(wxString('x', 1024));
        dialog.Edit.Ctrl()->WriteText("y");
        EXPECT_EQ(dialog.Edit.Ctrl()->GetValue(), wxString('x', 1024)) << "at most 1,024 characters";
        Click(d, 8002);
    });
    EXPECT_EQ(dialog.ShowModal(), IDCANCEL);
    EXPECT_EQ(dialog.Text, u"ilk");
}

// Answers the file dialog without showing it: wx asks the hook before every modal dialog.
class TFileAnswer : public wxModalDialogHook {
public:
    TFileAnswer(int answer, wxString path) : answer_(answer), path_(std::move(path)) { Register(); }
    ~TFileAnswer() override { Unregister(); }
    int Enter(wxDialog *dialog) override {
        auto *files = dynamic_cast<wxFileDialog *>(dialog);
        if (!files) return wxID_NONE;
        Directory = files->GetDirectory();
        if (!path_.empty()) files->SetPath(path_);
        return answer_;
    }
    void Exit(wxDialog *) override {}
    wxString Directory;

private:
    int answer_;
    wxString path_;
};

TEST_F(DialogsTest, FileDialogCancelledLeavesTheFileNameEmpty) {
    TFileDialog dialog;
    EXPECT_EQ(std::string(dialog.DefaultExt.View()), "xml");
    dialog.InitialDir = u"/tmp";
    TFileAnswer cancel(wxID_CANCEL, wxString());
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(cancel.Directory, "/tmp");
    EXPECT_EQ(dialog.FileName.Length(), 0);
}

const TDialogTemplate kOk{905, 100, 50, "OK", dsCaption | dsSysMenu, {
    {IDOK, TControlKind::DefPushButton, csTabStop, 10, 30, 40, 14, "Tamam"},
}};

class TRefusing : public TEventHandler_Form {
public:
    int Calls = 0;
    void OnFormOK(TForm *) override {
        if (++Calls == 1) RaiseError("Kay\xFDt yok");
    }
};

TEST_F(DialogsTest, OkListenerThatRaisesKeepsTheFormOpen) {
    TFakeHost boxes;
    TForm form(kOk);
    TRefusing refusing;
    form.FormListeners().InsertFirst(&refusing);
    bool openAfterFirst = false;
    WhenModal([&](wxDialog *d) {
        Click(d, IDOK);
        openAfterFirst = d->IsModal();
        Click(d, IDOK);
    });
    EXPECT_EQ(form.ShowModal(), IDOK);
    EXPECT_TRUE(openAfterFirst);
    EXPECT_EQ(refusing.Calls, 2);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Kay\xFDt yok"});
}

TEST_F(DialogsTest, EmbedFormNeedsAChild) {
    TForm parent(kOk), child(kOk);
    ASSERT_TRUE(parent.Create());
    EXPECT_EQ(MessageOf([&] { parent.EmbedForm(nullptr); }), "NULL Parameter Passed to EmbedForm");
    parent.EmbedForm(&child);
    ASSERT_TRUE(child.HasWindow());
    EXPECT_EQ(child.Dialog()->GetParent(), parent.Dialog());
    EXPECT_FALSE(child.Dialog()->IsShown());
}

}  // namespace
