// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/xml_text.h"

#include <cstdint>
#include <cstring>

#include "platform/utf8.h"

std::string EscapeXmlText(const char *text) {
    return EscapeXmlText(text ? std::string_view(text, std::strlen(text)) : std::string_view());
}

std::string EscapeXmlText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (byte) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': out += "&#xD;"; break;
        case '\n': out += "&#xA;"; break;
        default:
            utf8::Append(out, byte);  // the byte as the character of that code
        }
    }
    return out;
}

namespace {

// Resolves the reference starting at xml[i] == '&'. Returns the number of characters it
// spans and stores its code, or 0 when it is not a reference this reader knows.
size_t ReadReference(std::string_view xml, size_t i, uint32_t &code) {
    const size_t semicolon = xml.find(';', i);
    if (semicolon == std::string_view::npos || semicolon - i > 12) return 0;
    const std::string_view name = xml.substr(i + 1, semicolon - i - 1);
    if (name == "amp") code = '&';
    else if (name == "lt") code = '<';
    else if (name == "gt") code = '>';
    else if (name == "quot") code = '"';
    else if (name == "apos") code = '\'';
    else if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) return 0;
        uint32_t value = 0;
        for (char d : digits) {
            uint32_t digit;
            if (d >= '0' && d <= '9') digit = uint32_t(d - '0');
            else if (hex && d >= 'a' && d <= 'f') digit = uint32_t(d - 'a' + 10);
            else if (hex && d >= 'A' && d <= 'F') digit = uint32_t(d - 'A' + 10);
            else return 0;
            value = value * (hex ? 16 : 10) + digit;
        }
        code = value;
    } else {
        return 0;
    }
    return semicolon - i + 1;
}

// Decodes the UTF-8 sequence at xml[i]. Returns its length and stores its code, or 0 when
// the bytes there are not a well-formed sequence.
size_t ReadUtf8(std::string_view xml, size_t i, uint32_t &code) {
    const auto lead = static_cast<unsigned char>(xml[i]);
    size_t extra;
    if ((lead & 0xE0) == 0xC0) { code = lead & 0x1F; extra = 1; }
    else if ((lead & 0xF0) == 0xE0) { code = lead & 0x0F; extra = 2; }
    else if ((lead & 0xF8) == 0xF0) { code = lead & 0x07; extra = 3; }
    else return 0;
    if (i + extra >= xml.size()) return 0;
    for (size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(xml[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    return extra + 1;
}

// Appends the bytes of `xml` to `out`; references are resolved only when `references` is set
// (CDATA content is taken literally apart from its UTF-8).
void Decode(std::string_view xml, bool references, std::string &out) {
    static constexpr std::string_view cdataOpen = "<![CDATA[";
    size_t i = 0;
    while (i < xml.size()) {
        const char ch = xml[i];
        uint32_t code = 0;
        size_t used = 0;
        if (references && ch == '&') {
            used = ReadReference(xml, i, code);
        } else if (references && ch == '<' && xml.substr(i, cdataOpen.size()) == cdataOpen) {
            const size_t end = xml.find("]]>", i + cdataOpen.size());
            if (end != std::string_view::npos) {
                Decode(xml.substr(i + cdataOpen.size(), end - i - cdataOpen.size()), false, out);
                i = end + 3;
                continue;
            }
        } else if (static_cast<unsigned char>(ch) >= 0x80) {
            used = ReadUtf8(xml, i, code);
        }
        if (used == 0) {
            out += ch;
            ++i;
        } else {
            out += static_cast<char>(code & 0xFF);
            i += used;
        }
    }
}

}  // namespace

std::string UnescapeXmlText(std::string_view xml) {
    std::string out;
    out.reserve(xml.size());
    Decode(xml, true, out);
    return out;
}
