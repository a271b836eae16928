// SPDX-License-Identifier: GPL-3.0-or-later
// Where the reading window's controls end up once the window is on the screen: where the
// control table puts them, in the window's client area, whether or not a window manager
// frames the window (window_manager_geometry_gui_test.sh runs this program on an X server of
// its own, once bare and once under openbox, and compares what it wrote to
// NARRELO_GEOMETRY_FILE).

#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "app/main_form_template.h"
#include "support/main_form_fixture.h"

namespace {

// The rectangle of every child of the window, in the window's client coordinates.
std::string ChildRects(wxDialog *dialog) {
    std::string out;
    for (wxWindow *child : dialog->GetChildren()) {
        const wxRect r = child->GetRect();
        out += std::to_string(child->GetId()) + " " + wxString(child->GetClassInfo()->GetClassName()).ToStdString() + " " +
               std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.width) + " " +
               std::to_string(r.height) + (child->IsShown() ? "" : " hidden") + "\n";
    }
    return out;
}

// Waits until the window is on the screen, framed when a window manager runs
// (NARRELO_EXPECT_FRAME=1), and its children have stopped moving (nothing changed for a
// quarter of a second). Bounded.
bool Settled(wxDialog *dialog) {
    const bool framed = std::getenv("NARRELO_EXPECT_FRAME") && std::string(std::getenv("NARRELO_EXPECT_FRAME")) == "1";
    if (!PumpUntil([&] { return dialog->IsShownOnScreen(); }, 10)) return false;
    if (framed && !PumpUntil([&] { return dialog->GetSize() != dialog->GetClientSize(); }, 10)) return false;
    std::string last = ChildRects(dialog);
    wxLongLong stableSince = wxGetLocalTimeMillis();
    return PumpUntil(
        [&] {
            std::string now = ChildRects(dialog);
            if (now != last) {
                last = now;
                stableSince = wxGetLocalTimeMillis();
            }
            return wxGetLocalTimeMillis() - stableSince >= 250;
        },
        10);
}

TEST_F(MainFormTest, TheControlsStandWhereTheTableSaysInTheClientAreaFramedOrNot) {
    auto form = OpenForm();
    wxDialog *dialog = form->Dialog();
    ASSERT_TRUE(Settled(dialog));
    const TDialogUnits &units = form->Units();
    EXPECT_EQ(dialog->GetClientSize(), units.Size(508, 325));

    for (const TControlSpec &row : MainFormTemplate().Controls) {
        if (row.Id == IDC_STATIC || row.Id == IDC_CONTINUE) continue;  // the continue button is widened
        wxWindow *w = form->Item(row.Id);
        ASSERT_NE(w, nullptr) << row.Id;
        const wxRect want = units.Rect(row.X, row.Y, row.Width, row.Height);
        const wxRect got = w->GetRect();
        EXPECT_EQ(got.GetPosition(), want.GetPosition()) << "control " << row.Id;
        // A check or radio box is widened in place to hold its indicator and text; a picture
        // takes its bitmap's size.
        if (!dynamic_cast<wxCheckBox *>(w) && !dynamic_cast<wxRadioButton *>(w) &&
            !dynamic_cast<wxStaticBitmap *>(w)) {
            EXPECT_EQ(got.GetSize(), want.GetSize()) << "control " << row.Id;
        }
    }
    // Each link picture stands beside its link, as the table draws them.
    for (auto [link, picture] : {std::pair{IDC_LINK_DOWNLOAD, IDC_PICTURE_DOWNLOAD}, {IDC_LINK_WEB, IDC_PICTURE_WEB}}) {
        const wxRect l = form->Item(link)->GetRect(), p = form->Item(picture)->GetRect();
        EXPECT_LE(std::abs(l.GetTop() - p.GetTop()), 2) << link;
        EXPECT_LT(p.GetRight(), l.GetLeft()) << link;
    }
    // The status bar lies along the client area's bottom edge.
    ASSERT_TRUE(form->StatusBar.HasWindow());
    const wxRect bar = form->StatusBar.Window()->GetRect();
    EXPECT_EQ(bar.GetBottom() + 1, dialog->GetClientSize().y);
    EXPECT_EQ(bar.GetLeft(), 0);
    EXPECT_EQ(bar.GetWidth(), dialog->GetClientSize().x);

    if (const char *file = std::getenv("NARRELO_GEOMETRY_FILE")) {
        std::ofstream out(file);
        out << ChildRects(dialog);
        EXPECT_TRUE(out.good()) << file;
    }
}

TEST_F(MainFormTest, TheSpeedPopUpOpensJustAboveTheSpeedButtonFramedOrNot) {
    auto form = OpenForm();
    ASSERT_TRUE(Settled(form->Dialog()));
    // A person's click on the button; again when it did not arrive (another window test on
    // the same display may move the pointer or open its window over this one; bounded).
    const wxRect button = form->SpeedButton.Window()->GetScreenRect();
    wxUIActionSimulator mouse;
    auto shown = [&] { return form->SpeedPopup.HasWindow() && form->SpeedPopup.Dialog()->IsShownOnScreen(); };
    for (int attempt = 0; attempt < 5 && !shown(); ++attempt) {
        form->Dialog()->Raise();
        Pump();
        mouse.MouseMove(button.GetPosition() + wxPoint(button.width / 2, button.height / 2));
        mouse.MouseClick();
        PumpUntil(shown, 2);
    }
    ASSERT_TRUE(shown());
    // Where the X server shows it (wx's own record of a top-level window's place may lag
    // behind a window manager's moves): its client area, which is all of it, as it has no
    // frame. It takes a moment to be mapped.
    wxDialog *popup = form->SpeedPopup.Dialog();
    const wxPoint want(button.GetLeft() - 5, button.GetTop() - 2 - popup->GetClientSize().y);
    PumpUntil([&] { return popup->ClientToScreen(wxPoint(0, 0)) == want; });
    EXPECT_EQ(popup->ClientToScreen(wxPoint(0, 0)), want) << "the button is at " << button.x << "," << button.y;
}

}  // namespace
