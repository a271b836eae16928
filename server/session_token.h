// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Session identifiers: stateless signed tokens (signed_token.h) that carry the client
// identifier, the time of issue and the expiry, so any process holding the server key
// accepts them, also after a restart. Times are seconds since the Unix epoch.
//
// Payload: byte 1 (format), UInt64 issued, UInt64 expires, then the client identifier's
// bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "server/server_key.h"

enum class TSessionCheck {
    Valid,
    Unknown,  // not a session of a server with this key: malformed, forged, another key
    Expired,  // genuine, but its time is up
};

struct TSessionInfo {
    TSessionCheck Check = TSessionCheck::Unknown;
    std::string ClientID;   // when Valid or Expired
    uint64_t Issued = 0;
    uint64_t Expires = 0;
};

std::string IssueSession(const TServerKey &key, std::string_view clientID, uint64_t now,
                         uint64_t lifetimeSeconds);
// A token whose expiry is `now` or earlier is Expired.
TSessionInfo CheckSession(const TServerKey &key, std::string_view token, uint64_t now);

// A new client identifier: 32 lower-case hex digits of random bytes.
std::string NewClientID();
