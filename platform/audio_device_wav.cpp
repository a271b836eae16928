// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_device_wav.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

void Put32(uint8_t *p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(uint8_t *p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

TWavFileAudioDevice::TWavFileAudioDevice(std::string path) : path_(std::move(path)) {}

TWavFileAudioDevice::~TWavFileAudioDevice() {
    if (IsOpen()) {
        Reset();
        Close();
    }
}

// dataBytes 0xFFFFFFFF: a stream's header, whose sizes say "to the end of the data".
// rewind: go back to the start first (a file's Close); a file just opened is there already,
// and a pipe could not.
bool TWavFileAudioDevice::WriteHeader(uint32_t dataBytes, bool rewind) {
    uint8_t header[44];
    std::memcpy(header, "RIFF", 4);
    Put32(header + 4, dataBytes == 0xFFFFFFFFu ? dataBytes : 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    Put32(header + 16, 16);
    Put16(header + 20, format_.FormatTag);
    Put16(header + 22, format_.Channels);
    Put32(header + 24, format_.SamplesPerSec);
    Put32(header + 28, format_.AvgBytesPerSec);
    Put16(header + 32, format_.BlockAlign);
    Put16(header + 34, format_.BitsPerSample);
    std::memcpy(header + 36, "data", 4);
    Put32(header + 40, dataBytes);
    if (rewind && std::fseek(file_.get(), 0, SEEK_SET) != 0) return false;
    return std::fwrite(header, sizeof header, 1, file_.get()) == 1;
}

bool TWavFileAudioDevice::BeginFile(std::FILE *, const TAudioFormat &) {
    return WriteHeader(ToStandardOutput() ? 0xFFFFFFFFu : 0, false);
}

bool TWavFileAudioDevice::PutSamples(std::FILE *file, const uint8_t *data, int32_t length) {
    return std::fwrite(data, static_cast<size_t>(length), 1, file) == 1;
}

bool TWavFileAudioDevice::EndFile(std::FILE *file) {
    if (!ToStandardOutput()) return WriteHeader(dataBytes_, true);
    // The stream's header stands unless the output is a file that can take the sizes.
    if (std::fflush(file) != 0) return false;
    if (std::fseek(file, 0, SEEK_SET) != 0) return true;
    return WriteHeader(dataBytes_, false);
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
        error_ = path_ + ": " + std::strerror(errno);
        return AudioError;
    }
    file_.reset(file);
    format_ = format;
    dataBytes_ = 0;
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
    const bool written =
        buffer.Length <= 0 || PutSamples(file_.get(), static_cast<const uint8_t *>(buffer.Data), buffer.Length);
    if (written) dataBytes_ += static_cast<uint32_t>(buffer.Length > 0 ? buffer.Length : 0);
    else error_ = path_ + ": " + std::strerror(errno);
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
