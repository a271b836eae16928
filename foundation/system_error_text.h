// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The operating system's text for an error code, as the program's string.

#include <cstdint>

#include "foundation/my_string.h"

// Readable text of an error code: strerror's text followed by " (%d)"; only the suffix when
// the system has no text for the code. With useGivenCode false the calling thread's errno,
// read on entry, replaces `code`.
MyString SystemErrorText(bool useGivenCode, int32_t code);
