// SPDX-License-Identifier: GPL-3.0-or-later
#include "turkish/numbers.h"

#include "foundation/code_page.h"
#include "turkish/letters.h"

namespace turkish {
namespace {

const char *const kOnes[10] = {"sıfır"_cp, "bir", "iki", "üç"_cp, "dört"_cp,
                               "beş"_cp,   "altı"_cp, "yedi", "sekiz", "dokuz"};
const char *const kTens[10] = {"", "on", "yirmi", "otuz", "kırk"_cp,
                               "elli", "altmış"_cp, "yetmiş"_cp, "seksen", "doksan"};
const char *const kScales[7] = {"", "bin", "milyon", "milyar", "trilyon", "katrilyon", ""};

void Append(std::string &out, std::string_view word) {
    if (word.empty()) return;
    if (!out.empty()) out += ' ';
    out += word;
}

// 1..999
void AppendHundreds(std::string &out, int n) {
    int h = n / 100, t = n / 10 % 10, o = n % 10;
    if (h > 1) Append(out, kOnes[h]);
    if (h > 0) Append(out, "yüz"_cp);
    if (t > 0) Append(out, kTens[t]);
    if (o > 0) Append(out, kOnes[o]);
}

}  // namespace

std::string_view DigitName(int digit) { return kOnes[digit]; }

std::string Cardinal(std::uint64_t n) {
    if (n == 0) return kOnes[0];
    int groups[7] = {};
    int count = 0;
    while (n > 0 && count < 6) {
        groups[count++] = int(n % 1000);
        n /= 1000;
    }
    std::string out;
    for (int g = count - 1; g >= 0; --g) {
        if (groups[g] == 0) continue;
        if (!(g == 1 && groups[g] == 1)) AppendHundreds(out, groups[g]);  // "bin", not "bir bin"
        Append(out, kScales[g]);
    }
    return out;
}

bool DigitValue(std::string_view digits, std::uint64_t &value) {
    if (digits.empty() || digits.size() > 18) return false;
    value = 0;
    for (char c : digits) {
        if (!IsDigit((unsigned char)c)) return false;
        value = value * 10 + std::uint64_t(c - '0');
    }
    return true;
}

std::string DigitRun(std::string_view digits) {
    for (char c : digits)
        if (!IsDigit((unsigned char)c)) return {};
    std::string out;
    std::size_t zeros = 0;
    while (zeros + 1 < digits.size() && digits[zeros] == '0') Append(out, kOnes[0]), ++zeros;
    std::string_view rest = digits.substr(zeros);
    std::uint64_t value;
    if (DigitValue(rest, value)) {
        Append(out, Cardinal(value));
    } else {
        for (char c : rest) Append(out, kOnes[c - '0']);
    }
    return out;
}

}  // namespace turkish
