// SPDX-License-Identifier: GPL-3.0-or-later
// Controls on real wx windows (run under Xvfb).

#include <string>

#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "../support/fake_host.h"
#include "../support/raised_message.h"
#include "support/gui_test.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/popup_menu.h"
#include "ui/slider.h"
#include "ui/status_bar.h"
#include "ui/wx_text.h"

namespace {

const TDialogTemplate kControls{902, 200, 120, "Controls", dsCaption | dsSysMenu, {
    {1000, TControlKind::Edit, csTabStop | csMultiLine | csVScroll | csHScroll | csWantReturn, 7, 7, 150, 40, ""},
    {1001, TControlKind::ComboBox, csTabStop, 7, 60, 80, 12, ""},
}};

class TControlsForm : public TForm {
public:
    TControlsForm() : TForm(kControls) { BindControl(1000, Edit); }
    TEdit Edit;
};

using ControlsTest = GuiTest;

TEST_F(ControlsTest, GetTextGivesTheSelectionElseTheWholeText) {
    struct Case {
        const char *label;
        std::u16string text;
        long from, to;
        std::u16string expected;
    };
    const Case cases[] = {
        {"selection 8..13 of 13 characters", u"Merhaba dünya", 8, 13, u"dünya"},
        {"caret only", u"Merhaba dünya", 4, 4, u"Merhaba dünya"},
        {"everything selected", u"İyi günler", 0, 10, u"İyi günler"},
        {"empty edit", u"", 0, 0, u""},
    };
    TControlsForm form;
    ASSERT_TRUE(form.Create());
    for (const Case &c : cases) {
        form.Edit.Ctrl()->ChangeValue(WideToWx(c.text));
        form.Edit.Ctrl()->SetSelection(c.from, c.to);
        EXPECT_EQ(std::u16string(form.Edit.GetText()), c.expected) << c.label;
        EXPECT_EQ(std::u16string(form.Edit.GetWholeText()), c.text) << c.label;
    }
}

TEST_F(ControlsTest, TextCrossesTheBorderAsWindows1254) {
    TControlsForm form;
    ASSERT_TRUE(form.Create());
    const std::string turkish = "\xD0\xDD\xDE\xF0\xFD\xFE \x80";  // ĞİŞğış €
    form.Edit.SetAnsiText(turkish.c_str());
    EXPECT_EQ(form.Edit.Ctrl()->GetValue(), wxString::FromUTF8("ĞİŞğış €"));
    EXPECT_EQ(std::string(form.Edit.GetWholeTextAnsi().View()), turkish);
    form.Edit.Ctrl()->ChangeValue(wxString::FromUTF8("a\xe2\x98\x83" "b"));  // a snowman b
    EXPECT_EQ(std::string(form.Edit.GetWholeTextAnsi().View()), "a?b");
}

TEST_F(ControlsTest, ComboBoxThatIsADirectChildBecomes150PixelsHigh) {
    TControlsForm form;
    ASSERT_TRUE(form.Create());
    wxWindow *combo = form.Item(1001);
    ASSERT_NE(dynamic_cast<wxComboBox *>(combo), nullptr);
    EXPECT_EQ(combo->GetSize().y, 150);
    EXPECT_EQ(combo->GetPosition(), wxPoint(form.Units().X(7), form.Units().Y(60)));
}

TEST_F(ControlsTest, ButtonsCreatedAtAPositionTakeTheParentFont) {
    TControlsForm form;
    ASSERT_TRUE(form.Create());
    wxFont parentFont(wxFontInfo(11).FaceName("Liberation Serif"));
    form.Dialog()->SetFont(parentFont);

    TRadioButton radio;
    ASSERT_TRUE(radio.CreateAt("Se\xE7", 10, 20, form.Dialog(), 2001));
    EXPECT_NE(dynamic_cast<wxRadioButton *>(radio.Window()), nullptr);
    EXPECT_EQ(radio.GetLeft(true), 10);
    EXPECT_EQ(radio.GetTop(true), 20);
    EXPECT_EQ(radio.GetRight(), 60);
    EXPECT_EQ(radio.GetBottom(), 44);
    EXPECT_EQ(radio.Window()->GetFont(), parentFont);
    EXPECT_EQ(radio.Window()->GetLabel(), wxString::FromUTF8("Seç"));

    TButton button;
    ASSERT_TRUE(button.CreateAt("Tamam", 100, 20, form.Dialog(), 2002));
    EXPECT_EQ(wxRect(button.GetLeft(true), button.GetTop(true), button.GetWidth(), button.GetHeight()),
              wxRect(100, 20, 80, 24));
    EXPECT_EQ(button.Window()->GetFont(), parentFont);

    TButton orphan;
    EXPECT_FALSE(orphan.CreateAt("x", 0, 0, nullptr, 2003));
    EXPECT_FALSE(orphan.HasWindow());
}

TEST_F(ControlsTest, KindMismatchIsShownAndTheFormStillOpens) {
    class TWrongForm : public TForm {
    public:
        TWrongForm() : TForm(kControls) { BindControl(1000, Button); }
        TButton Button;
    };
    TFakeHost recorder;
    TWrongForm form;
    EXPECT_TRUE(form.Create());
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Control Kind Mismatch 1000"});
}

}  // namespace

namespace {

const TDialogTemplate kMore{907, 200, 120, "More", dsCaption | dsSysMenu, {
    {1000, TControlKind::Edit, csTabStop | csMultiLine, 7, 7, 150, 40, ""},
    {1004, TControlKind::Slider, csTabStop | csVertical | csTicksBoth, 170, 0, 27, 92},
}};

class TMoreForm : public TForm, public TEventHandler_WindowDesigner {
public:
    TMoreForm() : TForm(kMore) {
        BindControl(1000, Edit);
        BindControl(1004, Slider);
    }
    void OnMouseWheel(TWindowDesigner *sender, int32_t keys, int32_t delta, int32_t, int32_t) override {
        Wheels.push_back({sender, keys, delta});
    }
    void OnVScroll(int32_t id, int32_t code) override { Scrolls.push_back({id, code}); }
    void OnTimer(int32_t id) override { Ticks += id == 1500; }
    bool OnCommand(int32_t id, int32_t code) override {
        Commands.push_back({id, code});
        return TForm::OnCommand(id, code);
    }
    void OnPopup(TPopupMenu *menu) override { Popups.push_back(menu); }
    std::vector<std::pair<int32_t, int32_t>> Commands;
    std::vector<TPopupMenu *> Popups;
    struct Wheel {
        TWindowDesigner *Sender;
        int32_t Keys, Delta;
        bool operator==(const Wheel &) const = default;
    };
    TEdit Edit;
    TSlider Slider;
    std::vector<Wheel> Wheels;
    std::vector<std::pair<int32_t, int32_t>> Scrolls;
    int Ticks = 0;
};

using MoreControlsTest = GuiTest;

TEST_F(MoreControlsTest, WheelGoesToTheListenersThenIsSwallowedOrPassedOn) {
    TMoreForm form;
    ASSERT_TRUE(form.Create());
    form.Edit.Listeners().InsertFirst(&form);
    form.Slider.Listeners().InsertFirst(&form);
    struct Case {
        TControl *Control;
        bool *Swallow;
        bool SwallowValue;
    };
    const Case cases[] = {
        {&form.Edit, &form.Edit.SwallowMouseWheel, false},
        {&form.Edit, &form.Edit.SwallowMouseWheel, true},
        {&form.Slider, &form.Slider.SwallowMouseWheel, true},
    };
    for (const Case &c : cases) {
        *c.Swallow = c.SwallowValue;
        form.Wheels.clear();
        wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
        wheel.m_wheelRotation = -120;
        wheel.m_wheelDelta = 120;
        wheel.SetControlDown(true);
        wheel.SetEventObject(c.Control->Window());
        c.Control->Window()->ProcessWindowEvent(wheel);
        EXPECT_EQ(form.Wheels, (std::vector<TMoreForm::Wheel>{{c.Control, MK_CONTROL, -120}}));
        EXPECT_EQ(wheel.GetSkipped(), !c.SwallowValue);
    }
}

TEST_F(MoreControlsTest, SliderMovesReachTheFormAsVerticalScrolls) {
    TMoreForm form;
    ASSERT_TRUE(form.Create());
    form.Slider.SetRange(0, 20);
    form.Slider.SetPos(10);
    EXPECT_EQ(form.Slider.GetPos(), 10);
    for (auto [type, code] : {std::pair{wxEVT_SCROLL_THUMBTRACK, SB_THUMBTRACK}, std::pair{wxEVT_SCROLL_LINEDOWN, SB_LINEDOWN},
                              std::pair{wxEVT_SCROLL_CHANGED, SB_ENDSCROLL}}) {
        wxScrollEvent move(type, 1004, 11, wxVERTICAL);
        move.SetEventObject(form.Slider.Window());
        form.Slider.Window()->ProcessWindowEvent(move);
    }
    EXPECT_EQ(form.Scrolls, (std::vector<std::pair<int32_t, int32_t>>{{1004, SB_THUMBTRACK}, {1004, SB_LINEDOWN}, {1004, SB_ENDSCROLL}}));
}

TEST_F(MoreControlsTest, EditChangesAndMenuCommandsReachTheForm) {
    TMoreForm form;
    ASSERT_TRUE(form.Create());
    form.Edit.SetAnsiText("bir iki");
    TPopupMenu menu(&form), sub(&form);
    menu.Append(20000, "XML Dosyas\xFD A\xE7");
    sub.Append(20001, "Ki\xFEi Ad\xFD");
    menu.AppendSubMenu(sub, "\xD6rnekler");
    EXPECT_EQ(menu.ItemCount(), 2);
    EXPECT_EQ(menu.Menu()->GetLabelText(20000), wxString::FromUTF8("XML Dosyası Aç"));
    EXPECT_EQ(menu.Menu()->GetLabelText(20001), wxString::FromUTF8("Kişi Adı"));
    wxCommandEvent chosen(wxEVT_MENU, 20001);
    form.Dialog()->ProcessWindowEvent(chosen);
    EXPECT_EQ(form.Commands, (std::vector<std::pair<int32_t, int32_t>>{{1000, EN_CHANGE}, {20001, BN_CLICKED}}));

    // Listeners hear of the menu before it shows; a menu without an owner window is refused.
    TPopupMenu orphan(nullptr);
    orphan.Listeners().InsertFirst(&form);
    EXPECT_EQ(MessageOf([&] { orphan.Track(); }), "Window Not Assigned to Designer");
    EXPECT_EQ(form.Popups, std::vector<TPopupMenu *>{&orphan});
}

TEST_F(MoreControlsTest, StatusBarPartsAndTimer) {
    TMoreForm form;
    ASSERT_TRUE(form.Create());
    TStatusBar bar;
    ASSERT_TRUE(bar.Create(form.Dialog()));
    EXPECT_EQ(bar.GetBottom(), form.Dialog()->GetClientSize().y);
    EXPECT_EQ(bar.GetWidth(), form.Dialog()->GetClientSize().x);
    bar.SetParts({100, 100, 200});
    bar.SetText(0, "12 Kelime");
    EXPECT_EQ(std::string(bar.GetText(0).View()), "12 Kelime");
    wxRect first, third;
    ASSERT_TRUE(bar.Ctrl()->GetFieldRect(0, first));
    ASSERT_TRUE(bar.Ctrl()->GetFieldRect(2, third));
    EXPECT_LT(first.GetRight(), 101);
    EXPECT_GE(third.GetLeft(), 100);
    EXPECT_LE(third.GetRight(), 201);

    form.SetTimer(1500, 10);
    EXPECT_TRUE(PumpUntil([&] { return form.Ticks >= 2; }));
    form.KillTimer(1500);
}

}  // namespace
