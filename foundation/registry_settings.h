// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings the foundation reads and writes itself, each through a TRegistry of its own
// on the current user's store that is destroyed (key closed) before returning, also when it
// raises.
//
// The reads answer their defaults for a missing key or value and never create anything. A
// store that exists but cannot be read (a corrupt file) is not a missing key: it raises
// "Key %s Not Opened 1.\r\n%s", so that the damage is seen instead of silently ignored.

#include <cstdint>

#include "foundation/my_string.h"

// "Software\Valtrosa\Narrelo", REG_DWORD "InterfaceIsEnglish": 1 = English; 0 when the key
// or the value is missing.
int32_t ReadInterfaceIsEnglish();
// Creates the key when needed and writes the REG_DWORD.
void WriteInterfaceIsEnglish(int32_t value);

// A REG_SZ value of "Software\Valtrosa" (maker-level settings such as "DemoServer"); the
// empty text when the key or the value is missing.
MyString ReadMakerSetting(const char16_t *name);
MyString ReadMakerSetting(const char *name);  // 8-bit name
