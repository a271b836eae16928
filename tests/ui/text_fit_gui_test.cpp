// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog font against the program's control tables: every text a form shows must be
// fully visible, in both interface languages (run under Xvfb at 96 DPI).

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/dialog.h>

#include "foundation/code_page.h"
#include "support/gui_test.h"
#include "ui/button.h"
#include "ui/dialog_units.h"
#include "ui/form.h"
#include "ui/text_fit.h"
#include "ui/wx_text.h"

namespace {

// The main reading window's table (texts: Turkish, then English where it differs).
const TDialogTemplate kMainWindow{130, 508, 325, "Valtrosa", dsCaption | dsSysMenu, {
    {1000, TControlKind::Edit, csTabStop | csMultiLine | csVScroll | csHScroll | csWantReturn | csNoHideSel, 7, 24, 357, 231, ""},
    {1007, TControlKind::PushButton, csTabStop, 7, 259, 36, 17, "Oku", "Read"},
    {1012, TControlKind::PushButton, csTabStop | csDisabled, 44, 259, 27, 17, "||"},
    // 40 units wide where 35 were planned: GTK's button frame needs the room for "Speed -10";
    // the next control starts at 162, so it grows without moving anything.
    {1014, TControlKind::PushButton, 0, 73, 259, 40, 17, "H\xFDz", "Speed"},
    {IDC_STATIC, TControlKind::GroupBox, 0, 210, 255, 144, 23, ""},
    {IDC_STATIC, TControlKind::Text, 0, 162, 263, 39, 8, "Okuma Şekli"_cp},
    {1002, TControlKind::RadioButton, csChecked, 219, 263, 64, 10, "Belirgin Okuma"},
    {1003, TControlKind::RadioButton, 0, 292, 263, 54, 10, "Akıcı Okuma"_cp},
    {1034, TControlKind::CheckBox, csTabStop, 210, 10, 65, 10, "XML Ön İşleme"_cp, "XML Pre Processing"},
    {1035, TControlKind::PushButton, csTabStop | csDisabled, 283, 9, 66, 14, "XML Cümleleri"_cp, "XML Sentences"},
    {1011, TControlKind::ProgressBar, csHidden | csBorder, 7, 288, 142, 15},
    {1024, TControlKind::PushButton, csTabStop | csHidden, 404, 293, 71, 17, "Dinlemeye devam etmek için Buraya Basınız."_cp, "To Continue listening, Click Here"},
    {1033, TControlKind::Text, csHidden, 336, 297, 60, 8, "! Dikkat >> ", "! Attention >>"},
    {1037, TControlKind::Link, csTabStop, 395, 33, 96, 9, "<a style=\"font-color=Red;\">Ücretsiz Tam Sürümü Yükle</a>"_cp},
    {1017, TControlKind::Picture, csCentred, 371, 32, 13, 12, nullptr, nullptr, 132},
    {1032, TControlKind::Link, csTabStop, 395, 51, 75, 12, "<a>İnternet Sitesine Git</a>"_cp, "<a>Visit Web Site</a>"},
    {1015, TControlKind::Picture, csCentred, 371, 50, 13, 12, nullptr, nullptr, 138},
    {1036, TControlKind::Link, csTabStop, 375, 233, 122, 21, "<a>Convert Interface Language To English</a>", "<a>Arabirim Dilini TÜRKÇE'ye Çevir</a>"_cp},
    {1031, TControlKind::Link, csHidden, 441, 173, 35, 9, "<a>Satın Al</a>"_cp, "<a>Buy</a>"},
    {1030, TControlKind::Link, csHidden, 372, 157, 116, 14, "<a>Sıkça Sorulan Sorular</a>"_cp},
}};

// The speed pop-up and the login dialog.
const TDialogTemplate kSpeed{131, 36, 108, "", dsPopup | dsTopMost | dsNoActivate, {
    {1004, TControlKind::Slider, csTabStop | csVertical | csTicksBoth, 3, 0, 27, 92},
    {1015, TControlKind::Text, csCentred, 8, 95, 19, 8, "-10"},
}};

const TDialogTemplate kLogin{135, 242, 182, "a", dsCaption | dsSysMenu, {
    {IDC_STATIC, TControlKind::Text, 0, 7, 19, 56, 8, "E-Posta Adresiniz"},
    {1000, TControlKind::Edit, csTabStop | csBorder | csAutoHScroll, 8, 30, 227, 14, ""},
    {IDC_STATIC, TControlKind::Text, 0, 8, 51, 24, 8, "Şifreniz"_cp},
    {1036, TControlKind::Edit, csTabStop | csBorder | csAutoHScroll, 7, 61, 228, 14, ""},
    {IDOK, TControlKind::DefPushButton, csTabStop, 133, 151, 50, 14, "Tamam"},
    {IDCANCEL, TControlKind::PushButton, csTabStop, 185, 151, 50, 14, "İptal"_cp},
}};

std::string Describe(const std::vector<TTextMisfit> &misfits) {
    std::string out;
    for (const TTextMisfit &m : misfits)
        out += std::to_string(m.Id) + " \"" + m.Text + "\" needs " + std::to_string(m.Need.x) + "x" +
               std::to_string(m.Need.y) + ", has " + std::to_string(m.Have.x) + "x" + std::to_string(m.Have.y) + "\n";
    return out;
}

using TextFitTest = GuiTest;

TEST_F(TextFitTest, DialogFontIsPresentAndHasTheDialogBaseUnits) {
    ASSERT_TRUE(DialogFontIsPresent()) << DialogFontFace << " missing: install fonts-liberation2";
    TDialogUnits units = TDialogUnits::Of(DialogFont());
    EXPECT_EQ(units.BaseX, 6);
    EXPECT_EQ(units.BaseY, 13);
}

TEST_F(TextFitTest, MainWindowFitsTheScreenAndShowsEveryTextInBothLanguages) {
    TForm form(kMainWindow);
    ASSERT_TRUE(form.Create());
    EXPECT_EQ(form.Dialog()->GetClientSize(), wxSize(762, 528));
    // Room for a title bar and frame on a 1366 x 768 screen.
    EXPECT_LE(form.Dialog()->GetClientSize().y + 40, 768);

    // What the program shows later: the listening-pause row, widened to 240 pixels, and
    // the progress bar.
    for (int32_t id : {1011, 1024, 1033}) form.Item(id)->Show();
    form.Item(1024)->SetSize(240, -1);

    struct Later {
        int32_t Id;
        const char *Text;
    };
    const Later laterTexts[] = {
        {1007, "Dur"}, {1007, "Stop"}, {1007, "Devam"}, {1007, "Continue"},
        {1014, "H\xFDz -10"}, {1014, "Speed -10"}, {1014, "H\xFDz 10"}, {1014, "Speed 10"},
    };
    for (bool english : {false, true}) {
        form.ApplyTexts(english);
        EXPECT_EQ(Describe(TextsThatDoNotFit(form)), "") << (english ? "English" : "Turkish");
        for (const Later &later : laterTexts) {
            SetAnsiText(form.Item(later.Id), later.Text);
            EXPECT_EQ(Describe(TextsThatDoNotFit(form)), "") << later.Text;
        }
    }
}

TEST_F(TextFitTest, SmallFormsShowEveryText) {
    for (const TDialogTemplate *t : {&kSpeed, &kLogin}) {
        TForm form(*t);
        ASSERT_TRUE(form.Create());
        EXPECT_EQ(Describe(TextsThatDoNotFit(form)), "") << t->Id;
    }
}

TEST_F(TextFitTest, TheCheckFindsATextThatIsCutOff) {
    const TDialogTemplate tight{999, 100, 60, "", dsCaption, {
        {10, TControlKind::PushButton, 0, 0, 0, 20, 14, "Dinlemeye devam et"},
        {11, TControlKind::Text, 0, 0, 20, 30, 8, "iki satır gereken metin"_cp},
        {12, TControlKind::Text, 0, 0, 30, 30, 16, "iki satır"_cp},
    }};
    TForm form(tight);
    ASSERT_TRUE(form.Create());
    std::vector<TTextMisfit> misfits = TextsThatDoNotFit(form);
    ASSERT_EQ(misfits.size(), 2u) << Describe(misfits);
    EXPECT_EQ(misfits[0].Id, 10);
    EXPECT_EQ(misfits[1].Id, 11);
}

}  // namespace
