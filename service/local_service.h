// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The local speech service, started on demand where no service manager starts it (a
// container, a bare X server, the build tree): before a reading looks for its server, a
// client whose server list lives on this machine (the built-in "localhost:8081") and that was
// not told of another server (DemoServer= on the command line, the "DemoServer" setting)
// makes sure something answers there. When nothing does, it starts the narrelo-demoserver
// that lies beside its own program (the installed one in the same folder, or the build
// tree's server/), detached from the client, which ends itself after ten idle minutes, and
// waits until it answers. The service's messages go to
// $XDG_STATE_HOME/narrelo/demoserver.log (~/.local/state when unset; folder 0700, file 0600).

#include <sys/types.h>

#include <chrono>
#include <string>

enum class TLocalServiceState {
    NotWanted,  // another server is named, or the server list is not on this machine
    Running,    // something already answers at the local address
    Started,    // started now, and it answers
    Missing,    // no narrelo-demoserver beside the program
    Failed,     // started, but it did not answer in time
};

struct TLocalService {
    TLocalServiceState State = TLocalServiceState::NotWanted;
    pid_t Pid = -1;       // the process started (Started, Failed)
    std::string Program;  // the program started or looked for
    int Port = 0;         // the local port
};

// See above. Never raises: the reading goes on and fails with its own message when no
// service answers. `wait`: how long a started service has to answer.
TLocalService EnsureLocalService(std::chrono::milliseconds wait = std::chrono::seconds(5));

// In the interface language (English when `english`), UTF-8: what to do when no local
// service can be reached, with the commands that start it: first those a user runs alone
// (no root needed), then the machine-wide socket unit, for an administrator.
std::string LocalServiceAdvice(bool english);
