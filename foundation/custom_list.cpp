// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/custom_list.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/exceptions.h"

TCustomList::~TCustomList() {
    std::free(entries_);
}

void *TCustomList::Get(int32_t i) const {
    if (i < 0 || i > count_ - 1) RaiseError("Invalid Index Of List %d", i);
    return entries_[i];
}

void *TCustomList::Insert(int32_t i, void *entry) {
    if (i < 0 || i > count_) RaiseError("Invalid Insert Index");
    if (count_ == capacity_) Grow();
    std::memmove(entries_ + i + 1, entries_ + i, sizeof(void *) * std::size_t(count_ - i));
    entries_[i] = entry;
    ++count_;
    First();
    return entry;
}

void TCustomList::Delete(int32_t i) {
    if (i < 0 || i >= count_) RaiseError("List index out of bounds");
    --count_;
    std::memmove(entries_ + i, entries_ + i + 1, sizeof(void *) * std::size_t(count_ - i));
    First();
}

void TCustomList::SetCapacity(int32_t n) {
    if (n < count_ || n > MaxListCapacity) RaiseError("List capacity out of bounds");
    if (n != capacity_) Resize(n);
}

void TCustomList::Grow() {
    int32_t delta = 4;
    if (capacity_ > 64)
        delta = capacity_ / 4;
    else if (capacity_ > 8)
        delta = 16;
    // The last step is cut to the limit so that the limit itself stays reachable; a list
    // already at the limit fails the capacity check and stays unchanged.
    if (capacity_ < MaxListCapacity && capacity_ > MaxListCapacity - delta)
        delta = MaxListCapacity - capacity_;
    SetCapacity(capacity_ + delta);
}

void TCustomList::Resize(int32_t n) {
    if (n == 0) {
        std::free(entries_);
        entries_ = nullptr;
    } else {
        // realloc leaves the old block intact on failure, so the list stays as it was.
        void *block = std::realloc(entries_, sizeof(void *) * std::size_t(n));
        if (block == nullptr) throw std::bad_alloc();
        entries_ = static_cast<void **>(block);
    }
    capacity_ = n;
}

int32_t TCustomList::First() {
    if (count_ == 0) {
        cursor_ = -1;
        eof_ = true;
    } else {
        cursor_ = 0;
        eof_ = false;
    }
    return cursor_;
}

int32_t TCustomList::Next() {
    if (cursor_ < count_ - 1)
        ++cursor_;
    else
        eof_ = true;
    return cursor_;
}

int32_t TCustomList::TakeSnapshot() {
    snapshot_.assign(entries_, entries_ + count_);
    return count_;
}

void TCustomList::Clear() {
    count_ = 0;
    Resize(0);
    cursor_ = -1;
    eof_ = true;
}
