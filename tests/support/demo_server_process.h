// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDemoServerProcess: a real narrelo-demoserver for end-to-end tests.
//
// Starts ${NARRELO_BINARY_DIR}/server/narrelo-demoserver on a free loopback port with a
// private key file and cache folder (in a temporary folder it removes), waits for the
// listening line (bounded: 20 s), and stops it (SIGTERM, then SIGKILL after 10 s) in Stop()
// or the destructor, whatever happens. Extra arguments come after the defaults, so an
// extra "--key-file PATH" or "--cache-dir PATH" replaces the private one (a second
// instance sharing the first one's key file). The server's standard error (one line per
// request) goes to a file that Log() reads.
//
// Throws std::runtime_error, with what the server wrote, when it cannot be started or
// does not report ready in time.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

class TDemoServerProcess {
public:
    explicit TDemoServerProcess(std::vector<std::string> extraArgs = {}) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "narrelo-demoserver-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        try {
            Start(extraArgs);
        } catch (...) {
            Stop();
            RemoveFolder();
            throw;
        }
    }

    ~TDemoServerProcess() {
        Stop();
        RemoveFolder();
    }
    TDemoServerProcess(const TDemoServerProcess &) = delete;
    TDemoServerProcess &operator=(const TDemoServerProcess &) = delete;

    int Port() const { return port_; }
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // The client's address of the service: its loopback URL, or "unix:<path>" when a test
    // started it on a Unix socket (--socket PATH).
    std::string Endpoint() const {
        return socket_.empty() ? BaseUrl() + "/Project2.DemoServer/soap/IDemoServer" : "unix:" + socket_;
    }
    // The Unix socket it listens on; "" when it listens on a port.
    const std::string &Socket() const { return socket_; }
    // The private key file and cache folder (used unless extra arguments replaced them).
    std::string KeyFile() const { return folder_ + "/demoserver.key"; }
    std::string CacheDir() const { return folder_ + "/cache"; }
    const std::string &Folder() const { return folder_; }
    pid_t Pid() const { return pid_; }

    // Everything the server wrote to standard error so far.
    std::string Log() const {
        std::ifstream in(folder_ + "/stderr.log", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Idempotent. SIGTERM, up to 10 s for the server to finish, then SIGKILL.
    void Stop() {
        if (stdout_ >= 0) {
            ::close(stdout_);
            stdout_ = -1;
        }
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int status = 0;
        for (;;) {
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_ || (done < 0 && errno != EINTR)) break;
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        exitStatus_ = status;
        pid_ = -1;
    }

    // The wait status of the stopped server (see waitpid); -1 before Stop.
    int ExitStatus() const { return exitStatus_; }

private:
    void Start(const std::vector<std::string> &extraArgs) {
        const std::string program = std::string(NARRELO_BINARY_DIR) + "/server/narrelo-demoserver";
        // One process unless a test asks for more: what a test counts per process (the
        // connections one address may hold, the log's lines) must not depend on how the
        // kernel spreads connections over the processes of the machine's cores.
        std::vector<std::string> args = {program, "--bind", "127.0.0.1", "--port", "0", "--processes", "1",
                                         "--key-file", KeyFile(), "--cache-dir", CacheDir()};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::vector<char *> argv;
        for (std::string &arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);

        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
        const std::string log = folder_ + "/stderr.log";
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int spawned =
            posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe[1]);
        stdout_ = pipe[0];
        if (spawned != 0) {
            pid_ = -1;
            throw std::runtime_error("cannot start " + program);
        }

        static const std::string prefix = "narrelo-demoserver listening on http://127.0.0.1:";
        static const std::string unixPrefix = "narrelo-demoserver listening on unix:";
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (line.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) throw std::runtime_error("no listening line in 20 s:\n" + Log());
            pollfd waiting{stdout_, POLLIN, 0};
            if (::poll(&waiting, 1, int(left.count())) <= 0) continue;
            char buffer[256];
            const ssize_t got = ::read(stdout_, buffer, sizeof buffer);
            if (got <= 0) throw std::runtime_error("the server ended before listening:\n" + Log());
            line.append(buffer, size_t(got));
        }
        if (line.rfind(unixPrefix, 0) == 0) {
            socket_ = line.substr(unixPrefix.size(), line.find('\n') - unixPrefix.size());
            return;
        }
        if (line.rfind(prefix, 0) != 0)
            throw std::runtime_error("unexpected first line: " + line + "\n" + Log());
        port_ = std::stoi(line.substr(prefix.size()));
    }

    void RemoveFolder() {
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }

    std::string folder_;
    pid_t pid_ = -1;
    int stdout_ = -1;
    int port_ = 0;
    std::string socket_;
    int exitStatus_ = -1;
};
