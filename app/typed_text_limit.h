#pragma once
// Limits what the user can type or paste into a multi-line text box to a number of
// characters, as the platform's own limit does for single-line boxes (GTK's multi-line box
// has none): a typed character that would pass the limit is refused, and a paste is cut to
// what still fits. Text set by the program is not limited.

#include <cstdint>

class wxTextCtrl;

void LimitTypedText(wxTextCtrl *ctrl, int32_t characters);

// How many characters of an insertion of `inserted` characters fit, when the box holds
// `length` characters of which `selected` are selected (and replaced by the insertion).
int32_t CharactersThatFit(int32_t limit, int32_t length, int32_t selected, int32_t inserted);
