// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Little-endian fields of the bytes that travel (the scrambled block's header, the service's
// token payloads): a writer that appends and a reader that refuses to read past the end
// (every read reports whether it succeeded).

#include <cstdint>
#include <string>
#include <string_view>

inline void PutUInt64(std::string &out, uint64_t value) {
    for (int i = 0; i < 8; ++i) out += char((value >> (8 * i)) & 0xFF);
}
inline void PutInt32(std::string &out, int32_t value) {
    const uint32_t v = uint32_t(value);
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

class TByteReader {
public:
    explicit TByteReader(std::string_view bytes) : bytes_(bytes) {}

    bool UInt64(uint64_t &value) {
        if (bytes_.size() < 8) return false;
        value = 0;
        for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes_[i]);
        bytes_.remove_prefix(8);
        return true;
    }
    bool Int32(int32_t &value) {
        if (bytes_.size() < 4) return false;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes_[i]);
        value = int32_t(v);
        bytes_.remove_prefix(4);
        return true;
    }
    bool Byte(uint8_t &value) {
        if (bytes_.empty()) return false;
        value = static_cast<unsigned char>(bytes_[0]);
        bytes_.remove_prefix(1);
        return true;
    }
    // Everything not read yet.
    std::string_view Rest() const { return bytes_; }

private:
    std::string_view bytes_;
};
