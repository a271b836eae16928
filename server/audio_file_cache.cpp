// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/audio_file_cache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char *Extension = ".ogg";
constexpr const char *LockName = ".lock";
// A private file this old was left by a process that died while writing it.
constexpr auto AbandonedAfter = std::chrono::minutes(10);

bool IsDigest(const std::string &name) {
    return name.size() == 64 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// Holds an flock for its lifetime.
class TFolderLock {
public:
    explicit TFolderLock(int fd) : fd_(fd) {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~TFolderLock() { ::flock(fd_, LOCK_UN); }
    TFolderLock(const TFolderLock &) = delete;
    TFolderLock &operator=(const TFolderLock &) = delete;

private:
    int fd_;
};

uint64_t ReadRecorded(int fd) {
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0) return 0;
    return std::strtoull(text, nullptr, 10);
}

void WriteRecorded(int fd, uint64_t bytes) {
    const std::string text = std::to_string(bytes) + "\n";
    if (::pwrite(fd, text.data(), text.size(), 0) == ssize_t(text.size()))
        (void)::ftruncate(fd, off_t(text.size()));
}

}  // namespace

TAudioFileCache::TAudioFileCache(uint64_t memoryBytes, std::string folder, uint64_t diskBytes)
    : memoryLimit_(memoryBytes), folder_(std::move(folder)), diskLimit_(diskBytes) {
    if (!folder_.empty()) OpenFolder();
}

TAudioFileCache::~TAudioFileCache() {
    if (lockFile_ >= 0) ::close(lockFile_);
}

void TAudioFileCache::OpenFolder() {
    std::error_code error;
    fs::create_directories(folder_, error);
    struct stat info {};
    // Only a folder of this user is used; it is made private (an older one may be 0755).
    if (::lstat(folder_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        folder_.clear();
        return;
    }
    if ((info.st_mode & 0777) != 0700) ::chmod(folder_.c_str(), 0700);
    lockFile_ = ::open((folder_ + "/" + LockName).c_str(),
                       O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFile_ < 0) {
        folder_.clear();
        return;
    }
    Account(0, true);  // counts (and bounds) what is there
}

std::string TAudioFileCache::PathOf(const std::string &digest) const {
    return folder_ + "/" + digest + Extension;
}

std::optional<std::string> TAudioFileCache::Find(const std::string &digest) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (const auto it = memoryIndex_.find(digest); it != memoryIndex_.end()) {
            memory_.splice(memory_.begin(), memory_, it->second);
            return it->second->Bytes;
        }
    }
    if (folder_.empty()) return std::nullopt;
    // Another process sharing the folder may have written it, so look even when unknown.
    std::ifstream in(PathOf(digest), std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad() || bytes.empty()) return std::nullopt;
    return bytes;
}

void TAudioFileCache::Store(const std::string &digest, const std::string &bytes) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (memoryIndex_.count(digest) != 0) return;
        memory_.push_front({digest, bytes});
        memoryIndex_[digest] = memory_.begin();
        memoryBytes_ += bytes.size();
        TrimMemory();  // what leaves memory is in the folder already
    }
    // Written through at once: another process sharing the folder answers the same request
    // with these bytes rather than its own synthesis of it.
    Spill({TEntry{digest, bytes}});
}

std::list<TAudioFileCache::TEntry> TAudioFileCache::TrimMemory() {
    std::list<TEntry> evicted;
    while (memoryBytes_ > memoryLimit_ && !memory_.empty()) {
        memoryBytes_ -= memory_.back().Bytes.size();
        memoryIndex_.erase(memory_.back().Digest);
        evicted.splice(evicted.end(), memory_, std::prev(memory_.end()));
    }
    return evicted;
}

void TAudioFileCache::Spill(const std::list<TEntry> &entries) {
    if (folder_.empty()) return;
    for (const TEntry &entry : entries) {
        if (entry.Bytes.size() > diskLimit_) continue;
        std::error_code error;
        if (fs::exists(PathOf(entry.Digest), error)) continue;  // this or another process has it
        std::string temporary;
        {
            std::lock_guard<std::mutex> guard(lock_);
            temporary = folder_ + "/." + entry.Digest + "." + std::to_string(::getpid()) + "." +
                        std::to_string(counter_++);
        }
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) continue;
        size_t written = 0;
        while (written < entry.Bytes.size()) {
            const ssize_t put = ::write(fd, entry.Bytes.data() + written, entry.Bytes.size() - written);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) break;
            written += size_t(put);
        }
        // The folder is trimmed oldest first by these times, across processes: a fine-grained
        // clock (the file system's own stamps may be milliseconds coarse).
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const timespec times[2] = {now, now};
        ::futimens(fd, times);
        const bool complete = ::close(fd) == 0 && written == entry.Bytes.size();
        if (!complete || (fs::rename(temporary, PathOf(entry.Digest), error), error)) {
            fs::remove(temporary, error);
            continue;
        }
        Account(entry.Bytes.size(), false);
    }
}

uint64_t TAudioFileCache::Account(uint64_t added, bool rescan) const {
    std::lock_guard<std::mutex> guard(diskLock_);
    TFolderLock folderLock(lockFile_);
    uint64_t held = ReadRecorded(lockFile_) + added;
    if (rescan || held > diskLimit_) held = Trim(held > diskLimit_ ? diskLimit_ / 10 * 9 : diskLimit_);
    WriteRecorded(lockFile_, held);
    return held;
}

uint64_t TAudioFileCache::Trim(uint64_t target) const {
    struct TFile {
        fs::file_time_type Time;
        std::string Path;
        uint64_t Size;
    };
    std::vector<TFile> files;
    uint64_t held = 0;
    const auto now = fs::file_time_type::clock::now();
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        const fs::path &path = it->path();
        std::error_code ignored;
        const fs::file_time_type time = it->last_write_time(ignored);
        if (ignored) continue;
        const std::string name = path.filename().string();
        if (name.front() == '.' && name != LockName && now - time > AbandonedAfter) {
            fs::remove(path, ignored);
            continue;
        }
        if (path.extension() != Extension || !IsDigest(path.stem().string())) continue;
        const uint64_t size = it->file_size(ignored);
        if (ignored) continue;
        files.push_back({time, path.string(), size});
        held += size;
    }
    if (held <= diskLimit_) return held;
    std::sort(files.begin(), files.end(), [](const TFile &a, const TFile &b) { return a.Time < b.Time; });
    for (const TFile &file : files) {
        if (held <= target) break;
        std::error_code ignored;
        if (fs::remove(file.Path, ignored)) held -= file.Size;
    }
    return held;
}

uint64_t TAudioFileCache::MemoryBytes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return memoryBytes_;
}

uint64_t TAudioFileCache::DiskBytes() const {
    if (folder_.empty()) return 0;
    std::lock_guard<std::mutex> guard(diskLock_);
    TFolderLock folderLock(lockFile_);
    return ReadRecorded(lockFile_);
}
