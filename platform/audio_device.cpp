// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_device.h"

#include <mutex>

#include "platform/audio_device_sdl.h"

int32_t TAudioDevice::Prepare(TAudioBuffer &buffer) {
    if (!IsOpen()) return AudioInvalidHandle;
    buffer.Flags.fetch_or(AudioBufferPrepared);
    return AudioOk;
}

int32_t TAudioDevice::Unprepare(TAudioBuffer &buffer) {
    if (buffer.Flags.load() & AudioBufferInQueue) return AudioStillPlaying;
    buffer.Flags.fetch_and(~AudioBufferPrepared);
    return AudioOk;
}

std::string TAudioDevice::ErrorText(int32_t code) const {
    switch (code) {
    case AudioOk: return "The operation completed successfully.";
    case AudioError: return "The sound system reported an error.";
    case AudioBadDeviceId: return "The sound device does not exist.";
    case AudioAllocated: return "The sound device is already open.";
    case AudioInvalidHandle: return "The sound device is not open.";
    case AudioNoDriver: return "There is no sound driver.";
    case AudioNoMemory: return "There is not enough memory for the sound device.";
    case AudioInvalidParam: return "An invalid parameter was passed to the sound device.";
    case AudioBadFormat: return "The sound device does not support this format.";
    case AudioStillPlaying: return "The buffer is still playing.";
    case AudioUnprepared: return "The buffer has not been prepared.";
    default: return "Unknown sound device error.";
    }
}

namespace {

std::mutex factoryLock;

TAudioDeviceFactory &Factory() {
    static TAudioDeviceFactory factory;
    return factory;
}

}  // namespace

std::unique_ptr<TAudioDevice> CreateAudioDevice() {
    TAudioDeviceFactory factory;
    {
        std::lock_guard<std::mutex> guard(factoryLock);
        factory = Factory();
    }
    if (factory) return factory();
    return std::make_unique<TSdlAudioDevice>();
}

TAudioDeviceFactory SetAudioDeviceFactory(TAudioDeviceFactory factory) {
    std::lock_guard<std::mutex> guard(factoryLock);
    TAudioDeviceFactory previous = std::move(Factory());
    Factory() = std::move(factory);
    return previous;
}
