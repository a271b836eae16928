// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wave output's play thread: waits for the device to complete buffers, releases them
// (listeners hear OnBufferDone) and, whenever nothing is left queued, tells the listeners
// OnPlayEnd. It exists while the wave output is open; closing requests termination and
// signals the completion event to wake it.

#include "foundation/thread.h"

class TWaveOut;

class TPlayThread : public TThread {
public:
    // Created suspended; the wave output resumes it. waveOut is not owned.
    explicit TPlayThread(TWaveOut *waveOut) : waveOut_(waveOut) {}
    ~TPlayThread() override { StopAndWait(); }
    void Free() override { delete this; }

protected:
    // Raises "WaveOut not assigned" without a wave output; any exception ends the thread
    // (its start routine shows the message) and nothing more is released until the device
    // closes.
    void Execute() override;

private:
    TWaveOut *const waveOut_;
};
