// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TCustomList: the growable array of untyped entries that every collection of the program
// is built on, with a built-in cursor (First/Next/Eof) and an optional snapshot copy.
//
// Contracts shared by every list:
// - Entries are opaque pointers; the list never destroys what they point to (lists that
//   own their items, such as TStringList, say so).
// - Every indexed access is range-checked and raises TException "Invalid Index Of List %d".
// - A failed check leaves the list unchanged.
// - Capacity grows by 4 up to 8, by 16 up to 64, then by a quarter (0, 4, 8, 12, 28, 44, 60,
//   76, 95, 118, ...), and never exceeds MaxListCapacity. Delete never shrinks the array.
// - Insert and Delete put the cursor back on the first entry (or -1 with Eof when empty).
// - Not synchronised: one thread at a time.

#include <cstdint>
#include <vector>

// Largest Capacity a list may have (0xFFFFFF entries).
inline constexpr int32_t MaxListCapacity = 16777215;

class TCustomList {
public:
    TCustomList() = default;
    virtual ~TCustomList();
    TCustomList(const TCustomList &) = delete;
    TCustomList &operator=(const TCustomList &) = delete;

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    // The cursor: -1 when the list is empty, else the index First/Next left it on.
    int32_t Cursor() const { return cursor_; }

    // The entry at index i; raises "Invalid Index Of List %d" unless 0 <= i < Count.
    void *Get(int32_t i) const;

    // Stores `entry` at index i, shifting entries i.. up by one; returns `entry`.
    // Raises "Invalid Insert Index" unless 0 <= i <= Count. Calls First() afterwards.
    void *Insert(int32_t i, void *entry);
    void *Add(void *entry) { return Insert(count_, entry); }
    // Listeners register this way, so the latest one is notified first.
    void *InsertFirst(void *entry) { return Insert(0, entry); }

    // Removes the entry at i (not destroying it) and calls First(). Raises "List index out
    // of bounds" unless 0 <= i < Count.
    void Delete(int32_t i);

    // Resizes the entry array to exactly n slots. Raises "List capacity out of bounds" when
    // n < Count or n > MaxListCapacity.
    void SetCapacity(int32_t n);

    // Cursor to 0 (or -1 and Eof when empty); returns the cursor.
    virtual int32_t First();
    // Advances the cursor and returns it; at the last entry sets Eof and returns the
    // unchanged cursor.
    virtual int32_t Next();
    virtual bool Eof() const { return eof_; }

    // Replaces the snapshot with a copy of the current entries; returns Count. The snapshot
    // survives Clear and later changes of the list; it is released with the list.
    virtual int32_t TakeSnapshot();
    const std::vector<void *> &Snapshot() const { return snapshot_; }

    // Removes every entry without destroying it; Capacity 0; cursor -1 and Eof. The
    // snapshot stays.
    virtual void Clear();

private:
    void Grow();
    void Resize(int32_t n);

    int32_t count_ = 0;
    int32_t capacity_ = 0;
    int32_t cursor_ = -1;
    bool eof_ = true;
    void **entries_ = nullptr;
    std::vector<void *> snapshot_;
};
