// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Letter classes and Turkish casing of Windows-1254 bytes. Turkish casing: "I" lowers to
// "ı" and "İ" to "i"; "i" raises to "İ" and "ı" to "I".

#include <string>
#include <string_view>

namespace turkish {

inline constexpr unsigned char kDotlessSmallI = 0xFD;  // ı
inline constexpr unsigned char kDottedCapitalI = 0xDD;  // İ

constexpr bool IsUpper(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x8A ||
           c == 0x8C || c == 0x9F;
}

constexpr bool IsLower(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 0xDF && c != 0xF7) || c == 0x9A || c == 0x9C ||
           c == 0x83;
}

constexpr bool IsLetter(unsigned char c) { return IsUpper(c) || IsLower(c); }
constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
constexpr bool IsAlnum(unsigned char c) { return IsLetter(c) || IsDigit(c); }

// Spaces, tabs, line breaks and the no-break space.
constexpr bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0xA0;
}

constexpr unsigned char ToLower(unsigned char c) {
    if (c == 'I') return kDotlessSmallI;
    if (c == kDottedCapitalI) return 'i';
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x8A || c == 0x8C) return c + 0x10;
    if (c == 0x9F) return 0xFF;
    return c;
}

constexpr unsigned char ToUpper(unsigned char c) {
    if (c == 'i') return kDottedCapitalI;
    if (c == kDotlessSmallI) return 'I';
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0x9A || c == 0x9C) return c - 0x10;
    if (c == 0xFF) return 0x9F;
    return c;
}

inline std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char &c : out) c = char(ToLower((unsigned char)c));
    return out;
}

inline std::string ToUpper(std::string_view s) {
    std::string out(s);
    for (char &c : out) c = char(ToUpper((unsigned char)c));
    return out;
}

// Vowels of either case, the circumflexed ones included.
constexpr bool IsVowel(unsigned char c) {
    switch (ToLower(c)) {
        case 'a': case 'e': case 'i': case 'o': case 'u':
        case 0xFD: case 0xF6: case 0xFC:  // ı ö ü
        case 0xE2: case 0xEE: case 0xFB:  // â î û
            return true;
        default:
            return false;
    }
}

}  // namespace turkish
