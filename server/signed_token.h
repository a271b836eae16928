// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Signed tokens: a payload the server hands out and later gets back, readable by anyone but
// changeable by no one without the server key. Text form (ASCII, safe in XML and URLs):
//
//   base64url(payload) "." base64url(HMAC-SHA-256(purpose NUL payload))
//
// without padding. Session identifiers and file identifiers are such tokens, each with its
// own purpose, so one never passes for the other.

#include <optional>
#include <string>
#include <string_view>

#include "server/server_key.h"

std::string MakeSignedToken(const TServerKey &key, std::string_view purpose,
                            std::string_view payload);
// The payload of a token whose signature holds; nullopt for anything else (malformed text,
// wrong signature, another purpose, another key).
std::optional<std::string> OpenSignedToken(const TServerKey &key, std::string_view purpose,
                                           std::string_view token);

// base64url without padding, and back (nullopt for a character outside the alphabet or an
// impossible length).
std::string Base64UrlEncode(std::string_view bytes);
std::optional<std::string> Base64UrlDecode(std::string_view text);
