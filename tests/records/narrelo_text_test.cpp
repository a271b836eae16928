// SPDX-License-Identifier: GPL-3.0-or-later
// TNarreloText's body against its wire layout and its defaults.

#include <gtest/gtest.h>

#include <memory>

#include "foundation/code_page.h"
#include "records/narrelo_texts.h"
#include "tests/records/support/sample_record.h"

namespace {

TEST(NarreloTextTest, BodyMatchesTheWireLayout) {
    TNarreloText text;
    text.Text = "Bir. İki."_cp;
    text.Speaker = 2;
    const struct {
        int32_t start;
        const char *sentence;
    } sentences[] = {{0, "Bir."}, {5, "İki."_cp}};
    for (const auto &s : sentences) {
        TNarreloCumle *sentence = text.Sentences.CreateItem();
        text.Sentences.Add(sentence);
        sentence->Start = s.start;
        sentence->Length = 4;
        sentence->Text = s.sentence;
        sentence->Speaker = 2;
    }
    TMemoryStream stream;
    text.SaveToStream(stream);
    EXPECT_EQ(Contents(stream), HexFixture("narrelo_text.hex"));

    TNarreloTexts texts;
    texts.OwnsItems = true;
    TNarreloText *loaded = texts.CreateItem();
    texts.Add(loaded);
    Fill(stream, HexFixture("narrelo_text.hex"));
    loaded->SetCurrentStream(&stream);
    loaded->LoadBody();
    EXPECT_STREQ(loaded->Text.Text(), "Bir. İki."_cp);
    EXPECT_FALSE(loaded->IsXml);
    EXPECT_EQ(loaded->Speaker, 2);
    ASSERT_EQ(loaded->Sentences.Count(), 2);
    EXPECT_EQ(loaded->Sentences.Get(1)->Start, 5);
    EXPECT_STREQ(loaded->Sentences.Get(1)->Text.Text(), "İki."_cp);
}

TEST(NarreloTextTest, NewTextOwnsItsSentencesAndHasNoSpeaker) {
    TNarreloTexts texts;
    std::unique_ptr<TNarreloText> text(texts.CreateItem());
    EXPECT_EQ(text->Speaker, -1);
    EXPECT_FALSE(text->IsXml);
    EXPECT_FALSE(text->Text.HasBuffer());
    EXPECT_TRUE(text->Sentences.OwnsItems);
    EXPECT_EQ(text->Sentences.Count(), 0);
}

}  // namespace
