// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Anchors: each keeps chosen edges of a control at the distances from the form's edges that
// it had when it was captured, so that a form can lay its controls out again when its size
// changes.
//
// Rectangles: the form's reference rectangle is its client area, in its own client
// coordinates; a control's rectangle is its window rectangle in the form's client
// coordinates. The frame and title bar are left out on purpose: a window manager adds them
// only once the window is on the screen (so they differ between capture and a later layout),
// and a window without one has none, while the client area is the same in both. Positions
// are read from what wx has been told (not from the X server), so a layout right after a
// resize sees the new sizes.

#include <cstdint>

#include <wx/gdicmn.h>

#include "foundation/custom_list.h"

class wxWindow;
class TWindowDesigner;

// Mode of an anchor: plain, or centred horizontally after anchoring.
inline constexpr int32_t AnchorPlain = 0;
inline constexpr int32_t AnchorCentreHorizontally = 3;

struct TControlAnchor {
    bool Captured = false;
    int32_t RightDistance = 0;   // form right - control right
    int32_t LeftDistance = 0;    // control left - form left
    int32_t TopDistance = 0;     // control top - form top
    int32_t BottomDistance = 0;  // form bottom - control bottom
    int32_t Mode = AnchorPlain;
    TWindowDesigner *Control = nullptr;
    TWindowDesigner *Form = nullptr;
    bool AnchorLeft = false;
    bool AnchorTop = false;
    bool AnchorRight = false;
    bool AnchorBottom = false;
};

// The form's anchors, in the order they were added; owns its records.
class TControls : public TCustomList {
public:
    TControls() = default;
    ~TControls() override;
    TControlAnchor *Anchor(int32_t i) const { return static_cast<TControlAnchor *>(Get(i)); }
    // Takes ownership of `anchor` and appends it.
    TControlAnchor *Add(TControlAnchor *anchor);
    // Deletes every record.
    void Clear() override;
};

// The form's reference rectangle (its client area) and a control's rectangle, as above.
wxRect FormReferenceRect(const wxWindow *form);
wxRect ControlRectInForm(const wxWindow *control, const wxWindow *form);

// Takes the four distances unless already captured or a window is missing.
void CaptureAnchor(TControlAnchor &anchor);
// Puts the control where its anchors say (capturing first if needed), raises it above its
// siblings, then centres it when the mode says so. Skipped while a window is missing.
void ApplyAnchor(TControlAnchor &anchor);
