// SPDX-License-Identifier: GPL-3.0-or-later
// Key pre-translation of forms on real wx windows (run under Xvfb). Keys are fed as the
// key events wx hands the form, with the focused window as their object.

#include <vector>

#include <gtest/gtest.h>
#include <wx/dialog.h>

#include "support/gui_test.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/key_codes.h"

namespace {

const TDialogTemplate kKeys{903, 200, 100, "Keys", dsCaption | dsSysMenu, {
    {1000, TControlKind::Edit, csTabStop | csBorder, 7, 7, 150, 14, ""},
    {1001, TControlKind::Edit, csTabStop | csMultiLine | csWantReturn, 7, 25, 150, 40, ""},
    {IDOK, TControlKind::DefPushButton, csTabStop, 90, 80, 50, 14, "Tamam"},
}};

struct Seen {
    int32_t Key;
    TShiftState Shift;
    bool Down;
};

class TKeysForm : public TForm, public TEventHandler_Form {
public:
    TKeysForm() : TForm(kKeys) {
        BindControl(1000, Line);
        BindControl(1001, Box);
        FormListeners().InsertFirst(this);
    }
    void OnFormOK(TForm *) override { ++Accepted; }
    void OnKeyDown(wxWindow *, int32_t key, TShiftState shift, bool &) override { Keys.push_back({key, shift, true}); }
    void OnKeyUp(wxWindow *, int32_t key, TShiftState shift, bool &) override { Keys.push_back({key, shift, false}); }
    TEdit Line, Box;
    int Accepted = 0;
    std::vector<Seen> Keys;
};

// Sends a key going down (the event wx raises before the focused window sees it) and
// returns whether the form let it through to the window.
bool PressKey(wxDialog *dialog, wxWindow *focus, int wxKey, bool alt = false, bool shift = false) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = wxKey;
    key.SetAltDown(alt);
    key.SetShiftDown(shift);
    key.SetEventObject(focus);
    dialog->ProcessWindowEvent(key);
    return key.GetSkipped();
}

using KeysTest = GuiTest;

TEST_F(KeysTest, EnterWithTheFormFocusedDoesNotCloseIt) {
    TKeysForm form;
    bool stillOpen = false;
    WhenModal([&](wxDialog *dialog) {
        EXPECT_FALSE(PressKey(dialog, dialog, WXK_RETURN)) << "Enter must not reach the default button";
        stillOpen = dialog->IsModal() && form.Accepted == 0;
        EXPECT_TRUE(PressKey(dialog, form.Box.Window(), WXK_RETURN)) << "the text box takes its Enter";
        EXPECT_EQ(form.Accepted, 0);
        PressKey(dialog, form.Line.Window(), WXK_RETURN);  // on a one-line edit: OK
    });
    EXPECT_EQ(form.ShowModal(), IDOK);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(form.Accepted, 1);
}

TEST_F(KeysTest, EnterOnTheFocusedFormClosesItWhenEnterIsNotKept) {
    TKeysForm form;
    form.KeepEnter = false;
    WhenModal([&](wxDialog *dialog) { PressKey(dialog, dialog, WXK_RETURN); });
    EXPECT_EQ(form.ShowModal(), IDOK);
    EXPECT_EQ(form.Accepted, 1);
}

TEST_F(KeysTest, EscapeCancels) {
    TKeysForm form;
    WhenModal([&](wxDialog *dialog) { PressKey(dialog, form.Line.Window(), WXK_ESCAPE); });
    EXPECT_EQ(form.ShowModal(), IDCANCEL);
    EXPECT_EQ(form.Accepted, 0);
}

TEST_F(KeysTest, AltArrivesInTheShiftStateOfASystemKey) {
    TKeysForm form;
    ASSERT_TRUE(form.Create());
    wxDialog *dialog = form.Dialog();
    PressKey(dialog, form.Line.Window(), 'X', /*alt=*/true);
    PressKey(dialog, form.Line.Window(), 'x');
    PressKey(dialog, form.Line.Window(), WXK_F5, false, /*shift=*/true);
    TKeyMessage up;
    up.Kind = TKeyMessageKind::KeyUp;
    up.Key = 'X';
    up.Target = form.Line.Window();
    form.PreTranslateKey(up);
    ASSERT_EQ(form.Keys.size(), 4u);
    EXPECT_EQ(form.Keys[0].Key, 'X');
    EXPECT_EQ(form.Keys[0].Shift, (TShiftState{false, true, false})) << "Alt held";
    EXPECT_EQ(form.Keys[1].Shift, (TShiftState{false, false, false})) << "plain key";
    EXPECT_EQ(form.Keys[2].Key, VK_F1 + 4);
    EXPECT_EQ(form.Keys[2].Shift, (TShiftState{true, false, false}));
    EXPECT_FALSE(form.Keys[3].Down);
}

}  // namespace
