// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/stream.h"

#include <algorithm>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/file_stream.h"

int32_t TStream::GetSize() {
    const int32_t position = Seek(0, soFromCurrent);
    const int32_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

int32_t TStream::Seek(int32_t, int) { return -1; }
int64_t TStream::Seek64(int64_t, int) { return -1; }
int32_t TStream::Read(void *, int32_t) { return -1; }
int32_t TStream::Write(const void *, int32_t) { return -1; }

int32_t TStream::CopyFrom(TStream &source, int32_t count) {
    constexpr int32_t kMaxBlock = 61440;
    if (count == 0) {
        source.Seek(0, soFromBeginning);
        count = source.Size();
    }
    if (count <= 0) return count;
    std::vector<unsigned char> buffer(std::size_t(std::min(count, kMaxBlock)));
    int32_t remaining = count;
    while (remaining > 0) {
        const int32_t step = std::min(remaining, int32_t(buffer.size()));
        const int32_t got = source.Read(buffer.data(), step);
        if (got <= 0) break;
        Write(buffer.data(), got);
        remaining -= got;
    }
    return count;
}

void AppendFile(TStream &stream, const char *path) {
    TFileStream file(path, "rb");
    file.SetActive(true);
    stream.CopyFrom(file, file.GetSize());
    file.SetActive(false);
}
