// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDemoSynthesiseThread: the worker that performs one reading. It gets the sentences of
// Text (from the text cache or the service), walks through them in order, gets the audio
// items of each (sentence cache, audio cache or service) and hands every playable item to
// its listeners, which decode, speed-change and queue it on the wave output. It never
// decodes or plays anything itself: it fetches, caches, paces and notifies.
//
// Pacing:
// - back-pressure: before asking for a sentence's audio it waits while the wave output holds
//   more than QueueLimit bytes, woken by each buffer the output releases and looking at
//   least every 5 ms; so queued sound stays near QueueLimit plus one sentence. It runs
//   nothing of the UI thread's meanwhile (this is not the UI thread): a listener that needs
//   the UI thread sends to it, and the UI thread serves such sends while it waits for this
//   thread;
// - listening pause: once WordCount (words of newly fetched audio) reaches WordLimit,
//   WordLimitReached is set before that item's OnAudio, and after it the thread waits until
//   a listener lets it go on (ContinueListening wakes it at once; a flag cleared by hand is
//   seen within 30 ms); it then starts counting from 0 again;
// - drain: when every sentence is handed out (or the reading failed) it waits, woken by each
//   release and looking at least every 10 ms, until the open wave output has played
//   everything, then broadcasts OnFinished.
//
// Stopping: Terminate is seen within one period of any wait (at once in the listening
// pause), and at every sentence
// and audio item; a service call in progress gives up within the client's cancel period
// (the client's Cancel points at this thread's flag while it runs). A stopped reading skips
// the drain: OnFinished follows at once and queued sound is the owner's to drop. So an owner
// may abandon a stopped thread instead of waiting for it: see After and Done.
//
// Failures: any exception of the program's family (service, records, lists, and whatever a
// listener raises) is shown with its message in a message box on this thread; queued sound
// still plays out and OnFinished is broadcast. What was fetched before stays in the caches.
// A failure after Terminate (the cancelled call among them) is not shown: the user stopped
// the reading.
//
// Lifecycle: created suspended, configured by the owner, resumed once, one pass, finished;
// never restarted. The owner stops it (StopAndWait, or Terminate then WaitFor) and destroys
// it; the destructor stops it too.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "foundation/my_string.h"
#include "foundation/thread.h"
#include "pipeline/completion_event.h"
#include "pipeline/demo_synthesise_thread_events.h"

class TDemoClient;
class TDemoAudios;
class TDemoAudio;
class TNarreloText;
class TWaveOut;

class TDemoSynthesiseThread : public TThread {
public:
    // Bytes of queued sound above which no further sentence is requested: 28.125 seconds at
    // 16,000 samples per second, 16-bit mono.
    static constexpr int32_t QueueLimit = 900000;
    // Words of newly fetched audio after which the reading waits for the listener.
    static constexpr int32_t WordLimit = 50;

    // Created suspended, with the worker's state at its defaults.
    TDemoSynthesiseThread() = default;
    ~TDemoSynthesiseThread() override { StopAndWait(); }
    void Free() override { delete this; }
    // Also cancels the service call in progress.
    void Terminate() override;

    // Settings: written by the owner before Resume, read by the worker only afterwards.
    TDemoClient *Client = nullptr;  // not owned: the service client for every call
    int32_t FileType = 1;           // sent as AFileType
    MyString Text;                  // the text to read (Windows-1254)
    int32_t Volume = 10;            // sent as AVolume
    // Sent as ASpeed. The user's speed setting is applied by the listeners to the PCM,
    // never through this value.
    int32_t Speed = 10;
    bool IsXml = false;               // the text is XML-marked (sent as IsXML for the split)
    uint32_t Serial = 0;              // the owner's number for this reading (for its events)
    int32_t Speaker = 1;              // 1 or 2; sent as ASpeaker and part of every cache key
    TDemoAudios *AudioCache = nullptr;  // not owned: the owner's audio cache
    TWaveOut *WaveOut = nullptr;        // not owned; null: no back-pressure and no drain
    // Runs on this thread before the text is asked for, inside the failure guard (finding
    // the service, checking for an update, the warning sound); may be empty.
    std::function<void()> BeforeReading;
    // Set by the thread that used Client before (a stopped reading still ending): this one
    // waits for it before its first call, since the client serves one thread at a time.
    std::shared_ptr<TCompletionEvent> After;
    // Set at the very end (after OnFinished, if Execute ran), once Client is no longer used.
    const std::shared_ptr<TCompletionEvent> Done = std::make_shared<TCompletionEvent>();

    // Register with InsertFirst before Resume; the list does not own its listeners.
    TEventHandlers_DemoSynthesiseThread &Listeners() { return listeners_; }

    // Progress, written by the worker, read by anyone (listeners on the worker, the play
    // thread, the UI thread).
    // The text being read, owned by TextCache; null until OnTextReady.
    std::atomic<TNarreloText *> CurrentText{nullptr};
    // Index of the sentence whose audio is being handed out; the number of sentences done.
    std::atomic<int32_t> SentenceIndex{0};

    // The listening pause. The worker sets WordLimitReached and counts WordCount; a listener
    // (the continue command on the UI thread) lets the reading go on with ContinueListening,
    // which sets WordCount to 0 and then WordLimitReached to false and wakes the worker.
    std::atomic<bool> WordLimitReached{false};
    std::atomic<int32_t> WordCount{0};
    // Any thread.
    void ContinueListening();

protected:
    // The reading, inside the failure guard; OnFinished at the end whatever happened
    // (except an exception outside the program's family, which the start routine reports).
    void Execute() override;
    // Sets Done, also when Execute never ran.
    void Ended() noexcept override;

private:
    // Steps up to the last sentence; false when termination cut them short.
    bool ReadSentences();
    // The audio items of one sentence; false when termination cut them short.
    bool HandOutAudios(TDemoAudios &audios);
    // The cached copy of `audio` with its file bytes, or null when the service has none.
    TDemoAudio *CachedAudioWithBytes(TDemoAudio &audio);
    // Waits while more than QueueLimit bytes are queued; false when terminated meanwhile.
    bool WaitForQueueRoom();
    // Waits while WordLimitReached is set, then starts counting again.
    void ListeningPause();
    // Waits while the open wave output still holds sound.
    void Drain();

    // Wakes the listening pause (ContinueListening, Terminate); the mutex only orders the
    // worker's check of the flags before the waker's signal.
    void WakePause();

    TEventHandlers_DemoSynthesiseThread listeners_;
    std::atomic<bool> cancelled_{false};
    std::mutex pauseLock_;
    std::condition_variable pauseChanged_;  // the client's cancel flag while this thread runs
};
