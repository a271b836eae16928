// SPDX-License-Identifier: GPL-3.0-or-later
// The speed pop-up and the main form's side of it, on real windows (run under Xvfb): a
// small owner form with the speed button where the main form has it stands in for the
// main form.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/slider.h>

#include "app/form_speed.h"
#include "app/speed_popup_side.h"
#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "tests/support/fake_host.h"
#include "tests/ui/support/gui_test.h"
#include "ui/button.h"

namespace {

constexpr int32_t SpeedButtonId = 1014;

const TDialogTemplate OwnerTemplate{9130, 200, 290, "Owner", dsCaption | dsSysMenu, {
    {SpeedButtonId, TControlKind::PushButton, 0, 73, 259, 35, 17, "Hız"_cp, "Speed"},
}};

// Listens to the pop-up as the main form does.
class TOwnerForm : public TForm, public TEventHandler_FormSpeed {
public:
    explicit TOwnerForm(bool english) : TForm(OwnerTemplate), English(english) {
        BindControl(SpeedButtonId, SpeedButton);
        Popup.Listeners().InsertFirst(this);
    }
    void OnSpeedChanged(TFormSpeed *popup) override {
        Speed = ApplySpeedChange(*popup, SpeedButton, English);
    }

    bool English;
    int32_t Speed = 10;
    TButton SpeedButton;
    TFormSpeed Popup;
};

class SpeedPopupTest : public GuiTest {
protected:
    void Open(TOwnerForm &owner) {
        ASSERT_TRUE(owner.Create());
        owner.ApplyTexts(owner.English);
        owner.Dialog()->Move(100, 300);
        owner.Dialog()->Show();
        ASSERT_TRUE(owner.Popup.Create());
        Pump();
    }

    // The slider moved to `position` as the user would move it: the position changes and
    // the slider reports a scroll.
    static void MoveSlider(TFormSpeed &popup, int position, wxEventType type = wxEVT_SCROLL_THUMBTRACK) {
        wxSlider *slider = popup.Slider.Ctrl();
        slider->SetValue(position);
        wxScrollEvent event(type, slider->GetId(), position, wxVERTICAL);
        event.SetEventObject(slider);
        slider->GetEventHandler()->ProcessEvent(event);
    }

    static std::string Text(const TWindowDesigner &designer) {
        return std::string(designer.GetAnsiText().View());
    }
};

TEST_F(SpeedPopupTest, IsABorderlessTopMostWindowHiddenAtStart) {
    TOwnerForm owner(true);
    Open(owner);
    wxDialog *popup = owner.Popup.Dialog();
    EXPECT_FALSE(owner.Popup.IsVisible());
    EXPECT_TRUE(popup->HasFlag(wxSTAY_ON_TOP));
    EXPECT_FALSE(popup->HasFlag(wxCAPTION));
    EXPECT_EQ(popup->GetTitle(), "");
    // 36 x 108 dialog units in the dialog font's base units.
    const TDialogUnits &u = owner.Popup.Units();
    EXPECT_EQ(popup->GetClientSize(), u.Size(36, 108));
    wxSlider *slider = owner.Popup.Slider.Ctrl();
    EXPECT_TRUE(slider->HasFlag(wxSL_VERTICAL));
    EXPECT_EQ(slider->GetMin(), 0);
    EXPECT_EQ(slider->GetMax(), 20);
}

TEST_F(SpeedPopupTest, FirstOpeningShowsTheMiddleAndAnEmptyLabelThenMovesShowTheValue) {
    const struct {
        const char *label;
        bool english;
        int position;
        const char *valueLabel, *button, *toolTip;
    } moves[] = {
        {"Turkish, faster", false, 7, "3", "Hız 3", "3"},
        {"Turkish, back to the middle", false, 10, "0", "Hız", "0"},
        {"English, slower", true, 14, "-4", "Speed -4", "-4"},
        {"English, bottom", true, 20, "-10", "Speed -10", "-10"},
        {"English, back to the middle", true, 10, "0", "Speed", "0"},
    };
    for (bool english : {false, true}) {
        SCOPED_TRACE(english ? "English" : "Turkish");
        TOwnerForm owner(english);
        Open(owner);
        EXPECT_EQ(Text(owner.SpeedButton), english ? "Speed" : "Hız"_cp);
        ToggleSpeedPopup(owner.Popup, owner, owner.SpeedButton);
        Pump();
        EXPECT_TRUE(owner.Popup.IsVisible());
        EXPECT_EQ(owner.Popup.Slider.GetPos(), 10);
        EXPECT_EQ(Text(owner.Popup.ValueLabel), "");
        for (const auto &m : moves) {
            if (m.english != english) continue;
            SCOPED_TRACE(m.label);
            MoveSlider(owner.Popup, m.position);
            EXPECT_EQ(owner.Speed, m.position);
            EXPECT_EQ(Text(owner.Popup.ValueLabel), m.valueLabel);
            EXPECT_EQ(Text(owner.SpeedButton), cp1254::FromUtf8(m.button));
            EXPECT_EQ(owner.Popup.Slider.Ctrl()->GetToolTipText(), m.toolTip);
        }
    }
}

TEST_F(SpeedPopupTest, EveryKindOfSliderMoveReachesTheListeners) {
    TOwnerForm owner(true);
    Open(owner);
    const wxEventType kinds[] = {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP,
                                 wxEVT_SCROLL_PAGEDOWN, wxEVT_SCROLL_THUMBRELEASE,
                                 wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM,
                                 wxEVT_SCROLL_CHANGED};
    int position = 0;
    for (wxEventType kind : kinds) {
        MoveSlider(owner.Popup, position, kind);
        EXPECT_EQ(owner.Speed, position) << "event type " << kind;
        position += 2;
    }
}

TEST_F(SpeedPopupTest, OpensAboveTheButtonAndTheButtonHidesItAgain) {
    TOwnerForm owner(false);
    Open(owner);
    ToggleSpeedPopup(owner.Popup, owner, owner.SpeedButton);
    Pump();
    ASSERT_TRUE(owner.Popup.IsVisible());
    const wxPoint client = owner.Dialog()->ClientToScreen(wxPoint(0, 0));
    EXPECT_EQ(owner.Popup.GetLeft(false), client.x + owner.SpeedButton.GetLeft(true) - 5);
    EXPECT_EQ(owner.Popup.GetTop(false), client.y + owner.SpeedButton.GetTop(true) - owner.Popup.UsableHeight() - 2);
    EXPECT_EQ(owner.Popup.UsableHeight(), owner.Popup.Dialog()->GetClientSize().GetHeight());

    MoveSlider(owner.Popup, 4);
    ToggleSpeedPopup(owner.Popup, owner, owner.SpeedButton);
    Pump();
    EXPECT_FALSE(owner.Popup.IsVisible());
    EXPECT_TRUE(owner.Popup.HasWindow()) << "hidden, not destroyed";

    ToggleSpeedPopup(owner.Popup, owner, owner.SpeedButton);
    Pump();
    EXPECT_TRUE(owner.Popup.IsVisible());
    EXPECT_EQ(owner.Popup.Slider.GetPos(), 4) << "the slider keeps its position";
}

TEST_F(SpeedPopupTest, LosingTheActivationHidesIt) {
    TOwnerForm owner(true);
    Open(owner);
    ToggleSpeedPopup(owner.Popup, owner, owner.SpeedButton);
    Pump();
    wxActivateEvent activated(wxEVT_ACTIVATE, true);
    owner.Popup.Dialog()->GetEventHandler()->ProcessEvent(activated);
    EXPECT_TRUE(owner.Popup.IsVisible());

    wxActivateEvent deactivated(wxEVT_ACTIVATE, false);
    owner.Popup.Dialog()->GetEventHandler()->ProcessEvent(deactivated);
    EXPECT_FALSE(owner.Popup.IsVisible());
}

TEST_F(SpeedPopupTest, AClickOnTheButtonThatTookTheActivationClosesInsteadOfReopening) {
    TOwnerForm owner(true);
    Open(owner);
    ToggleSpeedPopup(owner.Popup, owner, owner.SpeedButton);
    Pump();
    // Pressing the button activates the main form first, which hides the pop-up; the click
    // follows.
    wxActivateEvent deactivated(wxEVT_ACTIVATE, false);
    owner.Popup.Dialog()->GetEventHandler()->ProcessEvent(deactivated);
    ToggleSpeedPopup(owner.Popup, owner, owner.SpeedButton);
    Pump();
    EXPECT_FALSE(owner.Popup.IsVisible());
    // The next click opens it as usual.
    ToggleSpeedPopup(owner.Popup, owner, owner.SpeedButton);
    Pump();
    EXPECT_TRUE(owner.Popup.IsVisible());
}

// The main form runs modally; GTK gives a modal window the input of every window of its
// window group, so the pop-up must be in a group of its own to take the user's clicks.
TEST_F(SpeedPopupTest, ThePopUpIsOutsideTheModalGrabOfItsOwner) {
    using TGetGroup = void *(*)(void *);
    const auto getGroup = reinterpret_cast<TGetGroup>(dlsym(RTLD_DEFAULT, "gtk_window_get_group"));
    ASSERT_NE(getGroup, nullptr) << "wx's GTK port is loaded";
    TOwnerForm owner(true);
    Open(owner);
    EXPECT_NE(getGroup(owner.Popup.Dialog()->GetHandle()), getGroup(owner.Dialog()->GetHandle()));
}

class TFailingListener : public TEventHandler_FormSpeed {
public:
    void OnSpeedChanged(TFormSpeed *) override { RaiseError("Hız değiştirilemedi"_cp); }
};

TEST_F(SpeedPopupTest, AFailingListenerIsShownInAMessageBox) {
    TOwnerForm owner(true);
    Open(owner);
    TFailingListener failing;
    owner.Popup.Listeners().InsertFirst(&failing);
    TFakeHost boxes;
    MoveSlider(owner.Popup, 3);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Hız değiştirilemedi"_cp});
    EXPECT_EQ(owner.Speed, 10) << "the walk ends at the failing listener";
}

}  // namespace
