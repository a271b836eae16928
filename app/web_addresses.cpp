// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/web_addresses.h"

#include <cstring>

namespace {

// Kept in a volatile so that the key is built by code at run time.
volatile uint64_t AddressKeySeed = 0x56616C74726F7361ull;  // "Valtrosa" in ASCII
constexpr uint64_t AddressKeySeedValue = 0x56616C74726F7361ull;

template <std::size_t N>
struct TStoredAddress {
    uint8_t bytes[N - 1];
};

// The literal's bytes scrambled by the compiler (consteval: nothing of the plain text or the
// key is left for run time).
template <std::size_t N>
consteval TStoredAddress<N> Store(const char (&plain)[N]) {
    const TAddressKey key = MakeAddressKey(AddressKeySeedValue);
    TStoredAddress<N> stored{};
    for (std::size_t i = 0; i + 1 < N; ++i)
        stored.bytes[i] = uint8_t(uint8_t(plain[i]) ^ key[i % AddressKeyLength]);
    return stored;
}

constexpr auto StoredLocalBase = Store("http://localhost:8081");
constexpr auto StoredTest = Store("http://127.0.0.1:8082");
constexpr auto StoredDownload = Store("http://localhost:8081/download");

static_assert(sizeof StoredLocalBase.bytes == 21 && sizeof StoredTest.bytes == 21,
              "the base and the test address have the same length");

template <class T>
TScrambledAddress View(const T &stored) {
    return {stored.bytes, int32_t(sizeof stored.bytes)};
}

}  // namespace

void ScrambleBytes(uint8_t *data, int32_t length, const TAddressKey &key) {
    for (int32_t i = 0; i < length; ++i) data[i] ^= key[std::size_t(i % AddressKeyLength)];
}

TAddressKey AddressKey() { return MakeAddressKey(AddressKeySeed); }

MyString Unscramble(const TScrambledAddress &address) {
    MyString plain;
    plain.Assign(address.Bytes, address.Length);
    ScrambleBytes(reinterpret_cast<uint8_t *>(plain.Text()), address.Length, AddressKey());
    return plain;
}

TScrambledAddress WebSiteBaseAddress() {
#ifdef NARRELO_WEB_TEST_MODE
    return View(StoredTest);
#else
    return View(StoredLocalBase);
#endif
}

TScrambledAddress WebSiteTestAddress() { return View(StoredTest); }
TScrambledAddress DownloadPageAddress() { return View(StoredDownload); }

bool InTestMode() {
    const TScrambledAddress base = WebSiteBaseAddress();
    const TScrambledAddress test = WebSiteTestAddress();
    return base.Length == test.Length && std::memcmp(base.Bytes, test.Bytes, std::size_t(base.Length)) == 0;
}
