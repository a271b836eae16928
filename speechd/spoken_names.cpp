// SPDX-License-Identifier: GPL-3.0-or-later
#include "speechd/spoken_names.h"

#include <cctype>
#include <cstdlib>
#include <utility>

#include "foundation/code_page.h"
#include "turkish/spelling.h"

namespace {

struct TMark {
    std::string_view Character;
    std::string_view Name;
    TPunctuation From;  // the least mode that reads it
};

constexpr TMark Marks[] = {
    {".", "nokta", TPunctuation::All},
    {",", "virgül", TPunctuation::All},
    {";", "noktalı virgül", TPunctuation::All},
    {":", "iki nokta", TPunctuation::All},
    {"?", "soru işareti", TPunctuation::All},
    {"!", "ünlem", TPunctuation::All},
    {"'", "kesme işareti", TPunctuation::All},
    {"\"", "tırnak", TPunctuation::Most},
    {"(", "parantez aç", TPunctuation::Most},
    {")", "parantez kapa", TPunctuation::Most},
    {"[", "köşeli parantez aç", TPunctuation::Most},
    {"]", "köşeli parantez kapa", TPunctuation::Most},
    {"{", "süslü parantez aç", TPunctuation::Most},
    {"}", "süslü parantez kapa", TPunctuation::Most},
    {"-", "tire", TPunctuation::Most},
    {"…", "üç nokta", TPunctuation::Most},
    {"«", "tırnak aç", TPunctuation::Most},
    {"»", "tırnak kapa", TPunctuation::Most},
    {"“", "tırnak aç", TPunctuation::Most},
    {"”", "tırnak kapa", TPunctuation::Most},
    {"’", "kesme işareti", TPunctuation::Most},
    {"–", "tire", TPunctuation::Most},
    {"—", "uzun tire", TPunctuation::Most},
    {"@", "et", TPunctuation::Some},
    {"#", "diyez", TPunctuation::Some},
    {"$", "dolar", TPunctuation::Some},
    {"€", "avro", TPunctuation::Some},
    {"₺", "lira", TPunctuation::Some},
    {"%", "yüzde", TPunctuation::Some},
    {"&", "ve işareti", TPunctuation::Some},
    {"*", "yıldız", TPunctuation::Some},
    {"+", "artı", TPunctuation::Some},
    {"=", "eşittir", TPunctuation::Some},
    {"<", "küçüktür", TPunctuation::Some},
    {">", "büyüktür", TPunctuation::Some},
    {"/", "eğik çizgi", TPunctuation::Some},
    {"\\", "ters eğik çizgi", TPunctuation::Some},
    {"|", "dikey çizgi", TPunctuation::Some},
    {"_", "alt çizgi", TPunctuation::Some},
    {"^", "şapka", TPunctuation::Some},
    {"~", "tilda", TPunctuation::Some},
    {"`", "ters kesme", TPunctuation::Some},
};

const TMark *FindMark(std::string_view character) {
    for (const TMark &mark : Marks)
        if (mark.Character == character) return &mark;
    return nullptr;
}

constexpr std::string_view Digits[] = {"sıfır", "bir",  "iki",  "üç",    "dört",
                                       "beş",   "altı", "yedi", "sekiz", "dokuz"};

constexpr std::pair<std::string_view, std::string_view> Keys[] = {
    {"space", "boşluk"},
    {"underscore", "alt çizgi"},
    {"double-quote", "tırnak"},
    {"alt", "alt"},
    {"control", "kontrol"},
    {"hyper", "hiper"},
    {"meta", "meta"},
    {"shift", "üst karakter"},
    {"super", "süper"},
    {"backspace", "geri sil"},
    {"break", "kes"},
    {"delete", "sil"},
    {"down", "aşağı ok"},
    {"end", "son"},
    {"enter", "giriş"},
    {"escape", "çıkış"},
    {"home", "baş"},
    {"insert", "ekle"},
    {"left", "sol ok"},
    {"menu", "menü"},
    {"next", "sonraki sayfa"},
    {"num-lock", "sayı kilidi"},
    {"pause", "duraklat"},
    {"print", "ekran görüntüsü"},
    {"prior", "önceki sayfa"},
    {"return", "giriş"},
    {"right", "sağ ok"},
    {"scroll-lock", "kaydırma kilidi"},
    {"tab", "sekme"},
    {"up", "yukarı ok"},
    {"window", "pencere"},
    {"caps-lock", "büyük harf kilidi"},
};

// "12" as Turkish words: the digits' names for one digit, "on", "yirmi bir" up to 24.
std::string Number(int n) {
    static constexpr std::string_view Tens[] = {"", "on", "yirmi"};
    std::string out(Tens[n / 10]);
    if (n % 10 != 0 || n < 10) {
        if (!out.empty()) out += ' ';
        out += Digits[n % 10];
    }
    return out;
}

}  // namespace

size_t FirstCharacterLength(std::string_view text) {
    if (text.empty()) return 0;
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 1;
    if (length > text.size()) return 1;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
    return length;
}

bool IsCapital(std::string_view character) {
    const std::string cp = cp1254::FromUtf8(character);
    if (cp.size() != 1) return false;
    const unsigned char c = static_cast<unsigned char>(cp[0]);
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

std::string CharacterName(std::string_view character) {
    if (character == " ") return "boşluk";
    if (character == "\t") return "sekme";
    if (character == "\n" || character == "\r") return "satır sonu";
    if (character.size() == 1 && std::isdigit(static_cast<unsigned char>(character[0])))
        return std::string(Digits[character[0] - '0']);
    if (const TMark *mark = FindMark(character)) return std::string(mark->Name);
    const std::string cp = cp1254::FromUtf8(character);
    if (cp.size() == 1) {
        const std::string name = turkish::LetterName(static_cast<unsigned char>(cp[0]));
        if (!name.empty()) return cp1254::ToUtf8(name);
    }
    return std::string(character);
}

std::string KeyName(std::string_view key) {
    std::string out;
    const auto add = [&out](std::string_view name) {
        if (!out.empty()) out += ' ';
        out += name;
    };
    const auto one = [&](std::string_view name) {
        for (const auto &[symbol, reading] : Keys)
            if (symbol == name) return add(reading);
        if (name.size() >= 2 && name[0] == 'f' &&
            std::isdigit(static_cast<unsigned char>(name[1]))) {
            const int n = std::atoi(std::string(name.substr(1)).c_str());
            if (n >= 1 && n <= 24) {
                add("ef");
                return add(Number(n));
            }
        }
        if (name.size() > 3 && name.substr(0, 3) == "kp-") {
            add("tuş takımı");
            const std::string_view rest = name.substr(3);
            for (const auto &[symbol, reading] : Keys)
                if (symbol == rest) return add(reading);
            return add(CharacterName(rest));
        }
        add(CharacterName(name));
    };
    // Prefixes end with "_"; the key itself may be "_" or contain none.
    size_t at = 0;
    for (;;) {
        const size_t underscore = key.find('_', at);
        if (underscore == std::string_view::npos || underscore == at) break;
        one(key.substr(at, underscore - at));
        at = underscore + 1;
    }
    if (at < key.size()) one(key.substr(at));
    return out;
}

std::string NamePunctuation(std::string_view text, TPunctuation mode) {
    if (mode == TPunctuation::None) return std::string(text);
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const size_t length = FirstCharacterLength(text.substr(at));
        const std::string_view character = text.substr(at, length);
        const TMark *mark = FindMark(character);
        if (mark != nullptr && int(mode) >= int(mark->From)) {
            out += ' ';
            out += mark->Name;
            out += ' ';
        } else {
            out += character;
        }
        at += length;
    }
    return out;
}
