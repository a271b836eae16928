// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's one message box. Every dialog with the user that is a plain question or
// notice goes through ShowMessageBox, which hands the text to one replaceable handler: the
// GUI installs one that shows a dialog on the UI thread, narrelo-say keeps the default
// (standard error), tests install one that records texts and returns scripted answers.

#include <functional>

// Styles and answers, with the values callers compare against.
inline constexpr int MB_OK = 0;
inline constexpr int MB_YESNO = 4;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// text: 8-bit Windows-1254, never null when called (a null text arrives as "").
// Returns the answer (IDOK, IDYES or IDNO). May be called from any thread; it blocks the
// calling thread until answered.
using TMessageBoxHandler = std::function<int(const char *text, int style)>;

// Installs `handler` (an empty function restores the default) and returns the previous one.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

// Shows `text` modally and returns the button pressed. The default handler writes the text
// (as UTF-8) to standard error and answers a Yes/No question with IDNO, since nobody
// consented; an OK box answers IDOK.
int ShowMessageBox(const char *text, int style);
