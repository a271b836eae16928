// SPDX-License-Identifier: GPL-3.0-or-later
// The seam for the user and the process: the default host (the console program's), the
// installation of another and its undoing, and the ends of the process that no host can
// prevent.

#include "foundation/host.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/code_page.h"
#include "foundation/message_box.h"

namespace {

// A host that records which one answered and lets every end of the process return.
class TNamedHost : public THost {
public:
    explicit TNamedHost(std::string name) : name_(std::move(name)) {}
    int ShowMessage(const char *, int) override {
        Answered = name_;
        return IDYES;
    }
    void EndProcess(int) override {}
    void RestartProcess() override {}
    static inline std::string Answered;

private:
    std::string name_;
};

TEST(HostTest, TheDefaultWritesTheMessageAsUtf8AndNobodyConsents) {
    struct Case {
        const char *label;
        const char *text;
        int style, answer;
        std::string written;
    };
    const Case cases[] = {
        {"notice", "Bağlantı kesildi"_cp, MB_OK, IDOK, "Bağlantı kesildi\n"},
        {"question", "Devam?", MB_YESNO, IDNO, "Devam?\n"},
        {"no text", nullptr, MB_OK, IDOK, "\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        testing::internal::CaptureStderr();
        EXPECT_EQ(ShowMessageBox(c.text, c.style), c.answer);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.written);
    }
    std::string chosen = "unchanged";
    EXPECT_FALSE(Host().ChooseFileToOpen("/tmp", "xml", chosen));
    EXPECT_EQ(chosen, "unchanged");
}

TEST(HostTest, InstallationsNestAndUndoInReverse) {
    THost &original = Host();
    TNamedHost outer("outer"), inner("inner");
    {
        TScopedHost first(outer);
        EXPECT_EQ(&Host(), &outer);
        {
            TScopedHost second(inner);
            EXPECT_EQ(ShowMessageBox("?", MB_YESNO), IDYES);
            EXPECT_EQ(TNamedHost::Answered, "inner");
        }
        ShowMessageBox("?", MB_YESNO);
        EXPECT_EQ(TNamedHost::Answered, "outer");
    }
    EXPECT_EQ(&Host(), &original);
    EXPECT_EQ(InstallHost(nullptr), nullptr) << "the default was in place";
}

// A host whose ender returns does not keep the process alive.
TEST(HostDeathTest, TheProcessEndsEvenWhenTheHostReturns) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static TNamedHost host("returning");
            InstallHost(&host);
            EndProcessNow(3);
        },
        testing::ExitedWithCode(3), "");
    EXPECT_EXIT(
        {
            static TNamedHost host("returning");
            InstallHost(&host);
            RestartProcessNow();
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
