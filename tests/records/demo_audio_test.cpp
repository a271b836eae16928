// SPDX-License-Identifier: GPL-3.0-or-later
// TDemoAudio's body against its wire layout, and FindAudio's matching rules.

#include <gtest/gtest.h>

#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "records/demo_audios.h"
#include "tests/records/support/sample_record.h"

namespace {

std::string DataOf(const TDemoAudio &item) {
    return {reinterpret_cast<const char *>(item.Data.Memory()), size_t(item.Data.DataSize())};
}

TEST(DemoAudioTest, BodyMatchesTheWireLayout) {
    TDemoAudio item;
    item.FileType = 1;
    item.Text = "Çay."_cp;
    item.SpokenText = "Çay"_cp;
    item.Volume = 10;
    item.Speed = 9;
    item.IsXml = true;
    item.Speaker = 2;
    item.FileId = "f-7";
    item.Data.Write("OggS", 4);
    EXPECT_EQ(BodyOf(item), HexFixture("demo_audio.hex"));

    TDemoAudio loaded;
    LoadFrom(loaded, HexFixture("demo_audio.hex"));
    EXPECT_EQ(loaded.FileType, 1);
    EXPECT_STREQ(loaded.Text.Text(), "Çay."_cp);
    EXPECT_STREQ(loaded.SpokenText.Text(), "Çay"_cp);
    EXPECT_EQ(loaded.Volume, 10);
    EXPECT_EQ(loaded.Speed, 9);
    EXPECT_TRUE(loaded.IsXml);
    EXPECT_EQ(loaded.Speaker, 2);
    EXPECT_STREQ(loaded.FileId.Text(), "f-7");
    EXPECT_EQ(DataOf(loaded), "OggS");
}

TEST(DemoAudioTest, DefaultItemHasAnEmptyBlob) {
    TDemoAudio item;
    const auto body = FromHex(
        "FF FF FF FF  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00"
        "00 00 00 00  FF FF FF FF  00 00 00 00  00 00 00 00");
    EXPECT_EQ(BodyOf(item), body);
    TDemoAudio loaded;
    LoadFrom(loaded, body);
    EXPECT_EQ(loaded.Data.DataSize(), 0);
    EXPECT_EQ(loaded.FileType, -1);
}

TEST(DemoAudioTest, Bool32OfFiveReadsTrueAndIsWrittenAsOne) {
    auto body = HexFixture("demo_audio.hex");
    const size_t isXmlAt = 4 + 8 + 7 + 4 + 4;
    ASSERT_EQ(body[isXmlAt], 1);
    body[isXmlAt] = 5;
    TDemoAudio item;
    LoadFrom(item, body);
    EXPECT_TRUE(item.IsXml);
    EXPECT_EQ(BodyOf(item), HexFixture("demo_audio.hex"));
}

TEST(DemoAudioTest, BlobShorterThanItsCountKeepsTheBytesThatAreThere) {
    auto body = HexFixture("demo_audio.hex");
    body[body.size() - 8] = 100;  // the Data count: 100 announced, 4 present
    TDemoAudio item;
    LoadFrom(item, body);
    EXPECT_EQ(DataOf(item), "OggS");
}

TEST(DemoAudioTest, ReadingIntoAnItemWithBytesAppendsThem) {
    TDemoAudio item;
    LoadFrom(item, HexFixture("demo_audio.hex"));
    LoadFrom(item, HexFixture("demo_audio.hex"));
    EXPECT_EQ(DataOf(item), "OggSOggS");
    EXPECT_STREQ(item.FileId.Text(), "f-7");
}

TEST(DemoAudioTest, BodyEndingBeforeDataFails) {
    const auto body = HexFixture("demo_audio.hex");
    const struct {
        const char *label;
        size_t keep;
    } cases[] = {
        {"nothing", 0},
        {"inside FileType", 3},
        {"inside Text", 6},
        {"inside FileId", 4 + 8 + 7 + 4 + 4 + 4 + 4 + 5},
        {"before the Data count", body.size() - 8},
        {"inside the Data count", body.size() - 6},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TDemoAudio item;
        try {
            LoadFrom(item, {body.begin(), body.begin() + ptrdiff_t(c.keep)});
            ADD_FAILURE() << "nothing raised";
        } catch (const TCustomException &e) {
            EXPECT_STREQ(e.Message(), "not readed from stream");
        }
    }
}

TEST(DemoAudioTest, ListCutOffAfterOneBodyKeepsThatRecord) {
    const auto body = HexFixture("demo_audio.hex");
    std::vector<uint8_t> bytes = {2, 0, 0, 0};
    bytes.insert(bytes.end(), body.begin(), body.end());
    TMemoryStream stream;
    Fill(stream, bytes);
    TDemoAudios audios;
    try {
        audios.LoadFromStream(stream);
        ADD_FAILURE() << "nothing raised";
    } catch (const TCustomException &e) {
        EXPECT_STREQ(e.Message(), "not readed from stream");
    }
    ASSERT_EQ(audios.Count(), 1);
    EXPECT_EQ(BodyOf(*audios.Get(0)), body);
}

TEST(DemoAudioTest, AssignCopiesEverythingIncludingData) {
    TDemoAudio source;
    LoadFrom(source, HexFixture("demo_audio.hex"));
    TDemoAudio copy;
    copy.Assign(source);
    EXPECT_EQ(BodyOf(copy), HexFixture("demo_audio.hex"));
}

struct FindCase {
    const char *label;
    MyString text;
    bool isXml;
    int32_t speaker, volume, speed, fileType;
    int32_t expected;
};

TEST(DemoAudioTest, FindAudioMatchesTextWithoutCaseAndEveryParameterExactly) {
    TDemoAudios list;
    const auto add = [&](const MyString &text, bool isXml, int32_t speaker) {
        TDemoAudio *item = list.CreateItem();
        if (text.HasBuffer()) item->Text = text;
        item->IsXml = isXml;
        item->Speaker = speaker;
        item->Volume = 10;
        item->Speed = 10;
        item->FileType = 1;
        list.Add(item);
    };
    add("Irmak kıyısı."_cp, false, 1);   // 0
    add("İstanbul."_cp, false, 1);       // 1
    add("İstanbul."_cp, true, 1);        // 2
    add(MyString(), false, 1);           // 3: no text at all (never assigned)

    const FindCase cases[] = {
        {"same text", "İstanbul."_cp, false, 1, 10, 10, 1, 1},
        {"Turkish upper and lower case", "iSTANBUL."_cp, false, 1, 10, 10, 1, 1},
        {"dotless i pairs with I", "ırmak KIYISI."_cp, false, 1, 10, 10, 1, 0},
        {"another letter", "İstanbuk."_cp, false, 1, 10, 10, 1, -1},
        {"IsXml decides", "istanbul."_cp, true, 1, 10, 10, 1, 2},
        {"other speaker", "İstanbul."_cp, false, 2, 10, 10, 1, -1},
        {"other volume", "İstanbul."_cp, false, 1, 9, 10, 1, -1},
        {"other speed", "İstanbul."_cp, false, 1, 10, 11, 1, -1},
        {"other file type", "İstanbul."_cp, false, 1, 10, 10, 2, -1},
        {"longer text", "İstanbul.."_cp, false, 1, 10, 10, 1, -1},
        {"absent text finds the absent text", MyString(), false, 1, 10, 10, 1, 3},
        {"empty text is not absent", MyString(""), false, 1, 10, 10, 1, -1},
    };
    for (const FindCase &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FindAudio(list, c.text, c.isXml, c.speaker, c.volume, c.speed, c.fileType),
                  c.expected);
    }
}

}  // namespace
