// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/service/support/service_fixtures.h"

#include <algorithm>

#include "foundation/memory_stream.h"
#include "records/demo_audios.h"
#include "protocol/encrypted_raw_data.h"
#include "records/narrelo_cumles.h"
#include "records/valtrosa_files.h"
#include "tests/service/support/soap_test_server.h"

std::string LoginReply(std::string_view clientID, std::string_view session) {
    return SoapEnvelope("<ns1:LoginResponse><ClientID>" + std::string(clientID) +
                        "</ClientID><return>" + std::string(session) +
                        "</return></ns1:LoginResponse>");
}

std::string ReturnReply(std::string_view operation, std::string_view value) {
    const std::string name(operation);
    return SoapEnvelope("<ns1:" + name + "Response><return>" + std::string(value) +
                        "</return></ns1:" + name + "Response>");
}

std::string RequestElement(const std::string &request) {
    const size_t open = request.find("<SOAP-ENV:Body");
    const size_t end = request.find("</SOAP-ENV:Body>");
    if (open == std::string::npos || end == std::string::npos) return "(no body)";
    const size_t start = request.find('>', open) + 1;
    return request.substr(start, end - start);
}

std::vector<std::string> Operations(const std::vector<std::string> &requests) {
    std::vector<std::string> names;
    for (const std::string &request : requests) {
        const std::string element = RequestElement(request);
        const size_t colon = element.find(':');
        const size_t end = element.find_first_of(" >/", colon);
        names.push_back(colon == std::string::npos || end == std::string::npos
                            ? "(unknown)"
                            : element.substr(colon + 1, end - colon - 1));
    }
    return names;
}

std::string SentencesReply(const std::vector<std::string> &texts) {
    TNarreloCumles list;
    list.OwnsItems = true;
    int32_t start = 0;
    for (const std::string &text : texts) {
        TNarreloCumle *sentence = list.CreateItem();
        list.Add(sentence);
        sentence->Text = text.c_str();
        sentence->Start = start;
        sentence->Length = int32_t(text.size());
        start += int32_t(text.size()) + 1;
    }
    return ReturnReply("ParseSentences", Base64(ScrambledBlock(Serialized(list), 7)));
}

std::string AudiosReply(const std::vector<std::string> &fileIds) {
    TDemoAudios list;
    for (const std::string &id : fileIds) {
        TDemoAudio *audio = list.CreateItem();
        list.Add(audio);
        audio->FileId = id.c_str();
    }
    return AudiosReply(list);
}

std::string AudiosReply(TDemoAudios &audios) {
    return ReturnReply("Synthesise", Base64(Serialized(audios)));
}

std::string Base64(const std::vector<uint8_t> &bytes) {
    static constexpr char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = uint32_t(bytes[i]) << 16 |
                           (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < bytes.size() ? uint32_t(bytes[i + 2]) : 0);
        out += digits[n >> 18 & 63];
        out += digits[n >> 12 & 63];
        out += i + 1 < bytes.size() ? digits[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? digits[n & 63] : '=';
    }
    return out;
}

std::vector<uint8_t> Serialized(TValtrosaFiles &list) {
    TMemoryStream stream;
    list.SaveToStream(stream);
    return {stream.Memory(), stream.Memory() + stream.DataSize()};
}

std::vector<uint8_t> ScrambledBlock(const std::vector<uint8_t> &payload, uint8_t firstSelector) {
    const size_t chunks = (payload.size() + 255) / 256;
    std::vector<uint8_t> block(8 + payload.size() + chunks);
    const auto put = [&](size_t at, uint32_t value) {
        for (int b = 0; b < 4; ++b) block[at + size_t(b)] = uint8_t(value >> (8 * b));
    };
    put(0, uint32_t(8 + payload.size()));  // KeyOffset: the selectors follow the payload
    put(4, uint32_t(chunks));              // KeyLength
    std::copy(payload.begin(), payload.end(), block.begin() + 8);
    for (size_t k = 0; k < chunks; ++k) block[8 + payload.size() + k] = uint8_t(firstSelector + k);
    // Scrambling is the same XOR as unscrambling.
    TEnCryptedRawData scrambler;
    scrambler.Unscramble(block.data(), int32_t(block.size()));
    return block;
}
