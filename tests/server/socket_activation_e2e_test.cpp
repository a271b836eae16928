// SPDX-License-Identifier: GPL-3.0-or-later
// The service started by a socket unit: systemd-socket-activate hands it two listening
// sockets (IPv4 and IPv6 loopback) exactly as systemd does; the service answers on both,
// with the address each was bound to, and ends itself after --idle-exit seconds.

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/server/support/raw_http.h"
#include "tests/support/child_process.h"

namespace {

// A port free on both loopback addresses just now.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

const char *const Activator = "/usr/bin/systemd-socket-activate";

TEST(SocketActivationE2ETest, ServesTheSocketsHandedOverAndEndsWhenIdle) {
    if (!std::filesystem::exists(Activator)) GTEST_SKIP() << "systemd-socket-activate is not installed";
    const std::string folder = std::filesystem::temp_directory_path() / ("narrelo-activation-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const int port = FreePort();
    const std::string where = std::to_string(port);
    TChildProcess activator(Activator,
                            {"-l", "127.0.0.1:" + where, "-l", "[::1]:" + where,
                             std::string(NARRELO_BINARY_DIR) + "/server/narrelo-demoserver", "--idle-exit", "2",
                             "--processes", "1", "--key-file", folder + "/key", "--cache-dir", folder + "/cache"});
    // The activator listens at once and starts the service on the first connection.
    std::string answer;
    for (int i = 0; i < 200 && answer.empty(); ++i) {
        try {
            TRawConnection connection(port);
            connection.Send("GET /demoserver.txt HTTP/1.1\r\nHost: 127.0.0.1:" + where +
                            "\r\nConnection: close\r\n\r\n");
            answer = connection.ReadAll();
        } catch (const std::exception &) {
            // not listening yet
        }
        if (answer.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(StatusOf(answer), 200) << answer;
    EXPECT_NE(answer.find("http://127.0.0.1:" + where + "/Project2.DemoServer/soap/IDemoServer"),
              std::string::npos) << answer;

    // Idle for two seconds, it ends by itself (bounded wait), and says why.
    const TChildResult run = activator.Wait(std::chrono::seconds(20));
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("listening on http://127.0.0.1:" + where), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("listening on http://[::1]:" + where), std::string::npos) << run.Out;
    EXPECT_NE(run.Err.find("idle, stopped"), std::string::npos) << run.Err;
    std::filesystem::remove_all(folder);
}

}  // namespace
