// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A web server for tests: cpp-httplib on 127.0.0.1, on a port the system picks. Register
// handlers on Http() first, then Start(); the destructor stops it and joins its thread.
// Connections are not kept waiting after an answer for more than a second, so stopping is
// quick.

#include <httplib.h>

#include <string>
#include <string_view>
#include <thread>

class THttpTestServer {
public:
    THttpTestServer();
    ~THttpTestServer();
    THttpTestServer(const THttpTestServer &) = delete;
    THttpTestServer &operator=(const THttpTestServer &) = delete;

    httplib::Server &Http() { return server_; }
    void Start();

    int Port() const { return port_; }
    // "http://127.0.0.1:<port><path>".
    std::string Url(std::string_view path) const;

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// A port on 127.0.0.1 that accepts connections (the system completes them) and never
// answers: requests sit unread until the client gives up or the object is destroyed.
class TSilentListener {
public:
    TSilentListener();
    ~TSilentListener();
    TSilentListener(const TSilentListener &) = delete;
    TSilentListener &operator=(const TSilentListener &) = delete;

    std::string Url(std::string_view path) const;

private:
    int socket_ = -1;
    int port_ = 0;
};

// A loopback port nothing listens on (bound, then closed again).
int UnusedPort();
