// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TRegistry: one key of the per-user settings store (platform/settings_store.h), opened on
// demand, with typed value reads and writes and the registry's failure messages.
//
// A TRegistry lives for one task: it is created, opened lazily by its first read or write
// and destroyed, which closes the key and the store connection. Error codes in messages are
// errno values (missing key or value: ENOENT "No such file or directory (2)"; data larger
// than asked for: EOVERFLOW) or, when the store file itself fails, SQLite's code with
// SQLite's text ("file is not a database (26)").

#include <cstdint>
#include <memory>
#include <optional>

#include "foundation/memory_stream.h"
#include "foundation/my_string.h"
#include "platform/settings_store.h"

// Predefined roots. The store holds the current user's keys only; another root cannot be
// opened (EINVAL).
using HKEY = uint32_t;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;

class TRegistry {
public:
    // No root, empty path, closed.
    TRegistry();
    // Closed; `path` is UTF-16, or 8-bit Windows-1254.
    TRegistry(HKEY root, const char16_t *path);
    TRegistry(HKEY root, const char *path);
    virtual ~TRegistry();
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    // When true, opening creates a missing key, and ReadInt/ReadString first write a default
    // (0 / the empty text) for a missing value.
    bool CreateIfMissing = false;

    // Opens (nothing when already open) or closes the key. A key that cannot be opened
    // raises "Key %s Not Opened 1.\r\n%s" (CreateIfMissing false) or, after creating,
    // "Key %s Not Opened 2.\r\n%s".
    void SetOpen(bool open);
    bool IsOpen() const { return currentKey_.has_value(); }
    // Opens the key when it exists and answers true; false when the key or the whole store
    // does not exist (nothing is created). Any other failure raises as SetOpen does.
    bool OpenIfExists();
    // Creates (or opens) the key and its ancestors; raises "Create Key Failed.\r\n%d %s".
    void CreateKey();

    HKEY RootKey() const { return root_; }
    const TWideBuffer &KeyPath() const { return keyPath_; }
    // The key path in 8-bit text, for messages.
    MyString KeyPathText() const;

    // Opens the key; true exactly when the value exists and its type and size can be read.
    bool ValueExists(const char16_t *name);
    // Opens the key; the size of the value's data. A failure raises TOSException "Error On
    // GetDataSize.RegQueryValueEx. %s".
    int32_t GetDataSize(const char16_t *name);
    // Sets the value in the key that is open now (it does not open it); raises "Sistem Kaydı
    // Yazılamadı.\r\n%s".
    void WriteData(const char16_t *name, uint32_t type, const void *data, int32_t size);

    // A value of 1 to 4 bytes, of any type, as a little-endian integer whose missing high
    // bytes are 0. Size 0 raises "Registry.ReadInt.GetDataSize Invalid Len %d"; more than 4
    // bytes or a read failure raises TOSException "Error On Registry.GetData. %s".
    int32_t ReadInt(const char16_t *name);
    // Opens or creates the key and writes a REG_DWORD.
    void WriteInt(const char16_t *name, int32_t value);

    // The value as UTF-16 text converted to 8-bit, up to its first NUL or its end (an odd
    // last byte is ignored). A missing value raises as GetDataSize does.
    MyString ReadString(const char16_t *name);
    MyString GetStringData(const char16_t *name);
    // Opens or creates the key and writes `length` bytes of 8-bit text as REG_SZ: UTF-16LE,
    // 2 bytes per character, no terminator.
    void WriteString(const char16_t *name, const char *text, int32_t length);

    // Reads the value's data, whatever its type, into `buffer`; returns the bytes read.
    // A missing value or data larger than `size` raises "SubKey Not Opened4 %s".
    int32_t ReadBinary(const char16_t *name, void *buffer, int32_t size);
    // When the value exists and holds n > 0 bytes, `stream` gets size n, is rewound and
    // filled with them; otherwise it is left alone.
    void ReadStream(const char16_t *name, TMemoryStream &stream);

    // Opens the key and removes a value; true when it existed. For tools that edit the
    // store; the program itself never removes a setting.
    bool DeleteValue(const char16_t *name);

private:
    TSettingsStore &Store();
    // Opens (or creates) KeyPath under RootKey in the store; nothing is raised here.
    TSettingsError OpenOrCreateInStore(bool create, TSettingsKey &key);
    [[noreturn]] void RaiseNotOpened(int attempt, const MyString &reason) const;

    HKEY root_ = 0;
    TWideBuffer keyPath_;
    std::unique_ptr<TSettingsStore> store_;
    std::optional<TSettingsKey> currentKey_;
};

// "text (code)": SystemErrorText for an errno value, SQLite's own text for its codes.
MyString SettingsErrorText(const TSettingsError &error);
