// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TUiQueue: the UI thread's queue of calls. Any thread may post a closure to the UI thread
// (fire and forget) or send one and wait for its result; the UI thread runs them whenever it
// processes messages: in its event loop, in ProcessMessages, and while it waits for a worker
// (TThread::WaitFor), so a worker that sends to the UI thread while the UI thread waits for
// that worker does not deadlock.
//
// - Closures run on the owner thread, one at a time, in the order they were queued.
// - Send from the owner thread itself runs the closure at once (a queued send could never be
//   answered); so does Send while no owner thread is set (a program without a UI thread).
// - An exception thrown by a sent closure is delivered to the sender. A posted closure must
//   not throw: if it does, the exception leaves the RunPending that ran it, and the closures
//   behind it stay queued for the next run.
// - A quit request is an item of its own kind: RunPending drops it or leaves it queued, as
//   the caller says; it never ends the program by itself.
// - A GUI event loop drains the same queue: SetWakeUpHandler installs a callback (e.g. one
//   that asks the toolkit to schedule an idle pass) that every Post, Send and PostQuit calls
//   on the queuing thread, after the item is queued.
//
// The program posts, sends and serves the queue through its host (foundation/host.h),
// whose every implementation uses this queue; the waits of TThread and the wx event loop
// (ui/ui_thread.h) drain it directly.
//
// Uses only the standard library, so every layer may include it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <utility>

class TUiQueue {
public:
    enum class TQuitHandling { Drop, Keep };
    enum class TWaitResult { Work, Done, Timeout };

    TUiQueue() = default;
    // A queued send that never ran fails its sender with std::runtime_error.
    ~TUiQueue() = default;
    TUiQueue(const TUiQueue &) = delete;
    TUiQueue &operator=(const TUiQueue &) = delete;

    // The thread that runs the closures (the UI thread); a default id means none.
    void SetOwnerThread(std::thread::id owner) { owner_.store(owner); }
    std::thread::id OwnerThread() const { return owner_.load(); }
    bool OnOwnerThread() const { return OwnerThread() == std::this_thread::get_id(); }

    // Any thread: queues `closure` and returns at once.
    void Post(std::function<void()> closure);
    // Any thread: queues a quit request.
    void PostQuit();

    // Any thread: runs `f` on the owner thread and returns its result (or rethrows its
    // exception); the calling thread blocks until then.
    template <class F>
    auto Send(F &&f) -> std::invoke_result_t<std::decay_t<F> &> {
        using R = std::invoke_result_t<std::decay_t<F> &>;
        if (OnOwnerThread() || OwnerThread() == std::thread::id()) return f();
        auto call = std::make_shared<TSentCall<std::decay_t<F>, R>>(std::forward<F>(f));
        Push(TKind::Closure, [call] { call->Run(); });
        return call->Result();
    }

    // Owner thread: runs queued closures until none is left, including those queued while
    // it runs; quit requests are dropped or left in place. Returns the number run.
    int32_t RunPending(TQuitHandling quit);

    // A quit request is queued.
    bool QuitPending() const;
    // A closure is queued.
    bool HasWork() const;

    // Owner thread: blocks until a closure is queued (Work), `done()` holds (Done) or
    // `timeout` has passed (Timeout). Quit requests do not end the wait. `done` is called
    // with the queue's lock held: it must only read a flag. Whoever makes it true calls
    // Wake() afterwards.
    TWaitResult Wait(std::chrono::milliseconds timeout, const std::function<bool()> &done);
    // Any thread: lets a Wait re-evaluate its condition.
    void Wake();

    // Any thread: installs the callback run after each item is queued (empty: none). It runs
    // on the queuing thread, without the queue's lock, so it must be thread-safe and quick.
    void SetWakeUpHandler(std::function<void()> handler);

private:
    // One Send in flight: the closure, run once on the owner thread, and its outcome, handed
    // to the sender under a lock. The owner keeps no reference to a thrown exception once
    // it has handed it over, so the sender is the one that finally releases it.
    template <class Fn, class R>
    class TSentCall {
    public:
        static_assert(!std::is_reference_v<R>, "Send returns values, not references");
        explicit TSentCall(Fn fn) : fn_(std::move(fn)) {}
        // A call destroyed before it ran (its queue went away) fails the sender.
        ~TSentCall() {
            if (!ran_)
                Complete(std::make_exception_ptr(std::runtime_error("UI thread call never ran")));
        }

        void Run() {
            ran_ = true;
            std::exception_ptr error;
            try {
                if constexpr (std::is_void_v<R>)
                    fn_();
                else
                    value_.emplace(fn_());
            } catch (...) {
                error = std::current_exception();
            }
            Complete(std::move(error));
        }

        R Result() {
            std::unique_lock<std::mutex> guard(lock_);
            completed_.wait(guard, [this] { return done_; });
            if (error_) {
                std::exception_ptr error = std::move(error_);
                guard.unlock();
                std::rethrow_exception(std::move(error));
            }
            if constexpr (!std::is_void_v<R>) return std::move(*value_);
        }

    private:
        void Complete(std::exception_ptr error) {
            std::lock_guard<std::mutex> guard(lock_);
            if (done_) return;
            error_ = std::move(error);
            done_ = true;
            completed_.notify_all();
        }

        Fn fn_;
        bool ran_ = false;  // owner thread only
        std::mutex lock_;
        std::condition_variable completed_;
        // Written by the owner thread before done_, read by the sender after it; lock_.
        std::optional<std::conditional_t<std::is_void_v<R>, char, R>> value_;
        std::exception_ptr error_;
        bool done_ = false;
    };

    enum class TKind { Closure, Quit };
    struct TItem {
        TKind Kind;
        std::function<void()> Closure;
    };

    void Push(TKind kind, std::function<void()> closure);

    mutable std::mutex lock_;
    std::condition_variable changed_;  // signalled by Push and Wake, waited on by Wait
    std::deque<TItem> items_;          // any thread pushes, the owner thread pops; lock_
    int32_t closures_ = 0;             // closure items in items_; lock_
    std::function<void()> wakeUp_;     // set by anyone, called by queuing threads; lock_
    std::atomic<std::thread::id> owner_{};  // set at start-up (or by tests), read by all
};

// The process's one UI-thread queue; it lives until the process ends.
TUiQueue &UiQueue();
