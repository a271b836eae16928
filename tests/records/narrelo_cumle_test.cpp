// SPDX-License-Identifier: GPL-3.0-or-later
// TNarreloCumle's body against its wire layout (reserved bytes included), its list, and who
// destroys a sentence that two lists hold.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "records/narrelo_cumles.h"
#include "records/narrelo_texts.h"
#include "tests/records/support/sample_record.h"

namespace {

// Offset of the reserved bytes in narrelo_cumle.hex: Start, Length, Text (4 + 11), IsXml,
// Speaker.
constexpr size_t ReservedAt = 4 + 4 + 15 + 1 + 4;

std::string MessageOfLoad(TValtrosaFile &record, const std::vector<uint8_t> &bytes) {
    try {
        LoadFrom(record, bytes);
    } catch (const TCustomException &e) {
        return e.Message();
    }
    return "(nothing raised)";
}

TEST(NarreloCumleTest, BodyMatchesTheWireLayout) {
    TNarreloCumle sentence;
    sentence.Start = 5;
    sentence.Length = 11;
    sentence.Text = "İyi günler."_cp;
    sentence.IsXml = true;
    sentence.Speaker = 1;
    TDemoAudio *audio = sentence.Audios.CreateItem();
    sentence.Audios.Add(audio);
    audio->FileType = 1;
    audio->Text = "İyi günler."_cp;
    audio->Volume = 10;
    audio->Speed = 10;
    audio->Speaker = 1;
    audio->FileId = "a1";
    EXPECT_EQ(BodyOf(sentence), HexFixture("narrelo_cumle.hex"));

    TNarreloCumle loaded;
    LoadFrom(loaded, HexFixture("narrelo_cumle.hex"));
    EXPECT_EQ(loaded.Start, 5);
    EXPECT_EQ(loaded.Length, 11);
    EXPECT_STREQ(loaded.Text.Text(), "İyi günler."_cp);
    EXPECT_TRUE(loaded.IsXml);
    EXPECT_EQ(loaded.Speaker, 1);
    ASSERT_EQ(loaded.Audios.Count(), 1);
    EXPECT_STREQ(loaded.Audios.Get(0)->FileId.Text(), "a1");
    EXPECT_EQ(BodyOf(loaded), HexFixture("narrelo_cumle.hex"));
}

TEST(NarreloCumleTest, ReservedBytesAreIgnoredAndWrittenAsZeros) {
    auto body = HexFixture("narrelo_cumle.hex");
    for (size_t i = 0; i < 10; ++i) body[ReservedAt + i] = uint8_t(0xA0 + i);
    TNarreloCumle sentence;
    LoadFrom(sentence, body);
    EXPECT_EQ(sentence.Audios.Count(), 1);
    EXPECT_EQ(BodyOf(sentence), HexFixture("narrelo_cumle.hex"));
}

TEST(NarreloCumleTest, DataEndingAfterSpeakerFailsOnlyAtTheAudioCount) {
    const auto body = HexFixture("narrelo_cumle.hex");
    const struct {
        const char *label;
        size_t keep;
    } cases[] = {
        {"right after Speaker", ReservedAt},
        {"inside the reserved bytes", ReservedAt + 6},
        {"inside the audio count", ReservedAt + 10 + 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TNarreloCumle sentence;
        EXPECT_EQ(MessageOfLoad(sentence, {body.begin(), body.begin() + ptrdiff_t(c.keep)}),
                  "not readed from stream");
        // Everything before the reserved bytes was read.
        EXPECT_EQ(sentence.Start, 5);
        EXPECT_STREQ(sentence.Text.Text(), "İyi günler."_cp);
        EXPECT_EQ(sentence.Speaker, 1);
        EXPECT_EQ(sentence.Audios.Count(), 0);
    }
}

TEST(NarreloCumleTest, ListLoadingAppends) {
    TMemoryStream stream;
    const auto text = HexFixture("narrelo_text.hex");
    const size_t listAt = 4 + 9 + 1 + 4;  // the sentence list inside the text fixture
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    for (int pass = 1; pass <= 2; ++pass) {
        Fill(stream, {text.begin() + ptrdiff_t(listAt), text.end()});
        sentences.LoadFromStream(stream);
        EXPECT_EQ(sentences.Count(), 2 * pass);
    }
    EXPECT_STREQ(sentences.Get(3)->Text.Text(), "İki."_cp);

    Fill(stream, FromHex("00 00 00 00"));
    sentences.LoadFromStream(stream);
    EXPECT_EQ(sentences.Count(), 4);
}

TEST(NarreloCumleTest, SetSpeakerStampsEverySentence) {
    TNarreloText text;
    LoadFrom(text, HexFixture("narrelo_text.hex"));
    SetSpeaker(text.Sentences, 7);
    for (int32_t i = 0; i < text.Sentences.Count(); ++i) EXPECT_EQ(text.Sentences.Get(i)->Speaker, 7);
}

// A sentence that counts its destructions, made by the owning list of the test below.
int destroyedSentences = 0;

class TCountedCumle : public TNarreloCumle {
public:
    ~TCountedCumle() override { ++destroyedSentences; }
};

class TCountedCumles : public TNarreloCumles {
public:
    TCountedCumles() { OwnsItems = true; }
    TNarreloCumle *CreateItem() override { return new TCountedCumle; }
};

TEST(NarreloCumleTest, SentenceHeldByAnOwnerAndAReferenceListIsDestroyedOnce) {
    for (const bool referencesFirst : {true, false}) {
        SCOPED_TRACE(referencesFirst ? "reference list destroyed first" : "owner destroyed first");
        destroyedSentences = 0;
        auto owner = std::make_unique<TCountedCumles>();
        auto references = std::make_unique<TNarreloCumles>();
        for (int i = 0; i < 3; ++i) {
            TNarreloCumle *sentence = owner->CreateItem();
            owner->Add(sentence);
            references->Add(sentence);
        }
        if (referencesFirst) references.reset();
        owner.reset();
        references.reset();
        EXPECT_EQ(destroyedSentences, 3);
    }
}

}  // namespace
