// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialog_units.h"

#include <cstdlib>

#include <wx/dcscreen.h>
#include <wx/fontenum.h>

wxFont DialogFont() {
    return wxFont(wxFontInfo(DialogFontPoints).FaceName(DialogFontFace));
}

bool DialogFontIsPresent() { return wxFontEnumerator::IsValidFacename(DialogFontFace); }

TDialogUnits TDialogUnits::Of(const wxFont &font) {
    wxScreenDC dc;
    dc.SetFont(font);
    wxCoord width = 0, height = 0;
    dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &width, &height);
    return TDialogUnits{(int32_t(width) / 26 + 1) / 2, int32_t(height)};
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    int64_t p = int64_t(a) * b;
    int64_t q = (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c);
    return int32_t(((p < 0) != (c < 0)) ? -q : q);
}

int32_t TDialogUnits::X(int32_t units) const { return MulDiv(units, BaseX, 4); }
int32_t TDialogUnits::Y(int32_t units) const { return MulDiv(units, BaseY, 8); }

wxRect TDialogUnits::Rect(int32_t x, int32_t y, int32_t width, int32_t height) const {
    int32_t left = X(x), top = Y(y);
    return wxRect(left, top, X(x + width) - left, Y(y + height) - top);
}
