// SPDX-License-Identifier: GPL-3.0-or-later
// FindServerAndCheckForUpdate and DownloadInstaller: the server is found and given to the
// client, the service's word on an update comes back as a decision (the installer's address
// asked of the service only when it is fetched), and the installer is downloaded into the
// temporary folder, never through a planted name and never left half written. The service
// layer asks the user nothing. Against a loopback speech service and a loopback web server
// (server list and installers).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cmd_parameters.h"
#include "foundation/code_page.h"
#include "service/demo_client.h"
#include "service/update_check.h"
#include "tests/service/support/update_fixture.h"
#include "tests/support/fake_host.h"
#include "tests/support/raised_message.h"

namespace fs = std::filesystem;

namespace {

class UpdateCheckTest : public UpdateCheckFixture {
protected:
    TFakeHost host;  // the service layer must leave it alone
};

TEST_F(UpdateCheckTest, NoUpdateLeavesTheClientPointedAtTheFoundServer) {
    soap.AddReply(ReturnReply("UpdateRequired2", "false"));
    TDemoClient client;
    MyString address;
    const TUpdateDecision decision = FindServerAndCheckForUpdate(client, address);
    EXPECT_FALSE(decision.UpdateRequired());
    EXPECT_EQ(address.ToUtf8(), soap.Endpoint());
    EXPECT_EQ(client.soap_endpoint, address.Text()) << "the client uses the caller's text";
    EXPECT_TRUE(host.Texts().empty());
    EXPECT_FALSE(fs::exists(tmp.Installer()));
}

TEST_F(UpdateCheckTest, ADemandedUpdateIsDownloadedOnlyWhenFetched) {
    // A link someone planted under the installer's name is replaced, never written through.
    const std::string victim = tmp.Folder() + "/victim";
    TempConfigHome::WriteFile(victim, "keep me");
    fs::create_directory(tmp.Private());
    fs::create_symlink(victim, tmp.Installer());
    ServiceDemandsUpdate(web.Url("/setup.deb"));
    TDemoClient client;
    MyString address;

    TUpdateDecision decision = FindServerAndCheckForUpdate(client, address);
    EXPECT_TRUE(decision.UpdateRequired());
    EXPECT_EQ(soap.RequestCount(), 1u) << "the installer's address is not asked before it is wanted";

    DownloadInstaller(decision, InstallerFileName().Text());
    EXPECT_EQ(decision.SetupAddress().ToUtf8(), web.Url("/setup.deb"));
    EXPECT_EQ(soap.RequestCount(), 3u) << "log-in and address, asked once";
    EXPECT_EQ(InstallerFileName().ToUtf8(), tmp.Installer());
    EXPECT_EQ(TempConfigHome::ReadFile(tmp.Installer()), installer);
    EXPECT_FALSE(fs::is_symlink(tmp.Installer()));
    EXPECT_EQ(fs::status(tmp.Installer()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(TempConfigHome::ReadFile(victim), "keep me");
    EXPECT_TRUE(host.Texts().empty());
    EXPECT_TRUE(host.Installers().empty());
}

TEST_F(UpdateCheckTest, FailedDownloadLeavesNoInstaller) {
    struct Case {
        const char *label;
        std::string setupUrl;
        std::string message;  // exact, or the beginning when `prefix`
        bool prefix;
    };
    const Case cases[] = {
        {"empty installer address", "", "InternetOpenUrl Failed. ", true},
        {"installer not found", web.Url("/missing.deb"), "InternetOpenUrl Failed. HTTP 404 Not Found", false},
        {"download breaks off", web.Url("/cut.deb"), "InternetReadFile Failed. transfer closed with", true},
        {"not a Debian package", web.Url("/page.deb"), "The downloaded file is not an installer (a Debian package)", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        fs::create_directories(tmp.Private());
        TempConfigHome::WriteFile(tmp.Installer(), "an older installer");
        ServiceDemandsUpdate(c.setupUrl);
        TDemoClient client;
        MyString address;
        TUpdateDecision decision = FindServerAndCheckForUpdate(client, address);
        ASSERT_TRUE(decision.UpdateRequired());

        const std::string message = MessageOf([&] { DownloadInstaller(decision, InstallerFileName().Text()); });

        if (c.prefix) EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
        else EXPECT_EQ(message, c.message);
        EXPECT_FALSE(fs::exists(tmp.Installer()));
    }
}

TEST_F(UpdateCheckTest, InstallerNameThatCannotBeReplacedIsNotOpened) {
    fs::create_directories(tmp.Installer() + "/inside");
    ServiceDemandsUpdate(web.Url("/setup.deb"));
    TDemoClient client;
    MyString address;
    TUpdateDecision decision = FindServerAndCheckForUpdate(client, address);
    EXPECT_EQ(MessageOf([&] { DownloadInstaller(decision, InstallerFileName().Text()); }),
              "File Not Opened " + tmp.Installer());
    EXPECT_EQ(soap.RequestCount(), 1u) << "nothing is asked for a download that cannot be kept";
}

TEST_F(UpdateCheckTest, UnreachableServiceEndsWithTheClientsError) {
    const std::string deadEndpoint =
        "DemoServer=http://127.0.0.1:" + std::to_string(UnusedPort()) + "/soap";
    const char *arguments[] = {"narrelo", deadEndpoint.c_str()};
    InitCmdParameters(2, arguments);
    TDemoClient client;
    MyString address;
    const std::string message = MessageOf([&] { FindServerAndCheckForUpdate(client, address); });
    EXPECT_EQ(message.rfind("WebServis çağrısında hata oluştu\r\n\r\n"_cp, 0), 0u) << message;
    EXPECT_TRUE(host.Texts().empty());
    EXPECT_FALSE(client.UpdateChecked);
}

}  // namespace
