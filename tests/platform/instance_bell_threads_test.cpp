// SPDX-License-Identifier: GPL-3.0-or-later
// The bell a second copy of the client rings to bring the running copy to the front: real
// sockets in a private runtime folder.
#include "platform/instance_bell.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/temp_config_home.h"

namespace {

bool WaitUntil(const std::function<bool()> &done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class InstanceBellTest : public ::testing::Test {
protected:
    InstanceBellTest() {
        runtime_ = home_.Folder() + "/run";
        std::filesystem::create_directory(runtime_);
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    ~InstanceBellTest() override { unsetenv("XDG_RUNTIME_DIR"); }

    TempConfigHome home_;
    std::string runtime_;
};

TEST_F(InstanceBellTest, ARingReachesTheRunningCopyAndNobodyAnswersOnceItIsGone) {
    EXPECT_FALSE(TInstanceBell::Ring("Narrelo4")) << "nobody listens yet";
    std::atomic<int> rings{0};
    {
        TInstanceBell bell("Narrelo4", [&] { ++rings; });
        ASSERT_TRUE(bell.Listening());
        const std::string path = TInstanceBell::SocketPath("Narrelo4");
        EXPECT_EQ(path, runtime_ + "/Narrelo4.bell");
        struct stat info {};
        ASSERT_EQ(lstat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 077, 0u) << "others may ring it";
        EXPECT_TRUE(TInstanceBell::Ring("Narrelo4"));
        EXPECT_TRUE(TInstanceBell::Ring("Narrelo4"));
        EXPECT_TRUE(WaitUntil([&] { return rings == 2; }));
        EXPECT_FALSE(TInstanceBell::Ring("Another")) << "another name is another bell";
    }
    EXPECT_FALSE(std::filesystem::exists(TInstanceBell::SocketPath("Narrelo4")));
    EXPECT_FALSE(TInstanceBell::Ring("Narrelo4"));
    EXPECT_EQ(rings, 2);
}

// A copy that was killed leaves its socket behind: the next copy takes the name over.
TEST_F(InstanceBellTest, ASocketLeftByACopyThatIsGoneIsTakenOver) {
    const std::string path = TInstanceBell::SocketPath("Narrelo4");
    const int left = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(left, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    close(left);
    EXPECT_FALSE(TInstanceBell::Ring("Narrelo4")) << "a socket nobody reads";
    std::atomic<int> rings{0};
    TInstanceBell bell("Narrelo4", [&] { ++rings; });
    ASSERT_TRUE(bell.Listening());
    EXPECT_TRUE(TInstanceBell::Ring("Narrelo4"));
    EXPECT_TRUE(WaitUntil([&] { return rings == 1; }));
}

}  // namespace
