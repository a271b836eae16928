// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/play_thread.h"

#include "foundation/exceptions.h"
#include "pipeline/wave_out.h"

void TPlayThread::Execute() {
    while (!TerminateRequested()) {
        if (!waveOut_) RaiseError("WaveOut not assigned");
        TCompletionEvent &completion = waveOut_->CompletionEvent();
        completion.Wait();
        if (!TerminateRequested()) {
            // Reset before looking, not after: a buffer that completes while we release
            // the others signals again, instead of being lost until the next completion.
            completion.Reset();
            waveOut_->ReleaseDone();
        }
        if (waveOut_->QueuedBytes() > 0 && !TerminateRequested()) continue;
        if (waveOut_->QueuedBytes() <= 0) waveOut_->NotifyPlayEnd();
    }
}
