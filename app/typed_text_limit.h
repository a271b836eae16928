// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Limits what the user can type or paste into a multi-line text box to a number of
// characters, as the platform's own limit does for single-line boxes (GTK's multi-line box
// has none): a typed character that would pass the limit is refused, and a paste is cut to
// what still fits, after its last whole word where there is one (never inside a character
// and its combining marks), and reported. Text set by the program is not limited.

#include <cstdint>
#include <functional>

class wxString;
class wxTextCtrl;

// Called after a paste was cut: `pasted` characters were on the clipboard, `dropped` of
// them were left out.
using TPasteCutHandler = std::function<void(int32_t pasted, int32_t dropped)>;

void LimitTypedText(wxTextCtrl *ctrl, int32_t characters, TPasteCutHandler onCut = {});

// How many leading characters of `text` to insert when only `fit` characters fit: `fit`
// itself when the whole text fits; otherwise up to the last blank within `fit` (the blank
// kept) when one lies in the second half of it, else `fit`; never between a character and
// the combining marks that follow it.
int32_t PasteCutPoint(const wxString &text, int32_t fit);

// How many characters of an insertion of `inserted` characters fit, when the box holds
// `length` characters of which `selected` are selected (and replaced by the insertion).
int32_t CharactersThatFit(int32_t limit, int32_t length, int32_t selected, int32_t inserted);
