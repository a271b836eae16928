// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file read and written through the C library's buffered files. The path is 8-bit
// (Windows-1254) and converted to UTF-8 for the file system. The caller opens the stream
// with SetActive(true) before Read, Write or Seek.

#include <cstdio>
#include <string>

#include "foundation/stream.h"

class TFileStream : public TStream {
public:
    // Copies path and mode ("rb", "rb+", "wb", "wb+"); the file is not opened.
    TFileStream(const char *path, const char *mode);
    ~TFileStream() override;
    TFileStream(const TFileStream &) = delete;
    TFileStream &operator=(const TFileStream &) = delete;

    // Opens or closes; nothing when already in that state. Raises "File Not Opened %s".
    // Closing reports what CloseAfterWriting reports; the destructor, which cannot, drops it.
    virtual void SetActive(bool open);
    bool Active() const { return file_ != nullptr; }

    // Flushes and closes a file that was written to; raises "File Not Written %s" with the
    // path when any write or the final flush failed (a full disk, an I/O error), so a
    // caller never reports a truncated file as saved. Nothing when not open.
    void CloseAfterWriting();

    // Closes the file (as SetActive(false)), takes the new path and sets the mode to "wb+".
    void SetFileName(const char *path);

    // 0 when not open.
    int32_t GetSize() override;
    // Seek(0, 1) answers the current position; every other call answers the C library's
    // result: 0 on success, non-zero on failure (not the new position).
    int32_t Seek(int32_t offset, int origin) override;
    int64_t Seek64(int64_t offset, int origin) override;
    // Raises "Cannot read to NULL buffer" for a null buffer; returns the bytes read.
    int32_t Read(void *buffer, int32_t count) override;
    // Writes one block: returns 1 when it was written, 0 otherwise (not the byte count).
    int32_t Write(const void *buffer, int32_t count) override;

    const std::string &Path() const { return path_; }

private:
    std::string path_;  // 8-bit, as given
    std::string mode_;
    std::FILE *file_ = nullptr;
};
