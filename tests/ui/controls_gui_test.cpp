// Controls on real wx windows (run under Xvfb).

#include <string>

#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "../support/message_box_recorder.h"
#include "../support/raised_message.h"
#include "support/gui_test.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/form.h"
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
    ASSERT_NE(wxDynamicCast(combo, wxComboBox), nullptr);
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
    EXPECT_NE(wxDynamicCast(radio.Window(), wxRadioButton), nullptr);
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
    MessageBoxRecorder recorder;
    TWrongForm form;
    EXPECT_TRUE(form.Create());
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Control Kind Mismatch 1000"});
}

}  // namespace
