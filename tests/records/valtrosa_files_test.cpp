// SPDX-License-Identifier: GPL-3.0-or-later
// Record lists: the List encoding against hand-written bytes, appending loads, copies and
// failures part way through.
#include "records/valtrosa_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "foundation/exceptions.h"
#include "tests/records/support/sample_record.h"
#include "tests/support/raised_message.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Serialise(TValtrosaFiles &list) {
    TMemoryStream stream;
    list.SaveToStream(stream);
    return Contents(stream);
}

// The smallest TSample body with Number n.
std::string SmallBody(int n) {
    char hex[80];
    std::snprintf(hex, sizeof hex, "%02X 00 00 00  00 00 00 00  00  00 00 00 00  00 00 00 00  00 00 00 00 ", n);
    return hex;
}

TEST(ValtrosaFiles, CountZeroAppendsNothingAndConsumesFourBytes) {
    for (const char *hex : {"00 00 00 00 AA", "FF FF FF FF AA"}) {
        TMemoryStream stream;
        Fill(stream, FromHex(hex));
        TSamples list;
        list.LoadFromStream(stream);
        EXPECT_EQ(list.Count(), 0) << hex;
        EXPECT_EQ(stream.Position(), 4) << hex;
    }
    TSamples empty;
    EXPECT_EQ(Serialise(empty), FromHex("00 00 00 00"));
}

TEST(ValtrosaFiles, LoadingTwiceAppends) {
    const Bytes bytes = FromHex("02 00 00 00" + SmallBody(1) + SmallBody(2));
    TSamples list;
    for (int pass = 0; pass < 2; ++pass) {
        TMemoryStream stream;
        Fill(stream, bytes);
        list.LoadFromStream(stream);
    }
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Item(2)->Number, 1);
    EXPECT_EQ(list.Item(3)->Number, 2);
    EXPECT_EQ(Serialise(list), FromHex("04 00 00 00" + SmallBody(1) + SmallBody(2) + SmallBody(1) + SmallBody(2)));
}

TEST(ValtrosaFiles, FailurePartWayKeepsTheRecordsBefore) {
    struct Case {
        const char *label;
        std::string hex;
        int kept;
    } cases[] = {
        {"count cut short", "02 00", 0},
        {"second body cut inside its Name",
         "02 00 00 00" + SmallBody(1) + "05 00 00 00 1E 00 00 00" +
             "41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41",
         1},
        {"nested list with a count and no bodies",
         "01 00 00 00  07 00 00 00  03 00 00 00 41 42 43  00  00 00 00 00  00 00 00 00  01 00 00 00", 0},
    };
    for (const Case &c : cases) {
        TMemoryStream stream;
        Fill(stream, FromHex(c.hex));
        TSamples list;
        EXPECT_EQ(MessageOf([&] { list.LoadFromStream(stream); }), "not readed from stream") << c.label;
        EXPECT_EQ(list.Count(), c.kept) << c.label;
    }
}

TEST(ValtrosaFiles, CopiesSerialiseIdentically) {
    TSamples source;
    for (int i = 0; i < 3; ++i) {
        auto *s = new TSample;
        s->Number = i;
        s->Name.Assign(i == 1 ? "bir" : "");
        s->Children.Add(new TSample);
        source.Add(s);
    }
    TSamples viaStream, viaAssign;
    viaStream.AppendCopyOf(source);
    viaAssign.AppendCopies(source);
    EXPECT_EQ(Serialise(viaStream), Serialise(source));
    EXPECT_EQ(Serialise(viaAssign), Serialise(source));
    EXPECT_NE(viaAssign.Item(0), source.Item(0));

    // Onto itself: each appends one copy of what was there.
    viaAssign.AppendCopies(viaAssign);
    viaStream.AppendCopyOf(viaStream);
    EXPECT_EQ(viaAssign.Count(), 6);
    EXPECT_EQ(Serialise(viaAssign), Serialise(viaStream));
}

TEST(ValtrosaFiles, GetIsRangeChecked) {
    TSamples list;
    list.Add(new TSample);
    EXPECT_EQ(MessageOf([&] { list.Get(1); }), "Invalid Index Of List 1");
    EXPECT_EQ(MessageOf([&] { list.Get(-1); }), "Invalid Index Of List -1");
}

TEST(ValtrosaFiles, CountBeyondWhatTheBytesCanHoldKeepsTheRecordsRead) {
    // Two minimal bodies need 42 bytes; 41 follow: the first is read, the second refused
    // before its body is touched.
    Bytes bytes = FromHex("02 00 00 00" + SmallBody(1) + SmallBody(2));
    bytes.pop_back();
    TMemoryStream stream;
    Fill(stream, bytes);
    TSamples list;
    EXPECT_EQ(MessageOf([&] { list.LoadFromStream(stream); }), "not readed from stream");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(0)->Number, 1);
    EXPECT_EQ(stream.Position(), 4 + 21);
}

}  // namespace
