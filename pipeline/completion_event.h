// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A manual-reset event: once Set it stays signalled, releasing every wait, until Reset. The
// sound device sets it (from its own thread) when buffers complete; closing the wave output
// sets it to wake the play thread.

#include <condition_variable>
#include <mutex>

class TCompletionEvent {
public:
    TCompletionEvent() = default;
    TCompletionEvent(const TCompletionEvent &) = delete;
    TCompletionEvent &operator=(const TCompletionEvent &) = delete;

    // Any thread; never blocks for long (safe inside a device callback).
    void Set();
    void Reset();
    // Returns when the event is signalled (at once if it already is).
    void Wait();
    bool Signalled();

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool signalled_ = false;  // lock_
};
