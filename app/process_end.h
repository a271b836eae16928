#pragma once
// Ending the process at once, as the language switch does: no window is closed and no
// clean-up runs (std::_Exit). The ender is replaceable so that a test sees the request
// without its own process ending; an ender that returns does not save the caller: the
// process ends anyway.

#include <functional>

using TProcessEndHandler = std::function<void(int exitCode)>;

// Installs `handler` (empty: the default) and returns the previous one.
TProcessEndHandler SetProcessEndHandler(TProcessEndHandler handler);

[[noreturn]] void EndProcessNow(int exitCode);
