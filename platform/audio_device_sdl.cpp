// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_device_sdl.h"

#include <cstring>
#include <exception>

#include "platform/sdl_library.h"

namespace {

// SDL2's functions; only called once StartAudio has loaded them.
const TSdlLibrary &Sdl() { return *LoadSdlLibrary(nullptr); }

}  // namespace

TSdlAudioDevice::~TSdlAudioDevice() {
    if (device_ != 0) {
        Reset();
        Close();
    }
    if (audioStarted_) Sdl().QuitSubSystem(SDL_INIT_AUDIO);
}

bool TSdlAudioDevice::StartAudio() {
    if (audioStarted_) return true;
    const char *why = nullptr;
    if (!LoadSdlLibrary(&why)) {
        sdlError_ = why;
        return false;
    }
    // The audio subsystem starts SDL's events too, which would otherwise take SIGINT and
    // SIGTERM over (as quit events nobody reads): the program could no longer be stopped.
    Sdl().SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (Sdl().InitSubSystem(SDL_INIT_AUDIO) != 0) {
        sdlError_ = Sdl().GetError();
        return false;
    }
    audioStarted_ = true;
    return true;
}

int32_t TSdlAudioDevice::OutputDeviceCount() {
    if (!StartAudio()) return 0;
    const int count = Sdl().GetNumAudioDevices(0);
    // -1: the driver cannot list its devices but offers a default one.
    return count < 0 ? 1 : count;
}

int32_t TSdlAudioDevice::Open(const TAudioFormat &format, TDoneCallback onDone, bool queryOnly) {
    if (device_ != 0) return AudioAllocated;
    if (format.FormatTag != 1 || (format.BitsPerSample != 16 && format.BitsPerSample != 8) ||
        format.Channels < 1 || format.Channels > 8 || format.SamplesPerSec == 0 ||
        format.BlockAlign != format.Channels * format.BitsPerSample / 8)
        return AudioBadFormat;
    if (!StartAudio()) return AudioNoDriver;

    SDL_AudioSpec want;
    std::memset(&want, 0, sizeof want);
    want.freq = static_cast<int>(format.SamplesPerSec);
    want.format = format.BitsPerSample == 16 ? AUDIO_S16LSB : AUDIO_U8;
    want.channels = static_cast<Uint8>(format.Channels);
    want.samples = CallbackFrames;
    want.callback = &TSdlAudioDevice::Callback;
    want.userdata = this;
    if (queryOnly) {
        // The query answers as the real open will: the device is opened (paused, so the
        // callback never runs) and closed at once. A machine without an output device fails
        // here, not only at the real open.
        want.callback = &TSdlAudioDevice::QueryCallback;
        want.userdata = nullptr;
        SDL_AudioSpec have;
        const SDL_AudioDeviceID device = Sdl().OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device == 0) {
            sdlError_ = Sdl().GetError();
            return AudioBadDeviceId;
        }
        Sdl().CloseAudioDevice(device);
        return AudioOk;
    }
    onDone_ = std::move(onDone);
    {
        std::lock_guard<std::mutex> guard(lock_);
        callbackFailure_.clear();
    }
    SDL_AudioSpec have;
    const SDL_AudioDeviceID device = Sdl().OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        sdlError_ = Sdl().GetError();
        onDone_ = nullptr;
        return AudioBadDeviceId;
    }
    silence_ = have.silence;
    Sdl().PauseAudioDevice(device, 0);  // a waveOut device plays as soon as it is open
    // Published last: a Pause that sees the device comes after the start above and holds.
    device_ = device;
    return AudioOk;
}

int32_t TSdlAudioDevice::TakeCallbackFailure() {
    std::lock_guard<std::mutex> guard(lock_);
    if (callbackFailure_.empty()) return AudioOk;
    sdlError_ = "The completion callback failed: " + callbackFailure_;
    callbackFailure_.clear();
    return AudioError;
}

int32_t TSdlAudioDevice::Write(TAudioBuffer &buffer) {
    if (device_ == 0) return AudioInvalidHandle;
    if (!(buffer.Flags.load() & AudioBufferPrepared)) return AudioUnprepared;
    if (int32_t failure = TakeCallbackFailure()) return failure;
    std::lock_guard<std::mutex> guard(lock_);
    buffer.Flags.fetch_and(~AudioBufferDone);
    buffer.Flags.fetch_or(AudioBufferInQueue);
    queue_.push_back(&buffer);
    return AudioOk;
}

int32_t TSdlAudioDevice::Pause() {
    const SDL_AudioDeviceID device = device_;
    if (device == 0) return AudioInvalidHandle;
    Sdl().PauseAudioDevice(device, 1);
    return TakeCallbackFailure();
}

int32_t TSdlAudioDevice::Restart() {
    const SDL_AudioDeviceID device = device_;
    if (device == 0) return AudioInvalidHandle;
    Sdl().PauseAudioDevice(device, 0);
    return TakeCallbackFailure();
}

int32_t TSdlAudioDevice::Reset() {
    if (device_ == 0) return AudioInvalidHandle;
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (TAudioBuffer *buffer : queue_) {
            buffer->Flags.fetch_and(~AudioBufferInQueue);
            buffer->Flags.fetch_or(AudioBufferDone);
        }
        queue_.clear();
        offset_ = 0;
    }
    // On the caller's thread: what the callback raises reaches the caller.
    if (onDone_) onDone_();
    return TakeCallbackFailure();
}

int32_t TSdlAudioDevice::Close() {
    if (device_ == 0) return AudioInvalidHandle;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!queue_.empty()) return AudioStillPlaying;
    }
    // Waits for SDL's thread to finish its callback; the lock must not be held here.
    Sdl().CloseAudioDevice(device_);
    device_ = 0;
    onDone_ = nullptr;
    // The device is closed either way; a failure of its last callbacks is still told.
    return TakeCallbackFailure();
}

std::string TSdlAudioDevice::ErrorText(int32_t code) const {
    std::string text = TAudioDevice::ErrorText(code);
    if ((code == AudioNoDriver || code == AudioBadDeviceId || code == AudioError) && !sdlError_.empty())
        text += " " + sdlError_;
    if (text.size() > 255) text.resize(255);
    return text;
}

void SDLCALL TSdlAudioDevice::Callback(void *self, Uint8 *stream, int length) {
    static_cast<TSdlAudioDevice *>(self)->Fill(stream, length);
}

void SDLCALL TSdlAudioDevice::QueryCallback(void *, Uint8 *stream, int length) {
    std::memset(stream, 0, static_cast<size_t>(length));
}

void TSdlAudioDevice::Fill(Uint8 *stream, int length) {
    bool anyDone = false;
    int filled = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        while (filled < length && !queue_.empty()) {
            TAudioBuffer *buffer = queue_.front();
            int take = buffer->Length - offset_;
            if (take > length - filled) take = length - filled;
            if (take > 0) std::memcpy(stream + filled, buffer->Data + offset_, static_cast<size_t>(take));
            filled += take;
            offset_ += take;
            if (offset_ >= buffer->Length) {
                queue_.pop_front();
                offset_ = 0;
                buffer->Flags.fetch_and(~AudioBufferInQueue);
                buffer->Flags.fetch_or(AudioBufferDone);
                anyDone = true;
            }
        }
    }
    if (filled < length) std::memset(stream + filled, silence_, static_cast<size_t>(length - filled));
    if (!anyDone || !onDone_) return;
    // SDL's thread is C: nothing may be thrown through it. A failure is kept and told by the
    // owner's next call (Write, Pause, Restart, Reset or Close answers AudioError).
    std::string failure;
    try {
        onDone_();
    } catch (const std::exception &e) {
        failure = e.what();
    } catch (...) {
        failure = "unknown exception";
    }
    if (failure.empty()) return;
    try {
        std::lock_guard<std::mutex> guard(lock_);
        if (callbackFailure_.empty()) callbackFailure_ = std::move(failure);
    } catch (...) {
        // Nothing left to do on this thread.
    }
}
