// SPDX-License-Identifier: GPL-3.0-or-later
// The main form's XML commands and speed pop-up, reached the way the user reaches them:
// through the form's own controls and menu commands (run under Xvfb).

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "app/main_form_template.h"
#include "foundation/code_page.h"
#include "foundation/registry_settings.h"
#include "tests/app/support/main_form_fixture.h"

namespace {

class MainFormFormsTest : public MainFormTest {
protected:
    // A click on a control of the form, as wx reports it.
    static void Click(TFormCommercialTTS &form, int32_t id, wxEventType type = wxEVT_BUTTON) {
        wxWindow *control = form.Item(id);
        ASSERT_NE(control, nullptr) << id;
        wxCommandEvent click(type, id);
        click.SetEventObject(control);
        control->GetEventHandler()->ProcessEvent(click);
    }
    static void MenuCommand(TFormCommercialTTS &form, int32_t id) {
        wxCommandEvent command(wxEVT_MENU, id);
        command.SetEventObject(form.Dialog());
        form.Dialog()->GetEventHandler()->ProcessEvent(command);
    }
};

TEST_F(MainFormFormsTest, TheSpeedButtonOpensThePopUpAboveItAndClosesIt) {
    WriteInterfaceIsEnglish(0);
    auto form = OpenForm();
    TFormSpeed &popup = form->SpeedPopup;
    ASSERT_TRUE(popup.HasWindow()) << "made with the form's window";
    EXPECT_FALSE(popup.IsVisible());

    Click(*form, IDC_SPEED);
    Pump();
    ASSERT_TRUE(popup.IsVisible());
    EXPECT_EQ(popup.GetLeft(false), form->GetLeft(false) + form->SpeedButton.GetLeft(true) - 5);
    EXPECT_EQ(popup.GetTop(false),
              form->GetTop(false) + form->SpeedButton.GetTop(true) - popup.UsableHeight() - 2);
    EXPECT_EQ(popup.Slider.GetPos(), 10);
    EXPECT_EQ(popup.ValueLabel.GetAnsiText().View(), "");

    // The user drags the slider up to 7, then back to the middle.
    for (const auto &[position, label, button] :
         {std::tuple{7, "3", "Hız 3"_cp}, std::tuple{10, "0", "Hız"_cp}}) {
        wxSlider *slider = popup.Slider.Ctrl();
        slider->SetValue(position);
        wxScrollEvent move(wxEVT_SCROLL_THUMBTRACK, slider->GetId(), position, wxVERTICAL);
        move.SetEventObject(slider);
        slider->GetEventHandler()->ProcessEvent(move);
        EXPECT_EQ(form->Speed, position);
        EXPECT_EQ(popup.ValueLabel.GetAnsiText().View(), label);
        EXPECT_EQ(LabelOf(form->Item(IDC_SPEED)), button);
    }

    Click(*form, IDC_SPEED);
    Pump();
    EXPECT_FALSE(popup.IsVisible());
}

TEST_F(MainFormFormsTest, TheXmlSwitchEnablesTheMenuButtonWhoseMenuIsInTheInterfaceLanguage) {
    WriteInterfaceIsEnglish(1);
    auto form = OpenForm();
    EXPECT_FALSE(form->XmlSwitch.IsChecked());
    EXPECT_FALSE(form->XmlMenuButton.IsEnabled());
    EXPECT_EQ(form->XmlCommands.Menu.Menu()->FindItemByPosition(0)->GetItemLabelText(),
              "Load XML Sentence Samples");

    form->TextBox.SetAnsiText("Merhaba.");
    for (bool on : {true, false}) {
        dynamic_cast<wxCheckBox *>(form->Item(IDC_XML_SWITCH))->SetValue(on);
        Click(*form, IDC_XML_SWITCH, wxEVT_CHECKBOX);
        EXPECT_EQ(form->XmlMenuButton.IsEnabled(), on);
        EXPECT_EQ(form->TextBox.GetWholeTextAnsi().View(), "Merhaba.");
    }
}

TEST_F(MainFormFormsTest, ABuilderCommandPutsItsSentenceIntoTheTextBoxWithTheOrdinaryCursorWhileTyping) {
    WriteInterfaceIsEnglish(0);
    auto form = OpenForm();
    form->TextBox.SetAnsiText("eski");
    bool busyWhileTyping = true;
    WhenModal([&](wxDialog *dialog) {
        busyWhileTyping = wxIsBusy();
        dynamic_cast<wxTextCtrl *>(dialog->FindWindow(8000))->SetValue(wxString::FromUTF8("06 BZ 4521"));
        wxWindow *ok = dialog->FindWindow(8001);
        wxCommandEvent click(wxEVT_BUTTON, 8001);
        click.SetEventObject(ok);
        ok->GetEventHandler()->ProcessEvent(click);
    });
    MenuCommand(*form, 20203);
    EXPECT_EQ(form->TextBox.GetWholeTextAnsi().View(),
              "<xml>\r\n<SENTENCE>\r\n<SENTENCEPART TEXTKIND=\"4\">\r\n06 BZ 4521\r\n</SENTENCEPART>\r\n"
              "</SENTENCE>\r\n</xml>\r\n");
    EXPECT_FALSE(busyWhileTyping);
    EXPECT_FALSE(wxIsBusy());
}

}  // namespace
