// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main form's side of the speed pop-up: what its OnSpeedChanged does, and the speed
// button's click. Kept apart from the main form so both are tested with a small owner.

#include <cstdint>

class TButton;
class TForm;
class TFormSpeed;

// Reads the slider position, shows its value in the pop-up's label and "Speed" / "Hız" with
// the value (when not normal) on the speed button. Returns the position: the form's new
// speed.
int32_t ApplySpeedChange(TFormSpeed &popup, TButton &speedButton, bool english);

// The speed button's click: an open pop-up is hidden (not destroyed); otherwise the pop-up
// is placed above the button and shown without taking the activation:
//   left = form's client area left (screen) + button left (form's client coordinates) - 5
//   top  = form's client area top (screen) + button top (client) - pop-up's client height - 2
// (the client area, so that a window manager's frame around the form changes nothing).
// A program exception is shown in a message box.
void ToggleSpeedPopup(TFormSpeed &popup, TForm &mainForm, TButton &speedButton);
