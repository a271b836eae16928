// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text-fits check: whether every text a form shows is fully visible in its control.
// Measures each shown child of the form's window in the control's own font:
// - push buttons: the text plus the button's frame must fit on one line;
// - check boxes and radio buttons: the indicator (CheckIndicatorWidth) plus the text;
// - static and hyperlink texts: wrapped at words to the control's width, every line must fit
//   and all lines together must fit its height;
// - group boxes: the caption on the frame.
// Edits, progress bars, sliders and pictures show no text of their own and are not checked.
// Controls hidden at the time are skipped: show the ones the program shows before checking.

#include <cstdint>
#include <string>
#include <vector>

#include <wx/gdicmn.h>

class TForm;

struct TTextMisfit {
    int32_t Id;        // the control's id (-1 for anonymous rows)
    std::string Text;  // the text, UTF-8, for the report
    wxSize Need;       // what the text needs
    wxSize Have;       // the control's client size
};

// Horizontal and vertical room a push button's frame takes around its text.
inline constexpr int ButtonFrameWidth = 8;
inline constexpr int ButtonFrameHeight = 4;

std::vector<TTextMisfit> TextsThatDoNotFit(const TForm &form);
