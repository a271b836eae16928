// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/instance_bell.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/single_instance.h"

namespace {

// The address of `path`, or false when it does not fit a socket address.
bool AddressOf(const std::string &path, sockaddr_un &address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

std::string TInstanceBell::SocketPath(const std::string &name) {
    std::string path = TSingleInstanceMarker::LockFilePath(name);
    const std::string lock = ".lock";
    if (path.size() > lock.size() && path.compare(path.size() - lock.size(), lock.size(), lock) == 0)
        path.resize(path.size() - lock.size());
    return path + ".bell";
}

TInstanceBell::TInstanceBell(const std::string &name, std::function<void()> ring)
    : path_(SocketPath(name)), ring_(std::move(ring)) {
    sockaddr_un address;
    if (!AddressOf(path_, address)) return;
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    // This copy holds the marker, so a socket left there belongs to a copy that is gone.
    unlink(path_.c_str());
    const mode_t previous = umask(0077);
    const int bound = bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    umask(previous);
    if (bound != 0 || pipe2(wake_, O_CLOEXEC) != 0) {
        close(fd);
        return;
    }
    fd_ = fd;
    thread_ = std::thread([this] { Listen(); });
}

TInstanceBell::~TInstanceBell() {
    if (thread_.joinable()) {
        const char stop = 0;
        while (write(wake_[1], &stop, 1) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    if (fd_ >= 0) {
        close(fd_);
        unlink(path_.c_str());
    }
    for (int end : wake_)
        if (end >= 0) close(end);
}

void TInstanceBell::Listen() {
    for (;;) {
        pollfd watched[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[1].revents != 0) return;
        if ((watched[0].revents & POLLIN) == 0) continue;
        char byte = 0;
        // Every datagram waiting is one ring; a burst of rings raises the window once each.
        while (recv(fd_, &byte, 1, 0) >= 0)
            if (ring_) ring_();
    }
}

bool TInstanceBell::Ring(const std::string &name) {
    const std::string path = SocketPath(name);
    sockaddr_un address;
    if (!AddressOf(path, address)) return false;
    // Only a socket of this user: in a shared temporary folder another user could have put
    // one there.
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) || info.st_uid != getuid()) return false;
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const char byte = 1;
    const bool sent = sendto(fd, &byte, 1, MSG_DONTWAIT, reinterpret_cast<const sockaddr *>(&address),
                             sizeof address) == 1;
    close(fd);
    return sent;
}
