// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The service's messages on standard error: each line one write, so the lines of several
// threads and processes never interleave.
//
// A line that repeats (the same key within RepeatIntervalSeconds of its last written copy)
// is counted instead of written; the next copy written after the interval, or the summary
// that any later line brings out, says how many were left out. A client that makes the
// service write the same complaint thousands of times a second costs a line a few seconds.

#include <cstdint>
#include <string>

inline constexpr int RepeatIntervalSeconds = 5;

// Writes "narrelo-demoserver: <text>\n".
void LogMessage(const std::string &text);
// Writes `line` (one line, its newline included), unless a line of `key` was written less
// than RepeatIntervalSeconds ago: then it is only counted.
void LogLimited(const std::string &key, const std::string &line);
// Writes what LogLimited still has counted and not said (at the end of the process).
void FlushLogRepeats();
