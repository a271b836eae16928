// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/session_token.h"

#include "protocol/byte_fields.h"
#include "server/signed_token.h"

namespace {

constexpr std::string_view Purpose = "narrelo-session";
constexpr uint8_t Format = 1;

}  // namespace

std::string IssueSession(const TServerKey &key, std::string_view clientID, uint64_t now,
                         uint64_t lifetimeSeconds) {
    std::string payload(1, char(Format));
    PutUInt64(payload, now);
    PutUInt64(payload, now + lifetimeSeconds);
    payload.append(clientID);
    return MakeSignedToken(key, Purpose, payload);
}

TSessionInfo CheckSession(const TServerKey &key, std::string_view token, uint64_t now) {
    TSessionInfo info;
    const std::optional<std::string> payload = OpenSignedToken(key, Purpose, token);
    if (!payload) return info;
    TByteReader reader(*payload);
    uint8_t format = 0;
    if (!reader.Byte(format) || format != Format || !reader.UInt64(info.Issued) ||
        !reader.UInt64(info.Expires))
        return info;
    info.ClientID = std::string(reader.Rest());
    info.Check = info.Expires <= now ? TSessionCheck::Expired : TSessionCheck::Valid;
    return info;
}

std::string NewClientID() {
    static constexpr char Hex[] = "0123456789abcdef";
    const std::string bytes = RandomBytes(16);
    std::string id;
    for (char c : bytes) {
        id += Hex[(static_cast<unsigned char>(c) >> 4) & 15];
        id += Hex[static_cast<unsigned char>(c) & 15];
    }
    return id;
}
