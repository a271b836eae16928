// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TAudioFileCache: finished audio files by request digest, bounded in memory and on disk.
//
// Every file stored is written into the folder at once (one entry "<digest>.entry" each, mode
// 0600, written under a private name and renamed, so a reader never sees half a file), so
// every process sharing the folder answers a request with the same bytes; the most recently
// used also stay in memory up to MemoryBytes. An entry begins with its own check: a mark,
// the digest it is stored under, the length of its bytes and their SHA-256. The folder
// trusts nothing it did not write: an entry is opened without following a link and without
// waiting (a FIFO put there never holds a thread), and one that is not a regular file of
// this user, or whose check fails (truncated, changed, another entry's), is a miss and is
// removed. What Store keeps only in memory (StoreInMemory: the words of a text, which never
// go to disk) is looked up in memory alone.
//
// A folder that cannot be used (not a folder of this user, not writable) or that fills up
// is said once on standard error; the cache then goes on in memory. The folder (mode 0700: other
// users of the machine see nothing) is bounded to DiskBytes for all processes that share it: its
// lock file ".lock" records the bytes it holds; each process adds what it writes while it
// holds the lock (flock), and the one that takes it past the bound trims the folder by what
// is on disk, oldest first, to nine tenths of the bound. Files already in the folder at start
// count. Everything here is only a cache: a miss means synthesising again.
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
    ~TAudioFileCache();
    TAudioFileCache(const TAudioFileCache &) = delete;
    TAudioFileCache &operator=(const TAudioFileCache &) = delete;

    std::optional<std::string> Find(const std::string &digest);
    void Store(const std::string &digest, const std::string &bytes);
    // Kept in memory only, never written to the folder: Find answers it while it stays.
    void StoreInMemory(const std::string &digest, const std::string &bytes);

    // Bytes held in memory, and in the folder (by every process sharing it).
    uint64_t MemoryBytes() const;
    uint64_t DiskBytes() const;

private:
    struct TEntry {
        std::string Digest;
        std::string Bytes;
    };
    using TLru = std::list<TEntry>;

    // Moves entries beyond the memory bound out; returns them for writing to disk.
    std::list<TEntry> TrimMemory();  // lock_ held
    // Whether it was new to memory.
    bool Remember(const std::string &digest, const std::string &bytes);
    void Spill(const std::list<TEntry> &entries);
    std::optional<std::string> ReadEntry(const std::string &digest) const;
    // Says once why the folder is not used any more, and stops writing to it.
    void GiveUpFolder(const std::string &why);
    std::string PathOf(const std::string &digest) const;
    void OpenFolder();
    // Adds `added` to the folder's recorded bytes and trims it when past the bound (or
    // always, with `rescan`); returns the bytes it holds then.
    uint64_t Account(uint64_t added, bool rescan) const;
    uint64_t Trim(uint64_t target) const;  // the folder's lock held

    const uint64_t memoryLimit_;
    std::string folder_;
    const uint64_t diskLimit_;
    int lockFile_ = -1;             // the folder's ".lock"; -1: memory only

    mutable std::mutex lock_;       // guards the memory part below
    TLru memory_;                   // front: most recently used
    std::unordered_map<std::string, TLru::iterator> memoryIndex_;
    uint64_t memoryBytes_ = 0;
    uint64_t counter_ = 0;          // private file names
    bool writing_ = true;           // false once the folder could not take an entry
    mutable std::mutex diskLock_;   // one thread of this process at a time on the folder's lock
};
