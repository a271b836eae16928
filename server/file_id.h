// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File identifiers carry the whole synthesis request, its text zlib-compressed, so that any
// server process with the key can answer a file request from its cache or by synthesising
// again: the cache is only a cache. The request is sealed (AES-256-GCM under a key derived
// from the server key, a random nonce each time), so an identifier shows nothing of its text
// to whoever holds it without the key, and no one can change or make one. Text form:
// base64url (without padding) of nonce (12 bytes), the sealed payload, tag (16 bytes).
//
// Payload: byte format (1 a sentence as submitted, 2 a piece whose text is its words as
// spoken, 3 and 4 a part of the speech of either), byte IsXml, Int32 Speaker, Volume, Speed,
// FileType, for a part Int32 PartFrom and PartTo, Int32 text length, then the zlib stream of
// the text.

#include <optional>
#include <string>
#include <string_view>

#include "server/server_key.h"
#include "speech/synthesis_request.h"

// A stable digest of the request (SHA-256, 64 hex digits): the cache's file name.
std::string RequestDigest(const TSynthesisRequest &request);

std::string MakeFileId(const TServerKey &key, const TSynthesisRequest &request);
// The request of a genuine identifier; nullopt for a forged, malformed or foreign one, or one
// whose text would be longer than `maxTextBytes`.
std::optional<TSynthesisRequest> ReadFileId(const TServerKey &key, std::string_view fileId,
                                            size_t maxTextBytes);
