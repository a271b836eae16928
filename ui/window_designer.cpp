// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_designer.h"

#include <algorithm>
#include <vector>

#include <gtk/gtk.h>
#include <wx/list.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include "foundation/exceptions.h"
#include "ui/wx_text.h"

namespace {

bool IsChild(const wxWindow *w) { return !w->IsTopLevel() && w->GetParent(); }

// The window's rectangle in the space the flag selects.
wxRect RectIn(const wxWindow *w, bool client) {
    wxRect r(w->GetPosition(), w->GetSize());
    if (IsChild(w) && !client) r.SetPosition(w->GetParent()->ClientToScreen(r.GetPosition()));
    return r;
}

// Moves and sizes the window to `r`, given in the space the flag selects.
void SetRectIn(wxWindow *w, wxRect r, bool client) {
    if (IsChild(w) && !client) r.SetPosition(w->GetParent()->ScreenToClient(r.GetPosition()));
    w->SetSize(r.x, r.y, r.width, r.height, wxSIZE_ALLOW_MINUS_ONE);
}

// Whether the focus is on `w` or inside it, in its own window. A window that is not active keeps its
// focus too (GTK's record of it, which wx reports as none) and gets it back with the
// activation. Returns 0 for no, 1 for the active window, 2 for a window that is not active.
int FocusHeld(wxWindow *w) {
    wxWindow *top = wxGetTopLevelParent(w);
    if (wxWindow *focus = wxWindow::FindFocus(); focus && wxGetTopLevelParent(focus) == top)
        return focus == w || w->IsDescendant(focus) ? 1 : 0;
    if (!top || !top->GetHandle() || !GTK_IS_WINDOW(top->GetHandle()) || !w->GetHandle()) return 0;
    GtkWidget *focus = gtk_window_get_focus(GTK_WINDOW(top->GetHandle()));
    return focus && (focus == w->GetHandle() || gtk_widget_is_ancestor(focus, w->GetHandle())) ? 2 : 0;
}

// Before `w` stops taking the keyboard (disabled or hidden) while the focus is on it or inside
// it: the focus moves on to the next control in the tab order that takes it (round to the
// first after the last), so that the keys still reach the window. GTK would otherwise leave
// the focus nowhere: Space, Enter and the arrows would do nothing until a click.
void HandOnFocus(wxWindow *w) {
    if (w->IsTopLevel()) return;
    switch (FocusHeld(w)) {
    case 1:
        w->Navigate(wxNavigationKeyEvent::IsForward);
        break;
    case 2: {
        // The toolkit's tab order does not move in a window that is not active: the next
        // sibling (the order of creation, which is the tab order) that takes the keys.
        const wxWindowList &siblings = w->GetParent()->GetChildren();
        auto at = std::find(siblings.begin(), siblings.end(), w);
        if (at == siblings.end()) break;
        std::vector<wxWindow *> order(std::next(at), siblings.end());
        order.insert(order.end(), siblings.begin(), at);
        for (wxWindow *next : order)
            if (next->IsShown() && next->IsEnabled() && next->CanAcceptFocusFromKeyboard()) {
                next->SetFocus();
                break;
            }
        break;
    }
    default: break;
    }
}

}  // namespace

TWindowDesigner::TWindowDesigner() : alive_(std::make_shared<TWindowDesigner *>(this)) {}

TWindowDesigner::~TWindowDesigner() {
    // Handlers still bound to the window see a dead designer from here on.
    *alive_ = nullptr;
    wxWindow *window = window_;
    window_ = nullptr;
    if (window && OwnsWindow && !window->IsTopLevel()) window->Destroy();
}

void TWindowDesigner::SetWindow(wxWindow *window) {
    window_ = window;
    if (!window) return;
    std::shared_ptr<TWindowDesigner *> alive = alive_;
    window->Bind(wxEVT_DESTROY, [alive, window](wxWindowDestroyEvent &event) {
        event.Skip();
        // The event travels up to the parents: only the window's own destruction counts.
        if (event.GetEventObject() != window) return;
        TWindowDesigner *designer = *alive;
        if (designer && designer->window_ == window) {
            designer->window_ = nullptr;
            designer->WindowDestroyed();
        }
    });
}

wxWindow *TWindowDesigner::Checked() const {
    if (!window_) RaiseError("Window Not Assigned to Designer");
    return window_;
}

void TWindowDesigner::Show() {
    wxWindow *w = Checked();
    w->Show(true);
    w->Raise();
}

void TWindowDesigner::Restore() {
    wxWindow *w = Checked();
    if (auto *top = dynamic_cast<wxTopLevelWindow *>(w)) {
        top->Iconize(false);
        top->Maximize(false);
    }
    w->Show(true);
    w->Raise();
}

void TWindowDesigner::OnKeyDown(wxWindow *, int32_t, TShiftState, bool &) {}
void TWindowDesigner::OnKeyUp(wxWindow *, int32_t, TShiftState, bool &) {}

void TWindowDesigner::SetLeft(int32_t x, bool client) {
    wxWindow *w = Checked();
    wxRect r = RectIn(w, client);
    r.x = x;
    SetRectIn(w, r, client);
}

void TWindowDesigner::SetTop(int32_t y, bool client) {
    wxWindow *w = Checked();
    wxRect r = RectIn(w, client);
    r.y = y;
    SetRectIn(w, r, client);
}

void TWindowDesigner::SetWidth(int32_t width) {
    wxWindow *w = Checked();
    wxRect r = RectIn(w, true);
    r.width = width;
    SetRectIn(w, r, true);
}

void TWindowDesigner::SetHeight(int32_t height, bool client) {
    wxWindow *w = Checked();
    wxRect r = RectIn(w, client);
    r.height = height;
    SetRectIn(w, r, client);
}

int32_t TWindowDesigner::GetLeft(bool client) const { return RectIn(Checked(), client).x; }
int32_t TWindowDesigner::GetTop(bool client) const { return RectIn(Checked(), client).y; }
int32_t TWindowDesigner::GetWidth() const { return Checked()->GetSize().x; }
int32_t TWindowDesigner::GetHeight() const { return Checked()->GetSize().y; }

int32_t TWindowDesigner::GetRight() const {
    wxRect r = RectIn(Checked(), true);
    return r.x + r.width;
}

int32_t TWindowDesigner::GetBottom() const {
    wxRect r = RectIn(Checked(), true);
    return r.y + r.height;
}

void TWindowDesigner::SetEnabled(bool enabled) {
    wxWindow *w = Checked();
    if (!enabled) HandOnFocus(w);
    w->Enable(enabled);
}

void TWindowDesigner::SetVisible(bool visible) {
    wxWindow *w = Checked();
    if (!visible) HandOnFocus(w);
    w->Show(visible);
}

bool TWindowDesigner::IsVisible() const { return Checked()->IsShown(); }
bool TWindowDesigner::IsEnabled() const { return Checked()->IsThisEnabled(); }
void TWindowDesigner::SetFocus() { Checked()->SetFocus(); }

void TWindowDesigner::SetAnsiText(const char *text) { ::SetAnsiText(Checked(), text); }

void TWindowDesigner::SetAnsiText(const char *text, char mnemonic) {
    ::SetAnsiTextWithMnemonic(Checked(), text, mnemonic);
}

MyString TWindowDesigner::GetAnsiText() const {
    wxWindow *w = Checked();
    if (auto *edit = dynamic_cast<wxTextCtrl *>(w)) return FromWxToMyString(edit->GetValue());
    return FromWxToMyString(ShownLabel(w));
}

bool TWindowDesigner::DispatchKey(const TKeyMessage &message, bool &handled) {
    switch (message.Kind) {
    case TKeyMessageKind::KeyDown:
    case TKeyMessageKind::SysKeyDown:
        OnKeyDown(window_, message.Key & 0xFFFF, ShiftStateOf(message), handled);
        return true;
    case TKeyMessageKind::KeyUp:
        OnKeyUp(window_, message.Key & 0xFFFF, ShiftStateOf(message), handled);
        return true;
    case TKeyMessageKind::Other:
        break;
    }
    return false;
}
