// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader is told about a control (through the toolkit's accessibility layer,
// ATK, which AT-SPI reads): its name, where its own text does not say what it is ("||" for
// pause, a text box, a progress bar), and an announcement when something the user must act
// on appears. Texts are UTF-8. A window without a native widget is passed over.

#include <functional>

class wxWindow;

// What a drawn control is, where the toolkit cannot tell (it sees a plain panel).
enum class TAccessibleRole { Label, Link };
void SetAccessibleRole(wxWindow *window, TAccessibleRole role);

// Names `window` for assistive technology, in place of what its label would give.
void SetAccessibleName(wxWindow *window, const char *utf8);
// Describes `window` (read after its name).
void SetAccessibleDescription(wxWindow *window, const char *utf8);

// Lets assistive technology press a drawn control (a link): its accessible object offers one
// action, "click", which calls `press` on the UI thread. Call it before anything else asks
// for the window's accessible object (first thing after the window is made): only objects
// made afterwards carry the action. `press` should only queue the work (CallAfter): it runs
// while the screen reader waits for its answer.
void SetAccessibleAction(wxWindow *window, std::function<void()> press);
