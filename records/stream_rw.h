// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TStreamRW: the binary record encoding shared with the speech service, over a "current
// stream" that a load or save sets. All multi-byte values are little-endian, with no
// alignment, padding, magic number, version or type tag:
//
//   Int32      4 bytes, two's complement
//   Byte       1 byte
//   Bool32     an Int32; written as 0 or 1, any non-zero value reads as true
//   String     Int32 length n, then n bytes of 8-bit text without terminator; n <= 0 reads
//              as the empty text with no bytes following
//   Bytes(k)   k raw bytes
//   Blob       Int32 length n, then n raw bytes; n <= 0 means empty; reading appends what
//              is there and stops quietly at the end of the stream
//   List       Int32 count c, then c record bodies (TValtrosaFiles::LoadFromStream)
//
// Every read that gets fewer bytes than it needs raises "not readed from stream". A length
// that the rest of the stream cannot hold is refused the same way before anything is
// allocated for it, so hostile input cannot make the reader allocate more than the input's
// own size. Writes do not check what the stream accepted.
//
// The current stream is not owned; it is valid only during a load or save.

#include <cstdint>

#include "foundation/memory_stream.h"
#include "foundation/my_string.h"
#include "foundation/stream.h"

class TValtrosaFiles;

class TStreamRW {
public:
    TStreamRW() = default;
    virtual ~TStreamRW() = default;

    TStream *CurrentStream() const { return currentStream_; }
    void SetCurrentStream(TStream *stream) { currentStream_ = stream; }

    // Bytes between the current position and the end of the current stream, or -1 when the
    // stream cannot tell.
    int32_t BytesLeft() const;

    int32_t ReadInt32();
    uint8_t ReadByte();
    bool ReadBool32();
    // Replaces `text` (which keeps its old content when the read fails).
    void ReadString(MyString &text);
    MyString ReadString();
    // Exactly `count` bytes.
    void ReadBytes(void *buffer, int32_t count);
    // Consumes up to `count` bytes and ignores them, without a length check; returns how many
    // were there.
    int32_t SkipBytes(int32_t count);
    // Appends the blob's bytes at the end of `data`.
    void ReadBlob(TMemoryStream &data);
    // Appends the records of a List to `list`.
    void ReadList(TValtrosaFiles &list);

    void WriteInt32(int32_t value);
    void WriteByte(uint8_t value);
    void WriteBool32(bool value);
    // The text's Length() bytes (embedded NULs included); a string without buffer is empty.
    void WriteString(const MyString &text);
    void WriteBytes(const void *data, int32_t count);
    // The stream's whole content (its size, not its position, decides).
    void WriteBlob(const TMemoryStream &data);
    void WriteList(TValtrosaFiles &list);

    // Raises "not readed from stream".
    [[noreturn]] static void RaiseNotRead();

private:
    TStream &Stream() const;

    TStream *currentStream_ = nullptr;  // not owned
};
