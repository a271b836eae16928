// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/memory_stream.h"

#include <cstdlib>
#include <cstring>

#include "foundation/exceptions.h"

TMemoryStream::TMemoryStream(int32_t granularity) : granularity_(granularity) {}

TMemoryStream::~TMemoryStream() { std::free(memory_); }

int32_t TMemoryStream::Read(void *buffer, int32_t count) {
    if (position_ < 0 || count < 0 || position_ >= size_) return 0;
    const int32_t n = std::min(count, size_ - position_);
    if (n > 0) std::memcpy(buffer, memory_ + position_, std::size_t(n));
    position_ += n;
    return n;
}

int32_t TMemoryStream::Write(const void *buffer, int32_t count) {
    const int64_t end = int64_t(position_) + count;
    if (position_ < 0 || count < 0 || end <= 0) return 0;
    if (end > INT32_MAX) RaiseError("SMemoryStream Allocation error For New Capacity %d", INT32_MAX);
    if (end > size_) {
        if (end > capacity_) SetCapacity(int32_t(end));
        size_ = int32_t(end);
    }
    if (count > 0) std::memcpy(memory_ + position_, buffer, std::size_t(count));
    position_ = int32_t(end);
    return count;
}

int32_t TMemoryStream::Seek(int32_t offset, int origin) {
    // Wrapping arithmetic, as a 32-bit position always had; no range check.
    switch (origin & 0xFFFF) {
    case soFromBeginning: position_ = offset; break;
    case soFromCurrent: position_ = int32_t(uint32_t(position_) + uint32_t(offset)); break;
    case soFromEnd: position_ = int32_t(uint32_t(size_) + uint32_t(offset)); break;
    default: break;
    }
    return position_;
}

int64_t TMemoryStream::Seek64(int64_t offset, int origin) {
    return Seek(int32_t(uint32_t(uint64_t(offset))), origin);
}

uint8_t *TMemoryStream::Realloc(int32_t &capacity) {
    int64_t n = capacity;
    if (n > 0 && n != size_) {
        const int64_t g = granularity_;
        n = (n + g - 1) & ~(g - 1);
        if (n > INT32_MAX) RaiseError("SMemoryStream Allocation error For New Capacity %d", capacity);
    }
    if (n == capacity_) {
        capacity = int32_t(n);
        return memory_;
    }
    if (n <= 0) {
        std::free(memory_);
        capacity = 0;
        return nullptr;
    }
    void *block = std::realloc(memory_, std::size_t(n));  // realloc(nullptr, n) allocates
    if (!block) RaiseError("SMemoryStream Allocation error For New Capacity %d", int(n));
    capacity = int32_t(n);
    return static_cast<uint8_t *>(block);
}

void TMemoryStream::SetCapacity(int32_t capacity) {
    memory_ = Realloc(capacity);
    capacity_ = capacity;
}

void TMemoryStream::SetSize(int32_t size) {
    const int32_t oldPosition = position_;
    int32_t capacity = size;
    memory_ = Realloc(capacity);
    capacity_ = capacity;
    size_ = size;
    if (oldPosition > size) Seek(0, soFromEnd);
}

void TMemoryStream::Clear() {
    int32_t capacity = 0;
    memory_ = Realloc(capacity);
    capacity_ = 0;
    size_ = 0;
    position_ = 0;
}

void InsertAtStart(TMemoryStream &stream, int32_t count) {
    TMemoryStream temporary;
    temporary.SetSize(count);
    temporary.Seek(0, soFromEnd);
    temporary.Write(stream.Memory(), stream.DataSize());
    stream.Clear();
    stream.CopyFrom(temporary, 0);
}
