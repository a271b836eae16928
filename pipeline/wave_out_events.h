// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Listeners of the wave output (the listener-list pattern of foundation/event_handlers.h).
// Which thread calls what, and under which lock:
//   OnPlayStart   the thread that writes the block, with the wave output's lock held
//   OnPlayEnd     the play thread, without the lock
//   OnPause       the thread that paused, without the lock
//   OnResume      the thread that resumed, without the lock
//   OnBufferDone  the play thread, or the closing thread while the device closes, with the
//                 lock held
// A listener called with the lock held must not wait for another thread that may need it:
// it posts what it has to do and returns.

#include <cstdint>

#include "foundation/event_handlers.h"

class TWaveOut;

class TEventHandler_WaveOut {
public:
    virtual ~TEventHandler_WaveOut() = default;
    // A block is being queued while nothing was queued.
    virtual void OnPlayStart(TWaveOut * /*waveOut*/) {}
    // The play thread found the queue empty.
    virtual void OnPlayEnd(TWaveOut * /*waveOut*/) {}
    virtual void OnPause(TWaveOut * /*waveOut*/) {}
    virtual void OnResume(TWaveOut * /*waveOut*/) {}
    // One buffer has been released. Its memory is gone; `tag` is what its writer passed
    // (the reading form passes the sentence index, the warning sound 0).
    virtual void OnBufferDone(TWaveOut * /*waveOut*/, uint32_t /*tag*/) {}
};

class TEventHandlers_WaveOut : public TEventHandlers<TEventHandler_WaveOut> {
public:
    virtual int32_t OnPause(TWaveOut *waveOut) { return Notify(&TEventHandler_WaveOut::OnPause, waveOut); }
    virtual int32_t OnResume(TWaveOut *waveOut) { return Notify(&TEventHandler_WaveOut::OnResume, waveOut); }
};
