// SPDX-License-Identifier: GPL-3.0-or-later
// Anchors and the designer's geometry on real wx windows (run under Xvfb).

#include <gtest/gtest.h>
#include <wx/dialog.h>

#include "support/gui_test.h"
#include "ui/button.h"
#include "ui/form.h"

namespace {

const TDialogTemplate kAnchored{901, 200, 100, "Anchors", dsCaption | dsSysMenu | dsResizable, {
    {101, TControlKind::PushButton, 0, 0, 0, 10, 10, "L"},
    {102, TControlKind::PushButton, 0, 0, 0, 10, 10, "R"},
    {103, TControlKind::PushButton, 0, 0, 0, 10, 10, "LR"},
    {104, TControlKind::PushButton, 0, 0, 0, 10, 10, "TB"},
    {105, TControlKind::PushButton, 0, 0, 0, 10, 10, "C"},
}};

class TAnchoredForm : public TForm {
public:
    TAnchoredForm() : TForm(kAnchored) {
        BindControl(101, Left);
        BindControl(102, Right);
        BindControl(103, Both);
        BindControl(104, TopBottom);
        BindControl(105, Centred);
    }
    TButton Left, Right, Both, TopBottom, Centred;
};

using AnchorTest = GuiTest;

wxRect RectOf(TWindowDesigner &d) { return wxRect(d.GetLeft(true), d.GetTop(true), d.GetWidth(), d.GetHeight()); }

struct Placed {
    TButton TAnchoredForm::*Control;
    wxRect Start;
    bool L, T, R, B;
    int32_t Mode;
    wxRect AfterWider;  // after the form grew by 100 x 50 pixels
};

TEST_F(AnchorTest, LayoutKeepsAnchoredEdgesAtTheirDistances) {
    const Placed cases[] = {
        {&TAnchoredForm::Left, {20, 30, 80, 24}, true, true, false, false, 0, {20, 30, 80, 24}},
        {&TAnchoredForm::Right, {300, 30, 80, 24}, false, true, true, false, 0, {400, 30, 80, 24}},
        {&TAnchoredForm::Both, {20, 60, 360, 24}, true, true, true, false, 0, {20, 60, 460, 24}},
        {&TAnchoredForm::TopBottom, {20, 90, 80, 100}, true, true, false, true, 0, {20, 90, 80, 150}},
        // Bottom only: moves down with the bottom edge.
        {&TAnchoredForm::Centred, {20, 200, 100, 24}, false, false, false, true, 0, {20, 250, 100, 24}},
    };
    TAnchoredForm form;
    ASSERT_TRUE(form.Create());
    form.Dialog()->SetClientSize(401, 260);
    for (const Placed &c : cases) {
        TButton &b = form.*c.Control;
        b.Window()->SetSize(c.Start);
        form.AddAnchor(b, c.L, c.T, c.R, c.B, c.Mode);
    }
    form.ApplyLayout();
    for (const Placed &c : cases) EXPECT_EQ(RectOf(form.*c.Control), c.Start) << "unchanged form";

    form.Dialog()->SetClientSize(501, 310);
    EXPECT_TRUE(PumpUntil([&] { return RectOf(form.Right).x == 400; })) << "layout on resize";
    form.ApplyLayout();
    for (const Placed &c : cases) EXPECT_EQ(RectOf(form.*c.Control), c.AfterWider) << c.Start.x << "," << c.Start.y;
}

TEST_F(AnchorTest, CentringModeAndDesignerEdges) {
    TAnchoredForm form;
    ASSERT_TRUE(form.Create());
    form.Dialog()->SetClientSize(401, 260);
    form.Centred.Window()->SetSize(17, 40, 100, 24);
    form.AddAnchor(form.Centred, true, true, false, false, AnchorCentreHorizontally);
    form.ApplyLayout();
    EXPECT_EQ(form.Centred.GetLeft(true), 200 - 50);
    EXPECT_EQ(form.Centred.GetTop(true), 40);

    form.Left.SetTop(24, true);
    form.Left.SetHeight(231, true);
    form.Left.SetLeft(7, true);
    form.Left.SetWidth(90);
    EXPECT_EQ(form.Left.GetBottom(), 255);
    EXPECT_EQ(form.Left.GetRight(), 97);
    EXPECT_EQ(form.Left.GetHeight(), 231);
}

}  // namespace
