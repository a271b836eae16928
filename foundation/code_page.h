// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows-1254, the one 8-bit code page inside the program, and its conversions to UTF-16
// (window texts, settings) and UTF-8 (file names, terminal, source files).
//
// Byte -> character follows the Windows converter: the bytes that Windows-1254 leaves
// unassigned (0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E) map to the control characters of
// the same number, so every byte survives a round trip. Character -> byte: a character
// without a Windows-1254 byte becomes '?'.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cp1254 {

// The character of each byte 0x80..0xFF (bytes below 0x80 are ASCII).
inline constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,  // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,  // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,  // C8
    0x011E, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,  // D0 (Ğ)
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x0130, 0x015E, 0x00DF,  // D8 (İ Ş)
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,  // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,  // E8
    0x011F, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,  // F0 (ğ)
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0131, 0x015F, 0x00FF,  // F8 (ı ş)
};

constexpr char16_t ToUnicode(unsigned char byte) {
    return byte < 0x80 ? char16_t(byte) : kHighHalf[byte - 0x80];
}

// The byte of a character, or -1 when Windows-1254 has none.
constexpr int FromUnicode(char32_t c) {
    if (c < 0x80) return int(c);
    for (int i = 0; i < 128; ++i)
        if (kHighHalf[i] == c) return 0x80 + i;
    return -1;
}

// Conversions of whole texts; invalid UTF-8 or UTF-16 sequences and characters without a
// byte become '?' (one per code point).
std::string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::string_view bytes);
std::u16string ToUtf16(std::string_view bytes);
std::string FromUtf16(std::u16string_view text);

// Compile-time conversion of a UTF-8 source literal; used through operator""_cp below.
template <std::size_t N>
struct Utf8Literal {
    char bytes[N];
    consteval Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
    }
};

template <std::size_t N>
struct Converted {
    char text[N] = {};
    std::size_t length = 0;
};

template <Utf8Literal S>
consteval auto ConvertLiteral() {
    Converted<sizeof(S.bytes)> out;
    std::size_t i = 0;
    const std::size_t n = sizeof(S.bytes) - 1;  // without the literal's NUL
    while (i < n) {
        auto b = static_cast<unsigned char>(S.bytes[i]);
        char32_t c;
        std::size_t extra;
        if (b < 0x80) { c = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else { c = b & 0x07; extra = 3; }
        for (std::size_t k = 1; k <= extra; ++k)
            c = (c << 6) | (static_cast<unsigned char>(S.bytes[i + k]) & 0x3F);
        i += extra + 1;
        int byte = FromUnicode(c);
        if (byte < 0) throw "character without a Windows-1254 byte in a text literal";
        out.text[out.length++] = static_cast<char>(byte);
    }
    out.text[out.length] = '\0';
    return out;
}

template <Utf8Literal S>
inline constexpr auto kLiteral = ConvertLiteral<S>();

}  // namespace cp1254

// "Sistem Kaydı Yazılamadı."_cp: the system's Turkish texts, written in UTF-8 source and
// converted to Windows-1254 at compile time. The result is a NUL-terminated static text.
template <cp1254::Utf8Literal S>
constexpr const char *operator""_cp() {
    return cp1254::kLiteral<S>.text;
}
