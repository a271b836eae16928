// SPDX-License-Identifier: GPL-3.0-or-later
// The update check against the real narrelo-demoserver: the server list it serves leads the
// client to it, and a server that demands a newer client hands out its installer, which
// arrives in the temporary folder byte for byte before the installer and exit seams run.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "foundation/cmd_parameters.h"
#include "service/demo_client.h"
#include "service/server_addresses.h"
#include "service/update_check.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/temp_tmp_dir.h"

namespace {

struct ProcessEnded {
    int code;
};

class UpdateCheckE2ETest : public ::testing::Test {
protected:
    UpdateCheckE2ETest() {
        const char *programOnly[] = {"narrelo"};
        InitCmdParameters(1, programOnly);
        previousStarter = SetInstallerStarter([this](const char *path) {
            startedBytes = TempConfigHome::ReadFile(path);
        });
        previousEnder = SetProcessEnder([](int code) { throw ProcessEnded{code}; });
    }
    ~UpdateCheckE2ETest() override {
        SetInstallerStarter(std::move(previousStarter));
        SetProcessEnder(std::move(previousEnder));
        SetServerListUrl(nullptr);
    }

    TempConfigHome home;
    TempTmpDir tmp;
    std::string startedBytes;
    TInstallerStarter previousStarter;
    TProcessEnder previousEnder;
};

TEST_F(UpdateCheckE2ETest, CurrentClientReadsWithoutQuestions) {
    TDemoServerProcess server;
    SetServerListUrl((server.BaseUrl() + "/demoserver.txt").c_str());
    MessageBoxRecorder recorder;
    TDemoClient client;
    MyString address;
    FindServerAndCheckForUpdate(client, address);
    EXPECT_EQ(address.ToUtf8(), server.Endpoint());
    EXPECT_TRUE(recorder.Texts().empty());
}

TEST_F(UpdateCheckE2ETest, DemandedUpdateDownloadsTheServersInstaller) {
    const std::string installer = home.Folder() + "/narrelo_9.9.9_amd64.deb";
    const std::string bytes = "!<arch>\ndebian-binary   " + std::string(300000, '\x5a');
    TempConfigHome::WriteFile(installer, bytes);
    TDemoServerProcess server({"--min-version", "14", "--installer", installer});
    SetServerListUrl((server.BaseUrl() + "/demoserver.txt").c_str());
    MessageBoxRecorder recorder{std::deque<int>{IDYES}};
    TDemoClient client;
    MyString address;

    int exitCode = -1;
    try {
        FindServerAndCheckForUpdate(client, address);
    } catch (const ProcessEnded &ended) {
        exitCode = ended.code;
    }

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(recorder.Styles(), (std::vector<int>{MB_YESNO, MB_OK}));
    EXPECT_TRUE(startedBytes == bytes) << "the installer started is the one the server offers";
    EXPECT_TRUE(TempConfigHome::ReadFile(tmp.Installer()) == bytes);
}

}  // namespace
