// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/local_service.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>

#include "foundation/cmd_parameters.h"
#include "foundation/exceptions.h"
#include "foundation/registry_settings.h"
#include "foundation/settings_keys.h"
#include "service/server_addresses.h"

namespace {

namespace fs = std::filesystem;

constexpr const char *IdleExitSeconds = "600";

// The port of `url` when its host is this machine's loopback (localhost, 127.0.0.1, [::1]);
// 0 otherwise. A URL without a port means 80.
int LocalPort(std::string_view url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return 0;
    std::string_view rest = url.substr(scheme + 3);
    rest = rest.substr(0, rest.find('/'));
    std::string_view host = rest, port = "80";
    if (!rest.empty() && rest[0] == '[') {
        const size_t close = rest.find(']');
        if (close == std::string_view::npos) return 0;
        host = rest.substr(0, close + 1);
        if (close + 1 < rest.size() && rest[close + 1] == ':') port = rest.substr(close + 2);
    } else if (const size_t colon = rest.find(':'); colon != std::string_view::npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    if (host != "localhost" && host != "127.0.0.1" && host != "[::1]") return 0;
    int value = 0;
    for (char c : port) {
        if (c < '0' || c > '9' || value > 65535) return 0;
        value = value * 10 + (c - '0');
    }
    return value > 0 && value <= 65535 ? value : 0;
}

bool Answers(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(port));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// narrelo-demoserver beside the running program, installed or in the build tree.
std::string FindServerProgram() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const fs::path folder = self.parent_path();
    for (const fs::path &candidate : {folder / "narrelo-demoserver", folder.parent_path() / "server" / "narrelo-demoserver"})
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    return (folder / "narrelo-demoserver").string();
}

// The service's log, opened for appending (folder 0700, file 0600); -1 when it cannot be.
int OpenLog() {
    const char *state = std::getenv("XDG_STATE_HOME");
    const char *home = std::getenv("HOME");
    fs::path folder;
    if (state != nullptr && state[0] == '/') folder = state;
    else if (home != nullptr && home[0] == '/') folder = fs::path(home) / ".local" / "state";
    else return -1;
    folder /= "narrelo";
    std::error_code error;
    fs::create_directories(folder, error);
    ::chmod(folder.c_str(), 0700);
    return ::open((folder / "demoserver.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
}

// Starts `program` in a session of its own, detached (its parent is gone at once, so it is
// never a child the client has to wait for). Returns its process id, or -1.
pid_t StartDetached(const std::string &program, int port) {
    const std::string portText = std::to_string(port);
    const char *const argv[] = {program.c_str(), "--bind", "127.0.0.1", "--port", portText.c_str(),
                                "--idle-exit", IdleExitSeconds, "--quiet", nullptr};
    const int log = OpenLog();
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    int pipeFds[2];
    if (null < 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        if (log >= 0) ::close(log);
        if (null >= 0) ::close(null);
        return -1;
    }
    const pid_t middle = ::fork();
    if (middle == 0) {
        // Only calls that are safe after fork in a program with threads, until exec.
        ::setsid();
        const pid_t server = ::fork();
        if (server != 0) {
            const ssize_t written = ::write(pipeFds[1], &server, sizeof server);
            ::_exit(written == ssize_t(sizeof server) && server > 0 ? 0 : 1);
        }
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        for (int signal : {SIGINT, SIGTERM, SIGPIPE, SIGHUP}) ::sigaction(signal, &defaults, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(log >= 0 ? log : null, 2);
        ::close_range(3, ~0U, 0);
        ::execv(argv[0], const_cast<char *const *>(argv));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (log >= 0) ::close(log);
    ::close(null);
    pid_t server = -1;
    if (middle > 0) {
        ::waitpid(middle, nullptr, 0);
        if (::read(pipeFds[0], &server, sizeof server) != ssize_t(sizeof server)) server = -1;
    }
    ::close(pipeFds[0]);
    return server;
}

}  // namespace

TLocalService EnsureLocalService(std::chrono::milliseconds wait) {
    TLocalService result;
    try {
        if (HasParameter("DemoServer") || ReadMakerSetting(settings_keys::DemoServer).Length() > 0) return result;
    } catch (const TCustomException &) {
        return result;  // settings that cannot be read: the lookup says so itself
    }
    result.Port = LocalPort(ServerListUrl());
    if (result.Port == 0) return result;
    if (Answers(result.Port)) {
        result.State = TLocalServiceState::Running;
        return result;
    }
    result.Program = FindServerProgram();
    if (::access(result.Program.c_str(), X_OK) != 0) {
        result.State = TLocalServiceState::Missing;
        return result;
    }
    result.Pid = StartDetached(result.Program, result.Port);
    result.State = TLocalServiceState::Failed;
    if (result.Pid <= 0) return result;
    const auto end = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < end) {
        if (Answers(result.Port)) {
            result.State = TLocalServiceState::Started;
            return result;
        }
        // Another client may have started it a moment before: that one answers too.
        if (::kill(result.Pid, 0) != 0 && !Answers(result.Port)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (Answers(result.Port)) result.State = TLocalServiceState::Running;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return result;
}

// What a user can do alone comes first (the machine may have no administrator at hand): run
// the service, or its user unit. The socket unit serves every user of the machine, so it is
// named last, as the administrator's choice.
std::string LocalServiceAdvice(bool english) {
    if (english)
        return "The local speech service is not running. Start it yourself with "
               "\"narrelo-demoserver\" in a terminal, or as your own service with "
               "\"systemctl --user start narrelo-demoserver\". For every user of this machine, "
               "an administrator can enable its socket with "
               "\"systemctl enable --now narrelo-demoserver.socket\".";
    return "Yerel konuşma hizmeti çalışmıyor. Bir uçbirimde \"narrelo-demoserver\" komutuyla "
           "ya da kendi hizmetiniz olarak \"systemctl --user start narrelo-demoserver\" "
           "komutuyla kendiniz başlatın. Makinenin bütün kullanıcıları için bir yönetici "
           "hizmetin soketini \"systemctl enable --now narrelo-demoserver.socket\" komutuyla açabilir.";
}
