// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/valtrosa_file.h"

#include "foundation/file_stream.h"
#include "foundation/memory_stream.h"

namespace {

constexpr int32_t kMemoryGranularity = 8192;

// Clears a record's current stream when a local stream it was pointed at goes away, so that
// it never points at a dead stream.
class TForgetStream {
public:
    explicit TForgetStream(TStreamRW &record) : record_(record) {}
    ~TForgetStream() { record_.SetCurrentStream(nullptr); }
    TForgetStream(const TForgetStream &) = delete;
    TForgetStream &operator=(const TForgetStream &) = delete;

private:
    TStreamRW &record_;
};

}  // namespace

TValtrosaFile::TValtrosaFile() { Initialize(); }

TValtrosaFile::~TValtrosaFile() = default;

void TValtrosaFile::SaveToStream(TStream &stream) {
    SetCurrentStream(&stream);
    if (!SuppressBeforeSave) listeners_.NotifyBackwards(&TEventHandler_ValtrosaFile::BeforeSave, this);
    WriteToStream();
    if (!SuppressAfterSave) listeners_.NotifyBackwards(&TEventHandler_ValtrosaFile::AfterSave, this);
}

void TValtrosaFile::LoadBody() {
    listeners_.NotifyBackwards(&TEventHandler_ValtrosaFile::BeforeLoad, this);
    Clear();
    ReadFromStream();
    listeners_.AfterLoad(this);
}

void TValtrosaFile::SaveToFile(const char *fileName) {
    TFileStream file(fileName, "wb");
    TForgetStream forget(*this);
    if (BufferedSave) {
        TMemoryStream memory(kMemoryGranularity);
        SaveToStream(memory);
        file.SetActive(true);
        memory.Seek(0, soFromBeginning);
        file.Write(memory.Memory(), memory.DataSize());
    } else {
        file.SetActive(true);
        SaveToStream(file);
    }
    file.CloseAfterWriting();
    FileName.Assign(fileName);
}

void TValtrosaFile::Assign(TValtrosaFile &source) {
    TMemoryStream memory(kMemoryGranularity);
    TForgetStream forgetSource(source), forgetThis(*this);
    source.SaveToStream(memory);
    memory.Seek(0, soFromBeginning);
    SetCurrentStream(&memory);
    LoadBody();
}

void TValtrosaFile::AssignQuietly(TValtrosaFile &source) {
    const bool before = source.SuppressBeforeSave;
    const bool after = source.SuppressAfterSave;
    source.SuppressBeforeSave = true;
    source.SuppressAfterSave = true;
    try {
        Assign(source);
    } catch (...) {
        source.SuppressBeforeSave = before;
        source.SuppressAfterSave = after;
        throw;
    }
    source.SuppressBeforeSave = before;
    source.SuppressAfterSave = after;
}

void TValtrosaFile::SaveToRegistry(HKEY root, const char16_t *keyPath, bool createKey) {
    TRegistry registry(root, keyPath);
    registry.CreateIfMissing = createKey;
    registry.SetOpen(true);
    WriteToRegistry(registry);
}

void TValtrosaFile::LoadFromRegistry(HKEY root, const char16_t *keyPath) {
    TRegistry registry(root, keyPath);
    registry.SetOpen(true);
    ReadFromRegistry(registry);
}

void TValtrosaFile::SaveValue(TRegistry &registry, const char16_t *valueName) {
    registry.SetOpen(true);
    TMemoryStream memory(kMemoryGranularity);
    {
        TForgetStream forget(*this);
        SaveToStream(memory);
    }
    registry.WriteData(valueName, REG_BINARY, memory.Memory(), memory.DataSize());
}

void TValtrosaFile::LoadValue(TRegistry &registry, const char16_t *valueName, bool skipWhenEmpty) {
    registry.SetOpen(true);
    TMemoryStream memory(kMemoryGranularity);
    registry.ReadStream(valueName, memory);
    if (skipWhenEmpty && memory.DataSize() < 1) return;
    memory.Seek(0, soFromBeginning);
    TForgetStream forget(*this);
    SetCurrentStream(&memory);
    LoadBody();
}

void TValtrosaFile::LoadFromRegistryValue(HKEY root, const char16_t *keyPath, const char16_t *valueName) {
    TRegistry registry(root, keyPath);
    LoadValue(registry, valueName, false);
}

void TValtrosaFile::SaveToRegistryValue(HKEY root, const char16_t *keyPath, const char16_t *valueName) {
    TRegistry registry(root, keyPath);
    SaveValue(registry, valueName);
}

void TValtrosaFile::LoadFromRegistryValueCreating(HKEY root, const char16_t *keyPath, const char16_t *valueName) {
    Initialize();
    TRegistry registry(root, keyPath);
    registry.CreateIfMissing = true;
    LoadValue(registry, valueName, true);
}

void TValtrosaFile::SaveToRegistryValueCreating(HKEY root, const char16_t *keyPath, const char16_t *valueName) {
    Initialize();
    TRegistry registry(root, keyPath);
    registry.CreateIfMissing = true;
    SaveValue(registry, valueName);
}
