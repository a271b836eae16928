// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ending the process at once: no window is closed and no clean-up runs (std::_Exit); and
// starting the program again in its place, as the language switch does. The ender is
// replaceable so that a test sees the request without its own process ending; an ender that
// returns does not save the caller: the process ends (or is replaced) anyway.

#include <functional>

using TProcessEndHandler = std::function<void(int exitCode)>;

// Installs `handler` (empty: the default) and returns the previous one.
TProcessEndHandler SetProcessEndHandler(TProcessEndHandler handler);

[[noreturn]] void EndProcessNow(int exitCode);

// What the ender is called with for RestartProcessNow.
inline constexpr int ProcessRestartCode = -1;

// Replaces this process with a new run of the same program with the same arguments (the
// executable and the command line as the system recorded them). Descriptors opened
// close-on-exec, the single-instance marker among them, go with the old image. When the new
// run cannot be started, the process ends as EndProcessNow(0) does.
[[noreturn]] void RestartProcessNow();
