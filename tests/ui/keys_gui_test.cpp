// SPDX-License-Identifier: GPL-3.0-or-later
// Key pre-translation of forms on real wx windows (run under Xvfb). Keys are fed as the
// key events wx hands the form, with the focused window as their object.

#include <vector>

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/uiaction.h>

#include "support/gui_test.h"
#include "ui/button.h"
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

const TDialogTemplate kGoing{904, 250, 60, "Going", dsCaption | dsSysMenu, {
    {1100, TControlKind::PushButton, csTabStop, 7, 7, 50, 14, "Kapat"},
    {1101, TControlKind::PushButton, csTabStop, 60, 7, 50, 14, "Gizle"},
    {1103, TControlKind::PushButton, csTabStop, 113, 7, 50, 14, "Kalan"},
    {1102, TControlKind::PushButton, csTabStop, 166, 7, 50, 14, "Son"},
}};

// The first three buttons, pressed, take themselves away: the first is disabled, the second
// hidden, the last disabled (nothing follows it in the tab order).
class TGoingForm : public TForm {
public:
    TGoingForm() : TForm(kGoing) {
        BindControl(1100, Disabled);
        BindControl(1101, Hidden);
        BindControl(1103, Staying);
        BindControl(1102, Last);
    }
    TButton Disabled, Hidden, Staying, Last;

protected:
    bool OnCommand(int32_t id, int32_t code) override {
        if (id == 1100) Disabled.SetEnabled(false);
        else if (id == 1101) Hidden.SetVisible(false);
        else if (id == 1102) Last.SetEnabled(false);
        else return TForm::OnCommand(id, code);
        return true;
    }
};

// Space on a focused button that the press disables or hides: the keys stay in the window,
// on the next control that takes them (the first one that does, after the last). Real key
// events.
TEST_F(KeysTest, SpaceOnAButtonThatGoesAwayLeavesTheFocusInTheWindow) {
    struct Case {
        TButton TGoingForm::*Pressed;
        TButton TGoingForm::*Then;
    } cases[] = {
        {&TGoingForm::Disabled, &TGoingForm::Hidden},
        {&TGoingForm::Hidden, &TGoingForm::Staying},
        {&TGoingForm::Last, &TGoingForm::Staying},
    };
    TGoingForm form;
    ASSERT_TRUE(form.Create());
    wxDialog *dialog = form.Dialog();
    dialog->Show();
    ASSERT_TRUE(PumpUntil([&] { return dialog->IsShownOnScreen(); }));
    wxUIActionSimulator keyboard;
    for (const Case &c : cases) {
        wxWindow *pressed = (form.*c.Pressed).Window();
        // Again when the key went elsewhere (another window test on the same display may hold
        // the pointer); bounded.
        bool gone = false;
        for (int attempt = 0; attempt < 3 && !gone; ++attempt) {
            dialog->Raise();
            const wxRect r = dialog->GetScreenRect();
            keyboard.MouseMove(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
            pressed->SetFocus();
            PumpUntil([&] { return wxWindow::FindFocus() == pressed; }, 2);
            keyboard.Char(WXK_SPACE);
            gone = PumpUntil([&] { return !pressed->IsEnabled() || !pressed->IsShown(); }, 3);
        }
        ASSERT_TRUE(gone) << pressed->GetId();
        EXPECT_EQ(wxWindow::FindFocus(), (form.*c.Then).Window()) << "after " << pressed->GetId();
    }
}

// A control disabled while its window is not active (a reading's event while the user is in
// another window) hands on the focus that the window gets back with the activation.
TEST_F(KeysTest, AControlDisabledWhileItsWindowIsInactiveHandsOnTheFocusItGetsBack) {
    TGoingForm form, other;
    ASSERT_TRUE(form.Create());
    ASSERT_TRUE(other.Create());
    wxDialog *dialog = form.Dialog();
    dialog->Move(20, 20);
    other.Dialog()->Move(20, 300);
    dialog->Show();
    other.Dialog()->Show();
    ASSERT_TRUE(PumpUntil([&] { return dialog->IsShownOnScreen() && other.Dialog()->IsShownOnScreen(); }));
    wxUIActionSimulator pointer;
    // Without a window manager the keyboard goes where the pointer is (again when another
    // test's window lies over this one; bounded).
    auto activate = [&](wxDialog *d) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            d->Raise();
            const wxRect r = d->GetScreenRect();
            pointer.MouseMove(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
            if (PumpUntil([&] { return wxWindow::FindFocus() && wxGetTopLevelParent(wxWindow::FindFocus()) == d; }, 1))
                return true;
        }
        return false;
    };
    ASSERT_TRUE(activate(dialog));
    form.Staying.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == form.Staying.Window(); }));
    ASSERT_TRUE(activate(other.Dialog()));
    form.Staying.SetEnabled(false);
    ASSERT_TRUE(activate(dialog));
    EXPECT_EQ(wxWindow::FindFocus(), form.Last.Window());
}

}  // namespace
