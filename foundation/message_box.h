// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's one message box. Every dialog with the user that is a plain question or
// notice goes through ShowMessageBox, which hands the text to the installed host
// (foundation/host.h): the window's shows a dialog on the UI thread, narrelo-say's writes to
// standard error, the tests' fake records texts and returns scripted answers.

// Styles and answers, with the values callers compare against.
inline constexpr int MB_OK = 0;
inline constexpr int MB_YESNO = 4;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Host().ShowMessage(text, style): shows `text` (8-bit Windows-1254; null arrives as "")
// modally and returns the button pressed (IDOK, IDYES or IDNO). May be called from any
// thread; it blocks the calling thread until answered.
int ShowMessageBox(const char *text, int style);
