// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSingleInstanceMarker: the cross-process marker that tells a second copy of the client
// that one already runs in this user's session. Only its existence counts: it is never
// waited on.
//
// The marker <name> is an exclusive flock on the file "<name>.lock" in $XDG_RUNTIME_DIR (the
// user's private runtime folder), or, when that is unset or not absolute, "<name>-<uid>.lock"
// in the temporary folder ($TMPDIR, else /tmp). The lock belongs to the open file, so the
// kernel lets go of it when the process ends, however it ends (a crash, _exit, SIGKILL): a
// dead copy never keeps a new one from starting. The file itself stays; only the lock
// matters. The descriptor is close-on-exec, so a program the client starts (the installer
// of an update, a browser) never inherits the marker.
//
// Outcomes, in the numbers the client compares against:
//   0                      the marker was taken: no other copy runs
//   MarkerAlreadyExists    another process holds it
//   MarkerAccessDenied     the lock file exists but this user may not open it (someone else
//                          made it): treated like another copy
//   any other errno value  the marker could not be set up; the client starts anyway
//
// Uses the C library only.

#include <cstdint>
#include <string>

inline constexpr int32_t MarkerAlreadyExists = 183;
inline constexpr int32_t MarkerAccessDenied = 5;

class TSingleInstanceMarker {
public:
    // Tries to take the marker `name` (never blocks).
    explicit TSingleInstanceMarker(const std::string &name);
    // Lets go of the marker (closes the file) when it was taken.
    ~TSingleInstanceMarker();
    TSingleInstanceMarker(const TSingleInstanceMarker &) = delete;
    TSingleInstanceMarker &operator=(const TSingleInstanceMarker &) = delete;

    // The outcome above, read at once after the attempt.
    int32_t LastError() const { return lastError_; }
    // This object holds the marker.
    bool Created() const { return fd_ >= 0; }
    // Another copy runs: LastError is MarkerAlreadyExists or MarkerAccessDenied.
    bool AnotherCopyRuns() const {
        return lastError_ == MarkerAlreadyExists || lastError_ == MarkerAccessDenied;
    }

    // The lock file the marker `name` uses, following the rule above.
    static std::string LockFilePath(const std::string &name);

private:
    int fd_ = -1;
    int32_t lastError_ = 0;
};
