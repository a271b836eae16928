// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/utf8.h"

namespace utf8 {

char32_t Next(std::string_view text, std::size_t &at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    std::size_t extra;
    char32_t c;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) { extra = 1; c = lead & 0x1F; minimum = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; c = lead & 0x0F; minimum = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; c = lead & 0x07; minimum = 0x10000; }
    else {
        ++at;
        return Invalid;
    }
    std::size_t k = 1;
    for (; k <= extra && at + k < text.size(); ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) break;
        c = (c << 6) | (next & 0x3F);
    }
    at += k;
    if (k <= extra) return Invalid;  // cut off
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return Invalid;
    return c;
}

bool IsValid(std::string_view text) {
    for (std::size_t at = 0; at < text.size();)
        if (Next(text, at) == Invalid) return false;
    return true;
}

void Append(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace utf8
