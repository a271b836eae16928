#include "server/audio_file_cache.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char *Extension = ".ogg";

bool IsDigest(const std::string &name) {
    return name.size() == 64 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

}  // namespace

TAudioFileCache::TAudioFileCache(uint64_t memoryBytes, std::string folder, uint64_t diskBytes)
    : memoryLimit_(memoryBytes), folder_(std::move(folder)), diskLimit_(diskBytes) {
    if (!folder_.empty()) ScanFolder();
}

void TAudioFileCache::ScanFolder() {
    std::error_code error;
    fs::create_directories(folder_, error);
    std::vector<std::pair<fs::file_time_type, std::pair<std::string, uint64_t>>> found;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        const fs::path &path = it->path();
        if (path.extension() != Extension || !IsDigest(path.stem().string())) continue;
        std::error_code ignored;
        const uint64_t size = it->file_size(ignored);
        const fs::file_time_type time = it->last_write_time(ignored);
        if (!ignored) found.push_back({time, {path.stem().string(), size}});
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (auto &[time, entry] : found) {
        disk_.push_back(entry);
        diskIndex_[entry.first] = std::prev(disk_.end());
        diskBytes_ += entry.second;
    }
    Spill({});  // applies the bound to what was found
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
        if (diskIndex_.find(digest) == diskIndex_.end() && folder_.empty()) return std::nullopt;
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
    std::list<TEntry> evicted;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (memoryIndex_.count(digest) != 0) return;
        memory_.push_front({digest, bytes});
        memoryIndex_[digest] = memory_.begin();
        memoryBytes_ += bytes.size();
        evicted = TrimMemory();
    }
    Spill(evicted);
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
        std::string temporary;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (diskIndex_.count(entry.Digest) != 0) continue;
            temporary = folder_ + "/." + entry.Digest + "." + std::to_string(::getpid()) + "." +
                        std::to_string(counter_++);
        }
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(entry.Bytes.data(), std::streamsize(entry.Bytes.size()));
            out.close();
            std::error_code error;
            if (!out || (fs::rename(temporary, PathOf(entry.Digest), error), error)) {
                fs::remove(temporary, error);
                continue;
            }
        }
        std::lock_guard<std::mutex> guard(lock_);
        if (diskIndex_.count(entry.Digest) != 0) continue;
        disk_.push_front({entry.Digest, entry.Bytes.size()});
        diskIndex_[entry.Digest] = disk_.begin();
        diskBytes_ += entry.Bytes.size();
    }
    // Trim the folder, oldest first.
    std::vector<std::string> doomed;
    {
        std::lock_guard<std::mutex> guard(lock_);
        while (diskBytes_ > diskLimit_ && !disk_.empty()) {
            diskBytes_ -= disk_.back().second;
            diskIndex_.erase(disk_.back().first);
            doomed.push_back(disk_.back().first);
            disk_.pop_back();
        }
    }
    for (const std::string &digest : doomed) {
        std::error_code ignored;
        fs::remove(PathOf(digest), ignored);
    }
}

uint64_t TAudioFileCache::MemoryBytes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return memoryBytes_;
}

uint64_t TAudioFileCache::DiskBytes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return diskBytes_;
}
