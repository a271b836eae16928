// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui_queue.h"

void TUiQueue::Post(std::function<void()> closure) {
    Push(TKind::Closure, std::move(closure));
}

void TUiQueue::PostQuit() {
    Push(TKind::Quit, nullptr);
}

void TUiQueue::Push(TKind kind, std::function<void()> closure) {
    std::function<void()> wakeUp;
    {
        std::lock_guard<std::mutex> guard(lock_);
        items_.push_back(TItem{kind, std::move(closure)});
        if (kind == TKind::Closure) ++closures_;
        wakeUp = wakeUp_;
    }
    changed_.notify_all();
    if (wakeUp) wakeUp();
}

int32_t TUiQueue::RunPending(TQuitHandling quit) {
    int32_t run = 0;
    for (;;) {
        std::function<void()> closure;
        {
            std::lock_guard<std::mutex> guard(lock_);
            auto it = items_.begin();
            while (it != items_.end() && it->Kind == TKind::Quit)
                it = quit == TQuitHandling::Drop ? items_.erase(it) : std::next(it);
            if (it == items_.end()) return run;
            closure = std::move(it->Closure);
            items_.erase(it);
            --closures_;
        }
        closure();
        ++run;
    }
}

bool TUiQueue::QuitPending() const {
    std::lock_guard<std::mutex> guard(lock_);
    return std::size_t(closures_) != items_.size();
}

bool TUiQueue::HasWork() const {
    std::lock_guard<std::mutex> guard(lock_);
    return closures_ > 0;
}

TUiQueue::TWaitResult TUiQueue::Wait(std::chrono::milliseconds timeout,
                                     const std::function<bool()> &done) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, timeout, [&] { return closures_ > 0 || done(); });
    if (done()) return TWaitResult::Done;
    return closures_ > 0 ? TWaitResult::Work : TWaitResult::Timeout;
}

void TUiQueue::Wake() {
    // Taking the lock orders this after the waker's change and before the waiter's check,
    // so a Wait that has just found `done()` false cannot miss the notification.
    { std::lock_guard<std::mutex> guard(lock_); }
    changed_.notify_all();
}

void TUiQueue::SetWakeUpHandler(std::function<void()> handler) {
    std::lock_guard<std::mutex> guard(lock_);
    wakeUp_ = std::move(handler);
}

TUiQueue &UiQueue() {
    // Never destroyed: worker threads still running at exit may post to it.
    static TUiQueue *queue = new TUiQueue;
    return *queue;
}
