// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// KeyTable: the 65,536 bytes of key material that scramble the sentence lists the speech
// service returns, read as 256 rows of 256 bytes (row s is bytes s*256 .. s*256+255). The
// client and the demo server must use the same table; both take it from here.
//
// The table is generated, not stored: bytes 8k .. 8k+7 are the k-th output of splitmix64
// (Steele, Lea, Flood 2014; Vigna's reference) started at KeyTableSeed, least significant byte
// first:
//   state += 0x9E3779B97F4A7C15;
//   z = state;
//   z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
//   z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
//   output = z ^ (z >> 31);
// Changing the seed or the generator breaks every client/server pair built before.

#include <cstdint>

inline constexpr uint64_t KeyTableSeed = 0x4E617272656C6F31ull;  // "Narrelo1" in ASCII
inline constexpr int32_t KeyTableSize = 65536;
inline constexpr int32_t KeyTableRowSize = 256;

// One step of splitmix64: advances `state` and returns the next output.
constexpr uint64_t SplitMix64Next(uint64_t &state) {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The table, generated on first use (thread-safe) and kept for the life of the process.
const uint8_t *KeyTable();
