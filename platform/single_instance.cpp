// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

std::string TSingleInstanceMarker::LockFilePath(const std::string &name) {
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        std::string path = runtime;
        if (path.back() != '/') path += '/';
        return path + name + ".lock";
    }
    // A shared folder: the user id in the name keeps two users' markers apart.
    const char *temp = std::getenv("TMPDIR");
    std::string path = (temp && temp[0]) ? temp : "/tmp";
    if (path.back() != '/') path += '/';
    return path + name + "-" + std::to_string(static_cast<unsigned long>(getuid())) + ".lock";
}

TSingleInstanceMarker::TSingleInstanceMarker(const std::string &name) {
    const std::string path = LockFilePath(name);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && (errno == EACCES || errno == EPERM)) {
        lastError_ = MarkerAccessDenied;
        return;
    }
    if (fd < 0) {
        lastError_ = errno;
        return;
    }
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        lastError_ = (errno == EWOULDBLOCK) ? MarkerAlreadyExists : errno;
        close(fd);
        return;
    }
    fd_ = fd;
}

TSingleInstanceMarker::~TSingleInstanceMarker() {
    if (fd_ >= 0) close(fd_);
}
