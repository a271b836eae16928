// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The addresses of the web pages the main form's links open: the pages of the speech
// service the client talks to (narrelo-demoserver serves them).
//
// They are stored scrambled, never as plain text in the program: every byte of an address is
// combined by exclusive-or with key byte (index mod 14) of a 14-byte key. The key is built
// by code when an address is needed (AddressKey); the scrambled bytes are computed by the
// compiler from the plain literal with the same key builder, so neither the plain addresses
// nor the key appear in the program's data.
//
// The web site's base address and the test address have the same length (21 characters); a
// build made with NARRELO_WEB_TEST_MODE uses the test address as its base, which the main
// form announces at start ("In Test Mode").

#include <array>
#include <cstddef>
#include <cstdint>

#include "foundation/my_string.h"

inline constexpr int32_t AddressKeyLength = 14;
using TAddressKey = std::array<uint8_t, AddressKeyLength>;

// The key: the first 14 bytes of splitmix64 (protocol/key_table.h) started at `seed`, least
// significant byte first. constexpr so that the compiler can scramble the stored addresses.
constexpr TAddressKey MakeAddressKey(uint64_t seed) {
    TAddressKey key{};
    uint64_t state = seed;
    uint64_t word = 0;
    for (int32_t i = 0; i < AddressKeyLength; ++i) {
        if (i % 8 == 0) {
            state += 0x9E3779B97F4A7C15ull;
            uint64_t z = state;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
        key[std::size_t(i)] = uint8_t(word >> (8 * (i % 8)));
    }
    return key;
}

// Byte i of `data` XOR key[i mod 14], in place; applying it twice gives the input back.
void ScrambleBytes(uint8_t *data, int32_t length, const TAddressKey &key);

// The key the stored addresses are scrambled with, built afresh at each call.
TAddressKey AddressKey();

// An address as stored: its scrambled bytes.
struct TScrambledAddress {
    const uint8_t *Bytes;
    int32_t Length;
};
// The plain address.
MyString Unscramble(const TScrambledAddress &address);

// The stored addresses.
TScrambledAddress WebSiteBaseAddress();  // the web site, opened by "Visit Web Site"
TScrambledAddress WebSiteTestAddress();  // what the base is in a test-mode build
TScrambledAddress DownloadPageAddress(); // the page offering the full version's installer

// The base address equals the test address (same length, same bytes).
bool InTestMode();
