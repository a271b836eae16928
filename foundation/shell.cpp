// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/shell.h"

#include <cerrno>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/host.h"
#include "foundation/system_error_text.h"

void ShellOpen(const char *path) {
    const int error = Host().OpenDocument(cp1254::ToUtf8(path ? path : ""));
    if (error == 0) return;
    errno = error;  // the "last error" that the message reports twice
    const MyString text = SystemErrorText(false, 0);
    RaiseError(TErrorCategory::InputOutput, "ShellExecute Failed With (%d) %s", error, text.Text());
}

void OpenDocument(const char *path) { Host().OpenDocument(cp1254::ToUtf8(path ? path : "")); }
