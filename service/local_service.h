// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's own speech service. A client that was not told of another service
// (DemoServer= on the command line, the "DemoServer" setting) and whose server list is the
// built-in one on this machine talks to the service of its own user: HTTP over the Unix
// socket "demoserver.sock" in the user's private runtime folder (platform/user_runtime.h),
// an address written "unix:<path>". No other user, no web page and no program that took a
// port first can open that socket, so a user's texts reach only that user's service.
//
// Where a user manager runs, its socket unit listens there and starts the service. Where none
// does (a container, a bare X server, the build tree), EnsureLocalService starts the
// narrelo-demoserver that lies beside the client's own program (the installed one in the
// same folder, or the build tree's server/) on that socket, detached from the client; the
// service ends itself after ten idle minutes. Its messages go to
// $XDG_STATE_HOME/narrelo/demoserver.log (~/.local/state when unset; folder 0700, file 0600).
//
// A service named by an http:// address (a remote one, the machine-wide one an administrator
// enabled, one behind a balancer) is reached over TCP as before, and never started here.

#include <sys/types.h>

#include <chrono>
#include <string>

enum class TLocalServiceState {
    NotWanted,  // another server is named, or the server list is not the built-in local one
    Running,    // something already answers on the user's socket
    Started,    // started now, and it answers
    Missing,    // no narrelo-demoserver beside the program
    Failed,     // no private folder for the socket, or started but did not answer in time
};

struct TLocalService {
    TLocalServiceState State = TLocalServiceState::NotWanted;
    pid_t Pid = -1;       // the process started (Started, Failed)
    std::string Program;  // the program started or looked for
    std::string Socket;   // the user's socket (Running, Started, Missing, Failed)
    std::string Error;    // Failed without a process: why there is no socket (UTF-8)
};

// The address prefix of a service reached over a Unix socket: "unix:<absolute path>".
inline constexpr const char *UnixAddressPrefix = "unix:";

// The socket path of a "unix:<path>" address; "" for any other address (or none).
std::string UnixSocketOf(const char *address);

// Whether this client reads from its user's own service (see above): no service named on
// the command line or in the settings, and the built-in server list on this machine.
// Raises what the settings store raises.
bool UsesUserService();

// Whether the service this client will read from runs on this machine: the user's own
// service, or a named one whose address is a "unix:" socket or this machine's loopback
// (localhost, 127.0.0.1, [::1], bare or as an http:// address). Decides, before a reading,
// whether the user is told that speech is made on a remote computer. Raises what the settings
// store raises.
bool ServiceIsOnThisMachine();

// "unix:<the user's socket>"; raises a TException (Service) with the reason when the user
// has no private folder for it.
std::string UserServiceAddress();

// See above. Never raises: the reading goes on and fails with its own message when no
// service answers. `wait`: how long a started service has to answer.
TLocalService EnsureLocalService(std::chrono::milliseconds wait = std::chrono::seconds(5));

// In the interface language (English when `english`), UTF-8: what to do when no local
// service can be reached, with the commands that start it: first those a user runs alone
// (no root needed), then the machine-wide socket unit, for an administrator.
std::string LocalServiceAdvice(bool english);
