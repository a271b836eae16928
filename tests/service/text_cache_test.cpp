// SPDX-License-Identifier: GPL-3.0-or-later
// Lookups in the process-wide text and sentence caches.

#include <gtest/gtest.h>

#include "foundation/code_page.h"
#include "service/text_cache.h"

namespace {

class TextCacheTest : public ::testing::Test {
protected:
    void SetUp() override { ClearReadingCaches(); }
    void TearDown() override { ClearReadingCaches(); }

    // A text in TextCache with one sentence of the same text, referenced by SentenceCache.
    static void Cache(const char *text, bool isXml, int32_t speaker) {
        TNarreloText *entry = TextCache().CreateItem();
        TextCache().Add(entry);
        entry->Text = text;
        entry->IsXml = isXml;
        entry->Speaker = speaker;
        TNarreloCumle *sentence = entry->Sentences.CreateItem();
        entry->Sentences.Add(sentence);
        sentence->Text = text;
        sentence->IsXml = isXml;
        sentence->Speaker = speaker;
        SentenceCache().Add(sentence);
    }
};

struct LookupCase {
    const char *label;
    const char *text;
    bool isXml;
    int32_t speaker;
    int32_t expected;
};

TEST_F(TextCacheTest, LookupsIgnoreTurkishLetterCaseButNotTheKeyNumbers) {
    Cache("Irmak kıyısında üç ağaç."_cp, false, 1);  // 0
    Cache("İstanbul."_cp, false, 1);                // 1
    Cache("İstanbul."_cp, false, 2);                // 2
    Cache("İstanbul."_cp, true, 2);                 // 3
    const LookupCase cases[] = {
        {"same text", "İstanbul."_cp, false, 1, 1},
        {"Turkish letter pairs", "ırmak KIYISINDA ÜÇ AĞAÇ."_cp, false, 1, 0},
        {"dotted capital İ and i", "istanbul."_cp, false, 2, 2},
        {"XML flag is part of the key", "İSTANBUL."_cp, true, 2, 3},
        {"speaker is part of the key", "İstanbul."_cp, false, 3, -1},
        {"texts of different length", "İstanbul"_cp, false, 1, -1},
        {"another letter", "Istanbul."_cp, false, 1, -1},
    };
    for (const LookupCase &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FindText(MyString(c.text), c.isXml, c.speaker), c.expected);
        EXPECT_EQ(FindSentence(MyString(c.text), c.isXml, c.speaker), c.expected);
    }
}

}  // namespace
