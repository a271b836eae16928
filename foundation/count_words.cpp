// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/count_words.h"

#include <array>
#include <cstring>

#include "foundation/code_page.h"
#include "foundation/no_space_parser.h"

namespace {

// The characters that make a token a word, as Windows-1254 bytes. The lower-case half has
// w, the upper-case half has no W: a token of capital Ws alone is not counted.
constexpr const char *WordAlphabet =
    "0123456789abcçdefgğhıijklmnoöprsştuüvyzxwqABCÇDEFGĞHIİJKLMNOÖPRSŞTUÜVYZXQ"_cp;

constexpr std::array<bool, 256> MakeWordCharacters() {
    std::array<bool, 256> table{};
    for (const char *p = WordAlphabet; *p; ++p) table[static_cast<unsigned char>(*p)] = true;
    return table;
}

constexpr std::array<bool, 256> WordCharacters = MakeWordCharacters();

bool HoldsWordCharacter(const char *token, int32_t length) {
    for (int32_t i = 0; i < length; ++i)
        if (WordCharacters[static_cast<unsigned char>(token[i])]) return true;
    return false;
}

}  // namespace

int32_t CountWords(const char *text, int32_t length) {
    if (length <= 0 || text == nullptr) return 0;
    TNoSpaceParser parser;
    parser.SetText(text, int32_t(std::strlen(text)));
    int32_t words = 0;
    int32_t tokenLength = 0;
    while (const char *token = parser.NextWord(tokenLength))
        if (tokenLength > 0 && HoldsWordCharacter(token, tokenLength)) ++words;
    return words;
}
