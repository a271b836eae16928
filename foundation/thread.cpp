// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/thread.h"

#include <cerrno>
#include <chrono>
#include <system_error>

#include "foundation/exceptions.h"
#include "foundation/system_error_text.h"
#include "foundation/message_box.h"
#include "foundation/my_string.h"
#include "platform/ui_queue.h"

std::thread::id MainThreadId() {
    return UiQueue().OwnerThread();
}

void SetMainThreadId(std::thread::id id) {
    UiQueue().SetOwnerThread(id);
}

// Longest wait on the UI thread between two looks at the state of the thread and the queue.
static constexpr std::chrono::milliseconds UiWaitSlice{1000};

TThread::TThread() {
    try {
        thread_ = std::thread([this] { StartRoutine(); });
    } catch (const std::system_error &) {
        RaiseError("Thread Create Error ");
    }
    threadId_ = thread_.get_id();
}

TThread::~TThread() {
    const bool onWorker = std::this_thread::get_id() == threadId_;
    if (!onWorker && !finished_) WaitQuietly();
    std::lock_guard<std::mutex> guard(joinLock_);
    if (thread_.joinable()) {
        if (onWorker)
            thread_.detach();  // DeleteWhenDone: the routine returns right after this
        else
            thread_.join();
    }
}

void TThread::Terminate() {
    terminateRequested_ = true;
}

void TThread::ResumeAndTerminate() {
    // Termination first: a thread resumed before it sees the request would start Execute.
    Terminate();
    if (Suspended()) Resume();
}

void TThread::Free() {
    delete this;
}

void TThread::Resume() {
    std::lock_guard<std::mutex> guard(gateLock_);
    if (suspendCount_ == 0) return;
    if (--suspendCount_ == 0) {
        suspended_ = false;
        gateOpened_.notify_all();
    }
}

void TThread::Suspend() {
    std::lock_guard<std::mutex> guard(gateLock_);
    if (suspendCount_ == 0) RaiseError("Thread Suspend Error: the thread already runs");
    ++suspendCount_;
}

void TThread::OpenGate() {
    std::lock_guard<std::mutex> guard(gateLock_);
    suspendCount_ = 0;
    suspended_ = false;
    gateOpened_.notify_all();
}

void TThread::StartRoutine() {
    {
        std::unique_lock<std::mutex> guard(gateLock_);
        gateOpened_.wait(guard, [this] { return suspendCount_ == 0; });
    }
    if (!terminateRequested_) RunExecute();
    Ended();
    finished_ = true;
    const bool deleteWhenDone = deleteWhenDone_;
    UiQueue().Wake();  // a WaitFor on the UI thread re-checks Finished
    if (deleteWhenDone) Free();
}

void TThread::RunExecute() {
    // Nothing escapes the worker: each failure ends in a message box.
    try {
        try {
            try {
                Execute();
            } catch (const TCustomException &e) {
                e.Show();
            }
        } catch (const TCustomException &e) {
            ShowMessageBox(
                MyString::MakeStr("CustomException Occured On Thread Handler. %s", e.Message()).Text(),
                MB_OK);
        }
    } catch (...) {
        try {
            ShowMessageBox("Unknown Error On Thread", MB_OK);
        } catch (...) {
            // Not even this box could be shown; there is nobody left to tell.
        }
    }
}

uint32_t TThread::WaitFor() {
    if (MainThreadId() == std::thread::id()) RaiseError("MainThreadId not assigned at startup");
    if (std::this_thread::get_id() == threadId_) {
        errno = EDEADLK;
        RaiseThreadError("WaitFor");
    }
    if (std::this_thread::get_id() == MainThreadId()) {
        TUiQueue &queue = UiQueue();
        for (;;) {
            queue.RunPending(TUiQueue::TQuitHandling::Keep);
            if (suspended_) RaiseError("Thread Waitfor sirasinda Suspended olamaz");
            if (queue.Wait(UiWaitSlice, [this] { return finished_.load(); }) ==
                TUiQueue::TWaitResult::Done)
                break;
        }
    } else if (suspended_) {
        // Another thread would wait forever here; refuse as the UI thread does.
        RaiseError("Thread Waitfor sirasinda Suspended olamaz");
    }
    Join(false);
    return 0;
}

void TThread::StopAndWait() {
    Terminate();
    OpenGate();
    WaitQuietly();
    Join(true);
}

void TThread::WaitQuietly() noexcept {
    terminateRequested_ = true;
    OpenGate();
    TUiQueue &queue = UiQueue();
    if (std::this_thread::get_id() != queue.OwnerThread()) return;  // Join does the wait
    while (!finished_) {
        try {
            queue.RunPending(TUiQueue::TQuitHandling::Keep);
        } catch (const TCustomException &e) {
            e.Show();
        } catch (...) {
            // A posted closure broke its contract; the wait goes on regardless.
        }
        queue.Wait(UiWaitSlice, [this] { return finished_.load(); });
    }
}

void TThread::Join(bool quiet) {
    std::lock_guard<std::mutex> guard(joinLock_);
    if (!thread_.joinable()) return;
    try {
        thread_.join();
    } catch (const std::system_error &e) {
        if (quiet) return;
        errno = e.code().value();
        RaiseThreadError("WaitFor.Join");
    }
}

void TThread::RaiseThreadError(const char *where) {
    const int code = errno;
    if (code == 0) return;
    RaiseError("Thread Error Occured On %s. Error:(%d) %s", where, code,
               SystemErrorText(true, code).Text());
}
