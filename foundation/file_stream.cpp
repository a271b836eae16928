// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/file_stream.h"

#include "foundation/code_page.h"
#include "foundation/exceptions.h"

TFileStream::TFileStream(const char *path, const char *mode) : path_(path ? path : ""), mode_(mode ? mode : "rb") {}

// A destructor cannot report: whoever needs to know that the bytes reached the file closes
// it first (SetActive(false) or CloseAfterWriting).
TFileStream::~TFileStream() {
    if (file_) std::fclose(file_);
}

void TFileStream::SetActive(bool open) {
    if (open == Active()) return;
    if (open) {
        const std::string systemPath = cp1254::ToUtf8(path_);
        file_ = std::fopen(systemPath.c_str(), mode_.c_str());
        if (!file_) RaiseError(TErrorCategory::InputOutput, "File Not Opened %s", path_.c_str());
    } else {
        CloseAfterWriting();
    }
}

void TFileStream::CloseAfterWriting() {
    if (!file_) return;
    const bool writeFailed = std::ferror(file_) != 0;
    const bool closeFailed = std::fclose(file_) != 0;  // flushes what is still buffered
    file_ = nullptr;
    if (writeFailed || closeFailed) RaiseError(TErrorCategory::InputOutput, "File Not Written %s", path_.c_str());
}

void TFileStream::SetFileName(const char *path) {
    SetActive(false);
    path_ = path ? path : "";
    mode_ = "wb+";
}

int32_t TFileStream::GetSize() {
    if (!file_) return 0;
    const long position = std::ftell(file_);
    std::fseek(file_, 0, SEEK_END);
    const long size = std::ftell(file_);
    std::fseek(file_, position, SEEK_SET);
    return int32_t(size);
}

// A stream that is not open answers -1 (failure) to seeks and reads, and 0 to writes.
int32_t TFileStream::Seek(int32_t offset, int origin) {
    if (!file_) return -1;
    origin &= 0xFFFF;
    if (offset == 0 && origin == soFromCurrent) return int32_t(std::ftell(file_));
    return std::fseek(file_, offset, origin);
}

int64_t TFileStream::Seek64(int64_t offset, int origin) {
    if (!file_) return -1;
    origin &= 0xFFFF;
    if (offset == 0 && origin == soFromCurrent) return int64_t(ftello(file_));
    return fseeko(file_, off_t(offset), origin);
}

int32_t TFileStream::Read(void *buffer, int32_t count) {
    if (!buffer) RaiseError("Cannot read to NULL buffer");
    if (!file_ || count <= 0) return file_ ? 0 : -1;
    return int32_t(std::fread(buffer, 1, std::size_t(count), file_));
}

int32_t TFileStream::Write(const void *buffer, int32_t count) {
    if (!file_ || !buffer || count <= 0) return 0;
    return int32_t(std::fwrite(buffer, std::size_t(count), 1, file_));
}
