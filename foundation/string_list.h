// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TStringList: a list of strings, each with an associated value, optionally kept sorted.
//
// Sorted lists compare bytes (case-sensitive) and keep duplicates, inserting a new item
// before its equal ones; unsorted lookups ignore case the Turkish way (SameText). A list
// that OwnsItems (the default) destroys the items it removes.

#include <cstdint>

#include "foundation/list.h"
#include "foundation/my_string.h"

struct TStringItem {
    MyString Text;
    // An object pointer or a number kept beside the text; 0 unless given.
    intptr_t Value = 0;
};

class TStringList : public TList {
public:
    TStringList() = default;
    ~TStringList() override;

    bool Sorted() const { return sorted_; }
    // Only new items are placed by the sort order; existing ones are not re-sorted.
    void SetSorted(bool sorted) { sorted_ = sorted; }
    bool OwnsItems() const { return ownsItems_; }
    void SetOwnsItems(bool owns) { ownsItems_ = owns; }

    // Item access; each raises "Invalid Index Of List %d" for a bad index.
    TStringItem *Item(int32_t i) const { return static_cast<TStringItem *>(Get(i)); }
    const MyString &Strings(int32_t i) const { return Item(i)->Text; }
    intptr_t Values(int32_t i) const { return Item(i)->Value; }

    // A new item with `length` bytes of `data` and `value`, stored at index i.
    TStringItem *InsertItem(int32_t i, const char *data, int32_t length, intptr_t value);

    // Add at the sorted position (Sorted) or at the end; duplicates are always added.
    // Returns the new item. A null text gives an empty one.
    TStringItem *AddObject(const char *text, intptr_t value);
    TStringItem *Add(const char *text) { return AddObject(text, 0); }
    TStringItem *Add(const MyString &text);
    // UTF-16 text, converted to Windows-1254 first.
    TStringItem *AddWide(const char16_t *text);

    // Binary search by byte comparison; meaningful only when Sorted. `index` receives the
    // insertion point (before the first equal item); the result tells whether one exists.
    bool Find(const char *text, int32_t length, int32_t &index) const;

    // Index of the first item equal to the text, or -1. Sorted: Find decides (byte-exact).
    // Unsorted: the first item of the same length matching under SameText; a null text
    // matches only an item without buffer.
    virtual int32_t IndexOf(const char *text, int32_t length) const;
    int32_t IndexOf(const char *text) const;

    // Removes item i, destroying it when OwnsItems. Raises "List index out of bounds"
    // unless 0 <= i < Count.
    void Delete(int32_t i);
    // Removes item 0; raises "Invalid Index Of List 0" on an empty list.
    void DeleteFirst();
    void Clear() override;

    // Copies (text and value) of other's items: all of them after a Clear (Assign), items
    // first..last inclusive after a Clear (AssignRange; a bad index raises "Invalid Index Of
    // List %d" with that index), or all of them appended (AddStrings).
    virtual void AssignRange(const TStringList &other, int32_t first, int32_t last);
    virtual void Assign(const TStringList &other);
    virtual void AddStrings(const TStringList &other);

    // True when lenA == lenB and SameText(b, a, lenA).
    virtual bool SameString(const char *a, int32_t lenA, const char *b, int32_t lenB) const;

private:
    // Adds a new item where Add would put it: at the sorted position or at the end.
    TStringItem *AddCopy(const char *data, int32_t length, intptr_t value);
    TStringItem *AddCopy(const TStringItem *item);
    void DestroyItem(TStringItem *item) const;

    bool sorted_ = false;
    bool ownsItems_ = true;
};
