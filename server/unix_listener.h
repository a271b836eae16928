// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The service's own Unix socket: how a user's service is reached by that user alone.
//
// UnixListeningSocket(path) listens at `path` with mode 0600 in a folder that must be this
// user's own (see platform/user_runtime.h: a folder, not a link, owned by this user, 0700).
// One service per path: it holds an exclusive lock on "<path>.lock" for its whole life (also
// across its restarts and the processes of --processes, which inherit it), waits a moment for a service that
// is just ending, and refuses to start while another one holds it. With the lock held, a
// socket left at `path` by a service that died is removed; anything else at `path` (a file,
// a link, a folder) is refused, never removed.

#include <string>

// The listening socket (close-on-exec). Throws std::runtime_error with the reason.
int UnixListeningSocket(const std::string &path);

// Removes the socket at `path` when the service ends, while it still holds the lock, so a
// client finds no stale socket. Only the socket this process made.
void RemoveUnixSocket(const std::string &path);

// Whether the client on `connection` may be served: on a Unix socket, only a process of
// the service's own user (its credentials, as the kernel gives them); any TCP peer is
// judged elsewhere.
bool PeerIsOwnUser(int connection);

// Whether `socket` is a Unix-domain socket; its path is put into `path`.
bool IsUnixSocket(int socket, std::string &path);
