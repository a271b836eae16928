// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/control_anchor.h"

#include <wx/window.h>

#include "ui/window_designer.h"

TControls::~TControls() { Clear(); }

TControlAnchor *TControls::Add(TControlAnchor *anchor) {
    TCustomList::Add(anchor);
    return anchor;
}

void TControls::Clear() {
    for (int32_t i = 0; i < Count(); ++i) delete Anchor(i);
    TCustomList::Clear();
}

wxRect FormReferenceRect(const wxWindow *form) {
    // The client area alone: the frame a window manager draws around the window arrives
    // after the window is shown (and not at all without one), so a reference that held it
    // would move every anchored control by the frame's thickness between capture and layout.
    return wxRect(wxPoint(0, 0), form->GetClientSize());
}

wxRect ControlRectInForm(const wxWindow *control, const wxWindow *form) {
    wxRect r(control->GetPosition(), control->GetSize());
    for (const wxWindow *p = control->GetParent(); p && p != form; p = p->GetParent()) {
        r.Offset(p->GetPosition());
        r.Offset(p->GetClientAreaOrigin());
    }
    return r;
}

namespace {

bool HaveWindows(const TControlAnchor &a) {
    return a.Control && a.Form && a.Control->Window() && a.Form->Window();
}

}  // namespace

void CaptureAnchor(TControlAnchor &a) {
    if (a.Captured || !HaveWindows(a)) return;
    wxRect form = FormReferenceRect(a.Form->Window());
    wxRect control = ControlRectInForm(a.Control->Window(), a.Form->Window());
    a.RightDistance = form.GetRight() - control.GetRight();
    a.LeftDistance = control.GetLeft() - form.GetLeft();
    a.TopDistance = control.GetTop() - form.GetTop();
    a.BottomDistance = form.GetBottom() - control.GetBottom();
    a.Captured = true;
}

void ApplyAnchor(TControlAnchor &a) {
    if (!HaveWindows(a)) return;
    CaptureAnchor(a);
    wxWindow *formWindow = a.Form->Window();
    wxWindow *control = a.Control->Window();
    wxRect form = FormReferenceRect(formWindow);
    wxRect now = ControlRectInForm(control, formWindow);
    // Edges as left/right (exclusive right, like a Windows RECT) keep the arithmetic plain.
    int left = now.x, right = now.x + now.width, top = now.y, bottom = now.y + now.height;
    int formLeft = form.x, formRight = form.x + form.width;
    int formTop = form.y, formBottom = form.y + form.height;

    if (a.AnchorLeft && a.AnchorRight) {
        left = formLeft + a.LeftDistance;
        right = formRight - a.RightDistance;
    } else if (a.AnchorLeft) {
        left = formLeft + a.LeftDistance;
        right = left + now.width;
    } else if (a.AnchorRight) {
        right = formRight - a.RightDistance;
        left = right - now.width;
    }
    if (a.AnchorTop && a.AnchorBottom) {
        top = formTop + a.TopDistance;
        bottom = formBottom - a.BottomDistance;
    } else if (a.AnchorTop) {
        top = formTop + a.TopDistance;
        bottom = top + now.height;
    } else if (a.AnchorBottom) {
        bottom = formBottom - a.BottomDistance;
        top = bottom - now.height;
    }

    // Back into the parent's client coordinates (the parent is the form for a direct child).
    wxPoint shift = now.GetPosition() - control->GetPosition();
    control->SetSize(left - shift.x, top - shift.y, right - left, bottom - top,
                     wxSIZE_ALLOW_MINUS_ONE);
    control->Raise();  // of overlapping anchored controls, the last applied is on top

    if (a.Mode == AnchorCentreHorizontally) {
        int width = right - left;
        int x = (formRight - formLeft) / 2 - width / 2;
        control->Move(x - shift.x, top - shift.y);
        control->Refresh();
    }
}
