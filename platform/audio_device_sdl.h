// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound device on SDL2's audio subsystem (SDL_INIT_AUDIO only, no video): one device in
// the requested format (SDL converts to whatever the hardware wants). SDL's audio thread
// asks for sound every CallbackFrames frames (32 ms at 16 kHz); the device hands it the
// queued buffers' bytes in order, silence when nothing is queued, marks a buffer done once
// all of it has been handed over and then calls the completion callback.
//
// SDL_AUDIODRIVER chooses the driver; "disk" with SDL_DISKAUDIOFILE=path writes what is
// played to a file at real-time pace, which the tests use. A driver that cannot start or
// reports no output device counts as no sound device.

#include <SDL2/SDL.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>

#include "platform/audio_device.h"

class TSdlAudioDevice : public TAudioDevice {
public:
    static constexpr int CallbackFrames = 512;

    TSdlAudioDevice() = default;
    // Resets and closes an open device, then leaves the audio subsystem.
    ~TSdlAudioDevice() override;
    TSdlAudioDevice(const TSdlAudioDevice &) = delete;
    TSdlAudioDevice &operator=(const TSdlAudioDevice &) = delete;

    int32_t OutputDeviceCount() override;
    // AudioNoDriver when SDL's audio cannot start, AudioBadDeviceId when SDL cannot open an
    // output device, AudioBadFormat for anything but 8- or 16-bit integer PCM. queryOnly
    // opens and closes the device at once, so it answers as the real open will.
    int32_t Open(const TAudioFormat &format, TDoneCallback onDone, bool queryOnly) override;
    bool IsOpen() const override { return device_.load() != 0; }
    int32_t Write(TAudioBuffer &buffer) override;
    int32_t Pause() override;
    int32_t Restart() override;
    int32_t Reset() override;
    int32_t Close() override;
    // The code's text, followed by SDL's own message for failures that came from SDL.
    std::string ErrorText(int32_t code) const override;

private:
    static void SDLCALL Callback(void *self, Uint8 *stream, int length);
    static void SDLCALL QueryCallback(void *, Uint8 *stream, int length);
    // AudioError with the callback's failure in ErrorText when SDL's thread caught one since
    // the last call; AudioOk otherwise. Caller's thread.
    int32_t TakeCallbackFailure();
    void Fill(Uint8 *stream, int length);
    bool StartAudio();

    bool audioStarted_ = false;  // SDL_InitSubSystem succeeded; undone by the destructor
    // Set by Open once the device plays, cleared by Close: the thread that opens (also the
    // synthesis thread) and the one that pauses (the UI thread) may differ.
    std::atomic<SDL_AudioDeviceID> device_{0};
    Uint8 silence_ = 0;
    std::string sdlError_;  // SDL's text for the last failure; caller's thread only
    // Set by Open before SDL's thread starts, cleared by Close after it has stopped; only
    // read by SDL's thread in between.
    TDoneCallback onDone_;
    // Guards the queue and the read offset: callers queue and reset, SDL's thread takes.
    std::mutex lock_;
    std::deque<TAudioBuffer *> queue_;
    int32_t offset_ = 0;  // bytes of queue_.front() already handed to SDL
    std::string callbackFailure_;  // what the completion callback raised on SDL's thread
};
