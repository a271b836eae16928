// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/registry.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/system_error_text.h"

namespace {

std::u16string_view NameView(const char16_t *name) {
    return name ? std::u16string_view(name) : std::u16string_view();
}

MyString NameText(const char16_t *name) {
    MyString text;
    text.AssignWide(name);
    return text;
}

// "Error On <where>. <text>" as TOSException: RaiseOSError's message, with SQLite's own text
// when the code is SQLite's (strerror would describe an unrelated errno value).
[[noreturn]] void RaiseStoreError(const char *where, const TSettingsError &error) {
    const MyString text = MyString::MakeStr("Error On %s. %s", where, SettingsErrorText(error).Text());
    throw TOSException(error.Code, text.Text());
}

}  // namespace

MyString SettingsErrorText(const TSettingsError &error) {
    // A store failure that says what to fix says it instead of the bare system text.
    if (!error.FromSqlite) return error.Text.empty() ? SystemErrorText(true, error.Code) : MyString::FromUtf8(error.Text);
    MyString text = MyString::FromUtf8(error.Text);
    const MyString suffix = MyString::MakeStr(" (%d)", int(error.Code));
    text.Append(suffix.Text(), suffix.Length());
    return text;
}

TRegistry::TRegistry() : keyPath_(WideBufferGranularity) { ClearWide(keyPath_); }

TRegistry::TRegistry(HKEY root, const char16_t *path) : root_(root), keyPath_(WideBufferGranularity) {
    SetWide(keyPath_, path);
}

TRegistry::TRegistry(HKEY root, const char *path) : root_(root), keyPath_(WideBufferGranularity) {
    AnsiToWide(keyPath_, path);
}

TRegistry::~TRegistry() = default;  // closes the key and the store connection

TSettingsStore &TRegistry::Store() {
    if (!store_) store_ = std::make_unique<TSettingsStore>();
    return *store_;
}

TSettingsError TRegistry::OpenOrCreateInStore(bool create, TSettingsKey &key) {
    if (root_ != HKEY_CURRENT_USER) return TSettingsError::Errno(EINVAL);  // the only root there is
    const std::u16string_view path(WideText(keyPath_), std::size_t(WideLength(keyPath_)));
    return create ? Store().CreateKey(path, key) : Store().OpenKey(path, key);
}

MyString TRegistry::KeyPathText() const {
    MyString text;
    text.AssignWide(WideText(keyPath_), WideLength(keyPath_));
    return text;
}

void TRegistry::RaiseNotOpened(int attempt, const MyString &reason) const {
    const MyString text =
        MyString::MakeStr("Key %s Not Opened %d.\r\n%s", KeyPathText().Text(), attempt, reason.Text());
    RaiseError(TErrorCategory::InputOutput, text.Text());
}

bool TRegistry::OpenIfExists() {
    if (currentKey_) return true;
    TSettingsKey key;
    TSettingsError e = OpenOrCreateInStore(false, key);
    if (!e) {
        currentKey_ = std::move(key);
        return true;
    }
    if (e.Code == ENOENT && !e.FromSqlite) return false;
    RaiseNotOpened(1, SettingsErrorText(e));
}

void TRegistry::SetOpen(bool open) {
    if (open == IsOpen()) return;
    if (!open) {
        currentKey_.reset();
        store_.reset();
        return;
    }
    TSettingsKey key;
    TSettingsError e = OpenOrCreateInStore(false, key);
    if (!e) {
        currentKey_ = std::move(key);
        return;
    }
    if (!CreateIfMissing) RaiseNotOpened(1, SettingsErrorText(e));
    CreateKey();
    if (!currentKey_) {
        errno = 0;
        RaiseNotOpened(2, SystemErrorText(false, 0));
    }
}

void TRegistry::CreateKey() {
    TSettingsKey key;
    TSettingsError e = OpenOrCreateInStore(true, key);
    if (e) {
        const MyString text =
            MyString::MakeStr("Create Key Failed.\r\n%d %s", int(e.Code), SettingsErrorText(e).Text());
        RaiseError(TErrorCategory::InputOutput, text.Text());
    }
    currentKey_ = std::move(key);
}

bool TRegistry::ValueExists(const char16_t *name) {
    SetOpen(true);
    uint32_t type = 0;
    int64_t size = 0;
    return !Store().QueryValue(*currentKey_, NameView(name), &type, nullptr, &size);
}

int32_t TRegistry::GetDataSize(const char16_t *name) {
    SetOpen(true);
    int64_t size = 0;
    if (TSettingsError e = Store().QueryValue(*currentKey_, NameView(name), nullptr, nullptr, &size))
        RaiseStoreError("GetDataSize.RegQueryValueEx", e);
    return size > INT32_MAX ? INT32_MAX : int32_t(size);
}

void TRegistry::WriteData(const char16_t *name, uint32_t type, const void *data, int32_t size) {
    TSettingsError e = currentKey_ ? Store().SetValue(*currentKey_, NameView(name), type, data,
                                                      size > 0 ? std::size_t(size) : 0)
                                   : TSettingsError::Errno(EBADF);  // no key open
    if (e) {
        const MyString text =
            MyString::MakeStr("%s\r\n%s", "Sistem Kaydı Yazılamadı."_cp, SettingsErrorText(e).Text());
        RaiseError(TErrorCategory::InputOutput, text.Text());
    }
}

int32_t TRegistry::ReadInt(const char16_t *name) {
    SetOpen(true);
    if (CreateIfMissing && !ValueExists(name)) {
        SetOpen(true);
        CreateKey();
        const uint8_t zero[4] = {0, 0, 0, 0};
        WriteData(name, REG_DWORD, zero, 4);
    }
    const int32_t n = GetDataSize(name);
    if (n <= 0) RaiseError(TErrorCategory::InputOutput, "Registry.ReadInt.GetDataSize Invalid Len %d", int(n));
    std::vector<uint8_t> data;
    if (TSettingsError e = Store().QueryValue(*currentKey_, NameView(name), nullptr, &data, nullptr, 4))
        RaiseStoreError("Registry.GetData", e);
    uint32_t value = 0;
    for (std::size_t i = 0; i < data.size(); ++i) value |= uint32_t(data[i]) << (8 * i);
    return int32_t(value);
}

void TRegistry::WriteInt(const char16_t *name, int32_t value) {
    SetOpen(true);
    CreateKey();
    const auto bits = uint32_t(value);
    const uint8_t bytes[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    WriteData(name, REG_DWORD, bytes, 4);
}

MyString TRegistry::ReadString(const char16_t *name) {
    SetOpen(true);
    if (CreateIfMissing && !ValueExists(name)) WriteString(name, "", 0);
    return GetStringData(name);
}

MyString TRegistry::GetStringData(const char16_t *name) {
    MyString result("");
    const int32_t n = GetDataSize(name);
    if (n <= 0) return result;
    std::vector<uint8_t> data;
    if (TSettingsError e = Store().QueryValue(*currentKey_, NameView(name), nullptr, &data, nullptr, n))
        RaiseStoreError("Registry.GetData", e);
    std::u16string text(data.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    const std::size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) text.resize(nul);
    result.AssignWide(text.data(), int32_t(text.size()));
    return result;
}

void TRegistry::WriteString(const char16_t *name, const char *text, int32_t length) {
    SetOpen(true);
    CreateKey();
    const std::u16string wide =
        text && length > 0 ? cp1254::ToUtf16(std::string_view(text, std::size_t(length))) : std::u16string();
    std::vector<uint8_t> bytes;
    bytes.reserve(wide.size() * 2);
    for (char16_t c : wide) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    WriteData(name, REG_SZ, bytes.data(), int32_t(bytes.size()));
}

int32_t TRegistry::ReadBinary(const char16_t *name, void *buffer, int32_t size) {
    SetOpen(true);
    std::vector<uint8_t> data;
    TSettingsError e = Store().QueryValue(*currentKey_, NameView(name), nullptr, &data, nullptr,
                                          size > 0 ? size : 0);
    if (e) RaiseError(TErrorCategory::InputOutput, "SubKey Not Opened4 %s", NameText(name).Text());
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    return int32_t(data.size());
}

void TRegistry::ReadStream(const char16_t *name, TMemoryStream &stream) {
    if (!ValueExists(name)) return;
    const int32_t n = GetDataSize(name);
    if (n <= 0) return;
    stream.SetSize(n);
    stream.Seek(0, soFromBeginning);
    ReadBinary(name, stream.Memory(), n);
}

bool TRegistry::DeleteValue(const char16_t *name) {
    SetOpen(true);
    TSettingsError e = Store().DeleteValue(*currentKey_, NameView(name));
    if (!e) return true;
    if (e.Code == ENOENT && !e.FromSqlite) return false;
    const MyString text =
        MyString::MakeStr("%s\r\n%s", "Sistem Kaydı Yazılamadı."_cp, SettingsErrorText(e).Text());
    RaiseError(TErrorCategory::InputOutput, text.Text());
}
