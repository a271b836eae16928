// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TInstanceBell: how a second copy of the client asks the copy that runs to come to the
// front, instead of ending without a word. The running copy listens on a Unix datagram
// socket "<name>.bell" beside its single-instance marker (single_instance.h: the user's
// private runtime folder, or a name with the user id in the temporary folder). The socket is
// made for the user alone (no access for group or others), and a ring goes only to a socket
// of the user's. A second copy sends one byte there and ends. Only the arrival counts: the
// byte is never read for its value.
//
// The ring is delivered on the bell's own thread; the owner posts what it does to its UI
// thread. Uses the C library only.

#include <functional>
#include <string>
#include <thread>
#include <utility>

class TInstanceBell {
public:
    // Listens for `name` (the marker's name); `ring` runs on the bell's thread, once per ring.
    // A bell that cannot be set up (no folder, a name too long for a socket) stays silent.
    TInstanceBell(const std::string &name, std::function<void()> ring);
    // Stops listening and removes the socket.
    ~TInstanceBell();
    TInstanceBell(const TInstanceBell &) = delete;
    TInstanceBell &operator=(const TInstanceBell &) = delete;

    bool Listening() const { return fd_ >= 0; }

    // Rings the bell of the copy that runs; false when nobody listens there.
    static bool Ring(const std::string &name);
    // The socket's path for `name`.
    static std::string SocketPath(const std::string &name);

private:
    void Listen();

    int fd_ = -1;
    int wake_[2] = {-1, -1};  // a pipe: written by the destructor to end the thread
    std::string path_;
    std::function<void()> ring_;
    std::thread thread_;
};
