// SPDX-License-Identifier: GPL-3.0-or-later
// Forms and the window designer on real wx windows (run under Xvfb).

#include <string>

#include <gtest/gtest.h>
#include <wx/dialog.h>

#include "../support/raised_message.h"
#include "support/gui_test.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/static_label.h"

namespace {

// A 200 x 100 unit form with a text box and two buttons.
const TDialogTemplate kSmall{900, 200, 100, "Small", dsCaption | dsSysMenu, {
    {1000, TControlKind::Edit, csTabStop | csBorder, 7, 7, 150, 14, ""},
    {IDOK, TControlKind::DefPushButton, csTabStop, 90, 80, 50, 14, "Tamam"},
    {IDCANCEL, TControlKind::PushButton, csTabStop, 143, 80, 50, 14, "Vazgeç"},
    {IDC_STATIC, TControlKind::Text, 0, 7, 30, 100, 8, "Etiket"},
}};

class TSmallForm : public TForm {
public:
    TSmallForm() : TForm(kSmall) { BindControl(1000, Edit); }
    TEdit Edit;
};

using FormTest = GuiTest;

TEST_F(FormTest, DesignerWithoutWindowRaises) {
    TSmallForm form;  // no window yet
    TEdit edit;
    const std::string expected = "Window Not Assigned to Designer";
    for (TWindowDesigner *d : {static_cast<TWindowDesigner *>(&form), static_cast<TWindowDesigner *>(&edit)}) {
        EXPECT_EQ(MessageOf([&] { d->SetLeft(1, true); }), expected);
        EXPECT_EQ(MessageOf([&] { d->SetTop(1, true); }), expected);
        EXPECT_EQ(MessageOf([&] { d->SetWidth(1); }), expected);
        EXPECT_EQ(MessageOf([&] { d->SetHeight(1, true); }), expected);
        EXPECT_EQ(MessageOf([&] { d->GetLeft(true); }), expected);
        EXPECT_EQ(MessageOf([&] { d->GetTop(false); }), expected);
        EXPECT_EQ(MessageOf([&] { d->GetHeight(); }), expected);
        EXPECT_EQ(MessageOf([&] { d->GetRight(); }), expected);
        EXPECT_EQ(MessageOf([&] { d->GetBottom(); }), expected);
        EXPECT_EQ(MessageOf([&] { d->SetEnabled(true); }), expected);
        EXPECT_EQ(MessageOf([&] { d->Show(); }), expected);
        EXPECT_EQ(MessageOf([&] { d->Restore(); }), expected);
    }
}

TEST_F(FormTest, WindowGoneAfterModalRunAndControlsLetGo) {
    TSmallForm form;
    WhenModal([&](wxDialog *) {
        EXPECT_TRUE(form.Edit.HasWindow());
        form.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(form.ShowModal(), IDCANCEL);
    EXPECT_TRUE(form.WindowDestroyed);
    EXPECT_FALSE(form.HasWindow());
    Pump();
    EXPECT_EQ(MessageOf([&] { form.Edit.GetLeft(true); }), "Window Not Assigned to Designer");
}

TEST_F(FormTest, DialogUnitsGiveTheFormItsSize) {
    TSmallForm form;
    ASSERT_TRUE(form.Create());
    const TDialogUnits &u = form.Units();
    EXPECT_EQ(u.BaseX, 6);
    EXPECT_EQ(u.BaseY, 13);
    EXPECT_EQ(form.Dialog()->GetClientSize(), wxSize(300, 163));
    // Row 1000 at 7, 7, 150 x 14 units.
    EXPECT_EQ(form.Edit.GetLeft(true), 11);
    EXPECT_EQ(form.Edit.GetTop(true), 11);
    EXPECT_EQ(form.Edit.GetWidth(), 225);
    EXPECT_EQ(form.Edit.GetHeight(), 23);
}

}  // namespace
