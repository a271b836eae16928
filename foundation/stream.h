// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Positioned byte streams: the abstract TStream and the operations built on it.
// Seek origins: 0 from the beginning, 1 from the current position, 2 from the end; only the
// low 16 bits of an origin are looked at.

#include <cstdint>

inline constexpr int soFromBeginning = 0;
inline constexpr int soFromCurrent = 1;
inline constexpr int soFromEnd = 2;

class MyString;

class TStream {
public:
    virtual ~TStream() = default;

    // Size in bytes: Seek(0, 1), Seek(0, 2), then back to the remembered position.
    virtual int32_t GetSize();
    // New position; the base answers -1.
    virtual int32_t Seek(int32_t offset, int origin);
    virtual int64_t Seek64(int64_t offset, int origin);
    // Bytes read; the base answers -1.
    virtual int32_t Read(void *buffer, int32_t count);
    // Result as each stream defines it; the base answers -1.
    virtual int32_t Write(const void *buffer, int32_t count);

    int32_t Size() { return GetSize(); }

    // Copies `count` bytes from `source` at both current positions, in blocks of at most
    // 61440 bytes; a read of 0 or fewer bytes ends the copy early. count 0 means: rewind
    // `source` and copy all of it. Returns the requested (or measured) count, not the
    // number copied.
    int32_t CopyFrom(TStream &source, int32_t count);
};

// Copies the whole file `path` (8-bit name) into `stream` at its current position.
// Raises "File Not Opened %s" when the file cannot be opened.
void AppendFile(TStream &stream, const char *path);
