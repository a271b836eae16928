// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A speech service address that takes no connection, for the tests of calls that must end
// while they still connect.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

// An address on loopback that takes no new connection: its queue of connections not yet
// taken holds one already (the backlog is 0), so the system drops every further attempt and
// a client's connect waits, as for an address that drops packets.
class TFullListener {
public:
    TFullListener() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr *>(&address), size) != 0 ||
            listen(listener_, 0) != 0 || getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            ADD_FAILURE() << "no loopback socket";
        filler_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (filler_ < 0 || connect(filler_, reinterpret_cast<sockaddr *>(&address), size) != 0)
            ADD_FAILURE() << "the queue was not filled";
        endpoint_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/soap";
    }
    ~TFullListener() {
        if (filler_ >= 0) close(filler_);
        if (listener_ >= 0) close(listener_);
    }
    TFullListener(const TFullListener &) = delete;
    TFullListener &operator=(const TFullListener &) = delete;
    // The SOAP endpoint on it (the path does not matter: no request ever arrives).
    const char *Endpoint() const { return endpoint_.c_str(); }

private:
    int listener_ = -1, filler_ = -1;
    std::string endpoint_;
};
