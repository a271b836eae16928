// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Handing a document, address or program to the desktop through the host
// (foundation/host.h; by default xdg-open, see platform/default_program.h). Paths are 8-bit
// Windows-1254 and go out as UTF-8.

// Asks the desktop to open `path`. Raises "ShellExecute Failed With (%d) %s" with the errno
// value and its text when the opener cannot be started; once started, whatever it makes of
// the path (even a failure) counts as success.
void ShellOpen(const char *path);

// The same request, with any failure ignored (the links of the main form).
void OpenDocument(const char *path);
