// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/kept_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t MostBytes = 4096 * 4;  // 4,096 characters of at most 4 bytes each

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

}  // namespace

std::string KeptTextPath() {
    const char *state = std::getenv("XDG_STATE_HOME");
    const char *home = std::getenv("HOME");
    fs::path folder;
    if (state != nullptr && state[0] == '/') folder = state;
    else if (home != nullptr && home[0] == '/') folder = fs::path(home) / ".local" / "state";
    else return {};
    return (folder / "narrelo" / "text.txt").string();
}

std::optional<std::string> LoadKeptText() {
    const std::string path = KeptTextPath();
    if (path.empty()) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(MostBytes, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    return text;
}

bool SaveKeptText(std::string_view utf8) {
    const std::string path = KeptTextPath();
    if (path.empty()) return false;
    const fs::path folder = fs::path(path).parent_path();
    std::error_code error;
    fs::create_directories(folder, error);
    ::chmod(folder.c_str(), 0700);
    std::string temporary = (folder / "text.txt.XXXXXX").string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0) return false;
    const bool written = WriteAll(fd, utf8.substr(0, MostBytes)) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
