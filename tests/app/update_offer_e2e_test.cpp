// SPDX-License-Identifier: GPL-3.0-or-later
// The update offer against the real narrelo-demoserver: the server list it serves leads the
// client to it, and a server that demands a newer client hands out its installer, which
// arrives in the temporary folder byte for byte before the host starts it and ends the
// process.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/update_offer.h"
#include "foundation/cmd_parameters.h"
#include "service/demo_client.h"
#include "service/server_addresses.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/fake_host.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/temp_tmp_dir.h"

namespace {

class UpdateOfferE2ETest : public ::testing::Test {
protected:
    UpdateOfferE2ETest() {
        const char *programOnly[] = {"narrelo"};
        InitCmdParameters(1, programOnly);
    }
    ~UpdateOfferE2ETest() override { SetServerListUrl(nullptr); }

    TempConfigHome home;
    TempTmpDir tmp;
};

TEST_F(UpdateOfferE2ETest, CurrentClientReadsWithoutQuestions) {
    TDemoServerProcess server;
    SetServerListUrl((server.BaseUrl() + "/demoserver.txt").c_str());
    TFakeHost host;
    TDemoClient client;
    MyString address;
    FindServerAndOfferUpdate(client, address);
    EXPECT_EQ(address.ToUtf8(), server.Endpoint());
    EXPECT_TRUE(host.Texts().empty());
}

TEST_F(UpdateOfferE2ETest, DemandedUpdateDownloadsTheServersInstaller) {
    const std::string installer = home.Folder() + "/narrelo_9.9.9_amd64.deb";
    const std::string bytes = "!<arch>\ndebian-binary   " + std::string(300000, '\x5a');
    TempConfigHome::WriteFile(installer, bytes);
    TDemoServerProcess server({"--min-version", "14", "--installer", installer});
    SetServerListUrl((server.BaseUrl() + "/demoserver.txt").c_str());
    TFakeHost host{std::deque<int>{IDYES}};
    std::string startedBytes;
    host.OnInstallerStarted = [&](const char *path) { startedBytes = TempConfigHome::ReadFile(path); };
    TDemoClient client;
    MyString address;

    int exitCode = -1;
    try {
        FindServerAndOfferUpdate(client, address);
    } catch (const TProcessEnded &ended) {
        exitCode = ended.code;
    }

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(host.Styles(), (std::vector<int>{MB_YESNO, MB_OK}));
    EXPECT_TRUE(startedBytes == bytes) << "the installer started is the one the server offers";
    EXPECT_TRUE(TempConfigHome::ReadFile(tmp.Installer()) == bytes);
}

}  // namespace
