// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound device seam: a PCM output device driven the way the wave output drives the
// platform's waveOut interface. The wave output hands the device buffer headers; the device
// plays them in order, marks each done when all of its bytes have been handed to the sound
// system, and calls the completion callback (from its own thread) so that someone releases
// them. Every operation answers a result code: 0 for success, otherwise one of the
// TAudioResult values, which ErrorText words.
//
// Implementations: SDL2's audio subsystem (audio_device_sdl.h, the default) and a WAV file
// writer (audio_device_wav.h) for output without a sound card. Tests and tools may install
// another through SetAudioDeviceFactory.
//
// Uses the standard library only; nothing here knows the program's own types.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

enum TAudioResult : int32_t {
    AudioOk = 0,
    AudioError = 1,          // the sound system failed; ErrorText says how
    AudioBadDeviceId = 2,    // no such device
    AudioAllocated = 4,      // already open
    AudioInvalidHandle = 5,  // not open
    AudioNoDriver = 6,       // no sound system at all
    AudioNoMemory = 7,
    AudioInvalidParam = 11,
    AudioBadFormat = 32,     // the format is not supported
    AudioStillPlaying = 33,  // a buffer is still queued
    AudioUnprepared = 34,    // the buffer was not prepared
};

// Buffer header flags, with the values the program checks against.
inline constexpr uint32_t AudioBufferDone = 0x01;
inline constexpr uint32_t AudioBufferPrepared = 0x02;
inline constexpr uint32_t AudioBufferBeginLoop = 0x04;
inline constexpr uint32_t AudioBufferInQueue = 0x10;

// One buffer of PCM handed to the device. The caller owns the header and the bytes and must
// keep both until the device has marked the buffer done (or been reset).
struct TAudioBuffer {
    const uint8_t *Data = nullptr;
    int32_t Length = 0;  // bytes
    uintptr_t User = 0;  // the caller's tag, untouched by the device
    // Written by the caller (prepare, unprepare) and by the device's thread (in queue,
    // done); read by both.
    std::atomic<uint32_t> Flags{0};
};

// The PCM format, as the platform describes it.
struct TAudioFormat {
    uint16_t FormatTag = 1;  // 1: integer PCM
    uint16_t Channels = 1;
    uint32_t SamplesPerSec = 16000;
    uint32_t AvgBytesPerSec = 32000;
    uint16_t BlockAlign = 2;
    uint16_t BitsPerSample = 16;
};

class TAudioDevice {
public:
    // Called by the device, on any thread, whenever buffers have been marked done (also by
    // Reset). What it may do: note the event and wake someone (set an event, post a call);
    // it must not block, must not call back into the device, and should not throw. It may run
    // on the sound system's own thread, which is C code: an exception is caught at that
    // boundary and the owner's next call (Write, Pause, Restart, Reset, Close) answers
    // AudioError with the exception's text in ErrorText. Called from Reset (or, for a device
    // without a thread of its own, from Write and Restart) it runs on the caller's thread and
    // an exception reaches that caller.
    using TDoneCallback = std::function<void()>;

    virtual ~TAudioDevice() = default;

    // Output devices present; 0 means the machine has no sound device.
    virtual int32_t OutputDeviceCount() = 0;
    // With queryOnly, checks that the device could be opened with `format` and opens
    // nothing. Otherwise opens it, playing at once. AudioAllocated when already open.
    virtual int32_t Open(const TAudioFormat &format, TDoneCallback onDone, bool queryOnly) = 0;
    virtual bool IsOpen() const = 0;

    // Marks the buffer prepared (again: no effect); AudioInvalidHandle while closed.
    virtual int32_t Prepare(TAudioBuffer &buffer);
    // Clears the prepared mark; AudioStillPlaying while the buffer is queued.
    virtual int32_t Unprepare(TAudioBuffer &buffer);
    // Queues a prepared buffer behind the others (AudioUnprepared otherwise).
    virtual int32_t Write(TAudioBuffer &buffer) = 0;
    virtual int32_t Pause() = 0;
    virtual int32_t Restart() = 0;
    // Stops playing and marks every queued buffer done, then calls the completion callback.
    virtual int32_t Reset() = 0;
    // Closes the device; AudioStillPlaying while buffers are queued.
    virtual int32_t Close() = 0;

    // The platform's wording of a result code, at most 255 characters.
    virtual std::string ErrorText(int32_t code) const;
};

using TAudioDeviceFactory = std::function<std::unique_ptr<TAudioDevice>()>;

// A new device from the installed factory (SDL2 unless another was installed).
std::unique_ptr<TAudioDevice> CreateAudioDevice();

// Installs `factory` (an empty function restores SDL2) and returns the previous one. Meant
// for start-up and tests, before any device is created.
TAudioDeviceFactory SetAudioDeviceFactory(TAudioDeviceFactory factory);
