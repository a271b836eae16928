// SPDX-License-Identifier: GPL-3.0-or-later
// The audio file cache: bounded in memory, spilling to its folder, bounded there too, and
// found again after a restart or by another process sharing the folder.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "server/audio_file_cache.h"
#include "tests/support/temp_config_home.h"

namespace {

std::string Digest(char c) { return std::string(64, c); }

TEST(AudioFileCacheTest, KeepsTheRecentInMemorySpillsTheRestAndBoundsBoth) {
    TempConfigHome home;
    const std::string folder = home.Folder() + "/cache";
    TAudioFileCache cache(2500, folder, 3500);
    const std::string a(1000, 'a'), b(1000, 'b'), c(1000, 'c'), d(1000, 'd');
    cache.Store(Digest('a'), a);
    cache.Store(Digest('b'), b);
    EXPECT_EQ(cache.Find(Digest('a')), a);  // a is now the most recent
    cache.Store(Digest('c'), c);            // b leaves memory for the folder
    EXPECT_EQ(cache.MemoryBytes(), 2000u);
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + Digest('b') + ".entry"));
    EXPECT_EQ(cache.Find(Digest('b')), b) << "found on disk";
    cache.Store(Digest('d'), d);
    cache.Store(Digest('e'), std::string(1000, 'e'));
    cache.Store(Digest('f'), std::string(1000, 'f'));
    EXPECT_LE(cache.MemoryBytes(), 2500u);
    EXPECT_LE(cache.DiskBytes(), 3500u);
    EXPECT_FALSE(cache.Find(Digest('b')).has_value()) << "the oldest left the folder too";
    EXPECT_EQ(cache.Find(Digest('f')), std::string(1000, 'f'));
    EXPECT_FALSE(cache.Find(Digest('z')).has_value());
}

TEST(AudioFileCacheTest, AnotherCacheOnTheSameFolderFindsWhatWasSpilled) {
    TempConfigHome home;
    const std::string folder = home.Folder() + "/cache";
    {
        TAudioFileCache first(0, folder, 1 << 20);  // everything goes to the folder
        first.Store(Digest('1'), "OggS eins");
    }
    TAudioFileCache second(0, folder, 1 << 20);
    const uint64_t entryBytes = std::filesystem::file_size(folder + "/" + Digest('1') + ".entry");
    EXPECT_GT(entryBytes, 9u) << "the bytes and their check";
    EXPECT_EQ(second.DiskBytes(), entryBytes) << "counted at start";
    EXPECT_EQ(second.Find(Digest('1')), "OggS eins");
    // Nothing but finished files (and the folder's lock) stands in the folder.
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename() != ".lock") {
            EXPECT_EQ(entry.path().extension(), ".entry") << entry.path();
        }
}

TEST(AudioFileCacheTest, OtherUsersSeeNothing) {
    TempConfigHome home;
    const std::string made = home.Folder() + "/made";
    const std::string older = home.Folder() + "/older";  // as an earlier version left it
    std::filesystem::create_directory(older);
    ::chmod(older.c_str(), 0755);
    const mode_t umask = ::umask(0);  // the most permissive a user could have
    for (const std::string &folder : {made, older}) {
        SCOPED_TRACE(folder);
        TAudioFileCache cache(0, folder, 1 << 20);
        cache.Store(Digest('a'), "OggS");
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        for (const auto &entry : std::filesystem::directory_iterator(folder)) {
            ASSERT_EQ(::stat(entry.path().c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0600u) << entry.path();
        }
    }
    ::umask(umask);
}

TEST(AudioFileCacheTest, ProcessesSharingAFolderHoldItsBoundTogether) {
    TempConfigHome home;
    const std::string folder = home.Folder() + "/cache";
    // Two caches, each with its own lock file descriptor, as two processes have.
    TAudioFileCache first(0, folder, 3000), second(0, folder, 3000);
    for (char c = '0'; c <= '9'; ++c) (c % 2 ? first : second).Store(Digest(c), std::string(1000, c));
    uint64_t onDisk = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".entry") onDisk += entry.file_size();
    EXPECT_LE(onDisk, 3000u);
    EXPECT_EQ(first.DiskBytes(), onDisk);
    EXPECT_EQ(second.DiskBytes(), onDisk);
    EXPECT_EQ(first.Find(Digest('9')), std::string(1000, '9')) << "the newest stay";
    EXPECT_FALSE(first.Find(Digest('0')).has_value()) << "the oldest go";
}

TEST(AudioFileCacheTest, ServesOnlyEntriesItWroteAndRemovesTheRest) {
    TempConfigHome home;
    const std::string folder = home.Folder() + "/cache";
    const std::string secret = home.Folder() + "/secret";
    TempConfigHome::WriteFile(secret, "not audio: a file elsewhere");
    std::string good;
    {
        TAudioFileCache writer(0, folder, 1 << 20);
        writer.Store(Digest('a'), "OggS the real bytes");
        std::ifstream in(folder + "/" + Digest('a') + ".entry", std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Made before the bad entries appear: Find itself faces them, not the count at start.
    TAudioFileCache cache(0, folder, 1 << 20);
    const auto path = [&](char c) { return folder + "/" + Digest(c) + ".entry"; };
    const auto put = [&](char c, const std::string &bytes) {
        std::ofstream(path(c), std::ios::binary) << bytes;
    };
    std::string changed = good;
    changed.back() ^= 1;
    put('b', good.substr(0, good.size() - 3));  // cut short
    put('c', changed);                          // a byte changed
    put('d', good);                             // another entry's, renamed
    put('e', "OggS garbage, no check at all");
    put('f', "");
    std::filesystem::create_symlink(secret, path('1'));  // a link to a file elsewhere
    ASSERT_EQ(::mkfifo(path('2').c_str(), 0600), 0);     // would hang a reader that waits
    EXPECT_EQ(cache.Find(Digest('a')), "OggS the real bytes");
    for (const char c : std::string("bcdef12")) {
        SCOPED_TRACE(std::string(1, c));
        EXPECT_FALSE(cache.Find(Digest(c)).has_value());
        std::error_code error;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(path(c), error)))
            << "removed";
    }
    EXPECT_TRUE(std::filesystem::exists(secret)) << "a link is removed, never what it leads to";
    // The folder is what it was told, and no less usable: a removed entry is stored again.
    cache.Store(Digest('e'), "OggS new");
    EXPECT_EQ(cache.Find(Digest('e')), "OggS new");
}

TEST(AudioFileCacheTest, KeepsNoTextOnDiskAndDropsEntriesOfTheFormerFormat) {
    TempConfigHome home;
    const std::string folder = home.Folder() + "/cache";
    std::filesystem::create_directories(folder);
    // An earlier version kept the words of a text beside the audio, as plain files.
    const std::string former = folder + "/" + Digest('0') + ".ogg";
    TempConfigHome::WriteFile(former, "merhaba dunya");
    TAudioFileCache cache(1 << 20, folder, 1 << 20);
    EXPECT_FALSE(std::filesystem::exists(former));
    cache.StoreInMemory(Digest('1'), "gizli metin");
    cache.Store(Digest('2'), "OggS audio");
    EXPECT_EQ(cache.Find(Digest('1')), "gizli metin") << "found in memory";
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        EXPECT_EQ(bytes.find("gizli"), std::string::npos) << entry.path();
    }
}

TEST(AudioFileCacheTest, AnUnusableFolderLeavesAMemoryCache) {
    TempConfigHome home;
    const std::string file = home.Folder() + "/not-a-folder";
    TempConfigHome::WriteFile(file, "x");
    TAudioFileCache cache(1 << 20, file, 1 << 20);
    cache.Store(Digest('a'), "OggS");
    EXPECT_EQ(cache.Find(Digest('a')), "OggS");
    EXPECT_EQ(cache.DiskBytes(), 0u);
}

// Standard error of this process, into a file, for the time it lives.
class TCapturedErrors {
public:
    explicit TCapturedErrors(std::string path) : path_(std::move(path)) {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int file = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~TCapturedErrors() {
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    std::string Text() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string path_;
    int saved_ = -1;
};

TEST(AudioFileCacheTest, AFullFolderIsSaidOnceAndTheMemoryCacheGoesOn) {
    TempConfigHome home;
    const std::string folder = home.Folder() + "/cache";
    TCapturedErrors errors(home.Folder() + "/errors");
    // A folder that takes no more than a few hundred bytes a file, as a full disk would.
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    {
        TAudioFileCache cache(1 << 20, folder, 1 << 20);
        rlimit small = before;
        small.rlim_cur = 300;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        for (const char c : std::string("abc")) cache.Store(Digest(c), std::string(1000, c));
        ::setrlimit(RLIMIT_FSIZE, &before);
        for (const char c : std::string("abc"))
            EXPECT_EQ(cache.Find(Digest(c)), std::string(1000, c));
        EXPECT_EQ(cache.DiskBytes(), 0u);
    }
    std::signal(SIGXFSZ, previous);
    const std::string said = errors.Text();
    const std::string line =
        "narrelo-demoserver: the cache folder " + folder + " cannot take an entry";
    const size_t first = said.find(line);
    EXPECT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("cannot take an entry", first + line.size()), std::string::npos)
        << "said once: " << said;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename(), ".lock") << "no half entry left";
}

TEST(AudioFileCacheTest, WithoutAFolderItIsAMemoryCache) {
    TAudioFileCache cache(1500, "", 1 << 20);
    cache.Store(Digest('a'), std::string(1000, 'a'));
    cache.Store(Digest('b'), std::string(1000, 'b'));
    EXPECT_FALSE(cache.Find(Digest('a')).has_value());
    EXPECT_TRUE(cache.Find(Digest('b')).has_value());
    EXPECT_EQ(cache.DiskBytes(), 0u);
}

}  // namespace
