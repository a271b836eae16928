// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/text_cache.h"

namespace {

class TOwningTexts : public TNarreloTexts {
public:
    TOwningTexts() { OwnsItems = true; }
};

}  // namespace

TNarreloTexts &TextCache() {
    static TOwningTexts cache;
    return cache;
}

TNarreloCumles &SentenceCache() {
    static TNarreloCumles cache;  // references only: OwnsItems stays false
    return cache;
}

int32_t FindText(const MyString &text, bool isXml, int32_t speaker) {
    const TNarreloTexts &cache = TextCache();
    for (int32_t i = 0; i < cache.Count(); ++i) {
        const TNarreloText &entry = *cache.Get(i);
        if (entry.Speaker == speaker && entry.IsXml == isXml && entry.Text.Equals(text)) return i;
    }
    return -1;
}

int32_t FindSentence(const MyString &text, bool isXml, int32_t speaker) {
    const TNarreloCumles &cache = SentenceCache();
    for (int32_t i = 0; i < cache.Count(); ++i) {
        const TNarreloCumle &entry = *cache.Get(i);
        if (entry.Speaker == speaker && entry.IsXml == isXml && entry.Text.Equals(text)) return i;
    }
    return -1;
}

void ClearReadingCaches() {
    SentenceCache().Clear();
    TextCache().DestroyItems();
}
