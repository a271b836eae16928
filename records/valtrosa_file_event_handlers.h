// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Listeners of a record's loads and saves. Nothing in the program listens yet; the points
// where each notification is raised are kept so that a listener can be added without
// touching the records (see TValtrosaFile for the order of the walks).

#include <cstdint>

#include "foundation/event_handlers.h"

class TValtrosaFile;

class TEventHandler_ValtrosaFile {
public:
    virtual ~TEventHandler_ValtrosaFile() = default;
    virtual void AfterLoad(TValtrosaFile * /*file*/) {}
    // Never raised by the records themselves; a list offers a broadcast of it.
    virtual void AfterChange(TValtrosaFile * /*file*/) {}
    virtual void BeforeLoad(TValtrosaFile * /*file*/) {}
    virtual void AfterSave(TValtrosaFile * /*file*/) {}
    virtual void BeforeSave(TValtrosaFile * /*file*/) {}
};

class TEventHandlers_ValtrosaFile : public TEventHandlers<TEventHandler_ValtrosaFile> {
public:
    // Both in ascending index order (the latest registered listener first).
    virtual int32_t AfterChange(TValtrosaFile *file) {
        return Notify(&TEventHandler_ValtrosaFile::AfterChange, file);
    }
    virtual int32_t AfterLoad(TValtrosaFile *file) { return Notify(&TEventHandler_ValtrosaFile::AfterLoad, file); }

    // Descending index order (the first registered listener first), as saving and the start
    // of loading walk. An index that became invalid meanwhile raises "Invalid Index Of List
    // %d", as in the ascending walk.
    int32_t NotifyBackwards(void (TEventHandler_ValtrosaFile::*operation)(TValtrosaFile *), TValtrosaFile *file) {
        for (int32_t i = Count() - 1; i >= 0; --i) (Listener(i)->*operation)(file);
        return Count();
    }
};
