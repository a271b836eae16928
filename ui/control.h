// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TControl: what every control class shares: a designer whose window is the control's
// widget, the kinds of table row it can serve, and the widget factory that turns a row of a
// control table into a wx widget.
//
// A control object is a member of its form and lives as long as the form object; its widget
// exists from the form's window creation (binding by id) or from CreateAt, until the form's
// window is destroyed. Destroying the control destroys its widget.

#include <cstdint>

#include <wx/gdicmn.h>
#include <wx/string.h>

#include "ui/control_table.h"
#include "ui/window_designer.h"

class wxWindow;

class TControl : public TWindowDesigner {
public:
    // Whether a row of this kind may be bound to this class.
    virtual bool Accepts(TControlKind kind) const = 0;
    // Takes the widget created for it (from a table row or by CreateAt) and ties its own
    // handlers to it.
    virtual void Attach(wxWindow *widget) { SetWindow(widget); }
    // The control's id; raises "Window Not Assigned to Designer" without a widget.
    int32_t Id() const;
};

// Pixels a GTK radio or check box needs beside its text for the indicator, and the least
// height that holds it.
inline constexpr int CheckIndicatorWidth = 28;
inline constexpr int CheckMinimumHeight = 18;

// Widens (and heightens) a radio or check box in place so that its indicator and its current
// text fit; other widgets are left alone. Never moves it.
void MakeRoomForIndicator(wxWindow *widget);

// Creates the widget of a row at `rect` (pixels, parent's client coordinates) with `text`
// (already converted; markup for a link). Applies the row's styles: hidden, disabled, tab
// stop, checked, group. A radio or check box narrower than its indicator plus its text, or
// lower than the indicator, is widened (and heightened) in place: never moved. `firstRadio`
// tells whether a radio button starts a new group. Null if wx could not create it.
wxWindow *CreateWidget(wxWindow *parent, const TControlSpec &row, wxRect rect,
                       const wxString &text, bool firstRadio);
