// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The samples of a RIFF WAVE file as the program writes it (a "fmt " chunk, then "data"),
// with its format, for tests that compare sound bit for bit; also an RF64 file, whose data
// size is the ds64 chunk's.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

struct TWavPcm {
    bool Valid = false;  // RIFF/WAVE with a format and a data chunk whose size fits the file
    uint16_t FormatTag = 0;
    uint16_t Channels = 0;
    uint32_t SampleRate = 0;
    uint16_t BitsPerSample = 0;
    bool Rf64 = false;  // the file is RF64
    std::string Data;  // the data chunk's bytes
};

inline TWavPcm ReadWavPcm(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto le = [&](size_t at, int bytes) {
        uint32_t value = 0;
        for (int b = bytes - 1; b >= 0; --b) value = value << 8 | uint8_t(file[at + size_t(b)]);
        return value;
    };
    TWavPcm wav;
    if (file.size() < 12 || (file.compare(0, 4, "RIFF") != 0 && file.compare(0, 4, "RF64") != 0) ||
        file.compare(8, 4, "WAVE") != 0)
        return wav;
    wav.Rf64 = file.compare(0, 4, "RF64") == 0;
    uint64_t dataSize64 = 0;
    bool format = false;
    for (size_t at = 12; at + 8 <= file.size();) {
        const std::string id = file.substr(at, 4);
        uint64_t size = le(at + 4, 4);
        if (id == "ds64" && size >= 16 && at + 24 <= file.size())
            dataSize64 = uint64_t(le(at + 16, 4)) | uint64_t(le(at + 20, 4)) << 32;
        if (wav.Rf64 && id == "data" && size == 0xFFFFFFFFu) size = dataSize64;
        if (at + 8 + size > file.size()) return wav;
        if (id == "fmt " && size >= 16) {
            wav.FormatTag = uint16_t(le(at + 8, 2));
            wav.Channels = uint16_t(le(at + 10, 2));
            wav.SampleRate = le(at + 12, 4);
            wav.BitsPerSample = uint16_t(le(at + 22, 2));
            format = true;
        } else if (id == "data") {
            wav.Data = file.substr(at + 8, size);
            wav.Valid = format;
            return wav;
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}
