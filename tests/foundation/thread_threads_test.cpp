// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/critical_section.h"
#include "foundation/exceptions.h"
#include "foundation/message_box.h"
#include "foundation/host.h"
#include "foundation/system_error_text.h"
#include "platform/ui_queue.h"
#include "tests/support/fake_host.h"
#include "tests/support/raised_message.h"

namespace {

using namespace std::chrono_literals;

// A worker running `body`; its destructor stops it first, as every derived thread must.
class TTestThread : public TThread {
public:
    explicit TTestThread(std::function<void(TTestThread &)> body = {}) : body_(std::move(body)) {}
    ~TTestThread() override { StopAndWait(); }
    std::atomic<int> Runs{0};

protected:
    void Execute() override {
        ++Runs;
        if (body_) body_(*this);
    }

private:
    std::function<void(TTestThread &)> body_;
};

// Keeps its count outside, so the base destructor alone may stop it.
class TCountingThread : public TThread {
public:
    explicit TCountingThread(std::atomic<int> &runs) : runs_(runs) {}

protected:
    void Execute() override { ++runs_; }

private:
    std::atomic<int> &runs_;
};

// The test's main thread plays the UI thread.
class ThreadTest : public ::testing::Test {
protected:
    ThreadTest() { SetMainThreadId(std::this_thread::get_id()); }
    ~ThreadTest() override {
        UiQueue().RunPending(TUiQueue::TQuitHandling::Drop);
        SetMainThreadId(std::thread::id());
    }
};

TEST_F(ThreadTest, ThreadTerminatedBeforeItEverRanSkipsExecute) {
    struct Row { const char *label; std::function<void(TThread &)> stop; };
    const Row rows[] = {
        {"destroyed only", [](TThread &) {}},
        {"terminated, then destroyed", [](TThread &t) { t.Terminate(); }},
        {"suspended twice, then destroyed", [](TThread &t) { t.Suspend(); }},
        {"ResumeAndTerminate and WaitFor",
         [](TThread &t) {
             t.ResumeAndTerminate();
             EXPECT_EQ(t.WaitFor(), 0u);
             EXPECT_TRUE(t.Finished());
         }},
        {"StopAndWait", [](TThread &t) { t.StopAndWait(); EXPECT_TRUE(t.Finished()); }},
    };
    for (const Row &row : rows) {
        std::atomic<int> runs{0};
        {
            TCountingThread thread(runs);
            EXPECT_TRUE(thread.Suspended()) << row.label;
            EXPECT_FALSE(thread.Finished()) << row.label;
            row.stop(thread);
        }
        EXPECT_EQ(runs, 0) << row.label;
    }
}

// Records message-box texts; the first `failures` calls throw TException("box failed").
class ThrowingMessageBox : public TFakeHost {
public:
    explicit ThrowingMessageBox(int failures) : failures_(failures) {}
    int ShowMessage(const char *text, int style) override {
        TFakeHost::ShowMessage(text, style);
        std::lock_guard<std::mutex> guard(lock_);
        if (failures_ > 0) {
            --failures_;
            throw TException("box failed");
        }
        return IDOK;
    }

private:
    std::mutex lock_;
    int failures_;
};

TEST_F(ThreadTest, ExceptionsEscapingExecuteEndInAMessageBox) {
    using V = std::vector<std::string>;
    const std::string unknown = "Unknown Error On Thread";
    const std::string nested = "CustomException Occured On Thread Handler. box failed";
    struct Row {
        const char *label;
        std::function<void()> raise;
        int boxFailures;
        V expected;
    };
    const Row rows[] = {
        {"TException", [] { RaiseError("x"); }, 0, V{"x"}},
        {"TOSException", [] { throw TOSException(2, "os failure"); }, 0,
         V{TOSException(2, "os failure").Message()}},
        {"its box fails", [] { RaiseError("x"); }, 1, V{"x", nested}},
        {"both boxes fail", [] { RaiseError("x"); }, 2, V{"x", nested, unknown}},
        {"all three boxes fail", [] { RaiseError("x"); }, 3, V{"x", nested, unknown}},
        {"std::exception", [] { throw std::runtime_error("std"); }, 0, V{unknown}},
        {"not an exception class", [] { throw 42; }, 0, V{unknown}},
        {"no exception", [] {}, 0, V{}},
    };
    for (const Row &row : rows) {
        ThrowingMessageBox box(row.boxFailures);
        TTestThread thread([&](TTestThread &) { row.raise(); });
        thread.Resume();
        EXPECT_EQ(thread.WaitFor(), 0u) << row.label;
        EXPECT_TRUE(thread.Finished()) << row.label;
        EXPECT_EQ(box.Texts(), row.expected) << row.label;
    }
}

TEST_F(ThreadTest, SuspendCount) {
    TTestThread thread;
    thread.Suspend();
    thread.Resume();
    EXPECT_TRUE(thread.Suspended());  // one suspension is left
    EXPECT_EQ(MessageOf([&] { thread.WaitFor(); }), "Thread Waitfor sirasinda Suspended olamaz");
    EXPECT_EQ(thread.Runs, 0);

    thread.Resume();
    EXPECT_FALSE(thread.Suspended());
    thread.WaitFor();
    EXPECT_EQ(thread.Runs, 1);
    thread.Resume();  // on an ended thread: no effect
    EXPECT_EQ(MessageOf([&] { thread.Suspend(); }), "Thread Suspend Error: the thread already runs");
    EXPECT_EQ(thread.WaitFor(), 0u);  // a second wait returns at once
}

TEST_F(ThreadTest, WaitForRefusals) {
    TTestThread suspended;
    EXPECT_EQ(MessageOf([&] { suspended.WaitFor(); }), "Thread Waitfor sirasinda Suspended olamaz");

    // From another thread a suspended thread could never be waited for either.
    std::string fromOther;
    TTestThread other([&](TTestThread &) { fromOther = MessageOf([&] { suspended.WaitFor(); }); });
    other.Resume();
    other.WaitFor();
    EXPECT_EQ(fromOther, "Thread Waitfor sirasinda Suspended olamaz");

    std::string fromItself;
    TTestThread self([&](TTestThread &t) { fromItself = MessageOf([&] { t.WaitFor(); }); });
    self.Resume();
    self.WaitFor();
    EXPECT_EQ(fromItself.rfind("Thread Error Occured On WaitFor. Error:(" + std::to_string(EDEADLK) + ") ", 0), 0u)
        << fromItself;

    SetMainThreadId(std::thread::id());
    EXPECT_EQ(MessageOf([&] { suspended.WaitFor(); }), "MainThreadId not assigned at startup");
}

TEST_F(ThreadTest, WorkerSendingToTheUiThreadWhileItWaitsDoesNotDeadlock) {
    const std::thread::id ui = std::this_thread::get_id();
    std::thread::id sentRanOn;
    std::atomic<bool> postedRan{false};
    int answer = 0;
    TTestThread worker([&](TTestThread &) {
        UiQueue().Post([&] { postedRan = std::this_thread::get_id() == ui; });
        UiQueue().PostQuit();
        answer = UiQueue().Send([&] {
            sentRanOn = std::this_thread::get_id();
            return 42;
        });
    });
    worker.Resume();
    EXPECT_EQ(worker.WaitFor(), 0u);
    EXPECT_EQ(sentRanOn, ui);
    EXPECT_EQ(answer, 42);
    EXPECT_TRUE(postedRan);
    EXPECT_TRUE(UiQueue().QuitPending());  // a wait leaves quit requests alone
}

TEST_F(ThreadTest, StopAndWaitEndsAWorkerThatPollsTerminateRequested) {
    std::atomic<bool> started{false};
    TTestThread worker([&](TTestThread &t) {
        started = true;
        while (!t.TerminateRequested()) std::this_thread::sleep_for(1ms);
    });
    worker.Resume();
    for (int i = 0; i < 60000 && !started; ++i) std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(started);
    worker.StopAndWait();
    EXPECT_TRUE(worker.Finished());
    EXPECT_EQ(worker.Runs, 1);
}

TEST_F(ThreadTest, ProcessMessagesRunsClosuresAndDropsQuitRequests) {
    std::string log;
    UiQueue().PostQuit();
    UiQueue().Post([&] { log += "a"; });
    UiQueue().PostQuit();
    ProcessMessages();
    EXPECT_EQ(log, "a");
    EXPECT_FALSE(UiQueue().QuitPending());

    // A worker has no queue: its ProcessMessages leaves the UI thread's closures alone.
    // Whether the UI-side wait or the ProcessMessages after it runs "b" depends on timing;
    // either way it must run on this thread.
    std::thread::id ranOn;
    UiQueue().Post([&] { log += "b"; ranOn = std::this_thread::get_id(); });
    TTestThread worker([](TTestThread &) { ProcessMessages(); });
    worker.Resume();
    worker.StopAndWait();
    ProcessMessages();
    EXPECT_EQ(log, "ab");
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

class TSelfDeletingThread : public TThread {
public:
    TSelfDeletingThread(std::mutex &lock, std::condition_variable &changed, bool &deleted)
        : lock_(lock), changed_(changed), deleted_(deleted) {}
    ~TSelfDeletingThread() override {
        std::lock_guard<std::mutex> guard(lock_);
        deleted_ = true;
        changed_.notify_all();
    }

protected:
    void Execute() override {}

private:
    std::mutex &lock_;
    std::condition_variable &changed_;
    bool &deleted_;
};

TEST_F(ThreadTest, DeleteWhenDoneFreesTheObjectOnTheWorker) {
    std::mutex lock;
    std::condition_variable changed;
    bool deleted = false;
    auto *thread = new TSelfDeletingThread(lock, changed, deleted);
    thread->SetDeleteWhenDone(true);
    thread->Resume();  // from here on the object belongs to the worker
    std::unique_lock<std::mutex> guard(lock);
    EXPECT_TRUE(changed.wait_for(guard, 60s, [&] { return deleted; }));
}

TEST_F(ThreadTest, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
    TCriticalSection section;
    int counter = 0;  // guarded by section
    auto body = [&](TTestThread &) {
        for (int i = 0; i < 2000; ++i) {
            section.Enter();
            section.Enter();  // recursive for the holder
            ++counter;
            section.Leave();
            section.Leave();
        }
    };
    TTestThread a(body), b(body);
    a.Resume();
    b.Resume();
    a.WaitFor();
    b.WaitFor();
    std::lock_guard<TCriticalSection> guard(section);
    EXPECT_EQ(counter, 4000);
}

TEST(RaiseThreadError, OnlyANonZeroErrnoRaises) {
    errno = 0;
    TThread::RaiseThreadError("Resume");  // returns
    errno = EINVAL;
    const std::string message = MessageOf([] { TThread::RaiseThreadError("Resume"); });
    EXPECT_EQ(message, "Thread Error Occured On Resume. Error:(22) " +
                           std::string(SystemErrorText(true, EINVAL).View()));
}

}  // namespace
