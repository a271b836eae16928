// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The growable in-memory stream used almost everywhere. Capacity requests are rounded with
// (n + Granularity - 1) & ~(Granularity - 1): a multiple of 8192 for the default
// granularity, and for 24 and 48 (strings, wide texts) a value at least n that is not a
// multiple of the granularity (24: 24 -> 40). Stored data and the wire format do not depend
// on this rounding, but the capacities are kept exactly as they always were.

#include <cstdint>

#include "foundation/stream.h"

// Never instantiated on its own; the common base of memory streams.
class TCustomMemoryStream : public TStream {
protected:
    TCustomMemoryStream() = default;
};

class TMemoryStream : public TCustomMemoryStream {
public:
    explicit TMemoryStream(int32_t granularity = 8192);
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream &) = delete;
    TMemoryStream &operator=(const TMemoryStream &) = delete;

    // Reads at a position outside [0, Size) or with count < 0 return 0.
    int32_t Read(void *buffer, int32_t count) override;
    // Writes nothing and returns 0 when Position < 0, count < 0 or Position + count <= 0;
    // otherwise grows as needed and returns count. Bytes between the old Size and a
    // Position beyond it are unspecified.
    int32_t Write(const void *buffer, int32_t count) override;
    // No range check: the position may lie outside [0, Size].
    int32_t Seek(int32_t offset, int origin) override;
    int64_t Seek64(int64_t offset, int origin) override;

    // Resizes the block to the rounded `capacity` (passed by reference, updated) and
    // returns it; 0 releases the block. Raises "SMemoryStream Allocation error For New
    // Capacity %d" and leaves the stream unchanged when the block cannot be had.
    virtual uint8_t *Realloc(int32_t &capacity);

    void SetCapacity(int32_t capacity);
    // Size becomes `size`; a position beyond it moves to the new end.
    void SetSize(int32_t size);
    // Releases the block; Size and Position 0.
    void Clear();

    uint8_t *Memory() const { return memory_; }
    int32_t Position() const { return position_; }
    int32_t Capacity() const { return capacity_; }
    int32_t Granularity() const { return granularity_; }
    // Valid bytes (also reachable through the virtual GetSize, which costs two seeks).
    int32_t DataSize() const { return size_; }

private:
    int32_t size_ = 0;
    int32_t position_ = 0;
    uint8_t *memory_ = nullptr;
    int32_t capacity_ = 0;
    const int32_t granularity_;
};

// Puts `count` bytes of unspecified value in front of the content; Position ends at the end.
void InsertAtStart(TMemoryStream &stream, int32_t count);
