#pragma once
// TAudioFileCache: finished audio files by request digest, bounded in memory and on disk.
//
// The most recently used files stay in memory up to MemoryBytes; the least recently used
// spill into the folder (one file "<digest>.ogg" each, written under a private name and
// renamed, so a reader never sees half a file), which is trimmed to DiskBytes, oldest
// first. Files already in the folder at start count towards its bound, so the cache
// survives a restart and may be shared by several processes (each trims what it knows).
// Everything here is only a cache: a miss means synthesising again.
//
// Thread-safe; files are read and written outside the lock.

#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

class TAudioFileCache {
public:
    // An empty folder keeps the cache in memory only. A folder that cannot be created is
    // not an error: the cache then stays in memory.
    TAudioFileCache(uint64_t memoryBytes, std::string folder, uint64_t diskBytes);
    TAudioFileCache(const TAudioFileCache &) = delete;
    TAudioFileCache &operator=(const TAudioFileCache &) = delete;

    std::optional<std::string> Find(const std::string &digest);
    void Store(const std::string &digest, const std::string &bytes);

    // Bytes held in memory and in the folder (as this process knows it).
    uint64_t MemoryBytes() const;
    uint64_t DiskBytes() const;

private:
    struct TEntry {
        std::string Digest;
        std::string Bytes;
    };
    using TLru = std::list<TEntry>;

    // Moves entries beyond the memory bound out; returns them for writing to disk.
    std::list<TEntry> TrimMemory();  // lock held
    void Spill(const std::list<TEntry> &entries);
    std::string PathOf(const std::string &digest) const;
    void ScanFolder();

    const uint64_t memoryLimit_;
    const std::string folder_;
    const uint64_t diskLimit_;

    mutable std::mutex lock_;  // guards everything below
    TLru memory_;              // front: most recently used
    std::unordered_map<std::string, TLru::iterator> memoryIndex_;
    uint64_t memoryBytes_ = 0;
    std::list<std::pair<std::string, uint64_t>> disk_;  // front: newest
    std::unordered_map<std::string, std::list<std::pair<std::string, uint64_t>>::iterator>
        diskIndex_;
    uint64_t diskBytes_ = 0;
    uint64_t counter_ = 0;     // private file names
};
