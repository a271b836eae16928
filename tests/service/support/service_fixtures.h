// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Canned answers of the speech service and helpers to read recorded requests, shared by
// the service tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TValtrosaFiles;
class TDemoAudios;

// The envelope of a Login answer.
std::string LoginReply(std::string_view clientID, std::string_view session);
// The envelope of an answer whose one child is `return` with `value` as its text.
std::string ReturnReply(std::string_view operation, std::string_view value);
// The content of SOAP-ENV:Body of a recorded request.
std::string RequestElement(const std::string &request);
// The operation names of recorded requests, in order ("Login", "ParseSentences", ...).
std::vector<std::string> Operations(const std::vector<std::string> &requests);

// A ParseSentences answer holding `texts` as sentences (the service's own speaker 0), each
// starting one character after the end of the one before.
std::string SentencesReply(const std::vector<std::string> &texts);
// A Synthesise answer with one audio item per file id, without bytes.
std::string AudiosReply(const std::vector<std::string> &fileIds);
// A Synthesise answer carrying `audios` as they are.
std::string AudiosReply(TDemoAudios &audios);

std::string Base64(const std::vector<uint8_t> &bytes);
// The serialisation of a record list (count and bodies).
std::vector<uint8_t> Serialized(TValtrosaFiles &list);
// A block as the service sends a sentence list: the 8-byte header, `payload` scrambled with
// the key table, one row selector per 256-byte chunk (`firstSelector`, then each next
// value) at the end.
std::vector<uint8_t> ScrambledBlock(const std::vector<uint8_t> &payload, uint8_t firstSelector);
