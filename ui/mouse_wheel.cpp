// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mouse_wheel.h"

#include <wx/window.h>

#include "ui/window_designer.h"

void BindMouseWheel(TWindowDesigner &, wxWindow *widget, std::shared_ptr<TWindowDesigner *> alive,
                    std::function<bool()> swallow) {
    widget->Bind(wxEVT_MOUSEWHEEL, [alive, widget, swallow](wxMouseEvent &event) {
        TWindowDesigner *designer = *alive;
        if (!designer) return event.Skip();
        int32_t keys = 0;
        if (event.LeftIsDown()) keys |= MK_LBUTTON;
        if (event.RightIsDown()) keys |= MK_RBUTTON;
        if (event.MiddleIsDown()) keys |= MK_MBUTTON;
        if (event.ShiftDown()) keys |= MK_SHIFT;
        if (event.ControlDown()) keys |= MK_CONTROL;
        int32_t delta = event.GetWheelDelta() > 0
                            ? event.GetWheelRotation() * WHEEL_DELTA / event.GetWheelDelta()
                            : event.GetWheelRotation();
        wxPoint screen = widget->ClientToScreen(event.GetPosition());
        designer->Listeners().OnMouseWheel(designer, keys, delta, screen.x, screen.y);
        if (!*alive || !swallow()) event.Skip();
    });
}
