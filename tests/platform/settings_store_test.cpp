// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store against a real SQLite file in a per-test XDG_CONFIG_HOME.
#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/settings_store_text.h"
#include "tests/support/temp_config_home.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(uint8_t(v));
    return out;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    TempConfigHome home_;
};

TEST_F(SettingsStoreTest, DefaultPathFollowsTheEnvironment) {
    EXPECT_EQ(TSettingsStore::DefaultPath(), home_.StorePath());

    const std::string saved = home_.Folder();
    const char *oldHome = getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not absolute: ignored
    EXPECT_EQ(TSettingsStore::DefaultPath(), "/home/someone/.config/valtrosa/registry.sqlite");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(TSettingsStore::DefaultPath(), "/home/someone/.config/valtrosa/registry.sqlite");
    setenv("HOME", savedHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST_F(SettingsStoreTest, ReadsCreateNothing) {
    TSettingsStore store;
    TSettingsKey key;
    TSettingsError e = store.OpenKey(u"Software\\Valtrosa\\Narrelo", key);
    EXPECT_EQ(e.Code, ENOENT);
    EXPECT_FALSE(e.FromSqlite);
    EXPECT_EQ(store.DeleteKey(u"Software").Code, ENOENT);

    // The root opens, holds nothing and lists nothing.
    ASSERT_FALSE(store.OpenKey(u"", key));
    EXPECT_EQ(store.QueryValue(key, u"x", nullptr, nullptr, nullptr).Code, ENOENT);
    std::vector<std::u16string> subKeys;
    EXPECT_FALSE(store.EnumSubKeys(key, subKeys));
    EXPECT_TRUE(subKeys.empty());

    EXPECT_FALSE(std::filesystem::exists(home_.StoreFolder()));
}

TEST_F(SettingsStoreTest, FirstWriteCreatesAPrivateFileAndFolder) {
    const mode_t oldMask = umask(0);  // permissions must not depend on the umask's mercy
    {
        TSettingsStore store;
        TSettingsKey key;
        ASSERT_FALSE(store.CreateKey(u"Software\\Valtrosa", key));
    }
    umask(oldMask);
    struct stat info {};
    ASSERT_EQ(stat(home_.StorePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(home_.StoreFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(SettingsStoreTest, KeysCompareWithoutCaseAndKeepTheirSpelling) {
    TSettingsStore store;
    TSettingsKey created;
    ASSERT_FALSE(store.CreateKey(u"Software\\Valtrosa\\Şişli", created));
    EXPECT_EQ(created.Path, u"Software\\Valtrosa\\Şişli");

    struct Case {
        const char *label;
        std::u16string path;
        bool found;
    } cases[] = {
        {"same spelling", u"Software\\Valtrosa\\Şişli", true},
        {"ASCII case", u"SOFTWARE\\valtrosa\\Şişli", true},
        {"Turkish capitals", u"software\\VALTROSA\\ŞİŞLİ", true},
        {"dotless i", u"softwarE\\valtrosa\\şışlı", true},
        {"forward slashes and doubles", u"/Software//Valtrosa/Şişli/", true},
        {"ancestor made on the way", u"software", true},
        {"other letter", u"Software\\Valtrosa\\Sisli", false},
        {"longer name", u"Software\\Valtrosa\\Şişli2", false},
    };
    for (const Case &c : cases) {
        TSettingsKey key;
        TSettingsError e = store.OpenKey(c.path, key);
        EXPECT_EQ(!e, c.found) << c.label;
        if (c.found && c.path.size() > 10) {
            EXPECT_EQ(key.Id, created.Id) << c.label;
            EXPECT_EQ(key.Path, created.Path) << c.label;
        }
    }
    // Creating again under another spelling opens the same key.
    TSettingsKey again;
    ASSERT_FALSE(store.CreateKey(u"SOFTWARE\\VALTROSA\\ŞIŞLI", again));
    EXPECT_EQ(again.Id, created.Id);
    EXPECT_EQ(again.Path, created.Path);
}

TEST_F(SettingsStoreTest, ValuesKeepTypeAndExactBytes) {
    TSettingsStore store;
    TSettingsKey key;
    ASSERT_FALSE(store.CreateKey(u"Software\\Valtrosa", key));
    struct Case {
        const char *label;
        std::u16string name;
        uint32_t type;
        std::vector<uint8_t> data;
    } cases[] = {
        {"string 'ab' as UTF-16LE", u"DemoServer", REG_SZ, Bytes({'a', 0, 'b', 0})},
        {"dword 1", u"InterfaceIsEnglish", REG_DWORD, Bytes({1, 0, 0, 0})},
        {"binary with zeros", u"Blob", REG_BINARY, Bytes({0, 0xFF, 0, 0x80})},
        {"empty binary", u"Empty", REG_BINARY, {}},
        {"default value", u"", REG_SZ, Bytes({'x', 0})},
    };
    for (const Case &c : cases)
        ASSERT_FALSE(store.SetValue(key, c.name, c.type, c.data.data(), c.data.size())) << c.label;

    TSettingsStore reader;  // another connection sees the committed values
    for (const Case &c : cases) {
        uint32_t type = 99;
        std::vector<uint8_t> data{1, 2, 3};
        int64_t size = -1;
        ASSERT_FALSE(reader.QueryValue(key, c.name, &type, &data, &size)) << c.label;
        EXPECT_EQ(type, c.type) << c.label;
        EXPECT_EQ(data, c.data) << c.label;
        EXPECT_EQ(size, int64_t(c.data.size())) << c.label;
    }
}

TEST_F(SettingsStoreTest, ReplacingAValueKeepsItsNameSpelling) {
    TSettingsStore store;
    TSettingsKey key;
    ASSERT_FALSE(store.CreateKey(u"K", key));
    const uint8_t one[] = {1, 0, 0, 0}, two[] = {2, 0};
    ASSERT_FALSE(store.SetValue(key, u"ClientID", REG_DWORD, one, 4));
    ASSERT_FALSE(store.SetValue(key, u"CLIENTID", REG_BINARY, two, 2));
    std::vector<TSettingsValue> values;
    ASSERT_FALSE(store.EnumValues(key, values));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].Name, u"ClientID");
    EXPECT_EQ(values[0].Type, REG_BINARY);
    EXPECT_EQ(values[0].Data, Bytes({2, 0}));
}

TEST_F(SettingsStoreTest, SizeLimitAndMissingValues) {
    TSettingsStore store;
    TSettingsKey key;
    ASSERT_FALSE(store.CreateKey(u"K", key));
    const uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_FALSE(store.SetValue(key, u"Long", REG_BINARY, eight, 8));
    int64_t size = 0;
    std::vector<uint8_t> data;
    EXPECT_EQ(store.QueryValue(key, u"Long", nullptr, &data, &size, 4).Code, EOVERFLOW);
    EXPECT_EQ(size, 8);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(store.QueryValue(key, u"Missing", nullptr, &data, &size).Code, ENOENT);
    EXPECT_EQ(store.DeleteValue(key, u"Missing").Code, ENOENT);
    EXPECT_FALSE(store.DeleteValue(key, u"LONG"));
    EXPECT_EQ(store.QueryValue(key, u"Long", nullptr, nullptr, nullptr).Code, ENOENT);
}

TEST_F(SettingsStoreTest, DeleteKeyTakesItsSubtreeOnly) {
    TSettingsStore store;
    TSettingsKey deep, sibling;
    ASSERT_FALSE(store.CreateKey(u"Software\\Valtrosa\\Quellar\\Narrelo", deep));
    ASSERT_FALSE(store.CreateKey(u"Software\\ValtrosaX", sibling));
    const uint8_t v[] = {7};
    ASSERT_FALSE(store.SetValue(deep, u"v", REG_BINARY, v, 1));
    ASSERT_FALSE(store.SetValue(sibling, u"v", REG_BINARY, v, 1));

    EXPECT_EQ(store.DeleteKey(u"").Code, EINVAL);
    ASSERT_FALSE(store.DeleteKey(u"software\\VALTROSA"));

    TSettingsKey key;
    EXPECT_EQ(store.OpenKey(u"Software\\Valtrosa", key).Code, ENOENT);
    EXPECT_EQ(store.OpenKey(u"Software\\Valtrosa\\Quellar\\Narrelo", key).Code, ENOENT);
    EXPECT_EQ(store.QueryValue(deep, u"v", nullptr, nullptr, nullptr).Code, ENOENT);
    EXPECT_EQ(store.SetValue(deep, u"v", REG_BINARY, v, 1).Code, ENOENT);  // key deleted meanwhile
    ASSERT_FALSE(store.OpenKey(u"Software\\ValtrosaX", key));
    EXPECT_FALSE(store.QueryValue(key, u"v", nullptr, nullptr, nullptr));
}

TEST_F(SettingsStoreTest, EnumSubKeysListsDirectChildren) {
    TSettingsStore store;
    TSettingsKey key;
    for (const char16_t *path : {u"Software\\Valtrosa\\Narrelo", u"Software\\Valtrosa\\Quellar\\Narrelo",
                                 u"Software\\Ağaç", u"Other"})
        ASSERT_FALSE(store.CreateKey(path, key));
    std::vector<std::u16string> names;
    ASSERT_FALSE(store.OpenKey(u"software", key));
    ASSERT_FALSE(store.EnumSubKeys(key, names));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Ağaç", u"Valtrosa"}));
    ASSERT_FALSE(store.OpenKey(u"", key));
    ASSERT_FALSE(store.EnumSubKeys(key, names));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Other", u"Software"}));
}

TEST_F(SettingsStoreTest, CorruptFileIsReportedAndLeftAlone) {
    const std::string garbage(4096, '\x5A');
    TempConfigHome::WriteFile(home_.StorePath(), garbage);
    TSettingsStore store;
    TSettingsKey key;
    TSettingsError e = store.OpenKey(u"Software\\Valtrosa", key);
    EXPECT_TRUE(e.FromSqlite);
    EXPECT_EQ(e.Code, SQLITE_NOTADB);
    EXPECT_EQ(e.Text, "file is not a database");
    e = store.CreateKey(u"Software\\Valtrosa", key);
    EXPECT_EQ(e.Code, SQLITE_NOTADB);
    EXPECT_TRUE(e.FromSqlite);
    EXPECT_EQ(store.DeleteKey(u"Software").Code, SQLITE_NOTADB);
    EXPECT_EQ(TempConfigHome::ReadFile(home_.StorePath()), garbage);
}

// Another process holding the store's write lock (BEGIN IMMEDIATE) until the parent
// writes to `release`; it reports readiness on `ready` and exits 0 when its commit worked.
static pid_t HoldStoreInChild(const std::string &path, int ready, int release) {
    const pid_t child = fork();
    if (child != 0) return child;
    sqlite3 *db = nullptr;
    int ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
             sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    (void)!write(ready, "x", 1);
    char c;
    (void)!read(release, &c, 1);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    _exit(ok ? 0 : 1);
}

// A writer waits for another process that holds the store instead of failing, for as long
// as the busy timeout allows (SQLite's own busy wait gives up in cases it cannot wait out),
// and fails with SQLITE_BUSY once it has passed. The timeout is shortened here so that the
// holder outlives it in one case and is released well within it in the other.
TEST_F(SettingsStoreTest, WriterWaitsForAnotherProcessUpToTheBusyTimeout) {
    {
        TSettingsStore store;
        TSettingsKey key;
        ASSERT_FALSE(store.CreateKey(u"K", key));
    }
    struct Case {
        const char *label;
        int busyTimeoutMs;
        int releaseAfterMs;  // -1: only after the writer has given up
        int expectCode;
    };
    const Case cases[] = {
        {"released within the timeout", 20000, 700, 0},
        {"held past the timeout", 300, -1, SQLITE_BUSY},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        int ready[2], release[2];
        ASSERT_EQ(pipe(ready), 0);
        ASSERT_EQ(pipe(release), 0);
        const pid_t child = HoldStoreInChild(home_.StorePath(), ready[1], release[0]);
        ASSERT_GE(child, 0);
        char byte;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        std::thread releaser;
        if (c.releaseAfterMs >= 0)
            releaser = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(c.releaseAfterMs));
                (void)!write(release[1], "x", 1);
            });
        TSettingsStore store(home_.StorePath(), c.busyTimeoutMs);
        EXPECT_EQ(store.BusyTimeout(), c.busyTimeoutMs);
        TSettingsKey key;
        ASSERT_FALSE(store.OpenKey(u"K", key));
        const uint8_t v[] = {1, 0, 0, 0};
        const TSettingsError e = store.SetValue(key, u"v", REG_DWORD, v, 4);
        EXPECT_EQ(e.Code, c.expectCode) << e.Text;
        if (releaser.joinable()) releaser.join();
        else (void)!write(release[1], "x", 1);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
    }
}

// Several processes writing the same value, each with its own connection: every write
// succeeds and the final value is one of those written.
TEST_F(SettingsStoreTest, ConcurrentProcessesWriteTheSameValue) {
    constexpr int kProcesses = 3, kWrites = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < kWrites; ++i) {
                TSettingsStore store;  // a fresh connection each time, as each TRegistry has
                TSettingsKey key;
                const uint8_t v[4] = {uint8_t(p), uint8_t(i), 0, 0};
                if (store.CreateKey(u"Software\\Valtrosa", key) ||
                    store.SetValue(key, u"Shared", REG_DWORD, v, 4))
                    ++failures;
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TSettingsStore store;
    TSettingsKey key;
    ASSERT_FALSE(store.OpenKey(u"Software\\Valtrosa", key));
    std::vector<uint8_t> data;
    ASSERT_FALSE(store.QueryValue(key, u"Shared", nullptr, &data, nullptr));
    ASSERT_EQ(data.size(), 4u);
    EXPECT_LT(data[0], kProcesses);
    EXPECT_EQ(data[1], kWrites - 1);  // each process's last write is its final one
}

// A value SQLite cannot hold is refused as such; the parameter is never silently NULL.
TEST_F(SettingsStoreTest, ValueTooBigIsItsOwnError) {
    TSettingsStore store;
    TSettingsKey key;
    ASSERT_FALSE(store.CreateKey(u"K", key));
    // 1.1 GB that is never touched: mapped, not allocated.
    const std::size_t size = 1100u * 1000u * 1000u;
    void *huge = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(huge, MAP_FAILED);
    const TSettingsError e = store.SetValue(key, u"big", REG_BINARY, huge, size);
    munmap(huge, size);
    EXPECT_TRUE(e.FromSqlite);
    EXPECT_EQ(e.Code, SQLITE_TOOBIG);
    EXPECT_EQ(e.Text, "string or blob too big");
    EXPECT_EQ(store.QueryValue(key, u"big", nullptr, nullptr, nullptr).Code, ENOENT);
}

// Names and depth are bounded as Windows bounds them, and a NUL is refused in a value name
// as in a key path.
TEST_F(SettingsStoreTest, NamesAndDepthAreBounded) {
    auto deep = [](std::size_t levels) {
        std::u16string path;
        for (std::size_t i = 0; i < levels; ++i) path += u"a\\";
        return path;
    };
    const std::u16string nul(u"a\0b", 3);
    TSettingsStore store;
    TSettingsKey root;
    ASSERT_FALSE(store.CreateKey(u"Root", root));
    const struct {
        const char *label;
        std::function<TSettingsError(TSettingsKey &)> call;
        int code;
    } cases[] = {
        {"key name of 255", [&](TSettingsKey &k) { return store.CreateKey(std::u16string(255, u'k'), k); }, 0},
        {"key name of 256", [&](TSettingsKey &k) { return store.CreateKey(std::u16string(256, u'k'), k); },
         ENAMETOOLONG},
        {"long name deeper down", [&](TSettingsKey &k) { return store.OpenKey(u"a\\" + std::u16string(300, u'k'), k); },
         ENAMETOOLONG},
        {"512 levels", [&](TSettingsKey &k) { return store.CreateKey(deep(512), k); }, 0},
        {"513 levels", [&](TSettingsKey &k) { return store.CreateKey(deep(513), k); }, EINVAL},
        {"a 35 KB path", [&](TSettingsKey &k) { return store.CreateKey(deep(17500), k); }, EINVAL},
        {"deleting too deep", [&](TSettingsKey &) { return store.DeleteKey(deep(600)); }, EINVAL},
        {"value name of 16383",
         [&](TSettingsKey &) { return store.SetValue(root, std::u16string(16383, u'v'), REG_BINARY, "", 0); }, 0},
        {"value name of 16384",
         [&](TSettingsKey &) { return store.SetValue(root, std::u16string(16384, u'v'), REG_BINARY, "", 0); },
         ENAMETOOLONG},
        {"NUL in a value name to set",
         [&](TSettingsKey &) { return store.SetValue(root, nul, REG_BINARY, "", 0); }, EINVAL},
        {"NUL in a value name to query",
         [&](TSettingsKey &) { return store.QueryValue(root, nul, nullptr, nullptr, nullptr); }, EINVAL},
        {"NUL in a value name to delete", [&](TSettingsKey &) { return store.DeleteValue(root, nul); }, EINVAL},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TSettingsKey key;
        const TSettingsError e = c.call(key);
        EXPECT_EQ(e.Code, c.code) << e.Text;
        EXPECT_FALSE(e.FromSqlite);
    }
    std::vector<TSettingsValue> values;
    ASSERT_FALSE(store.EnumValues(root, values));
    ASSERT_EQ(values.size(), 1u);  // only the name of 16383
    EXPECT_LT(std::filesystem::file_size(home_.StorePath()), std::uintmax_t(4) << 20);
}

// A store file that is not safely the user's own, or is not a database, is refused with a
// text that says what is wrong, and nothing is written to it.
TEST_F(SettingsStoreTest, UnsafeOrForeignStoreFileIsRefused) {
    const std::string elsewhere = home_.Folder() + "/elsewhere.sqlite";
    {
        TSettingsStore real(elsewhere);
        TSettingsKey key;
        ASSERT_FALSE(real.CreateKey(u"Real", key));
    }
    const std::string realBytes = TempConfigHome::ReadFile(elsewhere);
    const struct {
        const char *label;
        std::function<void(const std::string &)> arrange;
        int code;
        bool fromSqlite;
        const char *textPart;
        bool needsRoot = false;
    } cases[] = {
        {"a symbolic link to a store",
         [&](const std::string &path) { ASSERT_EQ(symlink(elsewhere.c_str(), path.c_str()), 0); }, ELOOP,
         false, "is a symbolic link"},
        {"readable by others",
         [&](const std::string &path) {
             TempConfigHome::WriteFile(path, realBytes);
             chmod(path.c_str(), 0644);
         },
         EPERM, false, "chmod 600"},
        {"another user's file",
         [&](const std::string &path) {
             TempConfigHome::WriteFile(path, realBytes);
             ASSERT_EQ(chown(path.c_str(), geteuid() + 1, getegid()), 0);
         },
         EPERM, false, "must be a regular file of user", true},
        {"one byte", [&](const std::string &path) { TempConfigHome::WriteFile(path, "x"); }, SQLITE_NOTADB,
         true, "file is not a database"},
        {"a cut-off header", [&](const std::string &path) { TempConfigHome::WriteFile(path, "SQLite for"); },
         SQLITE_NOTADB, true, "file is not a database"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        if (c.needsRoot && geteuid() != 0) continue;  // only root can give a file away
        std::filesystem::create_directories(home_.StoreFolder());
        std::filesystem::remove(home_.StorePath());
        c.arrange(home_.StorePath());
        const std::string before = TempConfigHome::ReadFile(home_.StorePath());
        TSettingsStore store;
        TSettingsKey key;
        for (const TSettingsError &e : {store.OpenKey(u"Real", key), store.CreateKey(u"New", key)}) {
            EXPECT_EQ(e.Code, c.code);
            EXPECT_EQ(e.FromSqlite, c.fromSqlite);
            EXPECT_NE(e.Text.find(c.textPart), std::string::npos) << e.Text;
        }
        EXPECT_EQ(TempConfigHome::ReadFile(home_.StorePath()), before);
    }
    EXPECT_EQ(TempConfigHome::ReadFile(elsewhere), realBytes);

    // An empty file (made but never written) is an empty store, not a broken one.
    std::filesystem::remove(home_.StorePath());
    TempConfigHome::WriteFile(home_.StorePath(), "");
    TSettingsStore store;
    TSettingsKey key;
    EXPECT_FALSE(store.CreateKey(u"New", key));
}

TEST(SettingsStoreText, ConversionsAndFolding) {
    using namespace settings_text;
    EXPECT_EQ(NormaliseKeyPath(u"\\\\a//b\\/c\\"), u"a\\b\\c");
    EXPECT_EQ(NormaliseKeyPath(u"///"), u"");
    EXPECT_EQ(Fold(u"iIıİçğöşüxÇ"), u"IIIIÇĞÖŞÜXÇ");
    EXPECT_EQ(ToUtf8(u"Ağ😀"), "A\xC4\x9F\xF0\x9F\x98\x80");
    EXPECT_EQ(FromUtf8("A\xC4\x9F\xF0\x9F\x98\x80"), u"Ağ😀");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(FromUtf8("a\xC4"), u"a\uFFFD");      // cut off
    EXPECT_EQ(FromUtf8("\xC0\x80"), u"\uFFFD");  // overlong: one fault
    EXPECT_EQ(FromUtf8("\xE2\x82z"), u"\uFFFDz");  // cut off after two bytes: one fault
}

}  // namespace
