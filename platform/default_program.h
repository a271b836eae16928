// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening a file or address with the desktop's default program: `xdg-open <target>`,
// started with posix_spawnp (looked up in PATH, no shell in between, so nothing in the
// target is interpreted), with the caller's environment.

#include <string>

// Returns 0 when the program was started, else the errno value of the failure (ENOENT when
// xdg-open is not installed). The program's own success is not waited for: a child is
// reaped by a background thread, so it never lingers as a zombie.
int OpenWithDefaultProgram(const std::string &utf8Target);
