// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/unix_listener.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "platform/user_runtime.h"

namespace {

std::string SystemText(int error) { return std::strerror(error); }

// Takes the lock of `path`, waiting up to `wait` for a service that is ending; the
// descriptor stays open (and the lock held) until the process ends. It is kept across exec
// (no close-on-exec): a service restarting itself (SIGHUP) or the serving processes it
// starts hold it on, so no second service takes the socket meanwhile.
void TakeLock(const std::string &path, std::chrono::milliseconds wait) {
    const std::string lockPath = path + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
    if (fd < 0) throw std::runtime_error("cannot open " + lockPath + ": " + SystemText(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        throw std::runtime_error(lockPath + " is not a file of this user");
    }
    const auto end = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            throw std::runtime_error("cannot lock " + lockPath + ": " + SystemText(errno));
        }
        if (std::chrono::steady_clock::now() >= end) {
            ::close(fd);
            throw std::runtime_error("another narrelo-demoserver already serves " + path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Deliberately kept open: the lock lasts as long as the service.
}

sockaddr_un AddressOf(const std::string &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        throw std::runtime_error("the socket path " + path + " does not fit a Unix socket address");
    std::memcpy(address.sun_path, path.data(), path.size());
    return address;
}

}  // namespace

int UnixListeningSocket(const std::string &path) {
    const sockaddr_un address = AddressOf(path);
    const size_t slash = path.rfind('/');
    if (path[0] != '/' || slash == std::string::npos)
        throw std::runtime_error("the socket path " + path + " is not absolute");
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    std::string error;
    if (!MakePrivateFolder(folder, true, error)) throw std::runtime_error(error);
    TakeLock(path, std::chrono::seconds(3));

    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode))
            throw std::runtime_error(path + " exists and is not a socket; not touched");
        // Left by a service that ended without removing it: the lock says none serves it.
        if (::unlink(path.c_str()) != 0)
            throw std::runtime_error("cannot remove the old socket " + path + ": " + SystemText(errno));
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket failed: " + SystemText(errno));
    // The socket's mode comes from the umask when it is bound: 0600 from the start, so there
    // is no moment when another user could connect.
    const mode_t previous = ::umask(0177);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    const int bindError = errno;
    ::umask(previous);
    if (bound != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on " + path + ": " + SystemText(bindError));
    }
    if (::chmod(path.c_str(), 0600) != 0 || ::listen(fd, 128) != 0) {
        const int failure = errno;
        ::close(fd);
        ::unlink(path.c_str());
        throw std::runtime_error("cannot listen on " + path + ": " + SystemText(failure));
    }
    return fd;
}

void RemoveUnixSocket(const std::string &path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == ::geteuid())
        ::unlink(path.c_str());
}

bool PeerIsOwnUser(int connection) {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(connection, reinterpret_cast<sockaddr *>(&local), &length) != 0) return false;
    if (local.ss_family != AF_UNIX) return true;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    return credentials.uid == ::geteuid();
}

bool IsUnixSocket(int socket, std::string &path) {
    sockaddr_un address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
        address.sun_family != AF_UNIX)
        return false;
    const size_t size = length > offsetof(sockaddr_un, sun_path) ? length - offsetof(sockaddr_un, sun_path) : 0;
    path.assign(address.sun_path, strnlen(address.sun_path, size));
    return true;
}
