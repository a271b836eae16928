#include "tests/service/support/service_fixtures.h"

#include <algorithm>

#include "foundation/memory_stream.h"
#include "records/encrypted_raw_data.h"
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
