// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The widgets behind static texts and hyperlink texts. Both paint their text themselves, so
// that the form can choose the text colour while a static is painted (TForm's control-colour
// hook), a hyperlink can show its clickable part in the colour its markup asks for, and the
// text-fits check measures exactly what is drawn. Both wrap at word boundaries when a line
// is wider than the control; a line break in the text starts a new line.

#include <cstdint>
#include <functional>
#include <vector>

#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/window.h>

// Splits `text` into the lines drawn in a control `width` pixels wide: paragraphs at "\n"
// (a "\r" before it is dropped), words at blanks, greedy filling. A word wider than the
// control stands alone on its line (and overflows it). `measure` gives a text's width.
std::vector<wxString> WrapText(const wxString &text, int width,
                               const std::function<int(const wxString &)> &measure);

// A hyperlink text parsed from markup: the text between <a ...> and </a> is clickable; the
// rest is plain. An anchor with style="font-color=<name>;" shows in that colour (any name
// wx knows: Red, Blue, ...), otherwise in the link colour.
struct TLinkRun {
    wxString Text;
    int32_t Anchor = -1;  // index of the anchor, -1 for plain text
    wxColour Colour;      // set only for an anchor with a colour of its own
};
std::vector<TLinkRun> ParseLinkMarkup(const wxString &markup);
// The text without the markup.
wxString LinkPlainText(const wxString &markup);

// What the control-colour hook can change while a static is painted. Colours are 32-bit
// values with red in the low byte, then green, then blue.
class TDrawContext {
public:
    explicit TDrawContext(wxDC &dc) : dc_(dc) {}
    wxDC &DC() { return dc_; }
    void SetTextColor(uint32_t rgb) { text_ = wxColour(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }
    uint32_t TextColor() const { return text_.Red() | (text_.Green() << 8) | (text_.Blue() << 16); }
    void SetTextColour(const wxColour &c) { text_ = c; }
    const wxColour &TextColour() const { return text_; }

private:
    wxDC &dc_;
    wxColour text_;
};

// Implemented by the window of a form: called while one of its static texts paints.
class TControlColorHost {
public:
    virtual ~TControlColorHost() = default;
    virtual void ControlColor(int32_t id, wxWindow *control, TDrawContext &context) = 0;
};

// Static text. With `centred` every line is centred; with `notify` a click sends a button
// command event with the control's id to the parent.
class TTextWindow : public wxWindow {
public:
    TTextWindow(wxWindow *parent, wxWindowID id, const wxString &text, const wxPoint &pos,
                const wxSize &size, bool centred, bool notify);
    void SetLabel(const wxString &label) override;
    wxString GetLabel() const override { return text_; }
    bool AcceptsFocus() const override { return false; }
    bool HasTransparentBackground() override { return true; }
    // Paints onto `dc` as the paint handler does (the hook included); returns the colour used.
    wxColour PaintTo(wxDC &dc);
    // The lines drawn at the control's current width.
    std::vector<wxString> Lines() const;

private:
    wxString text_;
    bool centred_;
};

// Hyperlink text. Clicking an anchor (or Enter / space while focused: the first anchor) sends
// a wxEVT_HYPERLINK event with the control's id; its URL is the anchor's index. With a tab
// stop it takes the focus from the keyboard (Tab), and while it has the focus a dotted frame
// is drawn around its clickable words.
class TLinkWindow : public wxWindow {
public:
    TLinkWindow(wxWindow *parent, wxWindowID id, const wxString &markup, const wxPoint &pos,
                const wxSize &size, bool tabStop);
    void SetLabel(const wxString &markup) override;
    wxString GetLabel() const override { return markup_; }
    bool AcceptsFocus() const override { return tabStop_; }
    bool HasTransparentBackground() override { return true; }
    // Laid-out words: where each is drawn and to which anchor it belongs.
    struct TPlaced {
        wxString Text;
        wxRect Rect;
        int32_t Anchor;
        wxColour Colour;
    };
    std::vector<TPlaced> Layout(wxDC &dc) const;
    // The anchor at a point of the client area, or -1.
    int32_t AnchorAt(const wxPoint &p);
    // Sends the click event for anchor `anchor`.
    void Click(int32_t anchor);
    // The first anchor's index, or -1 when the markup has none: what Enter and Space press.
    int32_t FirstAnchor() const;
    // Paints onto `dc` as the paint handler does, the focus mark included while focused.
    void PaintTo(wxDC &dc);
    // Where the focus mark is drawn: around the clickable words, inside the control.
    wxRect FocusMarkRect(wxDC &dc) const;

private:
    wxString markup_;
    std::vector<TLinkRun> runs_;
    bool tabStop_;
};
