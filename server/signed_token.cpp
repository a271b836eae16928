// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/signed_token.h"

#include <array>
#include <cstring>

namespace {

constexpr char Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

constexpr std::array<int8_t, 256> MakeDecodeTable() {
    std::array<int8_t, 256> table{};
    for (auto &value : table) value = -1;
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(Alphabet[i])] = int8_t(i);
    return table;
}
constexpr std::array<int8_t, 256> DecodeTable = MakeDecodeTable();

}  // namespace

std::string Base64UrlEncode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = (uint32_t(byte(i)) << 16) | (uint32_t(byte(i + 1)) << 8) | byte(i + 2);
        out += Alphabet[(v >> 18) & 63];
        out += Alphabet[(v >> 12) & 63];
        out += Alphabet[(v >> 6) & 63];
        out += Alphabet[v & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest == 1) {
        const uint32_t v = uint32_t(byte(i)) << 16;
        out += Alphabet[(v >> 18) & 63];
        out += Alphabet[(v >> 12) & 63];
    } else if (rest == 2) {
        const uint32_t v = (uint32_t(byte(i)) << 16) | (uint32_t(byte(i + 1)) << 8);
        out += Alphabet[(v >> 18) & 63];
        out += Alphabet[(v >> 12) & 63];
        out += Alphabet[(v >> 6) & 63];
    }
    return out;
}

std::optional<std::string> Base64UrlDecode(std::string_view text) {
    if (text.size() % 4 == 1) return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3 + 2);
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int8_t value = DecodeTable[static_cast<unsigned char>(c)];
        if (value < 0) return std::nullopt;
        bits = (bits << 6) | uint32_t(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += char((bits >> count) & 0xFF);
        }
    }
    // The bits left over must be zero, so every token has exactly one text form.
    if (count > 0 && (bits & ((1u << count) - 1)) != 0) return std::nullopt;
    return out;
}

std::string MakeSignedToken(const TServerKey &key, std::string_view purpose,
                            std::string_view payload) {
    const TServerKey::TMac mac = key.Sign(purpose, payload);
    return Base64UrlEncode(payload) + "." +
           Base64UrlEncode(std::string_view(reinterpret_cast<const char *>(mac.data()), mac.size()));
}

std::optional<std::string> OpenSignedToken(const TServerKey &key, std::string_view purpose,
                                           std::string_view token) {
    const size_t dot = token.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::optional<std::string> payload = Base64UrlDecode(token.substr(0, dot));
    const std::optional<std::string> macBytes = Base64UrlDecode(token.substr(dot + 1));
    if (!payload || !macBytes || macBytes->size() != sizeof(TServerKey::TMac)) return std::nullopt;
    TServerKey::TMac mac{};
    std::memcpy(mac.data(), macBytes->data(), mac.size());
    if (!key.Verify(purpose, *payload, mac)) return std::nullopt;
    return payload;
}
