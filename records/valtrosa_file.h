// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TValtrosaFile: the base of every record that travels to and from the speech service, or is
// kept in a file or a settings value. A record serialises its body with the primitives of
// TStreamRW (stream_rw.h); this class builds saving, loading, copying and the file and
// settings operations on its two body operations.
//
// Deriving a record (the layout is a wire format: the order of the calls IS the layout):
//
//   class TPoint : public TValtrosaFile {
//   public:
//       int32_t X = 0;
//       MyString Name;
//       void Clear() override {}                    // before a body is read
//       void ReadFromStream() override { X = ReadInt32(); ReadString(Name); }
//       void WriteToStream() override { WriteInt32(X); WriteString(Name); }
//       int32_t MinimalBodySize() const override { return 8; }  // Int32 + empty String
//   };
//   class TPoints : public TValtrosaFiles {          // valtrosa_files.h
//   public:
//       TPoint *Get(int32_t i) const override { return static_cast<TPoint *>(TValtrosaFiles::Get(i)); }
//       TPoint *CreateItem() override { return new TPoint; }
//   };
//
// - Clear runs before every body is read. The program's records leave it empty, so loading
//   into an existing record overwrites its scalars and strings and appends to its lists.
// - A nested list is read with ReadList(list) and written with WriteList(list).
// - MinimalBodySize is the fewest bytes any body of the class occupies (sum of the fixed
//   fields, 4 for each String, Blob or List). Lists refuse a count that the bytes left
//   cannot hold at that size, before creating anything. The default 1 is always safe for a
//   body that reads at least one byte; a body that may be empty must return 0.
// - A failed load leaves the fields read before the failure; nothing is rolled back.
//
// Notifications (TEventHandlers_ValtrosaFile): a save raises BeforeSave, writes, then raises
// AfterSave, each from the last listener to the first and each skipped while its Suppress
// flag is set; a load raises BeforeLoad (last to first), runs Clear and ReadFromStream, then
// AfterLoad (first to last).

#include <cstdint>

#include "foundation/my_string.h"
#include "foundation/registry.h"
#include "foundation/stream.h"
#include "records/stream_rw.h"
#include "records/valtrosa_file_event_handlers.h"

class TValtrosaFile : public TStreamRW {
public:
    TValtrosaFile();
    ~TValtrosaFile() override;
    TValtrosaFile(const TValtrosaFile &) = delete;
    TValtrosaFile &operator=(const TValtrosaFile &) = delete;

    // SaveToFile serialises into memory first and writes the file in one piece.
    bool BufferedSave = true;
    // The name the record was last saved to by SaveToFile.
    MyFileName FileName;
    // While set, saving does not raise AfterSave / BeforeSave.
    bool SuppressAfterSave = false;
    bool SuppressBeforeSave = false;

    // Hook run by the constructor (the base version: a derived record that overrides it
    // calls it from its own constructor) and first by the two creating settings-value
    // operations. The base changes nothing.
    virtual void Initialize() {}
    // Empties the record before a body is read.
    virtual void Clear() = 0;
    // Reads / writes the body on the current stream.
    virtual void ReadFromStream() = 0;
    virtual void WriteToStream() = 0;
    // See the header comment. Never negative.
    virtual int32_t MinimalBodySize() const { return 1; }

    // Writes the body at the stream's position (the current stream stays set to it).
    virtual void SaveToStream(TStream &stream);
    // Creates or truncates the file (8-bit name) and writes the body; remembers the name.
    // Raises "File Not Opened %s". Buffered and unbuffered saves give identical files.
    virtual void SaveToFile(const char *fileName);
    // As Assign, with the source's save notifications suppressed (its flags are restored,
    // also when Assign fails).
    virtual void AssignQuietly(TValtrosaFile &source);
    // Replaces this record's contents by a copy of `source` (of the same class), through a
    // serialisation: the source saves itself (notifying as for any save) and this record
    // loads that.
    virtual void Assign(TValtrosaFile &source);

    // Open the key (created when `createKey`) and call the hook with it.
    virtual void SaveToRegistry(HKEY root, const char16_t *keyPath, bool createKey);
    virtual void WriteToRegistry(TRegistry & /*registry*/) {}
    // Open the key (it must exist) and call the hook with it.
    virtual void LoadFromRegistry(HKEY root, const char16_t *keyPath);
    virtual void ReadFromRegistry(TRegistry & /*registry*/) {}
    // The body as one REG_BINARY value of an existing key. Loading reads whatever the value
    // holds (a missing or empty value fails like a short stream).
    virtual void LoadFromRegistryValue(HKEY root, const char16_t *keyPath, const char16_t *valueName);
    virtual void SaveToRegistryValue(HKEY root, const char16_t *keyPath, const char16_t *valueName);
    // Creating variants: Initialize, then open the key creating it when missing. Loading
    // reads the body only when the value holds at least one byte; otherwise the record stays
    // as Initialize left it.
    virtual void LoadFromRegistryValueCreating(HKEY root, const char16_t *keyPath, const char16_t *valueName);
    virtual void SaveToRegistryValueCreating(HKEY root, const char16_t *keyPath, const char16_t *valueName);

    // The load step on the current stream, which is positioned at a body: BeforeLoad, Clear,
    // ReadFromStream, AfterLoad.
    void LoadBody();

    TEventHandlers_ValtrosaFile &Listeners() { return listeners_; }

private:
    void SaveValue(TRegistry &registry, const char16_t *valueName);
    void LoadValue(TRegistry &registry, const char16_t *valueName, bool skipWhenEmpty);

    TEventHandlers_ValtrosaFile listeners_;  // the listeners are not owned
};
