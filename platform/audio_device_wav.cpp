// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_device_wav.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

void Put32(uint8_t *p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put64(uint8_t *p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(uint8_t *p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

TWavFileAudioDevice::TWavFileAudioDevice(std::string path, std::shared_ptr<TWavFileCounters> counters,
                                         uint64_t streamLimit)
    : path_(std::move(path)), counters_(std::move(counters)), limit_(streamLimit) {}

TWavFileAudioDevice::~TWavFileAudioDevice() {
    if (IsOpen()) {
        Reset();
        Close();
    }
}

bool TWavFileAudioDevice::WriteHeader(bool rewind) {
    uint8_t header[80];
    size_t at = 0;
    const auto tag = [&](const char *four) {
        std::memcpy(header + at, four, 4);
        at += 4;
    };
    const auto le32 = [&](uint32_t v) {
        Put32(header + at, v);
        at += 4;
    };
    // A file whose data passed the 32-bit sizes (or the bound a test set) becomes RF64: its
    // sizes are in the ds64 chunk and the 32-bit fields say 0xFFFFFFFF.
    const bool rf64 = !stream_ && dataBytes_ > limit_;
    if (stream_) {
        tag("RIFF");
        le32(0xFFFFFFFFu);
        tag("WAVE");
    } else {
        tag(rf64 ? "RF64" : "RIFF");
        le32(rf64 ? 0xFFFFFFFFu : static_cast<uint32_t>(72 + dataBytes_));
        tag("WAVE");
        tag(rf64 ? "ds64" : "JUNK");
        le32(28);
        std::memset(header + at, 0, 28);
        if (rf64) {
            const uint64_t blockAlign = format_.BlockAlign ? format_.BlockAlign : 1;
            Put64(header + at, 72 + dataBytes_);            // the RIFF size
            Put64(header + at + 8, dataBytes_);             // the data size
            Put64(header + at + 16, dataBytes_ / blockAlign);  // sample frames
            // then a table of 0 further sizes
        }
        at += 28;
    }
    tag("fmt ");
    le32(16);
    Put16(header + at, format_.FormatTag);
    Put16(header + at + 2, format_.Channels);
    Put32(header + at + 4, format_.SamplesPerSec);
    Put32(header + at + 8, format_.AvgBytesPerSec);
    Put16(header + at + 12, format_.BlockAlign);
    Put16(header + at + 14, format_.BitsPerSample);
    at += 16;
    tag("data");
    le32(stream_ || rf64 ? 0xFFFFFFFFu : static_cast<uint32_t>(dataBytes_));
    if (rewind && std::fseek(file_.get(), 0, SEEK_SET) != 0) return false;
    return std::fwrite(header, at, 1, file_.get()) == 1;
}

bool TWavFileAudioDevice::BeginFile(std::FILE *, const TAudioFormat &) { return WriteHeader(false); }

bool TWavFileAudioDevice::PutSamples(std::FILE *file, const uint8_t *data, int32_t length) {
    return std::fwrite(data, static_cast<size_t>(length), 1, file) == 1;
}

bool TWavFileAudioDevice::EndFile(std::FILE *) {
    // A stream's header stands: its output cannot be sought, or writes would land at its end.
    return stream_ || WriteHeader(true);
}

int32_t TWavFileAudioDevice::Open(const TAudioFormat &format, TDoneCallback onDone, bool queryOnly) {
    std::lock_guard<std::mutex> guard(lock_);
    if (file_) return AudioAllocated;
    if (format.FormatTag != 1 || format.Channels < 1 || format.BitsPerSample == 0) return AudioBadFormat;
    if (queryOnly) return AudioOk;
    std::FILE *file = nullptr;
    if (ToStandardOutput()) {
        const int fd = dup(STDOUT_FILENO);
        file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
        if (!file && fd >= 0) close(fd);
    } else {
        file = std::fopen(path_.c_str(), "wb");
    }
    if (!file) {
        error_ = (ToStandardOutput() ? std::string("standard output") : path_) + ": " + std::strerror(errno);
        return AudioError;
    }
    file_.reset(file);
    format_ = format;
    dataBytes_ = 0;
    {
        // Whether the header can be put in at the end: only where the output seeks and
        // writes land where it was sought to.
        const int fd = fileno(file);
        const int flags = fcntl(fd, F_GETFL);
        // An output already written to (standard output after other text) is a stream too:
        // going back to its start would overwrite what is not ours.
        stream_ = lseek(fd, 0, SEEK_CUR) != 0 || (flags >= 0 && (flags & O_APPEND));
    }
    if (counters_) {
        counters_->DataBytes = 0;
        counters_->Stream = stream_;
    }
    paused_ = false;
    if (!BeginFile(file_.get(), format_)) {
        error_ = path_ + ": " + std::strerror(errno);
        file_.reset();
        return AudioError;
    }
    onDone_ = std::move(onDone);
    open_ = true;
    return AudioOk;
}

bool TWavFileAudioDevice::Emit(TAudioBuffer &buffer) {
    const uint64_t length = static_cast<uint64_t>(buffer.Length > 0 ? buffer.Length : 0);
    const bool beyond = stream_ && dataBytes_ + length > limit_;
    const bool written =
        !beyond && (length == 0 || PutSamples(file_.get(), static_cast<const uint8_t *>(buffer.Data), buffer.Length));
    if (written) {
        dataBytes_ += length;
        if (counters_) counters_->DataBytes = dataBytes_;
    } else if (beyond) {
        error_ = path_ + ": a WAVE stream holds at most " + std::to_string(limit_) + " bytes of sound";
    } else {
        error_ = path_ + ": " + std::strerror(errno);
    }
    buffer.Flags.fetch_and(~AudioBufferInQueue);
    buffer.Flags.fetch_or(AudioBufferDone);
    return written;
}

int32_t TWavFileAudioDevice::Write(TAudioBuffer &buffer) {
    bool written = true;
    TDoneCallback onDone;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!file_) return AudioInvalidHandle;
        if (!(buffer.Flags.load() & AudioBufferPrepared)) return AudioUnprepared;
        buffer.Flags.fetch_and(~AudioBufferDone);
        buffer.Flags.fetch_or(AudioBufferInQueue);
        if (paused_) {
            held_.push_back(&buffer);
            return AudioOk;
        }
        written = Emit(buffer);
        onDone = onDone_;
    }
    if (onDone) onDone();
    return written ? AudioOk : AudioError;
}

int32_t TWavFileAudioDevice::Pause() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!file_) return AudioInvalidHandle;
    paused_ = true;
    return AudioOk;
}

int32_t TWavFileAudioDevice::Restart() {
    bool written = true;
    TDoneCallback onDone;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!file_) return AudioInvalidHandle;
        paused_ = false;
        for (TAudioBuffer *buffer : held_) written = Emit(*buffer) && written;
        if (!held_.empty()) onDone = onDone_;
        held_.clear();
    }
    if (onDone) onDone();
    return written ? AudioOk : AudioError;
}

int32_t TWavFileAudioDevice::Reset() {
    TDoneCallback onDone;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!file_) return AudioInvalidHandle;
        for (TAudioBuffer *buffer : held_) {
            buffer->Flags.fetch_and(~AudioBufferInQueue);
            buffer->Flags.fetch_or(AudioBufferDone);
        }
        held_.clear();
        onDone = onDone_;
    }
    if (onDone) onDone();
    return AudioOk;
}

int32_t TWavFileAudioDevice::Close() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!file_) return AudioInvalidHandle;
    if (!held_.empty()) return AudioStillPlaying;
    const bool sealed = EndFile(file_.get()) && std::fflush(file_.get()) == 0;
    if (!sealed) error_ = path_ + ": " + std::strerror(errno);
    const bool closed = std::fclose(file_.release()) == 0;
    if (sealed && !closed) error_ = path_ + ": " + std::strerror(errno);
    onDone_ = nullptr;
    open_ = false;
    return sealed && closed ? AudioOk : AudioError;
}

std::string TWavFileAudioDevice::ErrorText(int32_t code) const {
    std::lock_guard<std::mutex> guard(lock_);
    std::string text = TAudioDevice::ErrorText(code);
    if (code == AudioError && !error_.empty()) text += " " + error_;
    if (text.size() > 255) text.resize(255);
    return text;
}
