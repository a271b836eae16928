// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/service/support/http_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {

// A TCP socket bound to 127.0.0.1 on a free port; `port` receives the number.
int BoundLoopbackSocket(int &port) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        close(s);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return s;
}

}  // namespace

THttpTestServer::THttpTestServer() {
    // The getter honours the proxy settings of the environment, as the program should; a
    // machine that sets one must still reach this server directly.
    setenv("no_proxy", "127.0.0.1,localhost", 1);
    setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    server_.set_keep_alive_timeout(1);
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind the test web server");
}

void THttpTestServer::Start() {
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() only reaches a server that is running, so wait for that (bounded).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

THttpTestServer::~THttpTestServer() {
    if (!thread_.joinable()) return;
    server_.stop();
    thread_.join();
}

std::string THttpTestServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

TSilentListener::TSilentListener() {
    socket_ = BoundLoopbackSocket(port_);
    if (listen(socket_, 4) != 0) {
        close(socket_);
        throw std::runtime_error("listen failed");
    }
}

TSilentListener::~TSilentListener() { close(socket_); }

std::string TSilentListener::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

int UnusedPort() {
    int port = 0;
    close(BoundLoopbackSocket(port));
    return port;
}
