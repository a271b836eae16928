// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/code_page.h"

#include "platform/utf8.h"

namespace cp1254 {

namespace {

// The byte of every BMP character that has one; 0 for none (NUL itself is handled apart).
struct ReverseTable {
    unsigned char byte[0x10000] = {};
    constexpr ReverseTable() {
        for (int i = 1; i < 256; ++i) byte[ToUnicode(static_cast<unsigned char>(i))] = static_cast<unsigned char>(i);
    }
};

constexpr ReverseTable kReverse;

char ByteOf(char32_t c) {
    if (c == 0) return '\0';
    if (c < 0x10000 && kReverse.byte[c] != 0) return static_cast<char>(kReverse.byte[c]);
    return '?';
}

}  // namespace

std::string FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = utf8::Next(utf8, i);
        out += c == utf8::Invalid ? '?' : ByteOf(c);
    }
    return out;
}

std::string ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) utf8::Append(out, ToUnicode(static_cast<unsigned char>(ch)));
    return out;
}

std::u16string ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char ch : bytes) out += ToUnicode(static_cast<unsigned char>(ch));
    return out;
}

std::string FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;  // a surrogate pair is one character outside the code page
            out += '?';
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += '?';
        } else {
            out += ByteOf(u);
        }
    }
    return out;
}

}  // namespace cp1254
