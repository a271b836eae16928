// SPDX-License-Identifier: GPL-3.0-or-later
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
    // Record by record, so that the records read before a failing one stay in the list. A
    // huge count costs nothing up front: nothing is reserved for it, and the loop ends at the
    // first record the remaining bytes cannot hold, before its body is read.
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<TValtrosaFile> record(CreateItem());
        const int32_t left = rw_.BytesLeft();
        if (left >= 0 && left < record->MinimalBodySize()) TStreamRW::RaiseNotRead();
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
