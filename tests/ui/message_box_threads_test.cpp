// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's host: its message box's thread hand-over, without a display: the dialog itself is
// replaced, so only the carrying of a worker's call to the UI thread is under test.

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/host.h"
#include "foundation/message_box.h"
#include "foundation/thread.h"
#include "platform/ui_queue.h"
#include "ui/ui_thread.h"

namespace {

class TAsking : public TThread {
public:
    explicit TAsking(const char *text) : text_(text) {}
    ~TAsking() override { StopAndWait(); }
    std::atomic<int> Answer{0};

protected:
    void Execute() override { Answer = ShowMessageBox(text_, MB_YESNO); }

private:
    const char *text_;
};

class MessageBoxThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThreadId(std::this_thread::get_id());
        UiQueue().SetOwnerThread(std::this_thread::get_id());
        installed_.emplace(host_);
    }
    void TearDown() override {
        installed_.reset();
        UiQueue().SetOwnerThread(std::thread::id());
    }

    TWxHost host_{[] { return nullptr; }, "Valtrosa",
                  [this](wxWindow *, const std::string &caption, const char *text, int style) {
                      shownOn_.push_back(std::this_thread::get_id());
                      shown_.push_back(caption + "|" + text);
                      return style == MB_YESNO ? IDYES : IDOK;
                  }};
    std::optional<TScopedHost> installed_;
    // Written by the replaced dialog, which runs on this (the UI) thread only.
    std::vector<std::thread::id> shownOn_;
    std::vector<std::string> shown_;
};

TEST_F(MessageBoxThreadsTest, WorkersAreAnsweredWhileTheUiThreadWaitsForThem) {
    TAsking first("Birinci?"), second("Ikinci?");
    first.Resume();
    second.Resume();
    first.WaitFor();
    second.WaitFor();
    EXPECT_EQ(first.Answer, IDYES);
    EXPECT_EQ(second.Answer, IDYES);
    ASSERT_EQ(shown_.size(), 2u);
    for (std::thread::id id : shownOn_) EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_TRUE((shown_[0] == "Valtrosa|Birinci?" && shown_[1] == "Valtrosa|Ikinci?") ||
                (shown_[1] == "Valtrosa|Birinci?" && shown_[0] == "Valtrosa|Ikinci?"));
}

TEST_F(MessageBoxThreadsTest, TheUiThreadShowsItsOwnBoxAtOnce) {
    EXPECT_EQ(ShowMessageBox("Bilgi", MB_OK), IDOK);
    EXPECT_EQ(shown_, std::vector<std::string>{"Valtrosa|Bilgi"});
}

}  // namespace
