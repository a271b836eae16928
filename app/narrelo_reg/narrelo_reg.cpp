// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-reg: looks at and changes the per-user settings store, in the manner of Windows'
// reg tool.
//
//   narrelo-reg query  KEY [/v NAME | /ve]
//   narrelo-reg add    KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_BINARY] [/d DATA] [/f]
//   narrelo-reg delete KEY [/v NAME | /ve] [/f]
//
// KEY starts with HKCU or HKEY_CURRENT_USER (any letter case). Texts on the command line and
// on the terminal are UTF-8 (an argument that is not is refused); REG_SZ values are stored
// as UTF-16LE without terminator, REG_DWORD data is decimal or 0x-hexadecimal, REG_BINARY
// data is a string of hex digits. /v, /t and /d may each be given once.
// Exit status 0 on success, 1 on any failure (the message goes to standard error). add
// without /f asks before replacing an existing value and takes anything but "y"/"yes"
// (including the end of input) as no. delete never asks.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "foundation/registry.h"
#include "platform/settings_store.h"
#include "platform/settings_store_text.h"
#include "platform/utf8.h"

#include <sqlite3.h>

namespace {

using settings_text::FromUtf8;
using settings_text::ToUtf8;

constexpr const char *kRootName = "HKEY_CURRENT_USER";

struct TCommandLine {
    std::string Verb;
    std::u16string Key;        // below the root, normalised
    std::optional<std::u16string> Value;  // /v NAME, or "" for /ve
    std::string Type = "REG_SZ";
    std::optional<std::string> Data;
    bool Force = false;
};

struct TUsageError {
    std::string Text;
};

std::string Upper(std::string text) {
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

// The key path below the root, or nullopt when KEY does not name the current user's root.
std::optional<std::u16string> KeyBelowRoot(const std::string &key) {
    for (const std::string root : {"HKCU", kRootName}) {
        const std::string head = Upper(key.substr(0, root.size()));
        if (head != root) continue;
        if (key.size() == root.size()) return std::u16string();
        if (key[root.size()] == '\\' || key[root.size()] == '/')
            return settings_text::NormaliseKeyPath(FromUtf8(key.substr(root.size() + 1)));
    }
    return std::nullopt;
}

TCommandLine Parse(int argc, char **argv) {
    if (argc < 3) throw TUsageError{"ERROR: Invalid syntax."};
    // Two different malformed arguments would both decode to U+FFFD and name the same key
    // or value; only what can be stored faithfully is taken.
    for (int i = 1; i < argc; ++i)
        if (!utf8::IsValid(argv[i])) throw TUsageError{"ERROR: Invalid syntax. Arguments must be UTF-8 text."};
    TCommandLine line;
    line.Verb = Upper(argv[1]);
    if (line.Verb != "QUERY" && line.Verb != "ADD" && line.Verb != "DELETE")
        throw TUsageError{"ERROR: Invalid syntax."};
    const auto key = KeyBelowRoot(argv[2]);
    if (!key) throw TUsageError{"ERROR: Invalid key name."};
    line.Key = *key;
    bool typeGiven = false;
    for (int i = 3; i < argc; ++i) {
        std::string option = Upper(argv[i]);
        if (option.size() > 1 && option[0] == '-') option[0] = '/';
        const bool hasArgument = i + 1 < argc;
        // Each option at most once: a second /d, /t or /v is refused, never silently taken.
        if (option == "/V" && hasArgument && !line.Value) line.Value = FromUtf8(argv[++i]);
        else if (option == "/VE" && !line.Value) line.Value = u"";
        else if (option == "/T" && hasArgument && line.Verb == "ADD" && !typeGiven) {
            line.Type = Upper(argv[++i]);
            typeGiven = true;
        } else if (option == "/D" && hasArgument && line.Verb == "ADD" && !line.Data) line.Data = argv[++i];
        else if (option == "/F" && line.Verb != "QUERY") line.Force = true;
        else throw TUsageError{"ERROR: Invalid syntax."};
    }
    if (line.Type != "REG_SZ" && line.Type != "REG_DWORD" && line.Type != "REG_BINARY")
        throw TUsageError{"ERROR: Invalid syntax. Type must be REG_SZ, REG_DWORD or REG_BINARY."};
    return line;
}

// REG_DWORD data: decimal digits ("010" is ten) or "0x" and hexadecimal digits; nothing
// else (no sign, no blanks, no octal) and nothing above 0xFFFFFFFF.
uint32_t ParseDword(const std::string &data) {
    const TUsageError invalid{"ERROR: Invalid syntax. Specify valid numeric value for '/d'."};
    const bool hex = data.size() > 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X');
    if (data.empty()) throw invalid;
    uint64_t value = 0;
    for (std::size_t i = hex ? 2 : 0; i < data.size(); ++i) {
        const char c = data[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else throw invalid;
        value = value * (hex ? 16 : 10) + uint64_t(digit);
        if (value > 0xFFFFFFFFull) throw invalid;
    }
    return uint32_t(value);
}

std::vector<uint8_t> EncodeData(const std::string &type, const std::string &data) {
    std::vector<uint8_t> bytes;
    if (type == "REG_SZ") {
        for (char16_t c : FromUtf8(data)) {
            bytes.push_back(uint8_t(c));
            bytes.push_back(uint8_t(c >> 8));
        }
    } else if (type == "REG_DWORD") {
        const uint32_t value = ParseDword(data);
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
    } else {  // REG_BINARY
        auto nibble = [](char c) {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        if (data.size() % 2) throw TUsageError{"ERROR: Invalid syntax. Specify valid hexadecimal value for '/d'."};
        for (std::size_t i = 0; i < data.size(); i += 2) {
            const int high = nibble(data[i]), low = nibble(data[i + 1]);
            if (high < 0 || low < 0)
                throw TUsageError{"ERROR: Invalid syntax. Specify valid hexadecimal value for '/d'."};
            bytes.push_back(uint8_t(high * 16 + low));
        }
    }
    return bytes;
}

std::string TypeName(uint32_t type) {
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    default: return "REG_TYPE_" + std::to_string(type);
    }
}

std::string DataText(const TSettingsValue &value) {
    const std::vector<uint8_t> &d = value.Data;
    if (value.Type == REG_SZ) {
        std::u16string text(d.size() / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) text[i] = char16_t(d[2 * i] | (d[2 * i + 1] << 8));
        const std::size_t nul = text.find(u'\0');
        if (nul != std::u16string::npos) text.resize(nul);
        return ToUtf8(text);
    }
    if (value.Type == REG_DWORD && d.size() == 4) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%x", unsigned(d[0] | d[1] << 8 | d[2] << 16 | uint32_t(d[3]) << 24));
        return buffer;
    }
    std::string hex;
    for (uint8_t b : d) {
        static const char digits[] = "0123456789ABCDEF";
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

// `utf8` with every control character escaped, so that a stored name or text never drives
// the terminal: C0 controls and DEL as \xNN, the C1 controls U+0080..U+009F as \u00NN, and
// the backslash itself doubled only before an x or u, so that plain Windows paths stay as
// they are.
std::string TerminalSafe(const std::string &utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        char escaped[8];
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(utf8[i + 1]));
            out += escaped;
            ++i;
        } else if (c == '\\' && i + 1 < utf8.size() && (utf8[i + 1] == 'x' || utf8[i + 1] == 'u')) {
            out += "\\\\";
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string KeyName(const std::u16string &path) {
    return path.empty() ? std::string(kRootName) : std::string(kRootName) + "\\" + TerminalSafe(ToUtf8(path));
}

void PrintValue(const TSettingsValue &value) {
    const std::string name = value.Name.empty() ? "(Default)" : ToUtf8(value.Name);
    std::cout << "    " << TerminalSafe(name) << "    " << TypeName(value.Type) << "    "
              << TerminalSafe(DataText(value)) << "\n";
}

// Failures of the store itself.
struct TStoreFailure {
    TSettingsError Error;
};

void Check(const TSettingsError &e) {
    if (e) throw TStoreFailure{e};
}

const char *kNotFound = "ERROR: The system was unable to find the specified registry key or value.";

bool IsNotFound(const TSettingsError &e) { return e.Code == ENOENT && !e.FromSqlite; }

int Query(TSettingsStore &store, const TCommandLine &line) {
    TSettingsKey key;
    TSettingsError e = store.OpenKey(line.Key, key);
    if (IsNotFound(e)) return std::cerr << kNotFound << "\n", 1;
    Check(e);
    std::vector<TSettingsValue> values;
    Check(store.EnumValues(key, values));
    if (line.Value) {
        const std::u16string wanted = settings_text::Fold(*line.Value);
        for (const TSettingsValue &value : values) {
            if (settings_text::Fold(value.Name) != wanted) continue;
            std::cout << "\n" << KeyName(key.Path) << "\n";
            PrintValue(value);
            std::cout << "\n";
            return 0;
        }
        std::cerr << kNotFound << "\n";
        return 1;
    }
    std::cout << "\n" << KeyName(key.Path) << "\n";
    for (const TSettingsValue &value : values) PrintValue(value);
    std::vector<std::u16string> subKeys;
    Check(store.EnumSubKeys(key, subKeys));
    std::cout << "\n";
    for (const std::u16string &name : subKeys)
        std::cout << KeyName(key.Path.empty() ? name : key.Path + u"\\" + name) << "\n";
    return 0;
}

bool Confirm(const std::string &question) {
    std::cout << question << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    answer = Upper(answer);
    return answer == "Y" || answer == "YES";
}

int Add(TSettingsStore &store, const TCommandLine &line) {
    const std::vector<uint8_t> bytes = EncodeData(line.Type, line.Data.value_or(""));
    TSettingsKey key;
    Check(store.CreateKey(line.Key, key));
    if (line.Value) {
        const uint32_t type = line.Type == "REG_SZ" ? REG_SZ : line.Type == "REG_DWORD" ? REG_DWORD : REG_BINARY;
        TSettingsError exists = store.QueryValue(key, *line.Value, nullptr, nullptr, nullptr);
        if (!IsNotFound(exists)) Check(exists);
        const std::string shown = line.Value->empty() ? "(Default)" : ToUtf8(*line.Value);
        if (!exists && !line.Force && !Confirm("Value " + shown + " exists, overwrite(Yes/No)? ")) {
            std::cout << "The operation was canceled by the user.\n";
            return 1;
        }
        Check(store.SetValue(key, *line.Value, type, bytes.data(), bytes.size()));
    }
    std::cout << "The operation completed successfully.\n";
    return 0;
}

int Delete(TSettingsStore &store, const TCommandLine &line) {
    TSettingsError e;
    if (line.Value) {
        TSettingsKey key;
        e = store.OpenKey(line.Key, key);
        if (!e) e = store.DeleteValue(key, *line.Value);
    } else {
        if (line.Key.empty()) return std::cerr << "ERROR: Invalid key name.\n", 1;
        e = store.DeleteKey(line.Key);
    }
    if (IsNotFound(e)) return std::cerr << kNotFound << "\n", 1;
    Check(e);
    std::cout << "The operation completed successfully.\n";
    return 0;
}

constexpr const char *kUsage =
    "Usage: narrelo-reg query KEY [/v NAME | /ve]\n"
    "       narrelo-reg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_BINARY] [/d DATA] [/f]\n"
    "       narrelo-reg delete KEY [/v NAME | /ve] [/f]\n"
    "KEY starts with HKCU\\ or HKEY_CURRENT_USER\\.\n";

}  // namespace

int main(int argc, char **argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << "narrelo-reg: looks at and changes Narrelo's per-user settings store.\n"
                  << kUsage
                  << "REG_DWORD data is decimal or 0x hexadecimal, REG_BINARY data hex digits.\n"
                  << "Without /f, add asks before replacing a value. Exit status 0 on success, 1 on failure.\n"
                  << "The store is $XDG_CONFIG_HOME/valtrosa/registry.sqlite.\n";
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "narrelo-reg " << NARRELO_VERSION << "\n";
        return 0;
    }
    try {
        const TCommandLine line = Parse(argc, argv);
        TSettingsStore store;
        if (line.Verb == "QUERY") return Query(store, line);
        if (line.Verb == "ADD") return Add(store, line);
        return Delete(store, line);
    } catch (const TUsageError &e) {
        std::cerr << e.Text << "\n" << kUsage;
        return 1;
    } catch (const TStoreFailure &e) {
        std::cerr << "ERROR: " << SettingsErrorText(e.Error).ToUtf8();
        // SQLite's words for a damaged store say nothing of what to do.
        if (e.Error.FromSqlite && (e.Error.Code == SQLITE_CORRUPT || e.Error.Code == SQLITE_NOTADB))
            std::cerr << "\nThe settings store " << TSettingsStore::DefaultPath()
                      << " is damaged or not a settings store; move it away to start a new store.";
        std::cerr << "\n";
        return 1;
    }
}
