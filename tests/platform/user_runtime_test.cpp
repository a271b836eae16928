// SPDX-License-Identifier: GPL-3.0-or-later
// The user's private folder for the speech service's socket: made 0700 in the runtime folder,
// or in the temporary folder when the runtime folder is missing or not the user's own;
// narrowed again when widened; never a link, never another user's.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/user_runtime.h"

namespace fs = std::filesystem;

namespace {

// Sets (or, with nullopt, unsets) an environment variable for one scope.
class TScopedEnv {
public:
    TScopedEnv(const char *name, const std::optional<std::string> &value) : name_(name) {
        if (const char *old = getenv(name)) previous_ = old;
        if (value) setenv(name, value->c_str(), 1);
        else unsetenv(name);
    }
    ~TScopedEnv() {
        if (previous_) setenv(name_, previous_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char *name_;
    std::optional<std::string> previous_;
};

mode_t ModeOf(const std::string &path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class UserRuntimeTest : public ::testing::Test {
protected:
    UserRuntimeTest() {
        std::string pattern = (fs::temp_directory_path() / "narrelo-runtime-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        fs::create_directories(root + "/run");
        fs::create_directories(root + "/tmp");
        ::chmod((root + "/run").c_str(), 0700);
    }
    ~UserRuntimeTest() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::string Tmp() const { return root + "/tmp/narrelo-" + std::to_string(::geteuid()); }

    std::string root;
};

TEST_F(UserRuntimeTest, TheFolderIsTheRuntimeFoldersOrElseTheTemporaryFolders) {
    struct Case {
        const char *label;
        std::optional<std::string> runtime;  // XDG_RUNTIME_DIR
        mode_t runtimeMode;
        bool inRuntime;
    };
    const Case cases[] = {
        {"the user's runtime folder", root + "/run", 0700, true},
        {"no runtime folder", std::nullopt, 0700, false},
        {"a relative runtime folder", std::string("run"), 0700, false},
        {"a runtime folder others may enter", root + "/run", 0755, false},
        {"a runtime folder that does not exist", root + "/missing", 0700, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(root + "/run/narrelo");
        fs::remove_all(Tmp());
        ::chmod((root + "/run").c_str(), c.runtimeMode);
        TScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        TScopedEnv tmp("TMPDIR", root + "/tmp");
        std::string error;
        const std::string socket = UserServiceSocketPath(error);
        const std::string folder = c.inRuntime ? root + "/run/narrelo" : Tmp();
        EXPECT_EQ(socket, folder + "/demoserver.sock") << error;
        EXPECT_EQ(ModeOf(folder), 0700u);
    }
}

TEST_F(UserRuntimeTest, AWidenedFolderIsNarrowedAndALinkIsRefused) {
    TScopedEnv runtime("XDG_RUNTIME_DIR", root + "/run");
    std::string error;
    fs::create_directory(root + "/run/narrelo");
    ::chmod((root + "/run/narrelo").c_str(), 0777);
    EXPECT_EQ(UserRuntimeFolder(error), root + "/run/narrelo") << error;
    EXPECT_EQ(ModeOf(root + "/run/narrelo"), 0700u);

    fs::remove_all(root + "/run/narrelo");
    fs::create_directory(root + "/elsewhere");
    fs::create_directory_symlink(root + "/elsewhere", root + "/run/narrelo");
    error.clear();
    EXPECT_EQ(UserRuntimeFolder(error), "");
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
}

TEST_F(UserRuntimeTest, AFolderOfAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "a folder of another user needs root";
    TScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    TScopedEnv tmp("TMPDIR", root + "/tmp");
    fs::create_directory(Tmp());
    ASSERT_EQ(::chown(Tmp().c_str(), 61004, 61004), 0);
    std::string error;
    EXPECT_EQ(UserServiceSocketPath(error), "");
    EXPECT_NE(error.find("belongs to another user"), std::string::npos) << error;
}

}  // namespace
