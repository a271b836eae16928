// SPDX-License-Identifier: GPL-3.0-or-later
// The service on a user's own Unix socket (--socket): made private (folder 0700, socket
// 0600), spoken to by the real client as "unix:<path>", one service per socket, a socket
// left by a dead service replaced and anything else at its place left alone, and a process
// of another user never served even where the socket's mode would let it connect.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "records/narrelo_cumles.h"
#include "service/demo_client.h"
#include "tests/server/support/raw_http.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

int ConnectUnix(const std::string &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends a GET of /demoserver.txt with `host` and reads the whole answer; "" when the
// connection is refused or closed without one.
std::string GetOverSocket(const std::string &path, const std::string &host) {
    const int fd = ConnectUnix(path);
    if (fd < 0) return "";
    timeval wait{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const std::string request = "GET /demoserver.txt HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) {
        ::close(fd);
        return "";
    }
    std::string answer;
    char buffer[4096];
    for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, size_t(got));
    ::close(fd);
    return answer;
}

mode_t ModeOf(const std::string &path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

class UserSocketE2eTest : public ::testing::Test {
protected:
    // A folder that does not exist yet: the service makes it, private.
    std::string Folder() const { return scratch.Folder() + "/run/narrelo"; }
    std::string Socket() const { return Folder() + "/demoserver.sock"; }
    std::unique_ptr<TDemoServerProcess> Start() {
        std::filesystem::create_directories(scratch.Folder() + "/run");
        return std::make_unique<TDemoServerProcess>(std::vector<std::string>{"--socket", Socket()});
    }

    TempConfigHome scratch;
};

TEST_F(UserSocketE2eTest, ServesTheClientAndPagesOnAPrivateSocketOnly) {
    const auto server = Start();
    EXPECT_EQ(server->Endpoint(), "unix:" + Socket());
    EXPECT_EQ(ModeOf(Folder()) & 07777, 0700u);
    EXPECT_TRUE(S_ISSOCK(ModeOf(Socket())));
    EXPECT_EQ(ModeOf(Socket()) & 07777, 0600u);

    const std::string endpoint = server->Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    EXPECT_FALSE(client.CheckUpdateRequired());
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    client.LoadSentences("Merhaba. Bugün hava güzel.", 0, sentences);
    EXPECT_EQ(sentences.Count(), 2);
    EXPECT_EQ(client.soap_endpoint, endpoint.c_str()) << "the owner's address is left as it was";

    const std::string list = GetOverSocket(Socket(), "localhost");
    EXPECT_EQ(StatusOf(list), 200);
    // The server list (and the installer's address) name the service as its socket's clients
    // reach it: http://localhost/..., fetched over the same socket.
    EXPECT_EQ(BodyOf(list).find("http://localhost/Project2.DemoServer/soap/IDemoServer"), 0u) << BodyOf(list);
    EXPECT_NE(StatusOf(GetOverSocket(Socket(), "attacker.example")), 200) << "a foreign Host is refused here too";
}

TEST_F(UserSocketE2eTest, OneServicePerSocketAndNothingButItsOwnSocketRemoved) {
    {
        SCOPED_TRACE("a second service on the same socket is refused; the first serves on");
        const auto first = Start();
        try {
            TDemoServerProcess second({"--socket", Socket()});
            ADD_FAILURE() << "a second service started";
        } catch (const std::runtime_error &e) {
            EXPECT_NE(std::string(e.what()).find("already serves"), std::string::npos) << e.what();
        }
        EXPECT_EQ(StatusOf(GetOverSocket(Socket(), "localhost")), 200);
        first->Stop();
        EXPECT_FALSE(std::filesystem::exists(Socket())) << "removed when the service ended";
    }
    {
        SCOPED_TRACE("a service of several processes removes its socket when its supervisor ends");
        TDemoServerProcess server({"--socket", Socket(), "--processes", "2"});
        EXPECT_EQ(StatusOf(GetOverSocket(Socket(), "localhost")), 200);
        server.Stop();
        EXPECT_FALSE(std::filesystem::exists(Socket())) << "removed when the service ended";
    }
    {
        SCOPED_TRACE("a socket left by a service that died is replaced");
        const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", Socket().c_str());
        ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(stale);
        ASSERT_EQ(ConnectUnix(Socket()), -1);
        const auto server = Start();
        EXPECT_EQ(StatusOf(GetOverSocket(Socket(), "localhost")), 200);
    }
    {
        SCOPED_TRACE("a file at the socket's place is neither served nor removed");
        TempConfigHome::WriteFile(Socket(), "not a socket");
        EXPECT_THROW(Start(), std::runtime_error);
        EXPECT_EQ(TempConfigHome::ReadFile(Socket()), "not a socket");
    }
}

// The socket's mode is the first guard; the peer's credentials are the second, for a socket
// whose mode someone widened (or a service manager made looser).
TEST_F(UserSocketE2eTest, AProcessOfAnotherUserIsNeverServed) {
    if (::geteuid() != 0) GTEST_SKIP() << "another user needs root";
    const auto server = Start();
    ASSERT_EQ(::chmod(scratch.Folder().c_str(), 0711), 0);
    ASSERT_EQ(::chmod((scratch.Folder() + "/run").c_str(), 0711), 0);
    ASSERT_EQ(::chmod(Folder().c_str(), 0711), 0);
    ASSERT_EQ(::chmod(Socket().c_str(), 0666), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(61003) != 0 || ::setuid(61003) != 0) ::_exit(3);
        const int fd = ConnectUnix(Socket());
        if (fd < 0) ::_exit(4);  // the mode should have let it connect
        ::close(fd);
        ::_exit(GetOverSocket(Socket(), "localhost").empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: served another user; 4: could not connect at all";
    EXPECT_EQ(StatusOf(GetOverSocket(Socket(), "localhost")), 200) << "its own user still is";
}

}  // namespace
