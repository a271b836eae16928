// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sound device that writes the PCM it is given to a RIFF WAVE file instead of playing it,
// as fast as it is queued: a buffer is written and marked done inside Write, which then
// calls the completion callback on the writer's thread. For output without a sound card
// (narrelo-say --wav). Pause holds queued buffers back until Restart; Reset drops them.
//
// The file is created by Open (truncating an existing one) with the format it was opened
// with; Close fills in the chunk sizes. A file cut short by a crash keeps its samples but
// states sizes of 0. A file that can seek is written with a 36-byte "JUNK" chunk before its
// format, the room an RF64 "ds64" chunk takes: Close makes the file RF64 (64-bit sizes) when
// its data has passed what 32-bit RIFF sizes can count, so nothing past 4 GiB is lost; a
// shorter file stays plain RIFF (readers pass over the JUNK chunk).
//
// The path "-" is standard output. An output that cannot seek (a pipe, a terminal, a FIFO,
// /dev/stdout on a pipe) or that appends (O_APPEND, `>>`) gets a stream's header once, up
// front (44 bytes, chunk sizes 0xFFFFFFFF: "as long as the data goes on", which players of a
// pipe read to the end), and is never sought; a stream refuses (AudioError) a buffer that
// would take its data past StreamDataLimit, which is as far as its readers count.

#include <atomic>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "platform/audio_device.h"

// What a WAVE writer shares with its owner, who may read it from any thread while the device
// lives or after: how far the data has come, and whether the output is a stream.
struct TWavFileCounters {
    std::atomic<uint64_t> DataBytes{0};
    std::atomic<bool> Stream{false};
};

class TWavFileAudioDevice : public TAudioDevice {
public:
    // The most data 32-bit sizes count in a file with the JUNK chunk (its RIFF size is the
    // data's plus 72), whole samples: what a stream may carry and what a plain RIFF file holds.
    static constexpr uint64_t StreamDataLimit = (0xFFFFFFFFull - 72) & ~1ull;

    // path: UTF-8 file name. counters: optional, kept up to date by the device. streamLimit:
    // the data bytes a stream may hold (StreamDataLimit; less only in tests), and for a
    // file the size from which it becomes RF64.
    explicit TWavFileAudioDevice(std::string path, std::shared_ptr<TWavFileCounters> counters = nullptr,
                                 uint64_t streamLimit = StreamDataLimit);
    ~TWavFileAudioDevice() override;
    TWavFileAudioDevice(const TWavFileAudioDevice &) = delete;
    TWavFileAudioDevice &operator=(const TWavFileAudioDevice &) = delete;

    // Always 1: the file is the device.
    int32_t OutputDeviceCount() override { return 1; }
    // AudioError when the file cannot be created (ErrorText then names the cause).
    int32_t Open(const TAudioFormat &format, TDoneCallback onDone, bool queryOnly) override;
    bool IsOpen() const override { return open_.load(); }
    // AudioError when the bytes cannot be written; the buffer is then marked done anyway.
    int32_t Write(TAudioBuffer &buffer) override;
    int32_t Pause() override;
    int32_t Restart() override;
    int32_t Reset() override;
    int32_t Close() override;
    std::string ErrorText(int32_t code) const override;

protected:
    // The three steps a file format of its own replaces (an encoded file, say); each runs
    // with the lock held and true means success (errno then tells the cause of a failure).
    // BeginFile: the file has just been opened at its start with `format`.
    virtual bool BeginFile(std::FILE *file, const TAudioFormat &format);
    // PutSamples: `length` > 0 bytes of PCM in the opened format.
    virtual bool PutSamples(std::FILE *file, const uint8_t *data, int32_t length);
    // EndFile: after the last samples; the file is flushed and closed afterwards.
    virtual bool EndFile(std::FILE *file);

private:
    struct TFileCloser {
        void operator()(std::FILE *file) const noexcept { std::fclose(file); }
    };

    // Writes the buffer's bytes and marks it done; the lock is held.
    bool Emit(TAudioBuffer &buffer);
    // A stream's header (stream_), or a file's for dataBytes_ at its start (rewind: seek there).
    bool WriteHeader(bool rewind);
    bool ToStandardOutput() const { return path_ == "-"; }

    const std::string path_;
    const std::shared_ptr<TWavFileCounters> counters_;
    const uint64_t limit_;
    std::atomic<bool> open_{false};  // mirrors file_ for IsOpen, which takes no lock
    // Guards everything below: any thread may open, queue, pause or reset while another
    // thread (the UI's Stop) pauses or resets.
    mutable std::mutex lock_;
    std::string error_;  // the cause of the last AudioError
    TAudioFormat format_;
    TDoneCallback onDone_;
    std::unique_ptr<std::FILE, TFileCloser> file_;
    bool paused_ = false;
    std::deque<TAudioBuffer *> held_;  // queued while paused
    uint64_t dataBytes_ = 0;
    bool stream_ = false;  // the output cannot seek or appends: a stream's header, no seeking
};
