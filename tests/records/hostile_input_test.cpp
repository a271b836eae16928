// SPDX-License-Identifier: GPL-3.0-or-later
// Lengths and counts that the input cannot back are refused before memory is taken for
// them. This program replaces operator new to watch the largest single request.
#include <gtest/gtest.h>

// new and delete below are malloc and free, so the pairing the compiler cannot see is right.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>

#include "foundation/exceptions.h"
#include "tests/records/support/sample_record.h"
#include "tests/support/raised_message.h"

namespace {
std::atomic<std::size_t> largestRequest{0};
void Note(std::size_t size) {
    std::size_t seen = largestRequest.load();
    while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
    }
}
}  // namespace

void *operator new(std::size_t size) {
    Note(size);
    if (void *p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) { return operator new(size); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(HostileInput, HugeLengthsAndCountsAreRefusedCheaply) {
    struct Case {
        const char *label;
        const char *hex;
    } cases[] = {
        {"list count 2^31-1", "FF FF FF 7F  01 00 00 00"},
        {"list count 2^24, a few bytes", "00 00 00 01  01 02 03 04 05 06 07 08"},
        {"String length 2^31-1 in a record",
         "01 00 00 00  07 00 00 00  FF FF FF 7F  41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41"},
        {"nested list count 2^31-1",
         "01 00 00 00  07 00 00 00  00 00 00 00  00  00 00 00 00  00 00 00 00  FF FF FF 7F  00 00"},
    };
    for (const Case &c : cases) {
        TMemoryStream stream;
        Fill(stream, FromHex(c.hex));
        largestRequest = 0;
        TSamples list;
        EXPECT_EQ(MessageOf([&] { list.LoadFromStream(stream); }), "not readed from stream") << c.label;
        EXPECT_LT(largestRequest.load(), std::size_t(64 * 1024)) << c.label;
        EXPECT_EQ(list.Count(), 0) << c.label;
    }
}

// A blob's count is not checked (a short blob is not an error), but it only ever takes what
// is there: the copy buffer is bounded and the data grows with the bytes read.
TEST(HostileInput, HugeBlobTakesOnlyWhatIsThere) {
    TMemoryStream stream;
    Fill(stream, FromHex("01 00 00 00  07 00 00 00  00 00 00 00  00  00 00 00 00  FF FF FF 7F AA BB"));
    largestRequest = 0;
    TSamples list;
    EXPECT_EQ(MessageOf([&] { list.LoadFromStream(stream); }), "not readed from stream");  // no Children count
    EXPECT_LT(largestRequest.load(), std::size_t(64 * 1024));
}

}  // namespace
