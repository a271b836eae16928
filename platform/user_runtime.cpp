// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_runtime.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string SystemText(int error) { return std::strerror(error); }

// An absolute folder named by `variable`, or "".
std::string FolderFromEnvironment(const char *variable) {
    const char *value = std::getenv(variable);
    if (value == nullptr || value[0] != '/') return "";
    std::string folder(value);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace

bool MakePrivateFolder(const std::string &folder, bool create, std::string &error) {
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "Cannot create the folder " + folder + ": " + SystemText(errno);
        return false;
    }
    // Opened without following a link, and checked through the descriptor, so the checks
    // and the mode change apply to the same folder even if the name is replaced meanwhile.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int failure = errno;
        struct stat link {};
        const bool isLink = ::lstat(folder.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
        error = "Cannot use the folder " + folder + ": " +
                (isLink ? std::string("it is a symbolic link") : SystemText(failure));
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) error = "Cannot use the folder " + folder + ": " + SystemText(errno);
    else if (info.st_uid != ::geteuid()) {
        error = "Cannot use the folder " + folder + ": it belongs to another user";
        ok = false;
    } else if ((info.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0) {
        error = "Cannot make the folder " + folder + " private: " + SystemText(errno);
        ok = false;
    }
    ::close(fd);
    return ok;
}

std::string UserRuntimeFolder(std::string &error) {
    std::string ignored;
    // The session's runtime folder, when it is this user's own.
    if (const std::string runtime = FolderFromEnvironment("XDG_RUNTIME_DIR"); !runtime.empty()) {
        struct stat info {};
        if (::lstat(runtime.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
            info.st_uid == ::geteuid() && (info.st_mode & 077) == 0) {
            const std::string folder = runtime + "/narrelo";
            if (MakePrivateFolder(folder, true, error)) return folder;
            return "";  // the user's own runtime folder, but ours in it is not usable: say so
        }
    }
    std::string temporary = FolderFromEnvironment("TMPDIR");
    if (temporary.empty()) temporary = "/tmp";
    const std::string folder = temporary + "/narrelo-" + std::to_string(::geteuid());
    if (MakePrivateFolder(folder, true, error)) return folder;
    return "";
}

std::string UserServiceSocketPath(std::string &error) {
    const std::string folder = UserRuntimeFolder(error);
    if (folder.empty()) return "";
    const std::string path = folder + "/demoserver.sock";
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        error = "The socket path " + path + " is too long for a Unix socket";
        return "";
    }
    return path;
}
