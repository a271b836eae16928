// SPDX-License-Identifier: GPL-3.0-or-later
// The service scales out behind an HTTP load balancer: two services sharing one key file,
// on two loopback ports behind HAProxy (round robin), and narrelo-say reading a text through
// the balancer, its calls landing on both.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/wav_pcm.h"

namespace {

// A loopback port free at the moment.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (fd >= 0) ::close(fd);
        return 0;
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(port));
    const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);
    return connected;
}

std::string HaproxyProgram() {
    for (const char *path : {"/usr/sbin/haproxy", "/usr/bin/haproxy"})
        if (std::filesystem::exists(path)) return path;
    return "";
}

// HAProxy in the foreground on 127.0.0.1:`port`, stopped whatever happens.
class THaproxy {
public:
    THaproxy(const std::string &config, int port) {
        pid_ = ::fork();
        if (pid_ == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            const std::string program = HaproxyProgram();
            ::execl(program.c_str(), program.c_str(), "-db", "-f", config.c_str(), (char *)nullptr);
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !Accepts(port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~THaproxy() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    THaproxy(const THaproxy &) = delete;
    THaproxy &operator=(const THaproxy &) = delete;

private:
    pid_t pid_ = -1;
};

int Requests(const std::string &log, const std::string &operation) {
    int count = 0;
    for (size_t at = log.find(operation); at != std::string::npos; at = log.find(operation, at + 1))
        ++count;
    return count;
}

// Whether the service's log shows a health check that passed.
bool HealthChecked(const std::string &log) {
    for (size_t at = log.find(" GET /demoserver.txt "); at != std::string::npos;
         at = log.find(" GET /demoserver.txt ", at + 1)) {
        const size_t end = log.find('\n', at);
        if (end != std::string::npos && log.compare(end - 4, 4, " 200") == 0) return true;
    }
    return false;
}

TEST(BalancerE2ETest, ATextIsReadThroughHaproxyWithCallsOnBothServices) {
    if (HaproxyProgram().empty()) GTEST_SKIP() << "haproxy is not installed (scripts/install-deps.sh)";
    TempConfigHome home;
    const int port = FreePort();
    ASSERT_GT(port, 0);
    // The client names the balancer: each service answers that name too.
    const std::string balancer = "127.0.0.1:" + std::to_string(port);
    TDemoServerProcess first({"--processes", "1", "--allow-host", balancer});
    TDemoServerProcess second({"--processes", "1", "--allow-host", balancer, "--key-file", first.KeyFile()});
    const std::string config = home.Folder() + "/haproxy.cfg";
    std::ofstream(config) << "global\n"
                             "    maxconn 64\n"
                             "defaults\n"
                             "    mode http\n"
                             "    option http-server-close\n"
                             "    timeout connect 5s\n"
                             "    timeout client 30s\n"
                             "    timeout server 30s\n"
                             "frontend reading\n"
                             "    bind " << balancer << "\n"
                             "    default_backend services\n"
                             "backend services\n"
                             "    balance roundrobin\n"
                             // The health check of docs/deployment.md: a service found
                             // failing it would take no calls, and the reading would fail.
                             "    option httpchk\n"
                             "    http-check send meth GET uri /demoserver.txt ver HTTP/1.1 hdr Host "
                          << balancer << "\n"
                             "    http-check expect status 200\n"
                             "    default-server check inter 100ms fall 1 rise 1\n"
                             "    server first 127.0.0.1:" << first.Port() << "\n"
                             "    server second 127.0.0.1:" << second.Port() << "\n";
    THaproxy haproxy(config, port);
    ASSERT_TRUE(Accepts(port)) << "HAProxy did not start";
    // Both services passed a health check before the reading (one that failed it would be
    // out of the balancer's rotation at once).
    for (int i = 0; i < 500 && !(HealthChecked(first.Log()) && HealthChecked(second.Log())); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(HealthChecked(first.Log()) && HealthChecked(second.Log())) << first.Log() << second.Log();

    const std::string wav = home.Folder() + "/read.wav";
    TChildProcess say(NARRELO_SAY_EXE,
                      {"--server", "http://" + balancer + "/Project2.DemoServer/soap/IDemoServer",
                       "--wav", wav,
                       "Bugün hava çok güzel. Sahilde yürüdük, martılar uçuyordu. Akşam eve "
                       "döndük ve çay içtik. Yarın yine geleceğiz."},
                      "", {"XDG_CONFIG_HOME=" + home.Folder()});
    const TChildResult result = say.Wait();
    ASSERT_EQ(result.Status, 0) << result.Err;
    const TWavPcm pcm = ReadWavPcm(wav);
    EXPECT_GT(double(pcm.Data.size()) / 32000.0, 4.0);
    // Every call of the reading went to one service or the other, and both had some.
    const std::string logs[] = {first.Log(), second.Log()};
    for (const std::string &log : logs) {
        SCOPED_TRACE(log);
        EXPECT_GT(Requests(log, " Synthesise ") + Requests(log, " GetSynthesisedFile "), 0);
    }
    // Four sentences, two of them with a clause boundary and so answered in two parts.
    EXPECT_EQ(Requests(logs[0] + logs[1], " GetSynthesisedFile "), 6);
}

}  // namespace
