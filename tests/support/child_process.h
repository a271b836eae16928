// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A program run as a real child process: standard input from a text (then end of input,
// or a pipe left open), standard output and error into files of a private temporary
// folder; waited for with a bound, after which it is killed, so a hanging program fails its
// test instead of the suite.

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct TChildResult {
    int Status = -1;  // exit status; -1 when the program did not exit by itself in time
    long PeakRssKiB = -1;  // the program's largest resident set, in KiB
    std::string Out;
    std::string Err;
};

class TChildProcess {
public:
    // Starts `program` with `args`; `environment` entries ("NAME=value") are added to the
    // inherited environment. With `user` (a root test only) it runs as that user and group
    // id, with no supplementary groups.
    TChildProcess(const std::string &program, const std::vector<std::string> &args,
                  const std::string &input = "", const std::vector<std::string> &environment = {},
                  uid_t user = uid_t(-1)) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "narrelo-child-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        std::ofstream(folder_ + "/in", std::ios::binary) << input;
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            const int in = open((folder_ + "/in").c_str(), O_RDONLY);
            const int out = open((folder_ + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open((folder_ + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(in, 0);
            dup2(out, 1);
            dup2(err, 2);
            if (user != uid_t(-1) && (setgroups(0, nullptr) != 0 || setgid(gid_t(user)) != 0 || setuid(user) != 0))
                _exit(126);
            for (const std::string &entry : environment) putenv(const_cast<char *>(entry.c_str()));
            std::vector<char *> argv{const_cast<char *>(program.c_str())};
            for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
    }
    ~TChildProcess() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TChildProcess(const TChildProcess &) = delete;
    TChildProcess &operator=(const TChildProcess &) = delete;

    void Signal(int signal) {
        if (!reaped_) kill(pid_, signal);
    }
    // What the program wrote to standard error so far.
    std::string ErrSoFar() const { return Read(folder_ + "/err"); }

    // Waits for the end, at most `limit`; then kills the program (Status -1).
    TChildResult Wait(std::chrono::seconds limit = std::chrono::seconds(60)) {
        TChildResult result;
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (!reaped_) {
            rusage usage{};
            const pid_t done = wait4(pid_, &status, WNOHANG, &usage);
            if (done == pid_) {
                reaped_ = true;
                result.PeakRssKiB = usage.ru_maxrss;
                if (WIFEXITED(status)) result.Status = WEXITSTATUS(status);
                break;
            }
            if (std::chrono::steady_clock::now() > end) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                reaped_ = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        result.Out = Read(folder_ + "/out");
        result.Err = Read(folder_ + "/err");
        return result;
    }

    static std::string Read(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string folder_;
    pid_t pid_ = -1;
    bool reaped_ = false;
};
