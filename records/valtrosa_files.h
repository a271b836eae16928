// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TValtrosaFiles: the base of every record list: a TList of records of one class with the
// List encoding (Int32 count, then the bodies one after another). See valtrosa_file.h for
// how a list class is derived (Get and CreateItem).
//
// - Loading appends: the list is not emptied first. A count of 0 or less reads nothing more.
// - Records are read one by one: a record whose body fails (or that the bytes left cannot
//   hold at the class's MinimalBodySize) raises "not readed from stream", is destroyed and
//   not appended; the records before it stay. Nothing is reserved for the claimed count.
// - Ownership: with OwnsItems set, destroying the list destroys its records (in index
//   order). DestroyItems does the same at any time. Clear (inherited) only empties.

#include <cstdint>

#include "foundation/list.h"
#include "foundation/stream.h"
#include "records/stream_rw.h"
#include "records/valtrosa_file.h"

class TValtrosaFiles : public TList {
public:
    TValtrosaFiles() = default;
    ~TValtrosaFiles() override;

    bool OwnsItems = false;

    // The record at `index`; raises "Invalid Index Of List %d". Derived lists override it
    // with their own record type (covariant return).
    virtual TValtrosaFile *Get(int32_t index) const;
    // Appends the records of a serialised list read at the stream's position.
    virtual void LoadFromStream(TStream &stream);
    // Writes the count and every record's body in index order.
    virtual void SaveToStream(TStream &stream);
    // Appends a copy of every record of `other` (which may be this list), through one
    // serialisation of the whole list.
    virtual void AppendCopyOf(TValtrosaFiles &other);
    // Appends a copy of every record of `other` (which may be this list: only the records it
    // held at the start are copied), record by record with Assign.
    virtual void AppendCopies(TValtrosaFiles &other);
    // A new record of the list's class, with its defaults; the caller owns it.
    virtual TValtrosaFile *CreateItem() = 0;

    // Hook called after each record appended by LoadFromStream; the base does nothing.
    virtual void Changed() {}

    // Destroys every record and empties the list.
    void DestroyItems();

    TStream *CurrentStream() const { return rw_.CurrentStream(); }

private:
    // Appends `record`, destroying it when it cannot be appended.
    void Append(TValtrosaFile *record);

    TStreamRW rw_;  // the list's own current stream
};
