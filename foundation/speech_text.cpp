// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/speech_text.h"

#include <algorithm>
#include <string_view>
#include <iterator>

#include "foundation/code_page.h"
#include "platform/utf8.h"

namespace cp1254 {

namespace {

// The plain letter of each character U+0100..U+017F (Latin Extended-A); the code page's own
// letters among them (Ğ, İ, Ş, Š, Œ, Ÿ, ...) are found before this table is asked.
constexpr std::u16string_view kLatinExtendedA =
    u"AaAaAaCcCcCcCcDd"  // U+0100
    u"DdEeEeEeEeEeGgĞğ"  // U+0110
    u"GgGgHhHhIiIiIiIi"  // U+0120
    u"İıIiJjKkkLlLlLlL"  // U+0130
    u"lLlNnNnNnnNnOoOo"  // U+0140
    u"ÖöŒœRrRrRrSsSsŞş"  // U+0150
    u"ŠšTtTtTtUuUuUuUu"  // U+0160
    u"ÜüUuWwYyŸZzZzZzs";  // U+0170

struct TReplacement {
    char32_t From;
    const char *To;  // UTF-8 text of Windows-1254 characters only; "" drops the character
};

// Sorted by From for a binary search.
constexpr TReplacement kReplacements[] = {
    {0x0391, "Alfa"}, {0x0392, "Beta"}, {0x0393, "Gama"}, {0x0394, "Delta"}, {0x03A0, "Pi"},
    {0x03A3, "Sigma"}, {0x03A9, "Omega"},
    {0x03B1, "alfa"}, {0x03B2, "beta"}, {0x03B3, "gama"}, {0x03B4, "delta"}, {0x03B5, "epsilon"},
    {0x03BB, "lamda"}, {0x03BC, "\u00B5"}, {0x03C0, "pi"}, {0x03C3, "sigma"}, {0x03C9, "omega"},
    {0x2010, "-"}, {0x2011, "-"}, {0x2012, "-"}, {0x2015, "\u2014"},
    {0x201B, "\u2018"}, {0x201F, "\u201C"}, {0x2023, "\u2022"}, {0x2027, "\u00B7"},
    {0x2028, "\n"}, {0x2029, "\n"},
    {0x2032, "'"}, {0x2033, "\""}, {0x2035, "'"}, {0x2036, "\""}, {0x2043, "\u2022"},
    {0x2044, "/"}, {0x204E, "*"},
    {0x20A1, " kolon "}, {0x20A3, " frank "}, {0x20A4, "\u00A3"}, {0x20A6, " naira "},
    {0x20A8, " rupi "}, {0x20A9, " von "}, {0x20AA, " şekel "}, {0x20AB, " dong "},
    {0x20AD, " kip "}, {0x20AE, " tugrik "}, {0x20B1, " peso "}, {0x20B4, " grivna "},
    {0x20B5, " sedi "}, {0x20B8, " tenge "}, {0x20B9, " rupi "}, {0x20BA, "TL"},
    {0x20BC, " manat "}, {0x20BD, " ruble "}, {0x20BE, " lari "}, {0x20BF, " bitcoin "},
    {0x2103, "\u00B0C"}, {0x2109, "\u00B0F"}, {0x2116, "No."},
    {0x2153, "1/3"}, {0x2154, "2/3"}, {0x2155, "1/5"}, {0x215B, "1/8"},
    {0x2212, "-"}, {0x2215, "/"}, {0x2219, "\u2022"}, {0x221E, " sonsuz "},
    {0x2248, " yaklaşık "}, {0x2260, " eşit değil "}, {0x2264, " küçük ya da eşit "},
    {0x2265, " büyük ya da eşit "},
    {0x25AA, "\u2022"}, {0x25AB, "\u2022"}, {0x25CF, "\u2022"}, {0x25E6, "\u2022"},
    {0xFE58, "-"}, {0xFE63, "-"},
};

static_assert(std::is_sorted(std::begin(kReplacements), std::end(kReplacements),
                             [](const TReplacement &a, const TReplacement &b) { return a.From < b.From; }));

bool Dropped(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) ||    // combining marks
           (c >= 0x200B && c <= 0x200F) ||    // zero-width and direction marks
           (c >= 0x202A && c <= 0x202E) ||    // direction embeddings
           (c >= 0x2060 && c <= 0x206F) ||    // word joiner, invisible operators
           (c >= 0x20D0 && c <= 0x20FF) ||    // combining marks for symbols
           (c >= 0x2190 && c <= 0x21FF) ||    // arrows
           (c >= 0x2300 && c <= 0x23FF) ||    // technical symbols (watch, hourglass, ...)
           (c >= 0x2460 && c <= 0x27BF) ||    // enclosed, boxes, shapes, symbols, dingbats
           (c >= 0x2900 && c <= 0x297F) ||    // arrows
           (c >= 0x2B00 && c <= 0x2BFF) ||    // arrows and symbols
           (c >= 0xE000 && c <= 0xF8FF) ||    // private use
           (c >= 0xFE00 && c <= 0xFE0F) ||    // variation selectors
           c == 0xFEFF || c == 0xFFFC || c == 0xFFFD ||
           (c >= 0x1F000 && c <= 0x1FAFF) ||  // emoji, pictographs, flags, skin tones
           (c >= 0xE0000 && c <= 0xE007F) ||  // tags
           (c >= 0xE0100 && c <= 0xE01EF);    // variation selectors
}

bool Space(char32_t c) {
    return (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0x1680;
}

}  // namespace

std::string FromUtf8ForSpeech(std::string_view utf8, int32_t &leftOut) {
    leftOut = 0;
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = utf8::Next(utf8, i);
        if (c == utf8::Invalid) {
            out += ' ';
            ++leftOut;
            continue;
        }
        if (c < 0x20 || c == 0x7F) {
            out += (c == '\t' || c == '\n' || c == '\r') ? char(c) : ' ';
            continue;
        }
        const int byte = FromUnicode(c);
        if (byte > 0) {
            out += char(byte);
            continue;
        }
        if (c >= 0x100 && c <= 0x17F) {
            out += char(FromUnicode(kLatinExtendedA[c - 0x100]));
            continue;
        }
        if (c >= 0xFF01 && c <= 0xFF5E) {  // full-width ASCII
            out += char(c - 0xFEE0);
            continue;
        }
        const auto *found = std::lower_bound(std::begin(kReplacements), std::end(kReplacements), c,
                                             [](const TReplacement &r, char32_t v) { return r.From < v; });
        if (found != std::end(kReplacements) && found->From == c) {
            out += FromUtf8(found->To);
            continue;
        }
        if (Dropped(c)) continue;
        out += ' ';
        if (!Space(c)) ++leftOut;
    }
    return out;
}

}  // namespace cp1254
