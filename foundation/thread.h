// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TThread: base of the worker threads (the synthesis thread, the play thread). The thread
// is created at once but held at a start gate ("suspended") until Resume; it then runs
// Execute once, shows any exception that escapes Execute in a message box, sets Finished
// and ends. Owners ask it to stop with Terminate; Execute polls TerminateRequested.
//
// Stopping and destruction (the C++ destructor of this base runs after the derived part is
// gone, so it cannot be the place that stops a running Execute):
// - Before a derived object dies, its thread must not be running Execute. Owners call
//   StopAndWait() (or Terminate() and WaitFor()) before destroying the thread; a derived
//   class whose Execute uses its own members calls StopAndWait() first thing in its
//   destructor, which makes destruction alone safe.
// - The base destructor still stops a thread that never ran (it requests termination,
//   opens the gate and waits: the start routine then skips Execute) and joins as a last
//   resort. It must not run on the worker thread itself, except through DeleteWhenDone.
// - With DeleteWhenDone the worker destroys its own object (Free) after Execute; the owner
//   must not touch the object after Resume.
//
// Waiting on the UI thread (MainThreadId) keeps running the closures that other threads
// post or send to it (platform/ui_queue.h), so a worker that sends to the UI thread while
// the UI thread waits for it cannot deadlock.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// The UI thread's identifier: recorded at start-up (tests set it); a default id until then.
// It is also the thread that runs the UI queue's closures.
std::thread::id MainThreadId();
void SetMainThreadId(std::thread::id id);

class TThread {
public:
    // Starts the thread held at the gate. Raises "Thread Create Error " when the system
    // cannot create it.
    TThread();
    virtual ~TThread();
    TThread(const TThread &) = delete;
    TThread &operator=(const TThread &) = delete;

    // Sets TerminateRequested; Execute is expected to poll it and return.
    virtual void Terminate();
    // Sets TerminateRequested, then resumes a suspended thread once, so a thread that never
    // ran ends without running Execute.
    virtual void ResumeAndTerminate();
    // Destroys the object (delete this); called by the worker itself when DeleteWhenDone.
    virtual void Free();

    // Removes one suspension; the thread runs when none is left. No effect on a thread that
    // already runs or has ended.
    void Resume();
    // Adds a suspension to a thread still held at the gate, so that one Resume leaves it
    // suspended. Raises "Thread Suspend Error: the thread already runs" otherwise.
    void Suspend();

    // Waits until the thread has ended and returns its exit code (always 0). On the UI
    // thread it runs queued closures while it waits (checking at least every 1000 ms and at
    // once when a closure arrives or the thread ends) and passes on their exceptions.
    // Raises "MainThreadId not assigned at startup" when MainThreadId is unknown, "Thread
    // Waitfor sirasinda Suspended olamaz" when the thread is suspended (it could never end),
    // "Thread Error Occured On %s. Error:(%d) %s" when the wait itself fails (a thread
    // waiting for itself).
    uint32_t WaitFor();

    // The owner-side stop: Terminate, lift every suspension, wait until the thread has ended
    // (running queued closures on the UI thread, showing the message of any that raises).
    // Never raises; a thread that never ran ends without running Execute. Not for the
    // worker itself.
    void StopAndWait();

    // Raises "Thread Error Occured On <where>. Error:(<errno>) <system text>" when errno is
    // non-zero; returns without effect when it is 0.
    static void RaiseThreadError(const char *where);

    bool TerminateRequested() const { return terminateRequested_.load(); }
    bool Suspended() const { return suspended_.load(); }
    bool Finished() const { return finished_.load(); }
    bool DeleteWhenDone() const { return deleteWhenDone_.load(); }
    void SetDeleteWhenDone(bool value) { deleteWhenDone_.store(value); }
    std::thread::id ThreadId() const { return threadId_; }

protected:
    // The thread's work, run once on the worker thread unless termination was requested
    // before the thread started.
    virtual void Execute() = 0;
    // Runs on the worker once it is done, whether Execute ran or not (termination before
    // the start), before Finished is set; must not raise.
    virtual void Ended() noexcept {}

private:
    void StartRoutine();
    void RunExecute();
    // Removes every suspension.
    void OpenGate();
    // Waits for the end without raising (destructor, StopAndWait).
    void WaitQuietly() noexcept;
    // Joins the system thread once; raises on failure unless `quiet`.
    void Join(bool quiet);

    std::atomic<bool> terminateRequested_{false};  // owner writes, worker polls
    std::atomic<bool> suspended_{true};            // owner writes (gate), anyone reads
    std::atomic<bool> finished_{false};            // worker writes, owner reads
    std::atomic<bool> deleteWhenDone_{false};      // owner writes before Resume, worker reads

    std::mutex gateLock_;
    std::condition_variable gateOpened_;  // the worker waits on it until suspendCount_ is 0
    int32_t suspendCount_ = 1;            // gateLock_

    std::mutex joinLock_;   // guards thread_ once the worker runs
    std::thread::id threadId_;  // written in the constructor only
    std::thread thread_;        // last member: the worker starts after the others exist
};
