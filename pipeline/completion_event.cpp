// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/completion_event.h"

void TCompletionEvent::Set() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        signalled_ = true;
    }
    changed_.notify_all();
}

void TCompletionEvent::Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    signalled_ = false;
}

void TCompletionEvent::Wait() {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return signalled_; });
}

bool TCompletionEvent::Signalled() {
    std::lock_guard<std::mutex> guard(lock_);
    return signalled_;
}
