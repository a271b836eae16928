// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A record with one field of every encoding primitive and a nested list of its own kind, for
// the record-file tests and the record-loader fuzzer. Body:
//   Int32 Number, String Name, Byte Flag, Bool32 On, Blob Data, List Children
// so its smallest body is 4 + 4 + 1 + 4 + 4 + 4 = 21 bytes.

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/memory_stream.h"
#include "records/valtrosa_file.h"
#include "records/valtrosa_files.h"

class TSample;

class TSamples : public TValtrosaFiles {
public:
    TSamples() { OwnsItems = true; }
    TSample *Item(int32_t i) const;
    TValtrosaFile *CreateItem() override;
};

class TSample : public TValtrosaFile {
public:
    int32_t Number = -1;
    MyString Name;
    uint8_t Flag = 0;
    bool On = false;
    TMemoryStream Data{8192};
    TSamples Children;

    void Clear() override {}
    void ReadFromStream() override {
        Number = ReadInt32();
        ReadString(Name);
        Flag = ReadByte();
        On = ReadBool32();
        ReadBlob(Data);
        ReadList(Children);
    }
    void WriteToStream() override {
        WriteInt32(Number);
        WriteString(Name);
        WriteByte(Flag);
        WriteBool32(On);
        WriteBlob(Data);
        WriteList(Children);
    }
    int32_t MinimalBodySize() const override { return 21; }
};

inline TSample *TSamples::Item(int32_t i) const { return static_cast<TSample *>(Get(i)); }
inline TValtrosaFile *TSamples::CreateItem() { return new TSample; }

// "01 0a FF" (blanks and line breaks anywhere, '#' starts a comment to the end of the line).
inline std::vector<uint8_t> FromHex(const std::string &text) {
    std::vector<uint8_t> bytes;
    std::string digits;
    bool comment = false;
    for (char c : text) {
        if (c == '\n') comment = false;
        if (comment || std::isspace(static_cast<unsigned char>(c))) continue;
        if (c == '#') { comment = true; continue; }
        digits += c;
        if (digits.size() == 2) {
            bytes.push_back(uint8_t(std::stoi(digits, nullptr, 16)));
            digits.clear();
        }
    }
    if (!digits.empty()) throw std::runtime_error("odd number of hex digits");
    return bytes;
}

#ifdef NARRELO_FIXTURES
inline std::vector<uint8_t> HexFixture(const std::string &name) {
    std::ifstream in(std::string(NARRELO_FIXTURES) + "/" + name);
    if (!in) throw std::runtime_error("missing fixture " + name);
    std::stringstream text;
    text << in.rdbuf();
    return FromHex(text.str());
}
#endif

inline std::vector<uint8_t> Contents(const TMemoryStream &stream) {
    return {stream.Memory(), stream.Memory() + stream.DataSize()};
}

// A memory stream holding `bytes`, rewound.
inline void Fill(TMemoryStream &stream, const std::vector<uint8_t> &bytes) {
    stream.Clear();
    if (!bytes.empty()) stream.Write(bytes.data(), int32_t(bytes.size()));
    stream.Seek(0, soFromBeginning);
}

// Loads a record body from `bytes` as the list and file loaders do.
inline void LoadFrom(TValtrosaFile &record, const std::vector<uint8_t> &bytes) {
    TMemoryStream stream;
    Fill(stream, bytes);
    record.SetCurrentStream(&stream);
    record.LoadBody();
}

// The bytes SaveToStream writes for the record.
inline std::vector<uint8_t> BodyOf(TValtrosaFile &record) {
    TMemoryStream stream;
    record.SaveToStream(stream);
    return Contents(stream);
}
