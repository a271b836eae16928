// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Window texts at the wx border. Inside the program every text is Windows-1254; wx holds
// wxString (UTF-32 on this platform). These are the only conversions between the two, so a
// text crosses the border once in each direction. A character without a Windows-1254 byte
// becomes '?' on the way in, as the code page functions do everywhere else.

#include <cstdint>
#include <string>
#include <string_view>

#include <wx/string.h>

#include "foundation/my_string.h"

class wxWindow;

// Windows-1254 bytes to a wxString; a null text gives "". `length` -1: up to the NUL.
wxString ToWx(const char *text, int32_t length = -1);
wxString ToWx(std::string_view text);
wxString ToWx(const MyString &text);

// A wxString to Windows-1254 bytes.
std::string FromWx(const wxString &text);
MyString FromWxToMyString(const wxString &text);

// UTF-16 (the wide text of the program's buffers) to and from wxString.
wxString WideToWx(std::u16string_view text);
std::u16string WxToWide(const wxString &text);

// Sets the window's text (its label, its value for an edit) from Windows-1254 bytes. Any
// window may be given, a control or a form; a null window does nothing.
void SetAnsiText(wxWindow *window, const char *text);
void SetAnsiText(wxWindow *window, const char *text, int32_t length);

// The text a control shows: its label without the mnemonic mark ("&Oku" shows "Oku"); for a
// window that is no control (a drawn text, a form) its label as it is.
wxString ShownLabel(const wxWindow *window);

// `text` with `letter` as its mnemonic: the first occurrence of the letter (either case) is
// marked, so that Alt and the letter press the control and the letter is underlined while
// Alt is held; a '&' of the text itself stays a '&'. A letter the text lacks (or 0) marks
// nothing.
wxString WithMnemonic(const wxString &text, char letter);
// Sets a control's label from Windows-1254 bytes with `letter` as its mnemonic.
void SetAnsiTextWithMnemonic(wxWindow *window, const char *text, char letter);
