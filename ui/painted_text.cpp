// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/painted_text.h"

#include "ui/accessible.h"

#include <wx/dcclient.h>
#include <wx/hyperlink.h>
#include <wx/settings.h>


namespace {

std::vector<wxString> Paragraphs(const wxString &text) {
    std::vector<wxString> out;
    wxString current;
    for (wxUniChar c : text) {
        if (c == '\n') {
            if (!current.empty() && current.Last() == '\r') current.RemoveLast();
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    out.push_back(current);
    return out;
}

}  // namespace

std::vector<wxString> WrapText(const wxString &text, int width,
                               const std::function<int(const wxString &)> &measure) {
    std::vector<wxString> lines;
    for (const wxString &paragraph : Paragraphs(text)) {
        wxString line;
        wxString word;
        auto flushWord = [&] {
            if (word.empty()) return;
            wxString candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && measure(candidate) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            word.clear();
        };
        for (wxUniChar c : paragraph) {
            if (c == ' ')
                flushWord();
            else
                word += c;
        }
        flushWord();
        lines.push_back(line);
    }
    return lines;
}

std::vector<TLinkRun> ParseLinkMarkup(const wxString &markup) {
    std::vector<TLinkRun> runs;
    int32_t anchors = 0;
    size_t i = 0;
    TLinkRun plain;
    auto push = [&](TLinkRun &run) {
        if (!run.Text.empty()) runs.push_back(run);
        run = TLinkRun{};
    };
    while (i < markup.length()) {
        bool open = markup.compare(i, 2, "<a") == 0 && i + 2 < markup.length() &&
                    (markup[i + 2] == '>' || markup[i + 2] == ' ');
        if (!open) {
            plain.Text += markup[i++];
            continue;
        }
        size_t tagEnd = markup.find('>', i);
        size_t close = tagEnd == wxString::npos ? wxString::npos : markup.find("</a>", tagEnd);
        if (close == wxString::npos) {  // not a complete anchor: shown as it is
            plain.Text += markup[i++];
            continue;
        }
        push(plain);
        TLinkRun link;
        link.Anchor = anchors++;
        wxString attributes = markup.Mid(i + 2, tagEnd - i - 2);
        int colourAt = attributes.Find("font-color=");
        if (colourAt != wxNOT_FOUND) {
            wxString name = attributes.Mid(colourAt + 11).BeforeFirst(';').BeforeFirst('"');
            link.Colour = wxColour(name.Trim().Trim(false));
        }
        link.Text = markup.Mid(tagEnd + 1, close - tagEnd - 1);
        runs.push_back(link);
        i = close + 4;
    }
    push(plain);
    return runs;
}

wxString LinkPlainText(const wxString &markup) {
    wxString out;
    for (const TLinkRun &run : ParseLinkMarkup(markup)) out += run.Text;
    return out;
}

// --- TTextWindow

TTextWindow::TTextWindow(wxWindow *parent, wxWindowID id, const wxString &text,
                         const wxPoint &pos, const wxSize &size, bool centred, bool notify)
    : wxWindow(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE), text_(text),
      centred_(centred) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // Drawn, not a native label: a screen reader is told what it says and that it is a label.
    SetAccessibleRole(this, TAccessibleRole::Label);
    SetAccessibleName(this, text_.utf8_str());
    Bind(wxEVT_PAINT, [this](wxPaintEvent &) {
        wxPaintDC dc(this);
        PaintTo(dc);
    });
    if (notify) {
        Bind(wxEVT_LEFT_UP, [this](wxMouseEvent &) {
            wxCommandEvent click(wxEVT_BUTTON, GetId());
            click.SetEventObject(this);
            ProcessWindowEvent(click);
        });
    }
}

void TTextWindow::SetLabel(const wxString &label) {
    text_ = label;
    SetAccessibleName(this, text_.utf8_str());
    Refresh();
}

std::vector<wxString> TTextWindow::Lines() const {
    wxClientDC dc(const_cast<TTextWindow *>(this));
    dc.SetFont(GetFont());
    return WrapText(text_, GetClientSize().x, [&](const wxString &s) { return dc.GetTextExtent(s).x; });
}

wxColour TTextWindow::PaintTo(wxDC &dc) {
    wxWindow *parent = GetParent();
    wxColour background = parent ? parent->GetBackgroundColour() : GetBackgroundColour();
    dc.SetBackground(wxBrush(background));
    dc.Clear();
    dc.SetFont(GetFont());
    TDrawContext context(dc);
    context.SetTextColour(IsEnabled() ? GetForegroundColour()
                                      : wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    if (auto *host = dynamic_cast<TControlColorHost *>(wxGetTopLevelParent(this)))
        host->ControlColor(GetId(), this, context);
    dc.SetTextForeground(context.TextColour());
    int width = GetClientSize().x;
    int y = 0;
    for (const wxString &line :
         WrapText(text_, width, [&](const wxString &s) { return dc.GetTextExtent(s).x; })) {
        wxSize extent = dc.GetTextExtent(line.empty() ? wxString("M") : line);
        int x = centred_ ? (width - dc.GetTextExtent(line).x) / 2 : 0;
        dc.DrawText(line, x, y);
        y += extent.y;
    }
    return context.TextColour();
}

// --- TLinkWindow

TLinkWindow::TLinkWindow(wxWindow *parent, wxWindowID id, const wxString &markup,
                         const wxPoint &pos, const wxSize &size, bool tabStop)
    : wxWindow(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE | (tabStop ? wxTAB_TRAVERSAL : 0)),
      markup_(markup), runs_(ParseLinkMarkup(markup)), tabStop_(tabStop) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // A screen reader presses it as Enter does (after answering the reader).
    SetAccessibleAction(this, [this] {
        CallAfter([this] {
            if (FirstAnchor() >= 0) Click(FirstAnchor());
        });
    });
    SetAccessibleRole(this, TAccessibleRole::Link);
    SetAccessibleName(this, LinkPlainText(markup_).utf8_str());
    Bind(wxEVT_PAINT, [this](wxPaintEvent &) {
        wxPaintDC dc(this);
        PaintTo(dc);
    });
    Bind(wxEVT_MOTION, [this](wxMouseEvent &e) {
        SetCursor(AnchorAt(e.GetPosition()) >= 0 ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
    });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent &e) {
        int32_t anchor = AnchorAt(e.GetPosition());
        if (anchor >= 0) Click(anchor);
    });
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent &e) {
        const int key = e.GetKeyCode();
        if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_SPACE) && !e.HasAnyModifiers() &&
            FirstAnchor() >= 0)
            return Click(FirstAnchor());
        e.Skip();
    });
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent &e) { Refresh(); e.Skip(); });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent &e) { Refresh(); e.Skip(); });
}

void TLinkWindow::SetLabel(const wxString &markup) {
    markup_ = markup;
    runs_ = ParseLinkMarkup(markup);
    SetAccessibleName(this, LinkPlainText(markup_).utf8_str());
    Refresh();
}

std::vector<TLinkWindow::TPlaced> TLinkWindow::Layout(wxDC &dc) const {
    dc.SetFont(GetFont());
    std::vector<TPlaced> placed;
    const int width = GetClientSize().x;
    const int lineHeight = dc.GetCharHeight();
    const int space = dc.GetTextExtent(" ").x;
    int x = 0, y = 0;
    bool pendingSpace = false;
    for (const TLinkRun &run : runs_) {
        wxString word;
        auto place = [&] {
            if (word.empty()) return;
            int w = dc.GetTextExtent(word).x;
            int gap = (pendingSpace && x > 0) ? space : 0;
            if (x > 0 && x + gap + w > width) {
                x = 0;
                y += lineHeight;
                gap = 0;
            }
            placed.push_back(TPlaced{word, wxRect(x + gap, y, w, lineHeight), run.Anchor, run.Colour});
            x += gap + w;
            pendingSpace = false;
            word.clear();
        };
        for (wxUniChar c : run.Text) {
            if (c == ' ') {
                place();
                pendingSpace = true;
            } else if (c == '\n') {
                place();
                x = 0;
                y += lineHeight;
                pendingSpace = false;
            } else if (c != '\r') {
                word += c;
            }
        }
        place();
    }
    return placed;
}

int32_t TLinkWindow::AnchorAt(const wxPoint &p) {
    wxClientDC dc(this);
    for (const TPlaced &word : Layout(dc))
        if (word.Anchor >= 0 && word.Rect.Contains(p)) return word.Anchor;
    return -1;
}

void TLinkWindow::Click(int32_t anchor) {
    wxHyperlinkEvent click(this, GetId(), wxString::Format("%d", anchor));
    ProcessWindowEvent(click);
}

int32_t TLinkWindow::FirstAnchor() const {
    for (const TLinkRun &run : runs_)
        if (run.Anchor >= 0) return run.Anchor;
    return -1;
}

wxRect TLinkWindow::FocusMarkRect(wxDC &dc) const {
    wxRect around;
    for (const TPlaced &word : Layout(dc))
        if (word.Anchor >= 0) around = around.IsEmpty() ? word.Rect : around.Union(word.Rect);
    if (around.IsEmpty()) around = wxRect(wxPoint(0, 0), GetClientSize());
    return around.Inflate(1).Intersect(wxRect(wxPoint(0, 0), GetClientSize()));
}

void TLinkWindow::PaintTo(wxDC &dc) {
    wxWindow *parent = GetParent();
    dc.SetBackground(wxBrush(parent ? parent->GetBackgroundColour() : GetBackgroundColour()));
    dc.Clear();
    wxFont plainFont = GetFont();
    wxFont linkFont = plainFont;
    linkFont.SetUnderlined(true);
    const wxColour linkColour = wxSystemSettings::GetColour(wxSYS_COLOUR_HOTLIGHT);
    for (const TPlaced &word : Layout(dc)) {
        dc.SetFont(word.Anchor >= 0 ? linkFont : plainFont);
        dc.SetTextForeground(word.Anchor < 0 ? GetForegroundColour()
                             : word.Colour.IsOk() ? word.Colour
                                                  : linkColour);
        dc.DrawText(word.Text, word.Rect.GetPosition());
    }
    // The focus mark: where the keyboard is, as a button shows it.
    if (HasFocus()) {
        dc.SetPen(wxPen(GetForegroundColour(), 1, wxPENSTYLE_DOT));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(FocusMarkRect(dc));
    }
}
