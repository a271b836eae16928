// SPDX-License-Identifier: GPL-3.0-or-later
// Static texts and hyperlink texts, which paint themselves (run under Xvfb).

#include <vector>

#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>

#include "foundation/code_page.h"
#include "support/gui_test.h"
#include "ui/form.h"
#include "ui/link_ctrl.h"
#include "ui/painted_text.h"
#include "ui/static_label.h"

namespace {

const TDialogTemplate kTexts{906, 200, 100, "Texts", dsCaption | dsSysMenu, {
    {1033, TControlKind::Text, 0, 7, 7, 60, 8, "! Dikkat >> "},
    {1040, TControlKind::Text, 0, 7, 20, 60, 8, "Okuma"},
    {1037, TControlKind::Link, csTabStop, 7, 40, 150, 9, "<a style=\"font-color=Red;\">Ücretsiz Tam Sürümü Yükle</a>"_cp},
    {1032, TControlKind::Link, csTabStop, 7, 55, 150, 9, "Git: <a>Visit Web Site</a>"},
}};

class TTextsForm : public TForm {
public:
    TTextsForm() : TForm(kTexts) {
        BindControl(1033, Attention);
        BindControl(1037, Download);
        BindControl(1032, Site);
    }
    TStatic Attention;
    TLinkCtrl Download, Site;
    std::vector<int32_t> Painted;
    std::vector<std::pair<int32_t, int32_t>> Clicked;
    uint32_t AttentionColour = 255;

protected:
    void OnControlColor(int32_t id, wxWindow *, TDrawContext &context) override {
        Painted.push_back(id);
        if (id == 1033) context.SetTextColor(AttentionColour);
    }
    void OnLinkClicked(int32_t id, int32_t anchor) override { Clicked.push_back({id, anchor}); }
};

// Whether the text drawn on `bitmap` has a pixel close to `colour`.
bool HasPixelLike(const wxBitmap &bitmap, const wxColour &colour) {
    wxImage image = bitmap.ConvertToImage();
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (std::abs(image.GetRed(x, y) - colour.Red()) < 40 && std::abs(image.GetGreen(x, y) - colour.Green()) < 40 &&
                std::abs(image.GetBlue(x, y) - colour.Blue()) < 40)
                return true;
    return false;
}

wxBitmap Paint(wxWindow *w) {
    wxBitmap bitmap(w->GetClientSize());
    wxMemoryDC dc(bitmap);
    static_cast<TTextWindow *>(w)->PaintTo(dc);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

using PaintedTest = GuiTest;

TEST_F(PaintedTest, StaticTextIsColouredByTheFormWhileItPaints) {
    TTextsForm form;
    ASSERT_TRUE(form.Create());
    const wxColour red(255, 0, 0), silver(192, 192, 192);
    form.AttentionColour = 255;
    EXPECT_TRUE(HasPixelLike(Paint(form.Attention.Window()), red));
    form.AttentionColour = 12632256;
    wxBitmap blinked = Paint(form.Attention.Window());
    EXPECT_FALSE(HasPixelLike(blinked, red));
    EXPECT_FALSE(HasPixelLike(Paint(form.Item(1040)), red)) << "other statics keep their colour";
    EXPECT_EQ(form.Painted, (std::vector<int32_t>{1033, 1033, 1040}));
}

TEST_F(PaintedTest, LinkMarkup) {
    struct Case {
        const char *label;
        const char *markup;  // UTF-8
        std::vector<std::pair<const char *, int32_t>> runs;  // text (UTF-8), anchor
    };
    const Case cases[] = {
        {"one anchor", "<a>Visit Web Site</a>", {{"Visit Web Site", 0}}},
        {"text around", "Git: <a>site</a> şimdi", {{"Git: ", -1}, {"site", 0}, {" şimdi", -1}}},
        {"two anchors", "<a>A</a> ve <a href=\"x\">B</a>", {{"A", 0}, {" ve ", -1}, {"B", 1}}},
        {"no markup", "düz metin", {{"düz metin", -1}}},
        {"unclosed anchor stays text", "<a>açık", {{"<a>açık", -1}}},
    };
    for (const Case &c : cases) {
        std::vector<TLinkRun> runs = ParseLinkMarkup(wxString::FromUTF8(c.markup));
        ASSERT_EQ(runs.size(), c.runs.size()) << c.label;
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].Text, wxString::FromUTF8(c.runs[i].first)) << c.label;
            EXPECT_EQ(runs[i].Anchor, c.runs[i].second) << c.label;
        }
    }
    std::vector<TLinkRun> red = ParseLinkMarkup(L"<a style=\"font-color=Red;\">Y\u00fckle</a>");
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(red[0].Colour, *wxRED);
}

TEST_F(PaintedTest, ClickingTheAnchorReachesTheForm) {
    TTextsForm form;
    ASSERT_TRUE(form.Create());
    auto *site = static_cast<TLinkWindow *>(form.Site.Window());
    wxClientDC dc(site);
    std::vector<TLinkWindow::TPlaced> words = site->Layout(dc);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words[0].Text, "Git:");
    EXPECT_EQ(words[0].Anchor, -1);
    auto click = [&](wxPoint at) {
        wxMouseEvent up(wxEVT_LEFT_UP);
        up.SetPosition(at);
        up.SetEventObject(site);
        site->ProcessWindowEvent(up);
    };
    click(words[0].Rect.GetPosition() + wxPoint(2, 2));  // plain text: nothing
    click(words.back().Rect.GetPosition() + wxPoint(2, 2));
    EXPECT_EQ(form.Clicked, (std::vector<std::pair<int32_t, int32_t>>{{1032, 0}}));
}

}  // namespace
