// SPDX-License-Identifier: GPL-3.0-or-later
// Every local program reaches the service from the one loopback address: a burst of clients
// is answered, each with 200 or 503 and Retry-After, none closed without an answer; idle
// connections that come back as soon as they are closed hold nobody up and do not flood the
// log.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/support/raw_http.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

// A non-blocking loopback connection being made; -1 when no socket could be had.
int StartConnecting(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(port));
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// `count` clients that connect at once, each sending `request` and reading its answer to
// the end (bounded by `seconds` for all): every answer, "" for a connection that got none.
std::vector<std::string> Burst(int port, size_t count, const std::string &request, int seconds) {
    struct TClient {
        int Fd = -1;
        size_t Sent = 0;
        bool Done = false;
        std::string Answer;
    };
    std::vector<TClient> clients(count);
    for (TClient &client : clients) {
        client.Fd = StartConnecting(port);
        client.Done = client.Fd < 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::vector<pollfd> waiting;
    std::vector<size_t> which;
    char buffer[65536];
    for (;;) {
        waiting.clear();
        which.clear();
        for (size_t i = 0; i < clients.size(); ++i) {
            if (clients[i].Done) continue;
            const bool sending = clients[i].Sent < request.size();
            waiting.push_back({clients[i].Fd, short(sending ? POLLOUT : POLLIN), 0});
            which.push_back(i);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (waiting.empty() || left.count() <= 0) break;
        if (::poll(waiting.data(), waiting.size(), int(left.count())) <= 0) continue;
        for (size_t k = 0; k < waiting.size(); ++k) {
            TClient &client = clients[which[k]];
            if (waiting[k].revents == 0) continue;
            if (client.Sent < request.size()) {
                const ssize_t put = ::send(client.Fd, request.data() + client.Sent,
                                           request.size() - client.Sent, MSG_NOSIGNAL);
                if (put > 0)
                    client.Sent += size_t(put);
                else if (errno != EAGAIN && errno != EINTR)
                    client.Done = true;
                // Not yet connected, or refused at once: what comes is read below.
                if (client.Done) {
                    const ssize_t got = ::recv(client.Fd, buffer, sizeof buffer, 0);
                    if (got > 0) client.Answer.append(buffer, size_t(got));
                }
                continue;
            }
            const ssize_t got = ::recv(client.Fd, buffer, sizeof buffer, 0);
            if (got > 0)
                client.Answer.append(buffer, size_t(got));
            else if (got == 0 || (errno != EAGAIN && errno != EINTR))
                client.Done = true;
        }
    }
    std::vector<std::string> answers;
    for (TClient &client : clients) {
        if (client.Fd >= 0) ::close(client.Fd);
        answers.push_back(std::move(client.Answer));
    }
    return answers;
}

TEST(FairAdmissionE2ETest, FiveHundredClientsAtOnceAllGetAnAnswer) {
    TempConfigHome home;
    TDemoServerProcess server({"--workers", "2"});
    constexpr size_t Clients = 500;
    const std::vector<std::string> answers =
        Burst(server.Port(), Clients, SoapPost(server.Port(), UpdateRequest), 60);
    std::map<int, size_t> statuses;
    for (size_t i = 0; i < answers.size(); ++i) {
        const int status = StatusOf(answers[i]);
        ++statuses[status];
        if (status == 200) {
            EXPECT_NE(answers[i].find("<return>true</return>"), std::string::npos) << i;
        } else {
            EXPECT_EQ(status, 503) << i << ": " << answers[i].substr(0, 200);
            if (status == 503) {
                EXPECT_NE(answers[i].find("\r\nRetry-After: "), std::string::npos) << answers[i];
            }
        }
    }
    EXPECT_EQ(statuses[0], 0u) << "connections closed without an answer";
    std::printf("500 at once: %zu answered 200, %zu 503\n", statuses[200], statuses[503]);
    EXPECT_GT(statuses[200], 0u);
    EXPECT_EQ(statuses[200] + statuses[503], Clients);
    // Served on as before.
    TRawConnection after(server.Port());
    ASSERT_TRUE(after.Send(SoapPost(server.Port(), UpdateRequest)));
    EXPECT_EQ(StatusOf(after.ReadAll()), 200);
}

TEST(FairAdmissionE2ETest, IdleConnectionsThatReconnectAtOnceHoldNobodyUpNorFloodTheLog) {
    TempConfigHome home;
    TDemoServerProcess server({"--idle-timeout", "1"});
    // 40 connections that send nothing and come back the moment they are closed.
    std::atomic<bool> done{false};
    std::atomic<int> reconnects{0};
    std::thread idle([&] {
        constexpr size_t Idle = 40;
        std::vector<int> fds(Idle, -1);
        for (int &fd : fds) fd = StartConnecting(server.Port());
        // Bounded: the test's calls take seconds at most; this ends with them or at 30 s.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done.load() && std::chrono::steady_clock::now() < deadline) {
            std::vector<pollfd> waiting;
            for (int fd : fds) waiting.push_back({fd, POLLIN, 0});
            if (::poll(waiting.data(), waiting.size(), 50) <= 0) continue;
            for (size_t i = 0; i < Idle; ++i) {
                if (waiting[i].revents == 0) continue;
                char byte;
                if (::recv(fds[i], &byte, 1, MSG_DONTWAIT) > 0) continue;
                ::close(fds[i]);
                fds[i] = StartConnecting(server.Port());
                ++reconnects;
            }
        }
        for (int fd : fds)
            if (fd >= 0) ::close(fd);
    });
    // Normal calls, one after another, while the idle ones time out and come back.
    const auto start = std::chrono::steady_clock::now();
    int calls = 0;
    while (calls < 36 ||
           (std::chrono::steady_clock::now() - start < std::chrono::seconds(4) && calls < 400)) {
        const auto asked = std::chrono::steady_clock::now();
        TRawConnection normal(server.Port());
        ASSERT_TRUE(normal.Send(SoapPost(server.Port(), UpdateRequest)));
        const std::string answer = normal.ReadAll(10);
        const auto took = std::chrono::steady_clock::now() - asked;
        EXPECT_EQ(StatusOf(answer), 200) << "call " << calls;
        EXPECT_LT(took, std::chrono::seconds(1)) << "call " << calls;
        ++calls;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    done = true;
    idle.join();
    EXPECT_GE(reconnects.load(), 40) << "the idle ones were closed and came back";
    // One line for each normal call (each its own client port is the same address: alike
    // lines but for sizes and times are written once a few seconds, with a count), and the
    // idle ones' closings as a handful of lines, not one each.
    server.Stop();  // what was left out is counted in the last lines
    const std::string log = server.Log();
    size_t lines = 0;
    for (char c : log) lines += c == '\n' ? 1 : 0;
    EXPECT_LT(lines, size_t(reconnects.load())) << log;
    EXPECT_NE(log.find("more like it in"), std::string::npos) << log;
}

}  // namespace
