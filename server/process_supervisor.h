// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the processes of narrelo-demoserver start, watch and replace each other.
//
// With several processes (--processes), the first one only supervises: it holds the
// listening sockets and starts each serving process from the program file with the sockets
// handed over as a service manager hands them (descriptors from 3, LISTEN_FDS, LISTEN_PID).
// A serving process that dies of anything but a clean end is reaped and another started in
// its place, at once, or after a back-off that doubles while they die soon after their
// start; one that ended cleanly (idle, or told to stop) is not replaced, and the supervisor
// ends with the last of them. SIGTERM and SIGINT stop every serving process (each finishes
// the requests in hand) and then the supervisor; SIGHUP is passed on to each serving process.
//
// A serving process restarts itself on SIGHUP: it answers the requests in hand, leaves the
// connections still waiting in the backlog, and replaces itself (the same process) by the
// program file as it is now, handing itself the listening sockets, which never close: no
// client is refused during a restart.

#include <sys/types.h>

#include <string>
#include <vector>

// Names, in a serving process's environment, the supervisor that started it (its pid).
inline constexpr const char *SupervisorVariable = "NARRELO_DEMOSERVER_SUPERVISOR";

// The program file this process runs, as it was when the process started.
class TProgramFile {
public:
    static TProgramFile OfThisProcess();
    const std::string &Path() const { return path_; }
    // Whether the file at Path is no longer the one running (removed, or replaced by
    // another, as a package upgrade does); false when the path was never known.
    bool Replaced() const;

private:
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

// Whether this process was started by a supervisor that is still its parent.
bool IsSupervised();

// Replaces this process by `program` run with `arguments` (arguments[0] its name), handing it
// `sockets` as a service manager would; SIGTERM, SIGINT and SIGHUP are blocked across the
// exec, for the program to unblock once its handlers are in place. Returns only when that
// failed, with the reason.
std::string ExecWithSockets(const std::string &program, const std::vector<std::string> &arguments,
                            const std::vector<int> &sockets);

// Supervises `processes` serving processes, each `program` run with `arguments` and handed
// `sockets`, until stopped (SIGTERM, SIGINT) or until every one has ended cleanly; returns
// the exit status. Call it from a process with one thread.
int SuperviseProcesses(const std::string &program, const std::vector<std::string> &arguments,
                       const std::vector<int> &sockets, int processes);
