// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary folder and the shared data root.
#include "foundation/folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

TEST(Folders, TempFolderAlwaysEndsWithASeparator) {
    const char *old = getenv("TMPDIR");
    const std::string saved = old ? old : "";
    struct Case {
        const char *label;
        const char *tmpdir;  // null: unset
        const char *expected;
    } cases[] = {
        {"unset", nullptr, "/tmp/"},
        {"empty", "", "/tmp/"},
        {"without separator", "/var/tmp", "/var/tmp/"},
        {"with separator", "/var/tmp/", "/var/tmp/"},
    };
    for (const Case &c : cases) {
        if (c.tmpdir) setenv("TMPDIR", c.tmpdir, 1);
        else unsetenv("TMPDIR");
        EXPECT_STREQ(TempFolder().Text(), c.expected) << c.label;
    }
    if (old) setenv("TMPDIR", saved.c_str(), 1);
    else unsetenv("TMPDIR");
}

class DataRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "narrelo-root-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }
    void Touch(const fs::path &file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    }
    fs::path root_;
};

TEST_F(DataRootTest, InstalledTreeUsesThePrefixShareFolder) {
    Touch(root_ / "usr/bin/narrelo");
    EXPECT_EQ(DataRootFor((root_ / "usr/bin/narrelo").string()), (root_ / "usr/share").string());
}

TEST_F(DataRootTest, BuildTreeUsesItsStagedCopy) {
    Touch(root_ / "build/CMakeCache.txt");
    fs::create_directories(root_ / "build/share/narrelo");
    Touch(root_ / "build/tests/app/app_test");
    EXPECT_EQ(DataRootFor((root_ / "build/tests/app/app_test").string()), (root_ / "build/share").string());
    EXPECT_EQ(DataRootFor((root_ / "build/app/narrelo").string()), (root_ / "build/share").string());
}

TEST_F(DataRootTest, TreeInstalledBelowABuildFolderUsesItsOwnData) {
    Touch(root_ / "build/CMakeCache.txt");
    fs::create_directories(root_ / "build/share/narrelo");
    fs::create_directories(root_ / "build/stage/usr/share/narrelo");
    Touch(root_ / "build/stage/usr/bin/narrelo");
    EXPECT_EQ(DataRootFor((root_ / "build/stage/usr/bin/narrelo").string()),
              (root_ / "build/stage/usr/share").string());
}

TEST_F(DataRootTest, BuildTreeWithoutStagedDataFallsBackToThePrefixRule) {
    Touch(root_ / "build/CMakeCache.txt");
    EXPECT_EQ(DataRootFor((root_ / "build/app/narrelo").string()), (root_ / "build/share").string());
    EXPECT_EQ(DataRootFor((root_ / "build/tests/x/t").string()), (root_ / "build/tests/share").string());
}

TEST(Folders, CommonFilesFolderOfThisProgram) {
    TWideBuffer buffer(WideBufferGranularity);
    CommonFilesFolder(buffer);
    MyString text;
    text.AssignWide(WideText(buffer), WideLength(buffer));
    const fs::path staged = fs::path(NARRELO_BINARY_DIR) / "share";
    if (fs::is_directory(staged)) EXPECT_EQ(text.ToUtf8(), staged.string());
    else EXPECT_EQ(text.ToUtf8(), (fs::path(NARRELO_BINARY_DIR) / "tests/share").string());
    EXPECT_EQ(NarreloDataFolder().ToUtf8(), text.ToUtf8() + "/narrelo");
}

}  // namespace
