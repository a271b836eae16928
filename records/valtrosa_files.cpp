#include "records/valtrosa_files.h"

#include <memory>

#include "foundation/memory_stream.h"

TValtrosaFiles::~TValtrosaFiles() {
    if (OwnsItems) DestroyItems();
}

TValtrosaFile *TValtrosaFiles::Get(int32_t index) const { return static_cast<TValtrosaFile *>(TList::Get(index)); }

void TValtrosaFiles::DestroyItems() {
    for (int32_t i = 0; i < Count(); ++i) delete Get(i);
    Clear();
}

void TValtrosaFiles::Append(TValtrosaFile *record) {
    std::unique_ptr<TValtrosaFile> owner(record);
    Add(record);  // may raise "List capacity out of bounds"
    owner.release();
}

void TValtrosaFiles::LoadFromStream(TStream &stream) {
    rw_.SetCurrentStream(&stream);
    const int32_t count = rw_.ReadInt32();
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<TValtrosaFile> record(CreateItem());
        if (i == 0) {
            // Refuse a count the rest of the stream cannot hold, before it costs anything.
            const int32_t minimal = record->MinimalBodySize();
            const int32_t left = rw_.BytesLeft();
            if (minimal > 0 && left >= 0 && count > left / minimal) TStreamRW::RaiseNotRead();
        }
        record->SetCurrentStream(&stream);
        record->LoadBody();
        Append(record.release());
        Changed();
    }
}

void TValtrosaFiles::SaveToStream(TStream &stream) {
    rw_.SetCurrentStream(&stream);
    rw_.WriteInt32(Count());
    for (int32_t i = 0; i < Count(); ++i) Get(i)->SaveToStream(stream);
}

void TValtrosaFiles::AppendCopyOf(TValtrosaFiles &other) {
    TMemoryStream memory(8192);
    other.SaveToStream(memory);
    other.rw_.SetCurrentStream(nullptr);
    memory.Seek(0, soFromBeginning);
    try {
        LoadFromStream(memory);
    } catch (...) {
        rw_.SetCurrentStream(nullptr);
        throw;
    }
    rw_.SetCurrentStream(nullptr);
}

void TValtrosaFiles::AppendCopies(TValtrosaFiles &other) {
    const int32_t count = other.Count();  // fixed first: `other` may be this list
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<TValtrosaFile> record(CreateItem());
        record->Assign(*other.Get(i));
        Append(record.release());
    }
}
