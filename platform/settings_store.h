// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSettingsStore: the per-user store of typed settings that stands in for the registry
// under the current user. One SQLite database per user at
// $XDG_CONFIG_HOME/valtrosa/registry.sqlite (~/.config/valtrosa/... when the variable is
// unset or not absolute).
//
// Contracts:
// - Keys form a tree of '\'-separated paths below the root "" (see settings_store_text.h for
//   spelling and case rules). Creating a key creates its missing ancestors.
// - Values are (name, type, data) with the exact bytes Windows would store: REG_SZ as
//   UTF-16LE without terminator, REG_DWORD as 4 little-endian bytes, REG_BINARY raw. The
//   store itself never interprets the bytes.
// - Reads never create anything: a missing database file answers "not found" (ENOENT), as a
//   missing key or value does.
// - The first write creates the folder (mode 0700) and the file (mode 0600). Each write is
//   one transaction, so a crash never leaves half a value.
// - The file is opened without following a symbolic link, and must be a regular file of
//   the user with mode 0600; otherwise nothing is read or written, and the error's Text says
//   what to fix (ELOOP for a link, EPERM for owner or mode).
// - Another process using the file at the same time is waited for (up to BusyTimeoutMs)
//   rather than reported.
// - A database that cannot be read (corrupt, not a database, unreadable, even a file of a
//   few bytes) is reported with SQLite's code and text and is never replaced or repaired.
// - Key names are at most MaxKeyNameLength units and paths at most MaxKeyDepth names deep;
//   value names at most MaxValueNameLength units (ENAMETOOLONG, EINVAL for depth), as
//   Windows bounds them. A NUL in a key path or a value name is EINVAL.
// - Every parameter bound to a statement is checked: a value SQLite cannot hold is its
//   error ("string or blob too big"), never a NULL.
// - Failures come back as TSettingsError values; nothing here throws for a store failure.
// - One object is used by one thread at a time; separate objects (and processes) may share
//   the file.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Value types, with the registry's numbers.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

// The outcome of a store operation. Code 0 is success; otherwise Code is an errno value
// (FromSqlite false: ENOENT for a missing database, key or value; EOVERFLOW for data larger
// than the caller's limit; EINVAL for a request the store cannot express; ENAMETOOLONG; ELOOP
// and EPERM for a store file that is not safe to use, with what to fix in Text) or SQLite's
// primary result code (FromSqlite true) with SQLite's message in Text (UTF-8).
struct TSettingsError {
    int32_t Code = 0;
    bool FromSqlite = false;
    std::string Text;

    explicit operator bool() const { return Code != 0; }
    static TSettingsError Errno(int32_t code) { return {code, false, {}}; }
};

// An open key: its row in the store and its path as first spelt. Id 0 is the root of a
// store whose file does not exist yet (it holds nothing).
struct TSettingsKey {
    int64_t Id = 0;
    std::u16string Path;
};

struct TSettingsValue {
    std::u16string Name;
    uint32_t Type = REG_NONE;
    std::vector<uint8_t> Data;
};

class TSettingsStore {
public:
    // How long a request waits for another connection that holds the store, by default.
    static constexpr int BusyTimeoutMs = 30000;
    static constexpr std::size_t MaxKeyNameLength = 255;
    static constexpr std::size_t MaxKeyDepth = 512;
    static constexpr std::size_t MaxValueNameLength = 16383;

    // The wait of the stores made from now on without one of their own (the current user's
    // store through TRegistry, say); BusyTimeoutMs until set. A test that holds the store
    // from another connection shortens it rather than waiting the whole default out.
    static void SetDefaultBusyTimeout(int busyTimeoutMs);
    static int DefaultBusyTimeout();

    // The current user's store; the path is taken from the environment now.
    TSettingsStore();
    explicit TSettingsStore(std::string path);
    // The store at `path`, waiting up to busyTimeoutMs for another holder (tests shorten it).
    TSettingsStore(std::string path, int busyTimeoutMs);
    ~TSettingsStore();
    TSettingsStore(const TSettingsStore &) = delete;
    TSettingsStore &operator=(const TSettingsStore &) = delete;

    // $XDG_CONFIG_HOME/valtrosa/registry.sqlite, else $HOME/.config/..., else the password
    // database's home directory.
    static std::string DefaultPath();
    const std::string &Path() const { return path_; }
    int BusyTimeout() const { return busyTimeoutMs_; }

    // Opens an existing key. ENOENT when it (or the store) does not exist.
    TSettingsError OpenKey(std::u16string_view path, TSettingsKey &key);
    // Opens the key, creating it and its ancestors (and the store) when missing.
    TSettingsError CreateKey(std::u16string_view path, TSettingsKey &key);
    // Deletes the key with its values and all its subkeys. EINVAL for the root, ENOENT when
    // it does not exist.
    TSettingsError DeleteKey(std::u16string_view path);

    // Any of type, data, size may be null. With maxSize >= 0, data longer than maxSize is
    // EOVERFLOW (type and size are still filled, data is not). ENOENT for a missing value.
    TSettingsError QueryValue(const TSettingsKey &key, std::u16string_view name, uint32_t *type,
                              std::vector<uint8_t> *data, int64_t *size, int64_t maxSize = -1);
    // Creates or replaces the value (an existing value keeps the spelling of its name).
    // ENOENT when the key was deleted meanwhile.
    TSettingsError SetValue(const TSettingsKey &key, std::u16string_view name, uint32_t type,
                            const void *data, std::size_t size);
    TSettingsError DeleteValue(const TSettingsKey &key, std::u16string_view name);

    // The values of a key, ordered by folded name, and the names of its direct subkeys.
    TSettingsError EnumValues(const TSettingsKey &key, std::vector<TSettingsValue> &values);
    TSettingsError EnumSubKeys(const TSettingsKey &key, std::vector<std::u16string> &names);

    // Closes the connection (it reopens on the next request).
    void Close();

private:
    class TConnection;

    // Connects when not connected. forWrite creates folder and file; otherwise a missing
    // file answers ENOENT.
    TSettingsError Connect(bool forWrite);

    std::string path_;
    int busyTimeoutMs_;
    std::unique_ptr<TConnection> connection_;
};
