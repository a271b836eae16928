// The audio file cache: bounded in memory, spilling to its folder, bounded there too, and
// found again after a restart or by another process sharing the folder.

#include <gtest/gtest.h>

#include <filesystem>
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
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + Digest('b') + ".ogg"));
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
    EXPECT_EQ(second.DiskBytes(), 9u) << "counted at start";
    EXPECT_EQ(second.Find(Digest('1')), "OggS eins");
    // Nothing but finished files stands in the folder.
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().extension(), ".ogg") << entry.path();
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
