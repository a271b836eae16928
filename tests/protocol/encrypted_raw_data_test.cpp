// SPDX-License-Identifier: GPL-3.0-or-later
// The key table and the unscrambling of the service's sentence-list blocks.
#include "protocol/encrypted_raw_data.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "protocol/encrypted_raw_data_static.h"
#include "protocol/key_table.h"
#include "tests/support/raised_message.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutInt32(Bytes &b, int32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

// header + payload + selectors, with the selectors right after the payload.
Bytes Block(const Bytes &payload, const Bytes &selectors) {
    Bytes b;
    PutInt32(b, int32_t(8 + payload.size()));
    PutInt32(b, int32_t(selectors.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    b.insert(b.end(), selectors.begin(), selectors.end());
    return b;
}

Bytes Pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + 3);
    return b;
}

TEST(KeyTable, IsThePinnedSplitMix64Stream) {
    uint64_t state = 0;
    EXPECT_EQ(SplitMix64Next(state), 0xE220A8397B1DCDAFull);  // the generator's reference value

    const uint8_t *table = KeyTable();
    const Bytes row0(table, table + 8), row1(table + 256, table + 264);
    EXPECT_EQ(row0, (Bytes{0x33, 0xE9, 0xA1, 0xDE, 0xA2, 0xAE, 0x3A, 0xF4}));
    EXPECT_EQ(row1, (Bytes{0x2E, 0x98, 0x4D, 0x88, 0xA9, 0x40, 0x25, 0xCF}));
    uint64_t hash = 1469598103934665603ull;  // FNV-1a over the whole table
    for (int32_t i = 0; i < KeyTableSize; ++i) hash = (hash ^ table[i]) * 1099511628211ull;
    EXPECT_EQ(hash, 0x44D602DDE8E72047ull) << "the table changed: clients and servers would disagree";
    EXPECT_EQ(KeyTable(), table);
}

TEST(Unscramble, SmallBlockBitExact) {
    // Payload "ABCD" scrambled with row 1: 41^2E 42^98 43^4D 44^88.
    Bytes block = {0x0C, 0, 0, 0, 0x01, 0, 0, 0, 0x6F, 0xDA, 0x0E, 0xCC, 0x01};
    TEnCryptedRawData data;
    data.Unscramble(block.data(), int32_t(block.size()));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(data.Payload()), data.PayloadSize()), "ABCD");
    EXPECT_EQ(data.KeyOffset(), 12);
    EXPECT_EQ(data.KeyLength(), 1);
}

TEST(Unscramble, NotScrambledPayloadIsUsedUnchanged) {
    for (int32_t keyLength : {0, -1, INT_MIN}) {
        Bytes block;
        PutInt32(block, 99999);  // never looked at
        PutInt32(block, keyLength);
        const Bytes payload = Pattern(20);
        block.insert(block.end(), payload.begin(), payload.end());
        TEnCryptedRawData data;
        data.Unscramble(block.data(), int32_t(block.size()));
        ASSERT_EQ(data.PayloadSize(), 20) << keyLength;  // a negative length never widens it
        EXPECT_EQ(Bytes(data.Payload(), data.Payload() + 20), payload) << keyLength;
        EXPECT_EQ(data.Payload(), block.data() + 8);
    }
}

TEST(Unscramble, ChunksUseTheirOwnRows) {
    // 300 bytes: two chunks; the second (44 bytes) uses the first 44 bytes of its row.
    const Bytes plain = Pattern(300);
    const Bytes selectors = {0xFF, 0x02};
    const uint8_t *table = KeyTable();
    Bytes scrambled(plain);
    for (std::size_t i = 0; i < plain.size(); ++i) scrambled[i] ^= table[selectors[i / 256] * 256 + i % 256];
    Bytes block = Block(scrambled, selectors);
    TEnCryptedRawData data;
    data.Unscramble(block.data(), int32_t(block.size()));
    ASSERT_EQ(data.PayloadSize(), 300);
    EXPECT_EQ(Bytes(data.Payload(), data.Payload() + 300), plain);
    EXPECT_EQ(Bytes(block.begin() + 8, block.begin() + 308), plain) << "the caller's block changes in place";

    // Once more restores the scrambled payload.
    data.Unscramble(block.data(), int32_t(block.size()));
    EXPECT_EQ(Bytes(block.begin() + 8, block.begin() + 308), scrambled);
}

TEST(Unscramble, StaticVariantLeavesTheCallerAlone) {
    const Bytes plain = Pattern(257);
    Bytes block = Block(plain, {5, 6});
    const Bytes original = block;
    TEnCryptedRawDataStatic data;
    data.Unscramble(block.data(), int32_t(block.size()));
    EXPECT_EQ(block, original);
    ASSERT_EQ(data.PayloadSize(), 257);
    EXPECT_NE(data.Payload(), block.data() + 8);

    TEnCryptedRawData inPlace;
    inPlace.Unscramble(block.data(), int32_t(block.size()));
    EXPECT_EQ(Bytes(data.Payload(), data.Payload() + 257), Bytes(block.begin() + 8, block.begin() + 265));
    EXPECT_NE(block, original);
}

TEST(Unscramble, BadBlocksFailBeforeChangingAnything) {
    auto header = [](int32_t offset, int32_t length, std::size_t total) {
        Bytes b;
        PutInt32(b, offset);
        PutInt32(b, length);
        b.resize(total, 0xAA);
        return b;
    };
    const std::string nil = "Internal Memory Is Nil";
    const std::string noPayload = "PointerStream invalid parameter";
    const std::string badOffset = "Invalid Offset Request to PointerStream ";
    struct Case {
        const char *label;
        Bytes block;
        std::string message;
    } cases[] = {
        {"empty block", {}, nil},
        {"shorter than the header", {1, 2, 3, 4, 5}, noPayload},
        {"header only", header(8, 0, 8), noPayload},
        {"key takes the whole payload", header(8, 4, 12), noPayload},
        {"huge key length", header(8, INT_MAX, 64), noPayload},
        {"negative offset", header(-1, 1, 20), badOffset},
        {"offset past the end", header(21, 1, 20), badOffset},
        {"offset at the end", header(20, 1, 20), badOffset},
        // 300 payload bytes need two selectors; only the first lies in the block.
        {"selectors run past the end", header(308, 1, 309), badOffset},
        {"huge offset", header(INT_MAX, 1, 20), badOffset},
    };
    for (const Case &c : cases) {
        // Each holder has unscrambled a good block before: a failure must not leave a view
        // of that earlier payload (the static holder's copy of it is gone) or of a payload
        // that was not unscrambled.
        Bytes good = Block(Pattern(10), {1});
        Bytes block = c.block;
        TEnCryptedRawData data;
        data.Unscramble(good.data(), int32_t(good.size()));
        EXPECT_EQ(MessageOf([&] { data.Unscramble(block.empty() ? nullptr : block.data(), int32_t(block.size())); }),
                  c.message)
            << c.label;
        EXPECT_EQ(block, c.block) << c.label;
        EXPECT_EQ(data.Payload(), nullptr) << c.label;
        EXPECT_EQ(data.PayloadSize(), 0) << c.label;
        TEnCryptedRawDataStatic copy;
        copy.Unscramble(good.data(), int32_t(good.size()));
        EXPECT_EQ(MessageOf([&] { copy.Unscramble(block.empty() ? nullptr : block.data(), int32_t(block.size())); }),
                  c.message)
            << c.label << " (copy)";
        EXPECT_EQ(copy.Payload(), nullptr) << c.label << " (copy)";
        EXPECT_EQ(copy.PayloadSize(), 0) << c.label << " (copy)";
    }
}

}  // namespace
