// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/local_service.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <thread>

#include "foundation/cmd_parameters.h"
#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/registry_settings.h"
#include "foundation/settings_keys.h"
#include "platform/user_runtime.h"
#include "service/server_addresses.h"

namespace {

namespace fs = std::filesystem;

constexpr const char *IdleExitSeconds = "600";

bool Answers(const std::string &socketPath) {
    sockaddr_un address{};
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// Whether `url` names this machine's loopback (localhost, 127.0.0.1, [::1]).
bool IsLoopbackUrl(std::string_view url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return false;
    std::string_view rest = url.substr(scheme + 3);
    for (std::string_view host : {"localhost", "127.0.0.1", "[::1]"})
        if (rest.substr(0, host.size()) == host &&
            (rest.size() == host.size() || rest[host.size()] == ':' || rest[host.size()] == '/'))
            return true;
    return false;
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
// never a child the client has to wait for), listening on `socketPath`. Returns its process
// id, or -1.
pid_t StartDetached(const std::string &program, const std::string &socketPath) {
    const char *const argv[] = {program.c_str(), "--socket", socketPath.c_str(),
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

std::string UnixSocketOf(const char *address) {
    if (address == nullptr) return {};
    const std::string_view text(address);
    const std::string_view prefix(UnixAddressPrefix);
    if (text.substr(0, prefix.size()) != prefix || text.size() == prefix.size()) return {};
    return std::string(text.substr(prefix.size()));
}

bool UsesUserService() {
    if (HasParameter("DemoServer") || ReadMakerSetting(settings_keys::DemoServer).Length() > 0) return false;
    // A server list elsewhere (a deployment's, or one a test points at) is looked up as it
    // says; the built-in one on this machine stands for the user's own service.
    return std::string_view(ServerListUrl()) == DefaultServerListUrl && IsLoopbackUrl(DefaultServerListUrl);
}

namespace {

// Whether `address` (an endpoint, or a bare host that CompleteServerAddress completes) names
// this machine.
bool IsOnThisMachine(std::string_view address) {
    if (address.substr(0, std::string_view(UnixAddressPrefix).size()) == UnixAddressPrefix) return true;
    if (address.find("://") == std::string_view::npos)
        return address == "localhost" || address == "127.0.0.1" || address == "[::1]";
    return IsLoopbackUrl(address);
}

}  // namespace

bool ServiceIsOnThisMachine() {
    if (HasParameter("DemoServer")) return IsOnThisMachine(DemoServerParameter().View());
    const MyString named = ReadMakerSetting(settings_keys::DemoServer);
    if (named.Length() > 0) return IsOnThisMachine(named.View());
    return UsesUserService() || IsLoopbackUrl(ServerListUrl());
}

std::string UserServiceAddress() {
    std::string error;
    const std::string path = UserServiceSocketPath(error);
    if (path.empty()) RaiseError(TErrorCategory::Service, cp1254::FromUtf8(error).c_str());
    return UnixAddressPrefix + path;
}

TLocalService EnsureLocalService(std::chrono::milliseconds wait) {
    TLocalService result;
    try {
        if (!UsesUserService()) return result;
    } catch (const TCustomException &) {
        return result;  // settings that cannot be read: the lookup says so itself
    }
    result.Socket = UserServiceSocketPath(result.Error);
    if (result.Socket.empty()) {
        result.State = TLocalServiceState::Failed;
        return result;
    }
    if (Answers(result.Socket)) {
        result.State = TLocalServiceState::Running;
        return result;
    }
    result.Program = FindServerProgram();
    if (::access(result.Program.c_str(), X_OK) != 0) {
        result.State = TLocalServiceState::Missing;
        return result;
    }
    result.Pid = StartDetached(result.Program, result.Socket);
    result.State = TLocalServiceState::Failed;
    if (result.Pid <= 0) return result;
    const auto end = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < end) {
        if (Answers(result.Socket)) {
            result.State = TLocalServiceState::Started;
            return result;
        }
        // Another client may have started it a moment before (this one then finds it
        // serving and ends): that one answers.
        if (::kill(result.Pid, 0) != 0 && !Answers(result.Socket)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (Answers(result.Socket)) result.State = TLocalServiceState::Running;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return result;
}

// What a user can do alone comes first (the machine may have no administrator at hand): run
// the service on the user's own socket, or start its user socket unit. One service for every
// user of the machine is an administrator's choice, and shared, so it is named last.
std::string LocalServiceAdvice(bool english) {
    if (english)
        return "The local speech service is not running. Start it yourself with "
               "\"narrelo-demoserver --user\" in a terminal, or as your own service with "
               "\"systemctl --user start narrelo-demoserver.socket\". Instead, an administrator "
               "can run one service for every user of this machine (they then share it) with "
               "\"systemctl enable --now narrelo-demoserver.socket\".";
    return "Yerel konuşma hizmeti çalışmıyor. Bir uçbirimde \"narrelo-demoserver --user\" "
           "komutuyla ya da kendi hizmetiniz olarak \"systemctl --user start "
           "narrelo-demoserver.socket\" komutuyla kendiniz başlatın. Bunun yerine bir yönetici, "
           "makinenin bütün kullanıcıları için tek bir hizmeti (kullanıcılar onu paylaşır) "
           "\"systemctl enable --now narrelo-demoserver.socket\" komutuyla açabilir.";
}
