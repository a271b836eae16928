// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/string_list.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/exceptions.h"

TStringList::~TStringList() {
    if (ownsItems_)
        for (int32_t i = 0; i < Count(); ++i) DestroyItem(Item(i));
}

void TStringList::DestroyItem(TStringItem *item) const {
    delete item;
}

TStringItem *TStringList::InsertItem(int32_t i, const char *data, int32_t length,
                                     intptr_t value) {
    auto item = std::make_unique<TStringItem>();
    item->Text.Assign(data, length);
    item->Value = value;
    Insert(i, item.get());  // raises before the list takes the item
    return item.release();
}

TStringItem *TStringList::AddObject(const char *text, intptr_t value) {
    return AddCopy(text, text ? int32_t(std::strlen(text)) : 0, value);
}

TStringItem *TStringList::Add(const MyString &text) {
    return AddCopy(text.Text(), text.Length(), 0);
}

TStringItem *TStringList::AddWide(const char16_t *text) {
    MyString converted;
    converted.AssignWide(text);
    return Add(converted);
}

// Byte order of an item against the key: memcmp over the common length, then the shorter
// text first.
static int CompareBytes(const MyString &item, const char *key, int32_t keyLength) {
    const int32_t m = item.Length();
    const int32_t common = std::min(m, keyLength);
    const int c = common > 0 ? std::memcmp(item.Text(), key, std::size_t(common)) : 0;
    if (c != 0 || m == keyLength) return c;
    return m - keyLength;
}

bool TStringList::Find(const char *text, int32_t length, int32_t &index) const {
    if (text == nullptr) length = 0;
    bool found = false;
    int32_t lo = 0;
    int32_t hi = Count() - 1;
    while (lo <= hi) {
        const int32_t mid = (lo + hi) / 2;
        const int c = CompareBytes(Strings(mid), text, length);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) found = true;
        }
    }
    index = lo;
    return found;
}

int32_t TStringList::IndexOf(const char *text, int32_t length) const {
    if (sorted_) {
        int32_t index;
        return Find(text, length, index) ? index : -1;
    }
    for (int32_t i = 0; i < Count(); ++i) {
        const MyString &s = Strings(i);
        if (text == nullptr) {
            if (!s.HasBuffer()) return i;
        } else if (s.Length() == length && s.HasBuffer() && SameText(s.Text(), text, length)) {
            return i;
        }
    }
    return -1;
}

int32_t TStringList::IndexOf(const char *text) const {
    return IndexOf(text, text ? int32_t(std::strlen(text)) : 0);
}

void TStringList::Delete(int32_t i) {
    if (i < 0 || i >= Count()) RaiseError("List index out of bounds");
    TStringItem *item = Item(i);
    TList::Delete(i);
    if (ownsItems_) DestroyItem(item);
}

void TStringList::DeleteFirst() {
    Get(0);  // an empty list raises "Invalid Index Of List 0"
    Delete(0);
}

void TStringList::Clear() {
    if (ownsItems_)
        for (int32_t i = 0; i < Count(); ++i) DestroyItem(Item(i));
    TList::Clear();
}

void TStringList::AssignRange(const TStringList &other, int32_t first, int32_t last) {
    // Checked before clearing, so a bad range leaves this list as it was.
    if (last >= first) {
        other.Get(first);
        other.Get(last);
    }
    TStringList copy;  // from this list itself: copy first, Clear would destroy the source
    const TStringList *source = &other;
    if (&other == this) {
        copy.AddStrings(other);
        source = &copy;
    }
    Clear();
    for (int32_t i = first; i <= last; ++i) AddCopy(source->Item(i));
}

void TStringList::Assign(const TStringList &other) {
    if (&other == this) return;
    Clear();
    AddStrings(other);
}

void TStringList::AddStrings(const TStringList &other) {
    if (&other == this) {
        // Adding to the list being walked would shift its indexes.
        TStringList copy;
        copy.AddStrings(other);
        AddStrings(copy);
        return;
    }
    for (int32_t i = 0; i < other.Count(); ++i) AddCopy(other.Item(i));
}

TStringItem *TStringList::AddCopy(const char *data, int32_t length, intptr_t value) {
    int32_t index = Count();
    if (sorted_) Find(data, length, index);
    return InsertItem(index, data, length, value);
}

TStringItem *TStringList::AddCopy(const TStringItem *item) {
    return AddCopy(item->Text.Text(), item->Text.Length(), item->Value);
}

bool TStringList::SameString(const char *a, int32_t lenA, const char *b, int32_t lenB) const {
    return lenA == lenB && SameText(b, a, lenA);
}
