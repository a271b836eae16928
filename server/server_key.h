// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TServerKey: the secret that signs this server's session and file tokens. It is kept in a
// file so that tokens outlive a restart, and so that several server processes given the
// same file (one machine, or a pool behind a load balancer) accept each other's tokens.
//
// The file holds 32 random bytes from OpenSSL's generator, nothing else. It is created on
// first start with mode 0600 (its folder with 0700 when missing), written under a private
// name and linked into place, so two processes starting at once end up with the same key
// and neither ever reads a half-written file. A file of another size is refused, and so is
// one that is not a regular file of this user or that other users may read or write
// (its mode beyond 0600), as ssh refuses a private key that is not private.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class TServerKey {
public:
    static constexpr size_t KeySize = 32;
    using TMac = std::array<uint8_t, 32>;

    // Loads the key file at `path`, creating it when it does not exist. Throws
    // std::runtime_error naming the file when it cannot be read or created.
    static TServerKey LoadOrCreate(const std::string &path);
    // A key held in memory only (tests, benchmarks).
    static TServerKey FromBytes(std::string_view bytes);

    // HMAC-SHA-256 of `message` under the key, with `purpose` mixed in first so that a
    // token signed for one use never passes for another.
    TMac Sign(std::string_view purpose, std::string_view message) const;
    // Sign, compared in constant time.
    bool Verify(std::string_view purpose, std::string_view message, const TMac &mac) const;

private:
    std::array<uint8_t, KeySize> key_{};
};

// `count` bytes from OpenSSL's generator; throws std::runtime_error when it has none.
std::string RandomBytes(size_t count);
