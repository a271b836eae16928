// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reading window's text kept across runs, so that closing the window, Escape, a crash
// or a power cut never loses what the user typed: one UTF-8 file of mode 0600 in a folder of
// mode 0700, $XDG_STATE_HOME/narrelo/text.txt (~/.local/state/narrelo/text.txt when the
// variable is unset or not absolute). Written whole and atomically (a temporary file in the
// same folder, flushed to disk, then renamed over the old one), so a reader finds the old text
// or the new one, never a part.

#include <optional>
#include <string>
#include <string_view>

// The file's path; empty when neither XDG_STATE_HOME nor HOME gives a folder.
std::string KeptTextPath();
// The kept text, or nothing when there is none (or it cannot be read).
std::optional<std::string> LoadKeptText();
// Keeps `utf8`; false when it could not be written (the old text then stays).
bool SaveKeptText(std::string_view utf8);
