// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/wave_out.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "pipeline/play_thread.h"

// One queued block: the device's buffer header and the private copy of the samples it
// points at.
struct TWaveOut::TBlock {
    TAudioBuffer Header;
    std::unique_ptr<uint8_t[]> Samples;
};

namespace {

// How long Release keeps asking a device that says a buffer is still playing.
constexpr auto UnprepareWait = std::chrono::milliseconds(10000);

}  // namespace

TWaveOut::TWaveOut() : TWaveOut(CreateAudioDevice()) {}

TWaveOut::TWaveOut(std::unique_ptr<TAudioDevice> device) : device_(std::move(device)) {}

TWaveOut::~TWaveOut() {
    try {
        SetActive(false);
    } catch (const TCustomException &) {
        // Destruction goes on regardless.
    }
    // After a failed close the device may still hold buffers: it lets go of them (its
    // destructor resets and closes) before they are freed.
    device_.reset();
    buffers_.clear();
}

bool TWaveOut::Active() const { return device_ && device_->IsOpen(); }

void TWaveOut::CheckResult(int32_t code, const char *name) const {
    if (code == 0) return;
    std::string text = cp1254::FromUtf8(device_->ErrorText(code));
    if (text.size() > 255) text.resize(255);
    RaiseError(TErrorCategory::InputOutput, "%s (%d) %s", text.c_str(), code, name);
}

void TWaveOut::SetActive(bool open) {
    if (open == device_->IsOpen()) return;
    if (open) {
        TAudioFormat format;
        format.FormatTag = formatTag_;
        format.Channels = channels_;
        format.SamplesPerSec = sampleRate_;
        format.BitsPerSample = bitsPerSample_;
        format.BlockAlign = static_cast<uint16_t>(bitsPerSample_ / 8);
        format.AvgBytesPerSec = static_cast<uint32_t>(sampleRate_) * (bitsPerSample_ / 8);
        if (device_->OutputDeviceCount() == 0) RaiseError(TErrorCategory::NoDevice, "There is No Sound Device");
        // A completion left over from the last time the device was open means nothing now.
        completion_.Reset();
        auto onDone = [this] { completion_.Set(); };
        for (bool query : {true, false}) {
            const int32_t result = device_->Open(format, onDone, query);
            // The sound system could not start or offers no device to open.
            if (result == AudioNoDriver || result == AudioBadDeviceId) RaiseError(TErrorCategory::NoDevice, "There is No Sound Device");
            CheckResult(result, "Open");
        }
        if (!device_->IsOpen()) RaiseError(TErrorCategory::InputOutput, "WaveOutHandle not determined");
        try {
            playThread_ = std::make_unique<TPlayThread>(this);
        } catch (...) {
            // Without a play thread nothing would release the buffers: an open device
            // would take writes forever and a later SetActive(true) would not try again.
            device_->Close();
            throw;
        }
        playThread_->Resume();
        return;
    }
    if (playThread_) {
        playThread_->Terminate();
        completion_.Set();
        playThread_->StopAndWait();
        playThread_.reset();
    }
    CheckResult(device_->Reset(), "Restart");
    ReleaseAll();
    CheckResult(device_->Close(), "Close");
    if (QueuedBytes() != 0) RaiseError("Invalid Left Size");
}

void TWaveOut::Write(const void *data, int32_t size, uint32_t tag) {
    if (!data || size < 1) RaiseError("Invalid Parameter to WaveOut");
    {
        std::lock_guard<TCriticalSection> guard(lock_);
        if (QueuedBytes() <= 0) listeners_.Notify(&TEventHandler_WaveOut::OnPlayStart, this);
    }
    auto block = std::make_unique<TBlock>();
    block->Samples.reset(new uint8_t[static_cast<size_t>(size)]);
    std::memcpy(block->Samples.get(), data, static_cast<size_t>(size));
    block->Header.Data = block->Samples.get();
    block->Header.Length = size;
    block->Header.User = tag;
    CheckResult(device_->Prepare(block->Header), "AddWavePrepareError");

    std::lock_guard<TCriticalSection> guard(lock_);
    buffers_.push_back(std::move(block));
    // Counted with the append, so that a buffer whose submission fails is still released
    // (at close) against its own bytes.
    queuedBytes_ += size;
    Submit(int32_t(buffers_.size()) - 1);
}

void TWaveOut::OpenAndWrite(const void *data, int32_t size, uint32_t tag) {
    SetActive(true);
    Write(data, size, tag);
}

TWaveOut::TBlock *TWaveOut::BlockAt(int32_t i) const {
    if (i < 0 || size_t(i) >= buffers_.size()) RaiseError("Invalid Index Of List %d", i);
    return buffers_[size_t(i)].get();
}

void TWaveOut::Submit(int32_t i) {
    TBlock *block = BlockAt(i);
    if (block->Header.Flags.load() & ~(AudioBufferPrepared | AudioBufferBeginLoop)) RaiseError("invalid Buffer State ");
    CheckResult(device_->Prepare(block->Header), "OutPrepareHeader");
    CheckResult(device_->Write(block->Header), "OutWrite");
}

void TWaveOut::Release(int32_t i) {
    TBlock *block = BlockAt(i);
    if (!block) RaiseError("Header daha önce silinmiş"_cp);
    if (block->Header.Flags.load() & AudioBufferPrepared) {
        const auto start = std::chrono::steady_clock::now();
        int32_t result;
        while ((result = device_->Unprepare(block->Header)) == AudioStillPlaying) {
            if (std::chrono::steady_clock::now() - start > UnprepareWait)
                RaiseError("beklemeye rağmen buffer unprepare edilemedi"_cp);
            std::this_thread::yield();
        }
        CheckResult(result, "OutUnprepareHeader");
    }
    const int32_t length = block->Header.Length;
    const uint32_t tag = static_cast<uint32_t>(block->Header.User);
    // Out of the list (and freed) before anyone hears of it, so that a listener's exception
    // cannot leave a freed block behind in the list.
    buffers_.erase(buffers_.begin() + i);
    queuedBytes_ -= length;
    { std::lock_guard<std::mutex> ordered(releasedLock_); }
    released_.notify_all();
    if (QueuedBytes() < 0) RaiseError("Dec size invalid");
    listeners_.Notify(&TEventHandler_WaveOut::OnBufferDone, this, tag);
}

void TWaveOut::ReleaseDone() {
    std::lock_guard<TCriticalSection> guard(lock_);
    for (int32_t i = int32_t(buffers_.size()) - 1; i >= 0; --i) {
        // A listener may have changed the list; only indexes still inside it are looked at.
        if (size_t(i) >= buffers_.size()) continue;
        if (buffers_[size_t(i)]->Header.Flags.load() & AudioBufferDone) Release(i);
    }
}

void TWaveOut::ReleaseAll() {
    std::lock_guard<TCriticalSection> guard(lock_);
    while (!buffers_.empty()) Release(0);
}

bool TWaveOut::WaitForQueuedAtMost(int32_t limit, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(releasedLock_);
    return released_.wait_for(guard, timeout, [&] { return QueuedBytes() <= limit; });
}

int32_t TWaveOut::BufferCount() {
    std::lock_guard<TCriticalSection> guard(lock_);
    return int32_t(buffers_.size());
}

void TWaveOut::NotifyPlayEnd() { listeners_.Notify(&TEventHandler_WaveOut::OnPlayEnd, this); }

void TWaveOut::Pause() {
    CheckResult(device_->Pause(), "Pause");
    paused_ = true;
    listeners_.OnPause(this);
}

void TWaveOut::Resume() {
    CheckResult(device_->Restart(), "Resume");
    paused_ = false;
    listeners_.OnResume(this);
}
