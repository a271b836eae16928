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
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <openssl/sha.h>

#include "server/service_log.h"

namespace fs = std::filesystem;

namespace {

constexpr const char *Extension = ".entry";
// Entries of earlier versions, without a check of their own (and some held a text): removed.
constexpr const char *FormerExtension = ".ogg";
constexpr const char *LockName = ".lock";
// An entry: Mark, the digest it is stored under (64 hex digits), the length of the bytes
// (8 bytes, little endian), their SHA-256, then the bytes.
constexpr std::string_view Mark = "NRLAUD1\n";
constexpr size_t DigestText = 64;
constexpr size_t HeaderBytes = Mark.size() + DigestText + 8 + SHA256_DIGEST_LENGTH;
// A private file this old was left by a process that died while writing it.
constexpr auto AbandonedAfter = std::chrono::minutes(10);

bool IsDigest(const std::string &name) {
    return name.size() == 64 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string Sha256(std::string_view bytes) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), digest);
    return std::string(reinterpret_cast<const char *>(digest), sizeof digest);
}

std::string EntryHeader(const std::string &digest, std::string_view bytes) {
    std::string header(Mark);
    header += digest;
    for (int i = 0; i < 8; ++i) header += char((uint64_t(bytes.size()) >> (8 * i)) & 0xFF);
    header += Sha256(bytes);
    return header;
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

void TAudioFileCache::GiveUpFolder(const std::string &why) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!writing_) return;
        writing_ = false;
    }
    LogMessage("the cache folder " + folder_ + " " + why + ": audio is kept in memory only");
}

void TAudioFileCache::OpenFolder() {
    std::error_code error;
    fs::create_directories(folder_, error);
    struct stat info {};
    // Only a folder of this user is used; it is made private (an older one may be 0755).
    if (::lstat(folder_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        LogMessage("the cache folder " + folder_ +
                   " is not a folder of this user: audio is kept in memory only");
        folder_.clear();
        return;
    }
    if ((info.st_mode & 0777) != 0700) ::chmod(folder_.c_str(), 0700);
    lockFile_ = ::open((folder_ + "/" + LockName).c_str(),
                       O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat lockInfo {};
    if (lockFile_ >= 0 && (::fstat(lockFile_, &lockInfo) != 0 || !S_ISREG(lockInfo.st_mode))) {
        ::close(lockFile_);
        lockFile_ = -1;
        errno = EINVAL;
    }
    if (lockFile_ < 0) {
        LogMessage("the cache folder " + folder_ + " cannot be used (" + std::strerror(errno) +
                   "): audio is kept in memory only");
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
    if (folder_.empty() || !IsDigest(digest)) return std::nullopt;
    // Another process sharing the folder may have written it, so look even when unknown.
    return ReadEntry(digest);
}

std::optional<std::string> TAudioFileCache::ReadEntry(const std::string &digest) const {
    const std::string path = PathOf(digest);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0 && errno == ENOENT) return std::nullopt;
    std::string bytes;
    bool good = false;
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        uint64_t(info.st_size) > HeaderBytes &&
        uint64_t(info.st_size) - HeaderBytes <= diskLimit_) {
        bytes.resize(size_t(info.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t read = ::pread(fd, bytes.data() + got, bytes.size() - got, off_t(got));
            if (read < 0 && errno == EINTR) continue;
            if (read <= 0) break;
            got += size_t(read);
        }
        if (got == bytes.size()) {
            const std::string_view body = std::string_view(bytes).substr(HeaderBytes);
            good = std::string_view(bytes).substr(0, HeaderBytes) == EntryHeader(digest, body);
        }
    }
    if (fd >= 0) ::close(fd);
    if (!good) {
        // A link, a FIFO, a folder, a file cut short or changed: not ours as written.
        std::error_code ignored;
        if (::unlink(path.c_str()) != 0 && errno == EISDIR) fs::remove_all(path, ignored);
        return std::nullopt;
    }
    bytes.erase(0, HeaderBytes);
    return bytes;
}

bool TAudioFileCache::Remember(const std::string &digest, const std::string &bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    if (memoryIndex_.count(digest) != 0) return false;
    memory_.push_front({digest, bytes});
    memoryIndex_[digest] = memory_.begin();
    memoryBytes_ += bytes.size();
    TrimMemory();  // what leaves memory is in the folder already, or was never to be
    return true;
}

void TAudioFileCache::Store(const std::string &digest, const std::string &bytes) {
    // Written through at once: another process sharing the folder answers the same request
    // with these bytes rather than its own synthesis of it.
    if (Remember(digest, bytes)) Spill({TEntry{digest, bytes}});
}

void TAudioFileCache::StoreInMemory(const std::string &digest, const std::string &bytes) {
    Remember(digest, bytes);
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
        if (entry.Bytes.size() + HeaderBytes > diskLimit_ || !IsDigest(entry.Digest)) continue;
        struct stat existing {};
        if (::lstat(PathOf(entry.Digest).c_str(), &existing) == 0)
            continue;  // this or another process has it
        std::string temporary;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!writing_) return;
            temporary = folder_ + "/." + entry.Digest + "." + std::to_string(::getpid()) + "." +
                        std::to_string(counter_++);
        }
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            GiveUpFolder(std::string("cannot take an entry (") + std::strerror(errno) + ")");
            return;
        }
        const std::string whole = EntryHeader(entry.Digest, entry.Bytes) + entry.Bytes;
        size_t written = 0;
        int writeError = 0;
        while (written < whole.size()) {
            const ssize_t put = ::write(fd, whole.data() + written, whole.size() - written);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                writeError = put < 0 ? errno : ENOSPC;
                break;
            }
            written += size_t(put);
        }
        // The folder is trimmed oldest first by these times, across processes: a fine-grained
        // clock (the file system's own stamps may be milliseconds coarse).
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const timespec times[2] = {now, now};
        ::futimens(fd, times);
        if (::close(fd) != 0 && writeError == 0) writeError = errno;
        std::error_code error;
        if (writeError != 0 || written != whole.size()) {
            fs::remove(temporary, error);
            GiveUpFolder(std::string("cannot take an entry (") + std::strerror(writeError) + ")");
            return;
        }
        if (fs::rename(temporary, PathOf(entry.Digest), error), error) {
            fs::remove(temporary, error);
            continue;
        }
        Account(whole.size(), false);
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
        const std::string name = path.filename().string();
        const bool entryName = IsDigest(path.stem().string());
        if (entryName && path.extension() == FormerExtension) {
            fs::remove(path, ignored);
            continue;
        }
        // Nothing is followed: a link or anything but a regular file named as an entry is
        // not one of ours, and goes.
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) continue;
        if (!S_ISREG(info.st_mode)) {
            if (entryName && path.extension() == Extension) ::unlink(path.c_str());
            continue;
        }
        const fs::file_time_type time = it->last_write_time(ignored);
        if (ignored) continue;
        if (name.front() == '.' && name != LockName && now - time > AbandonedAfter) {
            fs::remove(path, ignored);
            continue;
        }
        if (path.extension() != Extension || !entryName) continue;
        const uint64_t size = uint64_t(info.st_size);
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
