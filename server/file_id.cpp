// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/file_id.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <zlib.h>

#include "protocol/byte_fields.h"
#include "server/signed_token.h"

namespace {

constexpr std::string_view Purpose = "narrelo-file";
// The sealing key is derived from the server key for this use alone, so it is never the
// key of a signature too.
constexpr std::string_view SealingPurpose = "narrelo-file-sealing";
constexpr size_t NonceBytes = 12;
constexpr size_t TagBytes = 16;
// 1: a sentence as submitted; 2: a piece of one, its words as spoken; 3 and 4: a part of
// the speech of either (PartFrom and PartTo follow FileType).
constexpr uint8_t SubmittedFormat = 1;
constexpr uint8_t SpokenFormat = 2;
constexpr uint8_t PartFormats = 2;  // added to the format of the whole

std::string Fields(const TSynthesisRequest &request) {
    const uint8_t format = uint8_t((request.IsSpoken ? SpokenFormat : SubmittedFormat) +
                                   (request.IsPart() ? PartFormats : 0));
    std::string out(1, char(format));
    out += char(request.IsXml ? 1 : 0);
    PutInt32(out, request.Speaker);
    PutInt32(out, request.Volume);
    PutInt32(out, request.Speed);
    PutInt32(out, request.FileType);
    if (request.IsPart()) {
        PutInt32(out, request.PartFrom);
        PutInt32(out, request.PartTo);
    }
    PutInt32(out, int32_t(request.Text.size()));
    return out;
}

using TCipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

TCipherContext NewContext() {
    TCipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!context) throw std::runtime_error("no cipher context");
    return context;
}

// nonce, AES-256-GCM of `payload` under the sealing key (the purpose as associated data),
// then the tag.
std::string Seal(const TServerKey &key, std::string_view payload) {
    const TServerKey::TMac sealing = key.Sign(SealingPurpose, "");
    std::string out = RandomBytes(NonceBytes);
    out.resize(NonceBytes + payload.size() + TagBytes);
    auto *bytes = reinterpret_cast<unsigned char *>(out.data());
    TCipherContext context = NewContext();
    int length = 0, last = 0;
    if (EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, int(NonceBytes), nullptr) != 1 ||
        EVP_EncryptInit_ex(context.get(), nullptr, nullptr, sealing.data(), bytes) != 1 ||
        EVP_EncryptUpdate(context.get(), nullptr, &length,
                          reinterpret_cast<const unsigned char *>(Purpose.data()),
                          int(Purpose.size())) != 1 ||
        EVP_EncryptUpdate(context.get(), bytes + NonceBytes, &length,
                          reinterpret_cast<const unsigned char *>(payload.data()),
                          int(payload.size())) != 1 ||
        EVP_EncryptFinal_ex(context.get(), bytes + NonceBytes + length, &last) != 1 ||
        size_t(length + last) != payload.size() ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, int(TagBytes),
                            bytes + NonceBytes + payload.size()) != 1)
        throw std::runtime_error("AES-256-GCM sealing failed");
    return out;
}

// The payload of a sealed identifier whose tag holds; nullopt for anything else.
std::optional<std::string> Open(const TServerKey &key, std::string_view sealed) {
    if (sealed.size() < NonceBytes + TagBytes) return std::nullopt;
    const TServerKey::TMac sealing = key.Sign(SealingPurpose, "");
    const auto *bytes = reinterpret_cast<const unsigned char *>(sealed.data());
    const size_t size = sealed.size() - NonceBytes - TagBytes;
    std::string payload(size, '\0');
    unsigned char tag[TagBytes];
    std::copy(bytes + NonceBytes + size, bytes + sealed.size(), tag);
    TCipherContext context = NewContext();
    int length = 0, last = 0;
    unsigned char spare = 0;  // a valid pointer for an empty payload
    unsigned char *target = size > 0 ? reinterpret_cast<unsigned char *>(payload.data()) : &spare;
    if (EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, int(NonceBytes), nullptr) != 1 ||
        EVP_DecryptInit_ex(context.get(), nullptr, nullptr, sealing.data(), bytes) != 1 ||
        EVP_DecryptUpdate(context.get(), nullptr, &length,
                          reinterpret_cast<const unsigned char *>(Purpose.data()),
                          int(Purpose.size())) != 1 ||
        EVP_DecryptUpdate(context.get(), target, &length, bytes + NonceBytes, int(size)) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, int(TagBytes), tag) != 1 ||
        EVP_DecryptFinal_ex(context.get(), target + length, &last) != 1)
        return std::nullopt;
    return payload;
}

}  // namespace

std::string RequestDigest(const TSynthesisRequest &request) {
    const std::string input = Fields(request) + request.Text;
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char *>(input.data()), input.size(), digest);
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : digest) {
        out += Hex[c >> 4];
        out += Hex[c & 15];
    }
    return out;
}

std::string MakeFileId(const TServerKey &key, const TSynthesisRequest &request) {
    std::string payload = Fields(request);
    uLongf size = compressBound(uLong(request.Text.size()));
    std::string compressed(size, '\0');
    if (compress2(reinterpret_cast<Bytef *>(compressed.data()), &size,
                  reinterpret_cast<const Bytef *>(request.Text.data()),
                  uLong(request.Text.size()), Z_BEST_SPEED) != Z_OK)
        throw std::runtime_error("zlib compress failed");
    payload.append(compressed.data(), size);
    return Base64UrlEncode(Seal(key, payload));
}

std::optional<TSynthesisRequest> ReadFileId(const TServerKey &key, std::string_view fileId,
                                            size_t maxTextBytes) {
    const std::optional<std::string> sealed = Base64UrlDecode(fileId);
    if (!sealed) return std::nullopt;
    const std::optional<std::string> payload = Open(key, *sealed);
    if (!payload) return std::nullopt;
    TByteReader reader(*payload);
    uint8_t format = 0, isXml = 0;
    int32_t length = 0;
    TSynthesisRequest request;
    if (!reader.Byte(format) || format < SubmittedFormat || format > SpokenFormat + PartFormats)
        return std::nullopt;
    const bool isPart = format > SpokenFormat;
    request.IsSpoken = (isPart ? format - PartFormats : format) == SpokenFormat;
    if (!reader.Byte(isXml) || isXml > 1 || (request.IsSpoken && isXml != 0) ||
        !reader.Int32(request.Speaker) || !reader.Int32(request.Volume) ||
        !reader.Int32(request.Speed) || !reader.Int32(request.FileType))
        return std::nullopt;
    if (isPart && (!reader.Int32(request.PartFrom) || !reader.Int32(request.PartTo) ||
                   request.PartFrom < 0 || request.PartTo <= request.PartFrom))
        return std::nullopt;
    if (!reader.Int32(length) || length < 0 || size_t(length) > maxTextBytes) return std::nullopt;
    request.IsXml = isXml != 0;
    request.Text.assign(size_t(length), '\0');
    uLongf size = uLongf(length);
    const std::string_view compressed = reader.Rest();
    // A zero-length output buffer needs a valid pointer for zlib.
    Bytef spare = 0;
    Bytef *target = length > 0 ? reinterpret_cast<Bytef *>(request.Text.data()) : &spare;
    if (uncompress(target, &size, reinterpret_cast<const Bytef *>(compressed.data()),
                   uLong(compressed.size())) != Z_OK ||
        size != uLongf(length))
        return std::nullopt;
    return request;
}
