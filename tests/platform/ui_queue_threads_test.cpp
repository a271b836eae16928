// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using TQuitHandling = TUiQueue::TQuitHandling;
using TWaitResult = TUiQueue::TWaitResult;

// Long enough that reaching it means the wake-up was lost; never reached when it works.
constexpr auto NeverInATest = 60s;

class UiQueueTest : public ::testing::Test {
protected:
    UiQueueTest() { queue.SetOwnerThread(std::this_thread::get_id()); }
    TUiQueue queue;
};

TEST_F(UiQueueTest, PostedClosuresRunInOrderIncludingThoseQueuedWhileRunning) {
    std::string log;
    queue.Post([&] { log += "a"; });
    queue.Post([&] {
        log += "b";
        queue.Post([&] { log += "d"; });
    });
    queue.Post([&] { log += "c"; });
    EXPECT_TRUE(queue.HasWork());
    EXPECT_EQ(queue.RunPending(TQuitHandling::Drop), 4);
    EXPECT_EQ(log, "abcd");
    EXPECT_FALSE(queue.HasWork());
    EXPECT_EQ(queue.RunPending(TQuitHandling::Drop), 0);
}

TEST_F(UiQueueTest, QuitRequestsAreDroppedOrKeptNeverObeyed) {
    struct Row { const char *label; TQuitHandling handling; bool quitLeft; };
    for (Row row : {Row{"drop", TQuitHandling::Drop, false}, Row{"keep", TQuitHandling::Keep, true}}) {
        std::string log;
        queue.PostQuit();
        queue.Post([&] { log += "a"; });
        queue.PostQuit();
        queue.Post([&] { log += "b"; });
        EXPECT_EQ(queue.RunPending(row.handling), 2) << row.label;
        EXPECT_EQ(log, "ab") << row.label;  // closures behind a quit request still run
        EXPECT_EQ(queue.QuitPending(), row.quitLeft) << row.label;
        EXPECT_FALSE(queue.HasWork()) << row.label;
        queue.RunPending(TQuitHandling::Drop);
    }
}

TEST_F(UiQueueTest, PostedClosureThatThrowsLeavesTheRestQueued) {
    std::string log;
    queue.Post([] { throw std::runtime_error("posted"); });
    queue.Post([&] { log += "after"; });
    EXPECT_THROW(queue.RunPending(TQuitHandling::Drop), std::runtime_error);
    EXPECT_TRUE(queue.HasWork());
    EXPECT_EQ(queue.RunPending(TQuitHandling::Drop), 1);
    EXPECT_EQ(log, "after");
}

TEST_F(UiQueueTest, SendOnTheOwnerThreadOrWithoutOwnerRunsInline) {
    EXPECT_EQ(queue.Send([] { return 7; }), 7);
    EXPECT_FALSE(queue.HasWork());

    TUiQueue ownerless;
    std::thread::id ranOn;
    std::thread worker([&] { ownerless.Send([&] { ranOn = std::this_thread::get_id(); }); });
    const std::thread::id workerId = worker.get_id();
    worker.join();
    EXPECT_EQ(ranOn, workerId);
}

TEST_F(UiQueueTest, SendFromAWorkerRunsOnTheOwnerAndReturnsResultOrException) {
    const std::thread::id owner = std::this_thread::get_id();
    std::atomic<bool> workerDone{false};
    std::thread::id ranOn;
    int result = 0;
    std::string error;
    std::thread worker([&] {
        result = queue.Send([&] {
            ranOn = std::this_thread::get_id();
            return 42;
        });
        try {
            queue.Send([]() -> int { throw std::runtime_error("from the UI thread"); });
        } catch (const std::runtime_error &e) {
            error = e.what();
        }
        workerDone = true;
        queue.Wake();
    });
    // The owner serves the worker's sends the way WaitFor does.
    const auto done = [&] { return workerDone.load(); };
    for (int round = 0; round < 10 && !done(); ++round) {
        queue.RunPending(TQuitHandling::Keep);
        EXPECT_NE(queue.Wait(NeverInATest, done), TWaitResult::Timeout);
    }
    worker.join();
    EXPECT_EQ(ranOn, owner);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(error, "from the UI thread");
}

TEST_F(UiQueueTest, WaitWakesForWorkAndForWakeButNotForQuit) {
    std::atomic<bool> flag{false};
    const auto done = [&] { return flag.load(); };

    EXPECT_EQ(queue.Wait(1ms, done), TWaitResult::Timeout);
    queue.PostQuit();
    EXPECT_EQ(queue.Wait(1ms, done), TWaitResult::Timeout);  // a kept quit is no work

    std::thread poster([&] { queue.Post([] {}); });
    EXPECT_EQ(queue.Wait(NeverInATest, done), TWaitResult::Work);
    poster.join();
    queue.RunPending(TQuitHandling::Drop);

    std::thread waker([&] {
        flag = true;
        queue.Wake();
    });
    EXPECT_EQ(queue.Wait(NeverInATest, done), TWaitResult::Done);
    waker.join();
}

TEST_F(UiQueueTest, WakeUpHandlerRunsAfterEveryQueuedItem) {
    std::atomic<int> wakeUps{0};
    std::atomic<bool> queuedWhenCalled{true};
    queue.SetWakeUpHandler([&] {
        ++wakeUps;
        // Checked for our own items only: the owner may already have run a worker's item.
        if (queue.OnOwnerThread() && !queue.HasWork() && !queue.QuitPending())
            queuedWhenCalled = false;
    });
    queue.Post([] {});
    queue.PostQuit();
    EXPECT_EQ(wakeUps, 2);
    queue.RunPending(TQuitHandling::Drop);

    std::thread sender([&] { queue.Send([] {}); });
    EXPECT_EQ(queue.Wait(NeverInATest, [] { return false; }), TWaitResult::Work);
    queue.RunPending(TQuitHandling::Drop);
    sender.join();
    EXPECT_EQ(wakeUps, 3);
    EXPECT_TRUE(queuedWhenCalled);

    queue.SetWakeUpHandler(nullptr);
    queue.Post([] {});
    EXPECT_EQ(wakeUps, 3);
}

TEST(UiQueue, ProcessWideInstanceIsOne) {
    EXPECT_EQ(&UiQueue(), &UiQueue());
}

}  // namespace
