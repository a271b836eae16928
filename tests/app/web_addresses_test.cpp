// SPDX-License-Identifier: GPL-3.0-or-later
// The web links' addresses: stored scrambled with a 14-byte key, unscrambled when used.

#include "app/web_addresses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Plain(TScrambledAddress address) {
    const MyString text = Unscramble(address);
    return std::string(text.View());
}

TEST(WebAddressesTest, TheStoredAddressesUnscrambleToTheServicesPages) {
#ifdef NARRELO_WEB_TEST_MODE
    EXPECT_EQ(Plain(WebSiteBaseAddress()), "http://127.0.0.1:8082");
    EXPECT_TRUE(InTestMode());
#else
    EXPECT_EQ(Plain(WebSiteBaseAddress()), "http://localhost:8081");
    EXPECT_FALSE(InTestMode());
#endif
    EXPECT_EQ(Plain(WebSiteTestAddress()), "http://127.0.0.1:8082");
    EXPECT_EQ(Plain(DownloadPageAddress()), "http://localhost:8081/download");
    EXPECT_EQ(WebSiteBaseAddress().Length, 21);
    EXPECT_EQ(WebSiteTestAddress().Length, 21);
}

TEST(WebAddressesTest, NoStoredAddressHoldsItsPlainText) {
    for (TScrambledAddress address : {WebSiteBaseAddress(), WebSiteTestAddress(), DownloadPageAddress()}) {
        const std::string stored(reinterpret_cast<const char *>(address.Bytes), std::size_t(address.Length));
        EXPECT_EQ(stored.find("http"), std::string::npos);
        EXPECT_EQ(stored.find("localhost"), std::string::npos);
        EXPECT_EQ(stored.find("127.0"), std::string::npos);
    }
}

TEST(WebAddressesTest, EachByteIsCombinedWithTheKeyByteOfItsIndexModuloFourteen) {
    const TAddressKey key = AddressKey();
    EXPECT_EQ(key, MakeAddressKey(0x56616C74726F7361ull));
    std::vector<uint8_t> bytes(30, 0);
    ScrambleBytes(bytes.data(), int32_t(bytes.size()), key);
    for (std::size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], key[i % 14]) << i;
    ScrambleBytes(bytes.data(), int32_t(bytes.size()), key);
    EXPECT_EQ(bytes, std::vector<uint8_t>(30, 0));
    // The key's first eight bytes are splitmix64's first output, least significant first.
    uint64_t state = 0x56616C74726F7361ull;
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(key[std::size_t(i)], uint8_t(z >> (8 * i))) << i;
}

}  // namespace
