// SPDX-License-Identifier: GPL-3.0-or-later
// The reading window used from the keyboard, with real key presses through the X server
// (under Xvfb): Tab reaches the buttons and the links, a focused link shows a focus mark and
// opens with Enter or Space (and Enter on it never closes the window), Alt and a letter press
// the buttons in either interface language while their texts stay the system's own.

#include <functional>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/uiaction.h>

#include "app/main_form_template.h"
#include "app/main_form_texts.h"
#include "foundation/code_page.h"
#include "foundation/registry_settings.h"
#include "support/main_form_fixture.h"
#include "ui/painted_text.h"

namespace {

class MainFormKeyboardTest : public MainFormTest {
protected:
    // The window shown, active, with the pointer over it (the X server's focus follows the
    // pointer when no window manager runs) and the keyboard in the text box.
    std::unique_ptr<TFormCommercialTTS> OpenActive() {
        auto form = OpenForm();
        wxDialog *dialog = dialog_ = form->Dialog();
        EXPECT_TRUE(PumpUntil([&] { return dialog->IsShownOnScreen(); }));
        dialog->Raise();
        const wxRect text = form->TextBox.Window()->GetScreenRect();
        keys_.MouseMove(text.GetPosition() + wxPoint(20, 20));
        form->TextBox.SetFocus();
        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == form->TextBox.Window(); }));
        return form;
    }

    // Presses a key (with modifiers) until `arrived` holds: again, with the window raised and
    // the pointer over it, when the key went elsewhere (another window test on the same
    // display may hold the pointer or open its window over this one). Bounded.
    bool PressUntil(int key, int modifiers, const std::function<bool()> &arrived) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Focused();
            keys_.Char(key, modifiers);
            if (PumpUntil(arrived, 2)) return true;
        }
        return false;
    }

    // The control with the keyboard focus, once the window is raised, under the pointer and
    // active again (a window another test opens takes the activation; bounded).
    wxWindow *Focused() {
        dialog_->Raise();
        const wxRect r = dialog_->GetScreenRect();
        keys_.MouseMove(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
        auto ours = [&] { return wxWindow::FindFocus() && wxGetTopLevelParent(wxWindow::FindFocus()) == dialog_; };
        PumpUntil(ours, 1);
        return wxWindow::FindFocus();
    }

    // Presses Tab until `target` has the focus; false after a whole round without it.
    bool TabTo(wxWindow *target) {
        for (int i = 0; i < 30 && Focused() != target; ++i) {
            wxWindow *before = wxWindow::FindFocus();
            if (!PressUntil(WXK_TAB, wxMOD_NONE, [&] { return wxWindow::FindFocus() != before; })) return false;
        }
        return wxWindow::FindFocus() == target;
    }

    wxDialog *dialog_ = nullptr;
    wxUIActionSimulator keys_;
};

// How a link looks painted now.
wxImage Painted(TLinkWindow *link) {
    wxBitmap bitmap(link->GetClientSize());
    {
        wxMemoryDC dc(bitmap);
        link->PaintTo(dc);
    }
    return bitmap.ConvertToImage();
}

bool SameImage(const wxImage &a, const wxImage &b) {
    return a.GetSize() == b.GetSize() &&
           std::equal(a.GetData(), a.GetData() + a.GetWidth() * a.GetHeight() * 3, b.GetData());
}

TEST_F(MainFormKeyboardTest, TabReachesTheButtonsAndTheLinksAndAFocusedLinkShowsAMark) {
    auto form = OpenActive();
    std::set<int> reached;
    for (int i = 0; i < 30; ++i) {
        wxWindow *before = Focused();
        ASSERT_NE(before, nullptr) << "the keyboard went nowhere after " << i << " Tabs";
        ASSERT_EQ(wxGetTopLevelParent(before), form->Dialog());
        reached.insert(before->GetId());
        ASSERT_TRUE(PressUntil(WXK_TAB, wxMOD_NONE, [&] { return wxWindow::FindFocus() != before; }));
    }
    for (int id : {IDC_TEXT, IDC_READ, IDC_SPEED, IDC_BELIRGIN, IDC_XML_SWITCH, IDC_LINK_DOWNLOAD, IDC_LINK_WEB,
                   IDC_LINK_LANGUAGE})
        EXPECT_TRUE(reached.count(id)) << "Tab never reached " << id;
    EXPECT_FALSE(reached.count(IDC_PAUSE)) << "the disabled pause button";

    for (int id : {IDC_LINK_DOWNLOAD, IDC_LINK_WEB, IDC_LINK_LANGUAGE}) {
        auto *link = dynamic_cast<TLinkWindow *>(form->Item(id));
        ASSERT_NE(link, nullptr) << id;
        ASSERT_TRUE(TabTo(link)) << id;
        const wxImage focused = Painted(link);
        ASSERT_TRUE(PressUntil(WXK_TAB, wxMOD_NONE, [&] { return !link->HasFocus(); })) << id;
        EXPECT_FALSE(SameImage(focused, Painted(link))) << "no focus mark on link " << id;
    }
}

TEST_F(MainFormKeyboardTest, EnterOrSpaceOnAFocusedLinkOpensItAndTheWindowStays) {
    FakeOpener opener(config_.Folder());
    auto form = OpenActive();
    ASSERT_TRUE(TabTo(form->Item(IDC_LINK_WEB)));
    ASSERT_TRUE(PressUntil(WXK_RETURN, wxMOD_NONE, [&] { return opener.Opened().size() > 0; }));
    EXPECT_TRUE(form->Dialog() && form->Dialog()->IsShown()) << "Enter on a link closed the window";
    ASSERT_TRUE(TabTo(form->Item(IDC_LINK_DOWNLOAD)));
    ASSERT_TRUE(
        PressUntil(WXK_SPACE, wxMOD_NONE, [&] { return opener.Opened().find("download") != std::string::npos; }));
    EXPECT_EQ(opener.Opened(), "http://localhost:8081\nhttp://localhost:8081/download\n");
    EXPECT_TRUE(form->Dialog() && form->Dialog()->IsShown());
}

TEST_F(MainFormKeyboardTest, AltAndALetterPressEachButtonInEitherLanguage) {
    struct Button {
        int32_t id;
        char turkish, english;
    } buttons[] = {
        {IDC_READ, 'O', 'R'},      {IDC_SPEED, 'H', 'P'},      {IDC_BELIRGIN, 'B', 'B'}, {IDC_AKICI, 'A', 'A'},
        {IDC_XML_SWITCH, 'X', 'X'}, {IDC_XML_MENU, 'C', 'M'}, {IDC_CONTINUE, 'V', 'L'},
    };
    for (bool english : {false, true}) {
        TempConfigHome store;
        if (english) WriteInterfaceIsEnglish(1);
        TFakeHost boxes;
        auto form = OpenActive();
        const char *language = english ? "en" : "tr";
        // The texts shown are the system's own; only the letter is marked, which GTK
        // underlines while Alt is held.
        for (const Button &b : buttons) {
            wxWindow *w = form->Item(b.id);
            const char letter = english ? b.english : b.turkish;
            EXPECT_EQ(LabelOf(w), TextOf(*MainFormTemplate().Find(b.id), english)) << b.id << " " << language;
            EXPECT_EQ(w->GetLabel(), WithMnemonic(ShownLabel(w), letter)) << b.id << " " << language;
            EXPECT_NE(w->GetLabel().Find('&'), wxNOT_FOUND) << b.id << " " << language;
        }

        // Alt+A chooses the other reading style; Alt+B the first again.
        EXPECT_TRUE(PressUntil('A', wxMOD_ALT, [&] { return form->AkiciButton.IsChecked(); })) << language;
        EXPECT_TRUE(PressUntil('B', wxMOD_ALT, [&] { return form->BelirginButton.IsChecked(); })) << language;
        // Alt+X turns the XML switch on and off.
        EXPECT_TRUE(PressUntil('X', wxMOD_ALT, [&] { return form->XmlSwitch.IsChecked(); })) << language;
        EXPECT_TRUE(PressUntil('X', wxMOD_ALT, [&] { return !form->XmlSwitch.IsChecked(); })) << language;
        // The speed button opens the pop-up and hides it again.
        const char speed = english ? 'P' : 'H';
        EXPECT_TRUE(PressUntil(speed, wxMOD_ALT, [&] { return form->SpeedPopup.IsVisible(); })) << language;
        EXPECT_TRUE(PressUntil(speed, wxMOD_ALT, [&] { return !form->SpeedPopup.IsVisible(); })) << language;
        // Read with an empty text box says what to do.
        const std::string empty = MainFormTexts::EmptyText(english);
        EXPECT_TRUE(PressUntil(english ? 'R' : 'O', wxMOD_ALT,
                               [&] { return !boxes.Texts().empty() && boxes.Texts().back() == empty; }))
            << language;
        EXPECT_EQ(form->TextBox.GetWholeTextAnsi().Length(), 0) << "Alt and a letter typed into the text";
    }
}

}  // namespace
