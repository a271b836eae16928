// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialog font and dialog units. Every form uses one font, chosen here, and places its
// controls in dialog units of that font: a horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its height (the base units).
//
// Liberation Sans 8 at 96 DPI has base units 6 x 13, so a 508 x 325 unit form is 762 x 528
// pixels and fits a 1366 x 768 screen with every text visible. fontconfig substitutes a
// missing face silently; DialogFontIsPresent tells whether the face is really there.

#include <cstdint>

#include <wx/font.h>
#include <wx/gdicmn.h>

// Family and size of every dialog (one place).
inline constexpr const char *DialogFontFace = "Liberation Sans";
inline constexpr int DialogFontPoints = 8;

wxFont DialogFont();
bool DialogFontIsPresent();

struct TDialogUnits {
    int32_t BaseX = 0;  // average character width, pixels
    int32_t BaseY = 0;  // character height, pixels

    // Base units of a font: the width of "A".."Z" "a".."z" over 52, rounded, and the height.
    static TDialogUnits Of(const wxFont &font);

    // x * BaseX / 4 and y * BaseY / 8, rounded to the nearest pixel.
    int32_t X(int32_t units) const;
    int32_t Y(int32_t units) const;
    // A rectangle in units to pixels: each edge converts on its own, so adjacent rows stay
    // adjacent.
    wxRect Rect(int32_t x, int32_t y, int32_t width, int32_t height) const;
    wxSize Size(int32_t width, int32_t height) const { return wxSize(X(width), Y(height)); }
};

// (a * b) / c rounded half away from zero, in 64 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
