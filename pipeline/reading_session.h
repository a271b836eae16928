// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TReadingSession: how a reader (the reading window, narrelo-say) runs its readings, one at a
// time. It makes each reading's synthesis thread, turns every audio item into sound on the
// wave output (decode, tempo change, queue, tagged with its sentence), and stops a reading
// without waiting for it.
//
// Stop ends the current reading at once as far as its owner can tell: its thread is told to
// terminate (a service call in progress gives up within the client's cancel period), no
// sound of it is queued from then on, and what is queued is dropped. The thread itself is
// abandoned: it ends on its own, the next reading's thread waits for it before its first
// call (the client serves one thread at a time), and the session destroys it once it has
// ended. So neither Stop nor Start ever waits for the service, however long it takes to
// answer; only the destructor (StopAndWait) waits, for at most a cancel period plus a
// connection attempt.
//
// Threads: Start, Stop, StopAndWait, WaitCurrent and Current on the owner's thread; Play
// and PlaySound on a synthesis thread (from its listeners and BeforeReading); Speed from
// any thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/my_string.h"
#include "pipeline/completion_event.h"
#include "pipeline/demo_synthesise_thread.h"

class TDemoAudio;
class TDemoAudios;
class TDemoClient;
class TWaveOut;

class TReadingSession {
public:
    struct TReading {
        MyString Text;  // Windows-1254
        bool IsXml = false;
        int32_t Speaker = 1;
        TDemoAudios *AudioCache = nullptr;  // not owned; lives while the reading runs
        uint32_t Serial = 0;                // becomes the thread's Serial
        // Registered as the thread's first listener; must stay valid until the session has
        // waited for the thread (StopAndWait or the destructor).
        TEventHandler_DemoSynthesiseThread *Listener = nullptr;
        // See TDemoSynthesiseThread::BeforeReading; receives the reading's thread.
        std::function<void(TDemoSynthesiseThread &)> BeforeReading;
    };

    // Neither is owned; both outlive the session.
    TReadingSession(TDemoClient &client, TWaveOut &waveOut);
    ~TReadingSession();
    TReadingSession(const TReadingSession &) = delete;
    TReadingSession &operator=(const TReadingSession &) = delete;

    // Starts `reading` on a new thread (a current reading that still runs is stopped first,
    // as by Stop but without dropping sound) and returns that thread, which the session owns.
    TDemoSynthesiseThread *Start(const TReading &reading);
    // The current reading's thread: null before the first Start and after Stop. It stays
    // current once it has finished, until the next Start or Stop.
    TDemoSynthesiseThread *Current() const { return current_.get(); }
    // Stops the current reading, if any, without waiting for it, and closes the wave output,
    // dropping the queued sound. keepIdleOutputOpen: only when it holds sound or is paused
    // (a reading about to start would open it again, and closing takes the sound system
    // tens of milliseconds).
    void Stop(bool keepIdleOutputOpen = false);
    // Waits until the current reading has ended on its own (after its OnFinished).
    void WaitCurrent();
    // Stops every reading and waits until all their threads have ended.
    void StopAndWait();

    // On the synthesis thread `thread`: decodes the audio file of `audio`, changes its tempo
    // by Speed and queues it on the wave output tagged `tag`, opening the output when it is
    // closed. `beforeQueue`, when given, runs just before the sound is queued (it may be heard
    // before the write returns). Nothing is queued once `thread` was stopped, nor for an item
    // that decodes to no sound; returns whether sound was queued.
    bool Play(TDemoSynthesiseThread &thread, TDemoAudio &audio, uint32_t tag,
              const std::function<void()> &beforeQueue = {});
    // The same for PCM already made (16 kHz, 16-bit mono): the warning sound.
    bool PlaySound(TDemoSynthesiseThread &thread, const void *pcm, int32_t size, uint32_t tag);

    // The tempo: 0..20, 10 normal (see ChangeSpeed); read for every item, so a change
    // applies from the next one.
    std::atomic<int32_t> Speed{10};
    // Whether an item's file bytes are released once decoded (a reader that reads its text
    // once keeps no sound beyond what is queued). Set before the first Start.
    bool ReleaseDecodedFiles = false;

private:
    // Destroys the abandoned threads that have ended.
    void Reap();
    // Queues `size` bytes of `pcm` unless `thread` was stopped; outputLock_ is held.
    bool QueueLocked(TDemoSynthesiseThread &thread, const void *pcm, int32_t size, uint32_t tag,
                     const std::function<void()> &beforeQueue);

    TDemoClient &client_;
    TWaveOut &waveOut_;
    std::unique_ptr<TDemoSynthesiseThread> current_;
    std::vector<std::unique_ptr<TDemoSynthesiseThread>> ending_;  // stopped, maybe running
    std::shared_ptr<TCompletionEvent> lastDone_;  // Done of the thread started last
    // Held while sound is queued and while a reading stops, so that a stopped reading never
    // queues sound after its stop has dropped what was queued.
    std::mutex outputLock_;
};
