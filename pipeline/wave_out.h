// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TWaveOut: plays blocks of PCM (16,000 samples per second, mono, 16 bits) through the sound
// device (platform/audio_device.h). Each block becomes one device buffer with its own copy
// of the samples, queued at once, so the device holds all queued sound; a play thread
// (TPlayThread) releases finished buffers. Listeners (wave_out_events.h) hear when playing
// starts, each buffer's release, the queue running empty, pause and resume.
//
// Threads: writers are the synthesis thread and the UI thread (warning sound); the play
// thread releases; the UI thread pauses, resumes, opens and closes (the synthesis thread
// opens too). The one lock guards the buffer list and every change of QueuedBytes.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/critical_section.h"
#include "foundation/list.h"
#include "pipeline/completion_event.h"
#include "pipeline/wave_out_events.h"
#include "platform/audio_device.h"

class TPlayThread;

class TWaveOut {
public:
    // The device comes from the installed factory (SDL2 unless another was installed).
    TWaveOut();
    explicit TWaveOut(std::unique_ptr<TAudioDevice> device);
    // Closes the device (dropping queued sound) and forgets the listeners.
    virtual ~TWaveOut();
    TWaveOut(const TWaveOut &) = delete;
    TWaveOut &operator=(const TWaveOut &) = delete;

    // Opens (true) or closes (false) the device; nothing when it is already so.
    // Opening raises "There is No Sound Device" on a machine without one, a CheckResult
    // message for step "Open", or "WaveOutHandle not determined"; it starts the play thread.
    // Closing stops the play thread, resets the device, releases every queued buffer (one
    // OnBufferDone each), closes the device and leaves QueuedBytes 0 ("Invalid Left Size"
    // otherwise). Paused is not changed.
    void SetActive(bool open);
    bool Active() const;

    // Copies the block and queues it. Raises "Invalid Parameter to WaveOut" for no data or
    // size < 1 (nothing queued) and CheckResult messages ("AddWavePrepareError",
    // "OutPrepareHeader", "OutWrite"). OnPlayStart first when nothing was queued.
    void Write(const void *data, int32_t size, uint32_t tag);
    // SetActive(true), then Write.
    void OpenAndWrite(const void *data, int32_t size, uint32_t tag);

    // Pause and restart the device ("Pause" / "Resume" CheckResult messages), then set
    // Paused and tell the listeners.
    void Pause();
    void Resume();
    bool Paused() const { return paused_.load(); }

    // Bytes queued and not yet released. Read without the lock (back-pressure, drain).
    int32_t QueuedBytes() const { return queuedBytes_.load(); }
    // Returns as soon as no more than `limit` bytes are queued (woken by each release), or
    // when `timeout` has passed; whether no more than `limit` are queued then. Any thread
    // but the play thread, without the lock (back-pressure, drain).
    bool WaitForQueuedAtMost(int32_t limit, std::chrono::milliseconds timeout);
    // Buffers queued and not yet released.
    int32_t BufferCount();

    // Register with InsertFirst before playing starts.
    TEventHandlers_WaveOut &Listeners() { return listeners_; }

    // Raises, for a non-zero device result, "<device text> (<code>) <name>".
    void CheckResult(int32_t code, const char *name) const;

    // For the play thread.
    TCompletionEvent &CompletionEvent() { return completion_; }
    // Releases every buffer the device has finished, last to first.
    void ReleaseDone();
    // Releases every buffer from the first on, finished or not (closing).
    void ReleaseAll();
    void NotifyPlayEnd();

private:
    struct TBlock;
    // With the lock held. BlockAt raises "Invalid Index Of List %d" outside the list.
    TBlock *BlockAt(int32_t i) const;
    void Submit(int32_t i);
    void Release(int32_t i);

    // The format every block is in.
    uint16_t formatTag_ = 1;
    uint16_t channels_ = 1;
    uint16_t sampleRate_ = 16000;
    uint16_t bitsPerSample_ = 16;

    std::unique_ptr<TAudioDevice> device_;
    TCompletionEvent completion_;
    TCriticalSection lock_;
    std::vector<std::unique_ptr<TBlock>> buffers_;  // in queuing order; lock_
    // Writers add, releasers subtract, both under lock_; read by anyone without it.
    std::atomic<int32_t> queuedBytes_{0};
    // Signalled after every release, for WaitForQueuedAtMost; the mutex only orders a
    // waiter's check before the releaser's signal.
    std::mutex releasedLock_;
    std::condition_variable released_;
    // Written by the UI thread (Pause, Resume), read by anyone.
    std::atomic<bool> paused_{false};
    std::unique_ptr<TPlayThread> playThread_;  // exists while the device is open
    TEventHandlers_WaveOut listeners_;
};
