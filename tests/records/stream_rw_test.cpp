// SPDX-License-Identifier: GPL-3.0-or-later
// The encoding primitives against hand-written bytes.
#include "records/stream_rw.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "foundation/exceptions.h"
#include "foundation/file_stream.h"
#include "tests/records/support/sample_record.h"
#include "tests/support/raised_message.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Reader {
    TMemoryStream stream{8192};
    TStreamRW rw;
    explicit Reader(const std::string &hex) {
        Fill(stream, FromHex(hex));
        rw.SetCurrentStream(&stream);
    }
    int32_t Consumed() const { return stream.Position(); }
};

TEST(StreamRW, Int32ByteAndBool32) {
    struct Case {
        const char *label;
        const char *hex;
        int32_t value;
    } cases[] = {
        {"little-endian", "78 56 34 12", 0x12345678},
        {"minus one", "FF FF FF FF", -1},
        {"most negative", "00 00 00 80", INT_MIN},
    };
    for (const Case &c : cases) {
        Reader r(c.hex);
        EXPECT_EQ(r.rw.ReadInt32(), c.value) << c.label;
        EXPECT_EQ(r.Consumed(), 4) << c.label;
    }
    Reader b("05 00 00 00 00 00 00 00 FE");
    EXPECT_TRUE(b.rw.ReadBool32());  // any non-zero value
    EXPECT_FALSE(b.rw.ReadBool32());
    EXPECT_EQ(b.rw.ReadByte(), 0xFE);
}

TEST(StreamRW, ShortReadsRaise) {
    const std::string notRead = "not readed from stream";
    struct Case {
        const char *label;
        const char *hex;
        std::function<void(TStreamRW &)> read;
    } cases[] = {
        {"stream ends inside an Int32", "01 02 03", [](TStreamRW &rw) { rw.ReadInt32(); }},
        {"empty stream, Byte", "", [](TStreamRW &rw) { rw.ReadByte(); }},
        {"Bool32 cut short", "01", [](TStreamRW &rw) { rw.ReadBool32(); }},
        {"String shorter than its length", "05 00 00 00 41 42", [](TStreamRW &rw) { rw.ReadString(); }},
        {"String length cut short", "05 00", [](TStreamRW &rw) { rw.ReadString(); }},
        {"Bytes(3) with 2 there", "01 02", [](TStreamRW &rw) {
             uint8_t b[3];
             rw.ReadBytes(b, 3);
         }},
        {"Blob length cut short", "02 00 00", [](TStreamRW &rw) {
             TMemoryStream data;
             rw.ReadBlob(data);
         }},
    };
    for (const Case &c : cases) {
        Reader r(c.hex);
        EXPECT_EQ(MessageOf([&] { c.read(r.rw); }), notRead) << c.label;
    }
}

TEST(StreamRW, Strings) {
    struct Case {
        const char *label;
        const char *hex;
        std::string text;
        int32_t consumed;
    } cases[] = {
        {"empty", "00 00 00 00 41", "", 4},
        {"negative length: empty, nothing more read", "FE FF FF FF 41", "", 4},
        {"three bytes", "03 00 00 00 41 42 43 44", "ABC", 7},
        {"Turkish bytes kept", "02 00 00 00 DD FE", "\xDD\xFE", 6},
    };
    for (const Case &c : cases) {
        Reader r(c.hex);
        MyString text;
        r.rw.ReadString(text);
        ASSERT_NE(text.Text(), nullptr) << c.label;
        EXPECT_EQ(std::string(text.Text(), std::size_t(text.Length())), c.text) << c.label;
        EXPECT_EQ(r.Consumed(), c.consumed) << c.label;
    }
    // A failed read leaves the target as it was.
    Reader r("09 00 00 00 41");
    MyString text("old");
    EXPECT_EQ(MessageOf([&] { r.rw.ReadString(text); }), "not readed from stream");
    EXPECT_STREQ(text.Text(), "old");
}

TEST(StreamRW, SkipAndBlob) {
    Reader skip("01 02 03 04");
    EXPECT_EQ(skip.rw.SkipBytes(10), 4);  // no length check
    EXPECT_EQ(skip.rw.SkipBytes(10), 0);

    struct Case {
        const char *label;
        const char *hex;
        Bytes appended;
        int32_t consumed;
    } cases[] = {
        {"complete", "02 00 00 00 AA BB CC", {0xAA, 0xBB}, 6},
        {"empty", "00 00 00 00 AA", {}, 4},
        {"negative", "FF FF FF FF AA", {}, 4},
        {"shorter than its count: what is there, no error", "05 00 00 00 AA BB", {0xAA, 0xBB}, 6},
    };
    for (const Case &c : cases) {
        Reader r(c.hex);
        TMemoryStream data;
        data.Write("\x01", 1);
        data.Seek(0, soFromBeginning);  // reading appends whatever the position
        r.rw.ReadBlob(data);
        Bytes expected{0x01};
        expected.insert(expected.end(), c.appended.begin(), c.appended.end());
        EXPECT_EQ(Contents(data), expected) << c.label;
        EXPECT_EQ(r.Consumed(), c.consumed) << c.label;
    }
}

TEST(StreamRW, Writes) {
    TMemoryStream stream;
    TStreamRW rw;
    rw.SetCurrentStream(&stream);
    MyString none;  // no buffer
    MyString withNul;
    withNul.Assign("a\0b", 3);
    TMemoryStream blob;
    blob.Write("\xAA\xBB", 2);
    blob.Seek(0, soFromBeginning);  // the size decides, not the position

    rw.WriteInt32(-2);
    rw.WriteByte(0x7F);
    rw.WriteBool32(true);
    rw.WriteString(none);
    rw.WriteString(MyString(""));
    rw.WriteString(withNul);
    rw.WriteBlob(blob);
    rw.WriteBlob(TMemoryStream());
    EXPECT_EQ(Contents(stream), FromHex("FE FF FF FF  7F  01 00 00 00  00 00 00 00  00 00 00 00"
                                        "03 00 00 00 61 00 62  02 00 00 00 AA BB  00 00 00 00"));
}

TEST(StreamRW, FileStreamsKnowWhatIsLeft) {
    const std::string path = ::testing::TempDir() + "/narrelo_stream_rw_left";
    { std::ofstream(path, std::ios::binary) << std::string("\x07\x00\x00\x00" "ABCDEF", 10); }
    TFileStream file(path.c_str(), "rb");
    file.SetActive(true);
    TStreamRW rw;
    rw.SetCurrentStream(&file);
    EXPECT_EQ(rw.BytesLeft(), 10);
    EXPECT_EQ(MessageOf([&] { rw.ReadString(); }), "not readed from stream");  // 7 > 6 left
    file.SetActive(false);
    std::remove(path.c_str());
}

}  // namespace
