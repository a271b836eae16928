// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/stream_rw.h"

#include <algorithm>
#include <string>

#include "foundation/exceptions.h"
#include "records/valtrosa_files.h"

namespace {

// Long texts are read in steps of this size when the stream cannot tell its size, so that
// memory grows only with the bytes actually there.
constexpr int32_t kReadStep = 1 << 20;

}  // namespace

void TStreamRW::RaiseNotRead() { RaiseError(TErrorCategory::Format, "not readed from stream"); }

TStream &TStreamRW::Stream() const {
    if (!currentStream_) RaiseError("no current stream to read or write");
    return *currentStream_;
}

int32_t TStreamRW::BytesLeft() const {
    TStream &stream = Stream();
    if (auto *memory = dynamic_cast<TMemoryStream *>(&stream))
        return std::max(memory->DataSize() - std::max(memory->Position(), 0), 0);
    const int32_t position = stream.Seek(0, soFromCurrent);
    const int32_t size = stream.GetSize();
    if (position < 0 || size < 0) return -1;
    return std::max(size - position, 0);
}

void TStreamRW::ReadBytes(void *buffer, int32_t count) {
    if (count <= 0) return;
    if (Stream().Read(buffer, count) != count) RaiseNotRead();
}

int32_t TStreamRW::ReadInt32() {
    uint8_t b[4];
    ReadBytes(b, 4);
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

uint8_t TStreamRW::ReadByte() {
    uint8_t b;
    ReadBytes(&b, 1);
    return b;
}

bool TStreamRW::ReadBool32() { return ReadInt32() != 0; }

void TStreamRW::ReadString(MyString &text) {
    const int32_t length = ReadInt32();
    if (length <= 0) {
        text.Assign("");
        return;
    }
    const int32_t left = BytesLeft();
    if (left >= 0 && length > left) RaiseNotRead();
    std::string bytes;
    while (int32_t(bytes.size()) < length) {
        const int32_t step = std::min(length - int32_t(bytes.size()), left >= 0 ? length : kReadStep);
        const std::size_t at = bytes.size();
        bytes.resize(at + std::size_t(step));
        ReadBytes(bytes.data() + at, step);
    }
    text.Assign(bytes.data(), length);
}

MyString TStreamRW::ReadString() {
    MyString text;
    ReadString(text);
    return text;
}

int32_t TStreamRW::SkipBytes(int32_t count) {
    uint8_t buffer[256];
    int32_t skipped = 0;
    while (skipped < count) {
        const int32_t got = Stream().Read(buffer, std::min<int32_t>(count - skipped, sizeof buffer));
        if (got <= 0) break;
        skipped += got;
    }
    return skipped;
}

void TStreamRW::ReadBlob(TMemoryStream &data) {
    const int32_t length = ReadInt32();
    if (length <= 0) return;
    data.Seek(0, soFromEnd);
    data.CopyFrom(Stream(), length);  // stops quietly where the stream ends
}

void TStreamRW::ReadList(TValtrosaFiles &list) { list.LoadFromStream(Stream()); }

void TStreamRW::WriteBytes(const void *data, int32_t count) {
    if (count > 0) Stream().Write(data, count);
}

void TStreamRW::WriteInt32(int32_t value) {
    const auto v = uint32_t(value);
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    WriteBytes(b, 4);
}

void TStreamRW::WriteByte(uint8_t value) { WriteBytes(&value, 1); }

void TStreamRW::WriteBool32(bool value) { WriteInt32(value ? 1 : 0); }

void TStreamRW::WriteString(const MyString &text) {
    const int32_t length = text.Text() ? text.Length() : 0;
    WriteInt32(length);
    WriteBytes(text.Text(), length);
}

void TStreamRW::WriteBlob(const TMemoryStream &data) {
    WriteInt32(data.DataSize());
    WriteBytes(data.Memory(), data.DataSize());
}

void TStreamRW::WriteList(TValtrosaFiles &list) { list.SaveToStream(Stream()); }
