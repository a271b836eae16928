// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/speed_popup_side.h"

#include "app/form_speed.h"
#include "app/main_form_texts.h"
#include "app/speed_texts.h"
#include "ui/button.h"

#include <wx/window.h>

int32_t ApplySpeedChange(TFormSpeed &popup, TButton &speedButton, bool english) {
    const int32_t position = popup.Slider.GetPos();
    popup.ValueLabel.SetAnsiText(SpeedLabel(position).Text());
    const MyString text = SpeedButtonText(position, english);
    speedButton.SetAnsiText(text.Text(), MainFormTexts::ButtonMnemonic(text.Text()));
    return position;
}

void ToggleSpeedPopup(TFormSpeed &popup, TForm &mainForm, TButton &speedButton) {
    TForm::Guarded([&] {
        const bool closedByThisClick = popup.TakeRecentDeactivationHide();
        if (popup.IsVisible() || closedByThisClick) {
            popup.SetVisible(false);
            return;
        }
        // From the client area's corner on the screen, not the window's: a window manager's
        // title bar and border would otherwise lift the pop-up off the button.
        const wxPoint client = mainForm.Window()->ClientToScreen(wxPoint(0, 0));
        const int32_t left = client.x + speedButton.GetLeft(true) - 5;
        const int32_t top = client.y + speedButton.GetTop(true) - popup.UsableHeight() - 2;
        popup.SetLeft(left, false);
        popup.SetTop(top, false);
        popup.ShowNoActivate();
    });
}
