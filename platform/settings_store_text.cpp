// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_store_text.h"

#include <cstdint>

#include "platform/utf8.h"

namespace settings_text {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

char16_t FoldUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') return char16_t(c - u'a' + u'A');
    switch (c) {
    case 0x0131:  // ı
    case 0x0130:  // İ
        return u'I';
    case 0x00E7: return 0x00C7;  // ç
    case 0x011F: return 0x011E;  // ğ
    case 0x00F6: return 0x00D6;  // ö
    case 0x015F: return 0x015E;  // ş
    case 0x00FC: return 0x00DC;  // ü
    default: return c;
    }
}

void AppendUtf16(std::u16string &out, char32_t c) {
    if (c < 0x10000) {
        out += char16_t(c);
    } else {
        c -= 0x10000;
        out += char16_t(0xD800 + (c >> 10));
        out += char16_t(0xDC00 + (c & 0x3FF));
    }
}

}  // namespace

std::u16string NormaliseKeyPath(std::u16string_view path) {
    std::u16string out;
    out.reserve(path.size());
    bool pendingSeparator = false;
    for (char16_t c : path) {
        if (IsSeparator(c)) {
            pendingSeparator = !out.empty();
            continue;
        }
        if (pendingSeparator) out += u'\\';
        pendingSeparator = false;
        out += c;
    }
    return out;
}

std::u16string Fold(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t &c : out) c = FoldUnit(c);
    return out;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        utf8::Append(out, c);
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = utf8::Next(text, i);
        AppendUtf16(out, c == utf8::Invalid ? char32_t(kReplacement) : c);
    }
    return out;
}

}  // namespace settings_text
