// SPDX-License-Identifier: GPL-3.0-or-later
// The single-instance marker: one holder at a time, released by the kernel when the holder
// dies however it dies, never inherited by a program the holder starts.

#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

extern char **environ;

namespace {

// Sets (or unsets, for nullopt) an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<std::string> value) : name_(name) {
        if (const char *old = getenv(name)) previous_ = old;
        if (value) setenv(name, value->c_str(), 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_) setenv(name_, previous_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char *name_;
    std::optional<std::string> previous_;
};

class SingleInstanceMarkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "narrelo-marker-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        runtime_.emplace("XDG_RUNTIME_DIR", folder_);
    }
    void TearDown() override {
        runtime_.reset();
        std::filesystem::remove_all(folder_);
    }

    // Forks a child that takes the marker, reports through a pipe whether it got it, runs
    // `then` and waits to be killed. Returns the child's pid, or -1 when it did not get it.
    template <class F>
    pid_t ChildHolding(F then) {
        int fds[2];
        if (pipe(fds) != 0) return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            TSingleInstanceMarker marker("Narrelo4");
            const char ok = marker.Created() ? 'y' : 'n';
            if (write(fds[1], &ok, 1) != 1) _exit(3);
            then();
            for (;;) pause();
        }
        close(fds[1]);
        char answer = 0;
        const bool got = read(fds[0], &answer, 1) == 1 && answer == 'y';
        close(fds[0]);
        if (!got) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return -1;
        }
        return pid;
    }

    std::string folder_;
    std::optional<ScopedEnv> runtime_;
};

TEST_F(SingleInstanceMarkerTest, LockFileFollowsTheRuntimeFolderElseTheTemporaryFolderWithTheUserId) {
    const std::string uid = std::to_string(getuid());
    struct Case {
        const char *label;
        std::optional<std::string> runtime;
        std::optional<std::string> tmpdir;
        std::string expected;
    } cases[] = {
        {"runtime folder", "/run/user/7", "/var/tmp", "/run/user/7/Narrelo4.lock"},
        {"runtime folder with slash", "/run/user/7/", std::nullopt, "/run/user/7/Narrelo4.lock"},
        {"no runtime folder", std::nullopt, "/var/tmp", "/var/tmp/Narrelo4-" + uid + ".lock"},
        {"relative runtime folder", "run", "/var/tmp/", "/var/tmp/Narrelo4-" + uid + ".lock"},
        {"neither", std::nullopt, std::nullopt, "/tmp/Narrelo4-" + uid + ".lock"},
    };
    for (const Case &c : cases) {
        ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        ScopedEnv tmpdir("TMPDIR", c.tmpdir);
        EXPECT_EQ(TSingleInstanceMarker::LockFilePath("Narrelo4"), c.expected) << c.label;
    }
}

TEST_F(SingleInstanceMarkerTest, ASecondHolderSeesTheFirstAndTheFirstKeepsItUntilItGoes) {
    auto first = std::make_unique<TSingleInstanceMarker>("Narrelo4");
    EXPECT_TRUE(first->Created());
    EXPECT_EQ(first->LastError(), 0);
    EXPECT_FALSE(first->AnotherCopyRuns());
    {
        TSingleInstanceMarker second("Narrelo4");
        EXPECT_FALSE(second.Created());
        EXPECT_EQ(second.LastError(), MarkerAlreadyExists);
        EXPECT_TRUE(second.AnotherCopyRuns());
    }
    // The second attempt took nothing away from the first.
    EXPECT_TRUE(TSingleInstanceMarker("Narrelo4").AnotherCopyRuns());
    TSingleInstanceMarker other("Narrelo5");
    EXPECT_TRUE(other.Created()) << "another name is another marker";
    first.reset();
    TSingleInstanceMarker third("Narrelo4");
    EXPECT_TRUE(third.Created());
}

TEST_F(SingleInstanceMarkerTest, AKilledHolderLeavesTheMarkerFree) {
    const pid_t child = ChildHolding([] {});
    ASSERT_GT(child, 0);
    EXPECT_TRUE(TSingleInstanceMarker("Narrelo4").AnotherCopyRuns());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    TSingleInstanceMarker after("Narrelo4");
    EXPECT_TRUE(after.Created()) << after.LastError();
}

TEST_F(SingleInstanceMarkerTest, AProgramTheHolderStartedDoesNotKeepTheMarker) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = ChildHolding([&] {
        // Starts a long-lived program, tells the parent its pid and ends without clean-up.
        char program[] = "sleep";
        char seconds[] = "30";
        char *argv[] = {program, seconds, nullptr};
        pid_t started = 0;
        if (posix_spawnp(&started, program, nullptr, nullptr, argv, environ) != 0) started = 0;
        if (write(fds[1], &started, sizeof started) != sizeof started) _exit(4);
        _exit(0);
    });
    ASSERT_GT(child, 0);
    pid_t started = 0;
    ASSERT_EQ(read(fds[0], &started, sizeof started), static_cast<ssize_t>(sizeof started));
    close(fds[0]);
    close(fds[1]);
    waitpid(child, nullptr, 0);
    ASSERT_GT(started, 0);
    TSingleInstanceMarker after("Narrelo4");
    EXPECT_TRUE(after.Created()) << "the started program still runs, but holds no marker";
    kill(started, SIGKILL);
}

}  // namespace
