// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/process_supervisor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "server/service_log.h"

namespace {

using Clock = std::chrono::steady_clock;

// A serving process that lives shorter than this died "at once": the next start waits.
constexpr auto ShortLife = std::chrono::seconds(5);
constexpr int LongestBackOffSeconds = 60;
// Quick deaths in a row, with none serving, after which the supervisor gives up.
constexpr int MostQuickDeaths = 8;

std::string Describe(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) {
        const char *name = ::strsignal(WTERMSIG(status));
        return "killed by signal " + std::to_string(WTERMSIG(status)) +
               (name ? std::string(" (") + name + ")" : std::string());
    }
    return "status " + std::to_string(status);
}

// In the child of a fork from the supervisor: becomes a serving process, or exits 127.
[[noreturn]] void BecomeServing(pid_t supervisor, const std::string &program,
                                const std::vector<std::string> &arguments,
                                const std::vector<int> &sockets) {
    // Ends with the supervisor, however that ends.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != supervisor) ::_exit(0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);  // the mask survives exec
    ::setenv(SupervisorVariable, std::to_string(supervisor).c_str(), 1);
    const std::string why = ExecWithSockets(program, arguments, sockets);
    LogMessage("cannot start a serving process from " + program + ": " + why);
    ::_exit(127);
}

}  // namespace

TProgramFile TProgramFile::OfThisProcess() {
    TProgramFile file;
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    struct stat info {};
    if (length <= 0 || ::stat("/proc/self/exe", &info) != 0) return file;
    file.path_.assign(path, size_t(length));
    file.device_ = info.st_dev;
    file.inode_ = info.st_ino;
    return file;
}

bool TProgramFile::Replaced() const {
    if (path_.empty()) return false;
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR;
    return info.st_dev != device_ || info.st_ino != inode_;
}

bool IsSupervised() {
    const char *supervisor = std::getenv(SupervisorVariable);
    return supervisor != nullptr && std::strtol(supervisor, nullptr, 10) == long(::getppid()) &&
           ::getppid() != 1;
}

std::string ExecWithSockets(const std::string &program, const std::vector<std::string> &arguments,
                            const std::vector<int> &sockets) {
    constexpr int First = 3;
    // Out of the way first, so that moving one into place never overwrites another.
    const int above = First + int(sockets.size()) + 16;
    std::vector<int> moved;
    for (const int socket : sockets) {
        const int copy = ::fcntl(socket, F_DUPFD_CLOEXEC, above);
        if (copy < 0) return std::string("cannot hand over the sockets: ") + std::strerror(errno);
        moved.push_back(copy);
    }
    for (size_t i = 0; i < moved.size(); ++i) {
        if (::dup2(moved[i], First + int(i)) < 0)  // without close-on-exec
            return std::string("cannot hand over the sockets: ") + std::strerror(errno);
    }
    for (const int copy : moved) ::close(copy);
    ::setenv("LISTEN_PID", std::to_string(::getpid()).c_str(), 1);
    ::setenv("LISTEN_FDS", std::to_string(sockets.size()).c_str(), 1);
    ::unsetenv("LISTEN_FDNAMES");
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    // Held back until the new program has its handlers (the mask survives exec): a signal
    // in between would otherwise end it.
    sigset_t held, before;
    sigemptyset(&held);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&held, signal);
    ::sigprocmask(SIG_BLOCK, &held, &before);
    ::execv(program.c_str(), argv.data());
    const std::string why = std::strerror(errno);
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    ::unsetenv("LISTEN_PID");
    ::unsetenv("LISTEN_FDS");
    return why;
}

int SuperviseProcesses(const std::string &program, const std::vector<std::string> &arguments,
                       const std::vector<int> &sockets, int processes) {
    sigset_t watched;
    sigemptyset(&watched);
    for (const int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&watched, signal);
    ::sigprocmask(SIG_BLOCK, &watched, nullptr);
    const pid_t self = ::getpid();

    std::map<pid_t, Clock::time_point> serving;  // by pid: when it started
    std::vector<Clock::time_point> starts;       // serving processes still to start, when
    for (int i = 0; i < processes; ++i) starts.push_back(Clock::now());
    int quickDeaths = 0;
    bool stopping = false;
    for (;;) {
        int status = 0;
        for (pid_t ended; (ended = ::waitpid(-1, &status, WNOHANG)) > 0;) {
            const auto found = serving.find(ended);
            if (found == serving.end()) continue;
            const bool quick = Clock::now() - found->second < ShortLife;
            serving.erase(found);
            if (stopping || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) continue;
            quickDeaths = quick ? quickDeaths + 1 : 0;
            if (quickDeaths >= MostQuickDeaths && serving.empty()) {
                LogMessage("the serving processes end as soon as they start (the last: " +
                           Describe(status) + "): stopped");
                return 1;
            }
            const int wait =
                quickDeaths == 0 ? 0 : std::min(LongestBackOffSeconds, 1 << (quickDeaths - 1));
            LogMessage("serving process " + std::to_string(ended) + " ended (" + Describe(status) +
                       "): another starts" +
                       (wait > 0 ? " in " + std::to_string(wait) + " s" : std::string()));
            starts.push_back(Clock::now() + std::chrono::seconds(wait));
        }
        if (stopping && serving.empty()) {
            std::fprintf(stderr, "narrelo-demoserver: stopped\n");
            return 0;
        }
        if (!stopping && serving.empty() && starts.empty()) {
            std::fprintf(stderr, "narrelo-demoserver: idle, stopped\n");
            return 0;
        }
        const Clock::time_point now = Clock::now();
        for (auto at = starts.begin(); !stopping && at != starts.end();) {
            if (*at > now) {
                ++at;
                continue;
            }
            std::fflush(nullptr);
            const pid_t child = ::fork();
            if (child == 0) BecomeServing(self, program, arguments, sockets);
            if (child < 0) {
                LogMessage(std::string("cannot start a serving process: ") + std::strerror(errno));
                *at = now + std::chrono::seconds(1);
                ++at;
                continue;
            }
            serving[child] = now;
            at = starts.erase(at);
        }
        Clock::time_point next = Clock::now() + std::chrono::seconds(1);
        for (const Clock::time_point start : starts) next = std::min(next, start);
        const auto wait = std::max<Clock::duration>(Clock::duration::zero(), next - Clock::now());
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
        timespec timeout{
            time_t(seconds.count()),
            long(std::chrono::duration_cast<std::chrono::nanoseconds>(wait - seconds).count())};
        siginfo_t info{};
        const int signal = ::sigtimedwait(&watched, &info, &timeout);
        if (signal == SIGTERM || signal == SIGINT) {
            stopping = true;
            starts.clear();
            for (const auto &[pid, started] : serving) ::kill(pid, SIGTERM);
        } else if (signal == SIGHUP) {
            LogMessage("SIGHUP: every serving process restarts when it has answered what it holds");
            for (const auto &[pid, started] : serving) ::kill(pid, SIGHUP);
        }
    }
}
