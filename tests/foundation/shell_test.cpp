// SPDX-License-Identifier: GPL-3.0-or-later
// ShellOpen and OpenDocument with a stand-in xdg-open placed first in PATH.
#include "foundation/shell.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"

namespace fs = std::filesystem;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "narrelo-shell-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        const char *path = getenv("PATH");
        savedPath_ = path ? path : "";
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        fs::remove_all(folder_);
    }
    // An xdg-open that writes each argument on a line of its own, then renames the file
    // into place so that a reader never sees it half written.
    void InstallFakeOpener() {
        const fs::path bin = folder_ / "bin";
        fs::create_directories(bin);
        const fs::path script = bin / "xdg-open";
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \""
                              << (folder_ / "args.tmp").string() << "\"\nmv \"" << (folder_ / "args.tmp").string()
                              << "\" \"" << Arguments().string() << "\"\n";
        fs::permissions(script, fs::perms::owner_all);
        setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);
    }
    fs::path Arguments() const { return folder_ / "args"; }
    // Waits (bounded) for the stand-in to have run.
    std::string WaitForArguments() {
        for (int i = 0; i < 1000 && !fs::exists(Arguments()); ++i) usleep(10 * 1000);
        std::ifstream in(Arguments(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder_;
    std::string savedPath_;
};

TEST_F(ShellTest, PassesThePathAsOneUtf8ArgumentWithoutAShell) {
    InstallFakeOpener();
    const std::string hostile = "/tmp/a b; touch " + (folder_ / "pwned").string() + " $(id) ";
    ShellOpen((hostile + "ğ"_cp).c_str());
    EXPECT_EQ(WaitForArguments(), hostile + "\xC4\x9F\n");
    EXPECT_FALSE(fs::exists(folder_ / "pwned"));
}

TEST_F(ShellTest, OpenDocumentHandsOverTheAddress) {
    InstallFakeOpener();
    OpenDocument("http://127.0.0.1:8080/index.html");
    EXPECT_EQ(WaitForArguments(), "http://127.0.0.1:8080/index.html\n");
}

TEST_F(ShellTest, MissingOpenerRaisesForShellOpenOnly) {
    setenv("PATH", (folder_ / "empty").string().c_str(), 1);
    try {
        ShellOpen("/tmp/x");
        FAIL() << "nothing raised";
    } catch (const TCustomException &e) {
        EXPECT_STREQ(e.Message(), "ShellExecute Failed With (2) No such file or directory (2)");
    }
    EXPECT_NO_THROW(OpenDocument("/tmp/x"));
}

TEST_F(ShellTest, OpenerThatFailsStillCountsAsStarted) {
    const fs::path bin = folder_ / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\necho ran > \"" << Arguments().string() << "\"\nexit 4\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    setenv("PATH", bin.c_str(), 1);
    EXPECT_NO_THROW(ShellOpen("/no/such/file"));
    EXPECT_EQ(WaitForArguments(), "ran\n");
}

}  // namespace
