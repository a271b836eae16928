// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/settings_store_sqlite.h"
#include "platform/settings_store_text.h"

using settings_text::Fold;
using settings_text::FromUtf8;
using settings_text::NormaliseKeyPath;
using settings_text::ToUtf8;

namespace {

// Keys hold their folded path (the identity) and the path as first spelt; the root "" is
// always present once the schema exists. Values are keyed by their key's id and folded name.
constexpr const char *kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  id INTEGER PRIMARY KEY,"
    "  fold TEXT NOT NULL UNIQUE,"
    "  path TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS vals("
    "  key_id INTEGER NOT NULL,"
    "  fold TEXT NOT NULL,"
    "  name TEXT NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key_id, fold)) WITHOUT ROWID;"
    "INSERT OR IGNORE INTO keys(fold, path) VALUES('', '');";

// Folded paths below `fold` lie strictly between fold + '\' and fold + ']' (the next byte),
// which lets the unique index answer subtree questions.
std::string SubtreeLow(const std::string &fold) { return fold.empty() ? std::string() : fold + "\\"; }
std::string SubtreeHigh(const std::string &fold) { return fold.empty() ? std::string("\xff") : fold + "]"; }

bool HasNul(std::u16string_view text) { return text.find(u'\0') != std::u16string_view::npos; }

// A key path as the store takes it: normalised, no NUL, each name at most MaxKeyNameLength
// units and at most MaxKeyDepth names deep (so a long argument cannot make the store hold
// thousands of ever longer ancestor paths).
TSettingsError NormalKeyPath(std::u16string_view path, std::u16string &normal) {
    if (HasNul(path)) return TSettingsError::Errno(EINVAL);
    normal = NormaliseKeyPath(path);
    std::size_t depth = 0;
    for (std::size_t start = 0; start < normal.size();) {
        std::size_t end = normal.find(u'\\', start);
        if (end == std::u16string::npos) end = normal.size();
        if (end - start > TSettingsStore::MaxKeyNameLength) return TSettingsError::Errno(ENAMETOOLONG);
        if (++depth > TSettingsStore::MaxKeyDepth) return TSettingsError::Errno(EINVAL);
        start = end + 1;
    }
    return {};
}

// A value name as the store takes it: no NUL, at most MaxValueNameLength units.
TSettingsError CheckValueName(std::u16string_view name) {
    if (HasNul(name)) return TSettingsError::Errno(EINVAL);
    if (name.size() > TSettingsStore::MaxValueNameLength) return TSettingsError::Errno(ENAMETOOLONG);
    return {};
}

// The first bytes of every SQLite database file.
constexpr char kDatabaseHeader[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                      'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};

// Checks the store file open on `fd` at `path`: a regular file of this user with mode 0600
// (anything else may be read or changed by someone else, or be somebody else's file), and,
// when not empty, an SQLite database (SQLite itself takes a file shorter than one page for
// an empty database and would write over it).
TSettingsError CheckStoreFile(int fd, const std::string &path) {
    struct stat info;
    if (fstat(fd, &info) != 0) return TSettingsError::Errno(errno);
    if (!S_ISREG(info.st_mode) || info.st_uid != geteuid() || (info.st_mode & 07777) != 0600) {
        char text[160];
        std::snprintf(text, sizeof text, "(a %s of user %u with mode %04o)",
                      S_ISREG(info.st_mode) ? "file" : "non-regular file", unsigned(info.st_uid),
                      unsigned(info.st_mode & 07777));
        return {EPERM, false,
                "The settings store " + path + " must be a regular file of user " +
                    std::to_string(geteuid()) + " with mode 0600 " + text +
                    "; make it so (chown, chmod 600) or move it away to start a new store."};
    }
    if (info.st_size == 0) return {};
    char header[sizeof kDatabaseHeader];
    const ssize_t got = pread(fd, header, sizeof header, 0);
    if (got < 0) return TSettingsError::Errno(errno);
    if (std::size_t(got) < sizeof header || std::memcmp(header, kDatabaseHeader, sizeof header) != 0)
        return {SQLITE_NOTADB, true, sqlite3_errstr(SQLITE_NOTADB)};
    return {};
}

// Opens the store file without following a symbolic link; with `create`, creates it with
// mode 0600 whatever the umask. ENOENT for a missing file otherwise.
TSettingsError OpenStoreFile(const std::string &path, bool create, int &fd) {
    fd = -1;
    if (create) {
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 && fchmod(fd, 0600) != 0) {
            const int e = errno;
            close(fd);
            return TSettingsError::Errno(e);
        }
        if (fd < 0 && errno != EEXIST) return TSettingsError::Errno(errno);
    }
    // Not blocking: a FIFO put at the store's path would hold the open until a writer came;
    // opened at once, CheckStoreFile refuses it as the non-regular file it is.
    if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) return {};
    if (errno == ELOOP)
        return {ELOOP, false,
                "The settings store " + path +
                    " is a symbolic link, which is not followed; put the store file itself there."};
    return TSettingsError::Errno(errno);
}

// Creates every missing folder of `folder` with mode 0700.
int MakeFolders(const std::string &folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) return 0;
    }
}

}  // namespace

class TSettingsStore::TConnection {
public:
    TConnection(TSqliteHandle handle, int busyTimeoutMs)
        : db_(std::move(handle)), busyTimeoutMs_(busyTimeoutMs) {}

    // SQLite's text for `code`: the connection's message when it is about that failure (a
    // failed bind does not always leave one), else the generic text of the code.
    TSettingsError Fail(int code) const {
        const bool own = sqlite3_errcode(db_.get()) == code ||
                         sqlite3_extended_errcode(db_.get()) == code;
        return {code & 0xFF, true, own ? sqlite3_errmsg(db_.get()) : sqlite3_errstr(code)};
    }

    TSettingsError Prepare(const char *sql, TSqliteStatement &statement) {
        sqlite3_stmt *raw = nullptr;
        const int rc = sqlite3_prepare_v2(db_.get(), sql, -1, &raw, nullptr);
        statement = TSqliteStatement(raw);
        return rc == SQLITE_OK ? TSettingsError{} : Fail(rc);
    }

    TSettingsError Exec(const char *sql) {
        const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
        return rc == SQLITE_OK ? TSettingsError{} : Fail(rc);
    }

    // BEGIN IMMEDIATE, tried again while another connection holds the store, until the
    // store's busy timeout has passed: SQLite's own busy wait gives up in cases it cannot wait
    // out (and at its own timeout), and a writer must not fail merely for being one of many.
    TSettingsError BeginImmediate() {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(busyTimeoutMs_);
        for (;;) {
            const int rc = sqlite3_exec(db_.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) return {};
            const int primary = rc & 0xFF;
            if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || Clock::now() >= deadline)
                return Fail(rc);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Runs a statement that returns no rows.
    TSettingsError Run(TSqliteStatement &statement) {
        const int rc = statement.Step();
        return rc == SQLITE_DONE || rc == SQLITE_ROW ? TSettingsError{} : Fail(rc);
    }

    // Whether the tables exist (a file created but never written holds none).
    TSettingsError HasSchema(bool &present) {
        TSqliteStatement statement;
        if (auto e = Prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'vals'",
                             statement))
            return e;
        const int rc = statement.Step();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Fail(rc);
        present = rc == SQLITE_ROW;
        return {};
    }

    int Changes() const { return sqlite3_changes(db_.get()); }

private:
    TSqliteHandle db_;
    int busyTimeoutMs_;
};

namespace {

// BEGIN IMMEDIATE takes the write lock up front, so two writers queue on the busy timeout
// instead of one of them failing on a lock upgrade. Rolls back unless committed.
template <typename Connection>
class TWriteTransaction {
public:
    explicit TWriteTransaction(Connection &connection) : connection_(connection) {}
    ~TWriteTransaction() {
        if (begun_ && !committed_) connection_.Exec("ROLLBACK");
    }
    TWriteTransaction(const TWriteTransaction &) = delete;
    TWriteTransaction &operator=(const TWriteTransaction &) = delete;

    TSettingsError Begin() {
        auto e = connection_.BeginImmediate();
        begun_ = !e;
        return e;
    }
    TSettingsError Commit() {
        auto e = connection_.Exec("COMMIT");
        committed_ = !e;
        return e;
    }

private:
    Connection &connection_;
    bool begun_ = false;
    bool committed_ = false;
};

}  // namespace

TSettingsStore::TSettingsStore() : TSettingsStore(DefaultPath()) {}

namespace {
std::atomic<int> defaultBusyTimeoutMs{TSettingsStore::BusyTimeoutMs};
}  // namespace

void TSettingsStore::SetDefaultBusyTimeout(int busyTimeoutMs) { defaultBusyTimeoutMs = busyTimeoutMs; }
int TSettingsStore::DefaultBusyTimeout() { return defaultBusyTimeoutMs; }

TSettingsStore::TSettingsStore(std::string path)
    : path_(std::move(path)), busyTimeoutMs_(defaultBusyTimeoutMs) {}

TSettingsStore::TSettingsStore(std::string path, int busyTimeoutMs)
    : path_(std::move(path)), busyTimeoutMs_(busyTimeoutMs) {}

TSettingsStore::~TSettingsStore() = default;

std::string TSettingsStore::DefaultPath() {
    std::string base;
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char *home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd *entry = getpwuid(getuid());
            home = entry && entry->pw_dir ? entry->pw_dir : "";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/valtrosa/registry.sqlite";
}

void TSettingsStore::Close() { connection_.reset(); }

TSettingsError TSettingsStore::Connect(bool forWrite) {
    if (connection_) return {};
    if (forWrite) {
        const std::size_t slash = path_.rfind('/');
        if (slash != std::string::npos && slash > 0)
            if (int e = MakeFolders(path_.substr(0, slash))) return TSettingsError::Errno(e);
    }
    {
        int fd = -1;
        if (auto e = OpenStoreFile(path_, forWrite, fd)) return e;
        const TSettingsError e = CheckStoreFile(fd, path_);
        close(fd);
        if (e) return e;
    }
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(path_.c_str(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
                                   nullptr);
    TSqliteHandle handle(raw);
    if (rc != SQLITE_OK)
        return {rc & 0xFF, true, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)};
    sqlite3_busy_timeout(raw, busyTimeoutMs_);
    connection_ = std::make_unique<TConnection>(std::move(handle), busyTimeoutMs_);
    return {};
}

TSettingsError TSettingsStore::OpenKey(std::u16string_view path, TSettingsKey &key) {
    std::u16string normal;
    if (auto e = NormalKeyPath(path, normal)) return e;
    auto e = Connect(false);
    if (e.Code == ENOENT && !e.FromSqlite && normal.empty()) {
        key = {0, u""};  // the root of a store that holds nothing yet
        return {};
    }
    if (e) return e;
    bool present = false;
    if ((e = connection_->HasSchema(present))) return e;
    if (!present) {
        if (!normal.empty()) return TSettingsError::Errno(ENOENT);
        key = {0, u""};
        return {};
    }
    TSqliteStatement select;
    if ((e = connection_->Prepare("SELECT id, path FROM keys WHERE fold = ?1", select))) return e;
    select.BindText(1, ToUtf8(Fold(normal)));
    const int rc = select.Step();
    if (rc == SQLITE_DONE) return TSettingsError::Errno(ENOENT);
    if (rc != SQLITE_ROW) return connection_->Fail(rc);
    key = {select.ColumnInt64(0), FromUtf8(select.ColumnText(1))};
    return {};
}

TSettingsError TSettingsStore::CreateKey(std::u16string_view path, TSettingsKey &key) {
    std::u16string normal;
    if (auto e = NormalKeyPath(path, normal)) return e;
    if (auto e = Connect(true)) return e;
    TWriteTransaction transaction(*connection_);
    if (auto e = transaction.Begin()) return e;
    if (auto e = connection_->Exec(kSchema)) return e;

    TSqliteStatement insert;
    if (auto e = connection_->Prepare("INSERT OR IGNORE INTO keys(fold, path) VALUES(?1, ?2)", insert))
        return e;
    // Every ancestor first, so that each level can be opened on its own.
    for (std::size_t end = normal.find(u'\\');; end = normal.find(u'\\', end + 1)) {
        const std::u16string_view prefix = std::u16string_view(normal).substr(0, end);
        insert.Reset();
        insert.BindText(1, ToUtf8(Fold(prefix)));
        insert.BindText(2, ToUtf8(prefix));
        if (auto e = connection_->Run(insert)) return e;
        if (end == std::u16string::npos) break;
    }
    TSqliteStatement select;
    if (auto e = connection_->Prepare("SELECT id, path FROM keys WHERE fold = ?1", select)) return e;
    select.BindText(1, ToUtf8(Fold(normal)));
    const int rc = select.Step();
    if (rc != SQLITE_ROW) return connection_->Fail(rc);
    TSettingsKey created{select.ColumnInt64(0), FromUtf8(select.ColumnText(1))};
    select = TSqliteStatement();
    if (auto e = transaction.Commit()) return e;
    key = std::move(created);
    return {};
}

TSettingsError TSettingsStore::DeleteKey(std::u16string_view path) {
    std::u16string normal;
    if (auto e = NormalKeyPath(path, normal)) return e;
    if (normal.empty()) return TSettingsError::Errno(EINVAL);
    TSettingsKey key;
    if (auto e = OpenKey(normal, key)) return e;  // never creates a missing store

    TWriteTransaction transaction(*connection_);
    if (auto e = transaction.Begin()) return e;
    const std::string fold = ToUtf8(Fold(normal));
    static constexpr const char *kInSubtree = "fold = ?1 OR (fold > ?2 AND fold < ?3)";
    const std::string deleteValues =
        std::string("DELETE FROM vals WHERE key_id IN (SELECT id FROM keys WHERE ") + kInSubtree + ")";
    const std::string deleteKeys = std::string("DELETE FROM keys WHERE ") + kInSubtree;
    int deletedKeys = 0;
    for (const std::string *sql : {&deleteValues, &deleteKeys}) {
        TSqliteStatement statement;
        if (auto e = connection_->Prepare(sql->c_str(), statement)) return e;
        statement.BindText(1, fold);
        statement.BindText(2, SubtreeLow(fold));
        statement.BindText(3, SubtreeHigh(fold));
        if (auto e = connection_->Run(statement)) return e;
        deletedKeys = connection_->Changes();
    }
    if (deletedKeys == 0) return TSettingsError::Errno(ENOENT);  // deleted meanwhile
    return transaction.Commit();
}

TSettingsError TSettingsStore::QueryValue(const TSettingsKey &key, std::u16string_view name,
                                          uint32_t *type, std::vector<uint8_t> *data,
                                          int64_t *size, int64_t maxSize) {
    if (auto e = CheckValueName(name)) return e;
    if (key.Id == 0) return TSettingsError::Errno(ENOENT);
    if (auto e = Connect(false)) return e;
    TSqliteStatement select;
    if (auto e = connection_->Prepare(
            "SELECT type, length(data), data FROM vals WHERE key_id = ?1 AND fold = ?2", select))
        return e;
    select.BindInt64(1, key.Id);
    select.BindText(2, ToUtf8(Fold(name)));
    const int rc = select.Step();
    if (rc == SQLITE_DONE) return TSettingsError::Errno(ENOENT);
    if (rc != SQLITE_ROW) return connection_->Fail(rc);
    const int64_t length = select.ColumnInt64(1);
    if (type) *type = uint32_t(select.ColumnInt64(0));
    if (size) *size = length;
    if (maxSize >= 0 && length > maxSize) return TSettingsError::Errno(EOVERFLOW);
    if (data) {
        std::size_t bytes = 0;
        const uint8_t *blob = select.ColumnBlob(2, bytes);
        data->assign(blob, blob + (blob ? bytes : 0));
    }
    return {};
}

TSettingsError TSettingsStore::SetValue(const TSettingsKey &key, std::u16string_view name,
                                        uint32_t type, const void *data, std::size_t size) {
    if (auto e = CheckValueName(name)) return e;
    TSettingsKey target = key;
    if (target.Id == 0)  // the root, opened before the store existed
        if (auto e = CreateKey(u"", target)) return e;
    if (auto e = Connect(true)) return e;
    TWriteTransaction transaction(*connection_);
    if (auto e = transaction.Begin()) return e;
    {
        TSqliteStatement check;
        if (auto e = connection_->Prepare("SELECT 1 FROM keys WHERE id = ?1", check)) return e;
        check.BindInt64(1, target.Id);
        const int rc = check.Step();
        if (rc == SQLITE_DONE) return TSettingsError::Errno(ENOENT);
        if (rc != SQLITE_ROW) return connection_->Fail(rc);
    }
    TSqliteStatement upsert;
    if (auto e = connection_->Prepare(
            "INSERT INTO vals(key_id, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
            "ON CONFLICT(key_id, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
            upsert))
        return e;
    upsert.BindInt64(1, target.Id);
    upsert.BindText(2, ToUtf8(Fold(name)));
    upsert.BindText(3, ToUtf8(name));
    upsert.BindInt64(4, type);
    upsert.BindBlob(5, data, size);
    if (auto e = connection_->Run(upsert)) return e;
    upsert = TSqliteStatement();
    return transaction.Commit();
}

TSettingsError TSettingsStore::DeleteValue(const TSettingsKey &key, std::u16string_view name) {
    if (auto e = CheckValueName(name)) return e;
    if (key.Id == 0) return TSettingsError::Errno(ENOENT);
    if (auto e = Connect(false)) return e;
    TWriteTransaction transaction(*connection_);
    if (auto e = transaction.Begin()) return e;
    TSqliteStatement remove;
    if (auto e = connection_->Prepare("DELETE FROM vals WHERE key_id = ?1 AND fold = ?2", remove))
        return e;
    remove.BindInt64(1, key.Id);
    remove.BindText(2, ToUtf8(Fold(name)));
    if (auto e = connection_->Run(remove)) return e;
    if (connection_->Changes() == 0) return TSettingsError::Errno(ENOENT);
    remove = TSqliteStatement();
    return transaction.Commit();
}

TSettingsError TSettingsStore::EnumValues(const TSettingsKey &key, std::vector<TSettingsValue> &values) {
    values.clear();
    if (key.Id == 0) return {};
    if (auto e = Connect(false)) return e;
    TSqliteStatement select;
    if (auto e = connection_->Prepare(
            "SELECT name, type, data FROM vals WHERE key_id = ?1 ORDER BY fold", select))
        return e;
    select.BindInt64(1, key.Id);
    int rc;
    while ((rc = select.Step()) == SQLITE_ROW) {
        TSettingsValue value;
        value.Name = FromUtf8(select.ColumnText(0));
        value.Type = uint32_t(select.ColumnInt64(1));
        std::size_t bytes = 0;
        const uint8_t *blob = select.ColumnBlob(2, bytes);
        value.Data.assign(blob, blob + (blob ? bytes : 0));
        values.push_back(std::move(value));
    }
    return rc == SQLITE_DONE ? TSettingsError{} : connection_->Fail(rc);
}

TSettingsError TSettingsStore::EnumSubKeys(const TSettingsKey &key, std::vector<std::u16string> &names) {
    names.clear();
    if (key.Id == 0 && !key.Path.empty()) return TSettingsError::Errno(ENOENT);
    if (auto e = Connect(false)) return e.Code == ENOENT && !e.FromSqlite ? TSettingsError{} : e;
    bool present = false;
    if (auto e = connection_->HasSchema(present)) return e;
    if (!present) return {};
    const std::string fold = ToUtf8(Fold(NormaliseKeyPath(key.Path)));
    TSqliteStatement select;
    if (auto e = connection_->Prepare(
            "SELECT fold, path FROM keys WHERE fold > ?1 AND fold < ?2 ORDER BY fold", select))
        return e;
    const std::string low = SubtreeLow(fold);
    select.BindText(1, low);
    select.BindText(2, SubtreeHigh(fold));
    int rc;
    while ((rc = select.Step()) == SQLITE_ROW) {
        // Direct children only: no separator after the parent's part.
        if (select.ColumnText(0).substr(low.size()).find('\\') != std::string_view::npos) continue;
        std::u16string path = FromUtf8(select.ColumnText(1));
        const std::size_t slash = path.rfind(u'\\');
        names.push_back(slash == std::u16string::npos ? path : path.substr(slash + 1));
    }
    return rc == SQLITE_DONE ? TSettingsError{} : connection_->Fail(rc);
}
