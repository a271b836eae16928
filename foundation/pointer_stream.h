// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A view of caller memory, or of a private copy, read by its owner through Memory, Size,
// Current and Position (the scrambled-data reader).

#include <cstdint>
#include <memory>

#include "foundation/memory_stream.h"

class TPointerStream {
public:
    TPointerStream() = default;
    virtual ~TPointerStream() = default;
    TPointerStream(const TPointerStream &) = delete;
    TPointerStream &operator=(const TPointerStream &) = delete;

    // A view of `size` bytes at `memory`, which stays the caller's. Raises "PointerStream
    // invalid parameter" when memory is null or size <= 0.
    virtual void Init(uint8_t *memory, int32_t size);
    // Drops the private copy and the view.
    virtual void Reset();
    // A private zero-filled (or unspecified) block of `size` bytes becomes the view. Raises
    // "FStream Already Created" while a non-empty private copy exists.
    virtual void Allocate(int32_t size, bool zeroFill);
    // A private copy of `size` bytes becomes the view; same check as Allocate.
    virtual void LoadCopy(const void *memory, int32_t size);
    // The object's own size plus its private stream's size.
    virtual int32_t MemorySize() const;

    uint8_t *Memory() const { return memory_; }
    int32_t Size() const { return size_; }
    uint8_t *Current() const { return current_; }
    int32_t Position() const { return position_; }
    void SetPosition(int32_t position) { position_ = position; current_ = memory_ + position; }

private:
    void CheckNoPrivateCopy() const;

    std::unique_ptr<TMemoryStream> stream_;
    uint8_t *memory_ = nullptr;
    int32_t size_ = 0;
    uint8_t *current_ = nullptr;
    int32_t position_ = 0;
};
