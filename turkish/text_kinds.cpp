// SPDX-License-Identifier: GPL-3.0-or-later
// NormaliseForSpeech: the reading of a text by its kind. Words-based kinds go through the
// running-text reader; licence plates and phone numbers are read by their own layout.

#include "turkish/turkish_text.h"

#include "turkish/letters.h"
#include "turkish/numbers.h"
#include "turkish/reader.h"
#include "turkish/spelling.h"

#include <vector>

namespace turkish {
namespace {

void Append(std::string &out, std::string_view words) {
    if (words.empty()) return;
    if (!out.empty()) out += ' ';
    out += words;
}

}  // namespace

// A Turkish plate: the province number (01-81), one to three letters, a number of two to
// four digits ("34 ABC 123", "06 A 1234", "35AB123"). Each part is read separately: the
// numbers with their leading zeros as "sıfır", the letters by name.
std::string ReadPlate(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        std::size_t j = i;
        if (IsDigit(c)) {
            while (j < text.size() && IsDigit((unsigned char)text[j])) ++j;
            Append(out, DigitRun(text.substr(i, j - i)));
        } else if (IsLetter(c)) {
            while (j < text.size() && IsLetter((unsigned char)text[j])) ++j;
            Append(out, Spell(text.substr(i, j - i)));
        } else {
            j = i + 1;  // spaces, hyphens and dots between the parts are not read
        }
        i = j;
    }
    return out;
}

// A phone number: group by group as written, each group as a number with its leading
// zeros as "sıfır"; "+" as "artı". Digits written without separators are grouped the way
// Turkish numbers are said: 0532 123 45 67, 532 123 45 67, 90 532 123 45 67, 444 0 123, 212 45 67.
std::string ReadPhone(std::string_view text) {
    std::vector<std::string_view> runs;
    bool onlyDigits = true;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        if (IsDigit(c)) {
            std::size_t j = i;
            while (j < text.size() && IsDigit((unsigned char)text[j])) ++j;
            runs.push_back(text.substr(i, j - i));
            i = j;
        } else {
            if (!IsSpace(c) && c != '+') onlyDigits = false;
            ++i;
        }
    }
    auto grouped = [](std::string_view digits) {
        std::vector<int> sizes;
        const std::size_t n = digits.size();
        if (n == 11 && digits[0] == '0') sizes = {4, 3, 2, 2};
        else if (n == 12 && digits.substr(0, 2) == "90") sizes = {2, 3, 3, 2, 2};
        else if (n == 10) sizes = {3, 3, 2, 2};
        else if (n == 7 && digits.substr(0, 3) == "444") sizes = {3, 1, 3};
        else if (n == 7) sizes = {3, 2, 2};
        else {
            std::size_t left = n;
            while (left > 4) sizes.push_back(3), left -= 3;
            if (left == 4) sizes.push_back(2), sizes.push_back(2);
            else if (left > 0) sizes.push_back(int(left));
        }
        std::vector<std::string_view> groups;
        std::size_t at = 0;
        for (int s : sizes) groups.push_back(digits.substr(at, s)), at += s;
        return groups;
    };

    std::string out;
    if (runs.size() == 1 && onlyDigits) {
        if (text.find('+') != std::string_view::npos) Append(out, "art\xFD");  // artı
        for (std::string_view g : grouped(runs[0])) Append(out, DigitRun(g));
        return out;
    }
    // Formatted: each written group; words (such as "dahili") read as running text.
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        std::size_t j = i + 1;
        if (IsDigit(c)) {
            j = i;
            while (j < text.size() && IsDigit((unsigned char)text[j])) ++j;
            Append(out, DigitRun(text.substr(i, j - i)));
        } else if (c == '+') {
            Append(out, "art\xFD");
        } else if (IsLetter(c)) {
            j = i;
            while (j < text.size() && !IsSpace((unsigned char)text[j]) && !IsDigit((unsigned char)text[j])) ++j;
            Append(out, ReadText(text.substr(i, j - i), 0));
        }
        i = j;
    }
    return out;
}

}  // namespace turkish

std::string NormaliseForSpeech(std::string_view text, int kind) {
    switch (kind) {
        case 4: return turkish::ReadPlate(text);
        case 5: return turkish::ReadPhone(text);
        case 1: case 2: case 3: return turkish::ReadText(text, kind);
        default: return turkish::ReadText(text, 0);
    }
}
