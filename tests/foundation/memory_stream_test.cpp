// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/memory_stream.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "foundation/exceptions.h"

namespace {

std::string Content(const TMemoryStream &s) {
    return std::string(reinterpret_cast<const char *>(s.Memory()), std::size_t(s.DataSize()));
}

TEST(MemoryStream, CapacityRounding) {
    struct Case {
        const char *label;
        int32_t granularity, request, capacity;
    } cases[] = {
        {"8192: 1", 8192, 1, 8192},      {"8192: 8193", 8192, 8193, 16384},
        {"24: 1", 24, 1, 8},             {"24: 9", 24, 9, 32},
        {"24: 24", 24, 24, 40},          {"24: 25", 24, 25, 32},
        {"24: 100", 24, 100, 104},       {"48: 1", 48, 1, 16},
        {"48: 17", 48, 17, 64},          {"48: 100", 48, 100, 144},
    };
    for (const auto &c : cases) {
        TMemoryStream s(c.granularity);
        s.SetCapacity(c.request);
        EXPECT_EQ(s.Capacity(), c.capacity) << c.label;
        EXPECT_GE(s.Capacity(), c.request) << c.label;
    }
}

TEST(MemoryStream, ARequestEqualToTheSizeIsNotRounded) {
    TMemoryStream s(8192);
    s.Write("0123456789", 10);
    s.SetCapacity(10);  // equal to Size: exactly 10 bytes
    EXPECT_EQ(s.Capacity(), 10);
    EXPECT_EQ(Content(s), "0123456789");
}

TEST(MemoryStream, NewStreamIsEmpty) {
    TMemoryStream s;
    char buffer[4];
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Read(buffer, 4), 0);
    EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStream, WriteThenReadBack) {
    TMemoryStream s;
    EXPECT_EQ(s.Write("0123456789", 10), 10);
    EXPECT_EQ(s.DataSize(), 10);
    EXPECT_EQ(s.Position(), 10);
    EXPECT_EQ(s.Capacity(), 8192);
    EXPECT_EQ(s.Size(), 10);
    EXPECT_EQ(s.Position(), 10);  // measuring the size leaves the position alone
    s.Seek(0, soFromBeginning);
    char buffer[20];
    EXPECT_EQ(s.Read(buffer, 20), 10);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
}

TEST(MemoryStream, SeekHasNoRangeCheckAndWriteFillsTheGap) {
    TMemoryStream s;
    s.Write("0123456789", 10);
    EXPECT_EQ(s.Seek(5, soFromEnd), 15);
    EXPECT_EQ(s.Write("x", 1), 1);
    EXPECT_EQ(s.DataSize(), 16);
    EXPECT_EQ(s.Memory()[15], 'x');
    EXPECT_EQ(s.Seek(-3, soFromCurrent), 13);
    EXPECT_EQ(s.Seek(7, 0x10000 | soFromBeginning), 7);  // only the low 16 bits of an origin count
    EXPECT_EQ(s.Seek(1, 9), 7);                          // an unknown origin leaves the position
    EXPECT_EQ(s.Seek64(0x100000002LL, soFromBeginning), 2);
}

TEST(MemoryStream, InvalidPositionsReadAndWriteNothing) {
    TMemoryStream s;
    s.Write("abc", 3);
    s.Seek(-1, soFromBeginning);
    EXPECT_EQ(s.Write("zz", 2), 0);
    char c;
    EXPECT_EQ(s.Read(&c, 1), 0);
    EXPECT_EQ(Content(s), "abc");
    s.Seek(0, soFromBeginning);
    EXPECT_EQ(s.Write("zz", -2), 0);
    EXPECT_EQ(s.Read(&c, -1), 0);
    s.Seek(3, soFromBeginning);
    EXPECT_EQ(s.Read(&c, 1), 0);
    EXPECT_EQ(Content(s), "abc");
}

TEST(MemoryStream, SetSizeMovesAPositionBeyondTheNewEnd) {
    TMemoryStream s;
    s.Write("0123456789", 10);
    s.Seek(8, soFromBeginning);
    s.SetSize(3);
    EXPECT_EQ(s.DataSize(), 3);
    EXPECT_EQ(s.Position(), 3);
    s.Seek(1, soFromBeginning);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 1);
}

TEST(MemoryStream, ImpossibleCapacityRaisesAndKeepsTheStream) {
    TMemoryStream s;
    s.Write("abc", 3);
    try {
        s.SetCapacity(INT32_MAX);
        FAIL() << "no exception";
    } catch (const TException &e) {
        EXPECT_STREQ(e.Message(), "SMemoryStream Allocation error For New Capacity 2147483647");
    }
    EXPECT_EQ(s.Capacity(), 8192);
    EXPECT_EQ(Content(s), "abc");

    s.Seek(INT32_MAX - 1, soFromBeginning);  // a write whose end does not fit 32 bits
    EXPECT_THROW(s.Write("abc", 3), TException);
    EXPECT_EQ(Content(s), "abc");
}

TEST(MemoryStream, ClearReleasesEverything) {
    TMemoryStream s;
    s.Write("abc", 3);
    s.Clear();
    EXPECT_EQ(s.Memory(), nullptr);
    EXPECT_EQ(s.Capacity(), 0);
    EXPECT_EQ(s.DataSize(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, InsertAtStartKeepsTheContentAfterTheNewBytes) {
    TMemoryStream s;
    s.Write("abc", 3);
    InsertAtStart(s, 4);
    EXPECT_EQ(s.DataSize(), 7);
    EXPECT_EQ(s.Position(), 7);
    EXPECT_EQ(Content(s).substr(4), "abc");
}

TEST(CopyFrom, CountZeroCopiesTheWholeSourceFromItsStart) {
    TMemoryStream source, target;
    std::string big(150000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7);
    source.Write(big.data(), int32_t(big.size()));  // positioned at its end
    target.Write("<", 1);
    EXPECT_EQ(target.CopyFrom(source, 0), 150000);
    EXPECT_EQ(Content(target), "<" + big);
}

TEST(CopyFrom, ReturnsTheRequestedCountEvenWhenTheSourceEndsEarly) {
    TMemoryStream source, target;
    source.Write("abcdef", 6);
    source.Seek(4, soFromBeginning);
    EXPECT_EQ(target.CopyFrom(source, 100), 100);
    EXPECT_EQ(Content(target), "ef");
}

}  // namespace
