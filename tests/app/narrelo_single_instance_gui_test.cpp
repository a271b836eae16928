// SPDX-License-Identifier: GPL-3.0-or-later
// The narrelo program as a process (under Xvfb): a second copy started while the first runs
// ends at once, silently, and the first keeps running with its marker.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "../support/temp_config_home.h"
#include "platform/single_instance.h"

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

pid_t Start(const std::string &errFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char program[] = NARRELO_EXE;
    char *argv[] = {program, nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status of `pid` once it has ended within `seconds`, or nullopt.
std::optional<int> WaitEnded(pid_t pid, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

// Whether some process holds a lock on `path` (read from /proc/locks, without taking it).
bool Locked(const std::string &path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    std::ifstream locks("/proc/locks");
    std::string line;
    std::ostringstream inode;
    inode << ":" << st.st_ino << " ";
    while (std::getline(locks, line))
        if (line.find("FLOCK") != std::string::npos && line.find(inode.str()) != std::string::npos) return true;
    return false;
}

TEST(NarreloProgramTest, ASecondCopyEndsAtOnceAndTheFirstRunsOn) {
    TempConfigHome config;  // a private settings store and runtime folder
    const std::string runtime = config.Folder() + "/run";
    std::filesystem::create_directory(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string marker = TSingleInstanceMarker::LockFilePath("Narrelo4");

    const pid_t first = Start(config.Folder() + "/first.err");
    ASSERT_GT(first, 0);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!Locked(marker) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(Locked(marker)) << TempConfigHome::ReadFile(config.Folder() + "/first.err");

    const auto started = Clock::now();
    const pid_t second = Start(config.Folder() + "/second.err");
    ASSERT_GT(second, 0);
    const std::optional<int> status = WaitEnded(second, 20);
    ASSERT_TRUE(status.has_value()) << "the second copy still runs";
    EXPECT_EQ(*status, 0);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(TempConfigHome::ReadFile(config.Folder() + "/second.err"), "") << "it ends silently";

    EXPECT_FALSE(WaitEnded(first, 0.2).has_value()) << "the first copy keeps running";
    EXPECT_TRUE(Locked(marker));
    kill(first, SIGTERM);
    ASSERT_TRUE(WaitEnded(first, 10).has_value());
    EXPECT_FALSE(Locked(marker)) << "the kernel lets the marker go with the process";
    unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
