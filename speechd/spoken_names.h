// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the module says for one character, one key and one punctuation mark, in Turkish
// (UTF-8): letters and digits by their names, keys by the names speech-dispatcher's KEY
// command gives them, punctuation by its name.

#include <string>
#include <string_view>

enum class TPunctuation { None, Some, Most, All };

// The name of one UTF-8 character: "a", "be", "çe", "beş", "virgül", "boşluk"; a capital's
// name is the lower-case letter's. The character itself when it has no name.
std::string CharacterName(std::string_view character);
// Whether `character` (one UTF-8 character) is a capital letter.
bool IsCapital(std::string_view character);
// A KEY command's key name: "control_alt_delete" is "kontrol alt sil", "shift_a" "üst
// karakter a", "kp-enter" "tuş takımı giriş", "f5" "ef beş".
std::string KeyName(std::string_view key);
// `text` with the punctuation marks `mode` reads replaced by their names between spaces.
// None: unchanged. Some: the signs that are not sentence punctuation (@ # $ % & * + = / \ _
// and the like). Most: those and brackets, quotes and dashes. All: every mark.
std::string NamePunctuation(std::string_view text, TPunctuation mode);
// The first UTF-8 character of `text` and its length in bytes (1 for a broken sequence).
size_t FirstCharacterLength(std::string_view text);
