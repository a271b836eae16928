// SPDX-License-Identifier: GPL-3.0-or-later
// FindServerAndCheckForUpdate: the server is found and given to the client, and an update
// the service demands is asked about, downloaded into the temporary folder, started and
// followed by the end of the process. Against a loopback speech service, a loopback web
// server (server list and installer), scripted message box answers, and the two seams.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cmd_parameters.h"
#include "foundation/code_page.h"
#include "service/demo_client.h"
#include "service/server_addresses.h"
#include "service/update_check.h"
#include "tests/service/support/http_test_server.h"
#include "tests/service/support/service_fixtures.h"
#include "tests/service/support/soap_test_server.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/raised_message.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/temp_tmp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string UpdateFound =
    "Programınız için yeni bir güncelleme bulundu, şimdi yüklemek istermisiniz ?.\r\n\r\n"
    "Update Found for your program. Are you want to update now."_cp;
const std::string UpdateRefused =
    "Güncelllemeyi yüklemeden programınızı kullanmaya devam edemessiniz.\r\n\r\n"
    "You can not continue to use program if you dont update it."_cp;
const std::string UpdateDownloaded =
    "Güncelleme alındı. Şimdi Programınız kapatılacak ve güncelleme yüklenecek. Lütfen "
    "güncelleme işlemi bitene kadar program açmayınız ve bekleyiniz.\r\n\r\n"
    "Update downloaded. Update will configure your environment now."_cp;

const char *const ProgramOnly[] = {"narrelo"};

// What the process-ending seam throws in these tests instead of ending the test program.
struct ProcessEnded {
    int code;
};

class UpdateCheckTest : public ::testing::Test {
protected:
    UpdateCheckTest() {
        web.Http().Get("/demoserver.txt", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content(" " + soap.Endpoint() + "\r\n", "text/plain");
        });
        web.Http().Get("/setup.deb", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content(installer, "application/vnd.debian.binary-package");
        });
        web.Http().Get("/missing.deb", [](const httplib::Request &, httplib::Response &response) {
            response.status = 404;
            response.set_content("<html>not here</html>", "text/html");
        });
        web.Http().Get("/cut.deb", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content_provider(installer.size() * 2, "application/octet-stream",
                                          [this](size_t offset, size_t, httplib::DataSink &sink) {
                                              if (offset > 0) return false;
                                              sink.write(installer.data(), installer.size());
                                              return true;
                                          });
        });
        web.Start();
        SetServerListUrl(web.Url("/demoserver.txt").c_str());
        InitCmdParameters(1, ProgramOnly);
        previousStarter = SetInstallerStarter([this](const char *path) {
            started.push_back(path);
            startedWhenShown = recorder.Texts().size();
            startedBytes = TempConfigHome::ReadFile(path);
        });
        previousEnder = SetProcessEnder([](int code) { throw ProcessEnded{code}; });
    }
    ~UpdateCheckTest() override {
        SetInstallerStarter(std::move(previousStarter));
        SetProcessEnder(std::move(previousEnder));
        SetServerListUrl(nullptr);
        InitCmdParameters(1, ProgramOnly);
    }

    // The service asks for an update and, when asked, names `setupUrl` as the installer.
    void ServiceDemandsUpdate(const std::string &setupUrl) {
        soap.AddReply(ReturnReply("UpdateRequired2", "true"));
        soap.AddReply(LoginReply("c1", "s1"));
        soap.AddReply(ReturnReply("LastSetupUrl2", setupUrl));
    }

    // Runs the operation; returns the exit code the process would have ended with, or -1,
    // and the raised message in `message`.
    int Run(TDemoClient &client, MyString &address, std::string &message) {
        message = "(nothing raised)";
        try {
            message = MessageOf([&] { FindServerAndCheckForUpdate(client, address); });
        } catch (const ProcessEnded &ended) {
            return ended.code;
        }
        return -1;
    }

    const std::string installer = std::string("!<arch>\ndebian-binary   ") + std::string(20000, '\x7f');
    TempConfigHome home;
    TempTmpDir tmp;
    TSoapTestServer soap;
    THttpTestServer web;
    MessageBoxRecorder recorder{std::deque<int>{IDYES}};
    std::vector<std::string> started;
    size_t startedWhenShown = 0;
    std::string startedBytes;
    TInstallerStarter previousStarter;
    TProcessEnder previousEnder;
};

TEST_F(UpdateCheckTest, NoUpdateLeavesTheClientPointedAtTheFoundServer) {
    soap.AddReply(ReturnReply("UpdateRequired2", "false"));
    TDemoClient client;
    MyString address;
    std::string message;
    EXPECT_EQ(Run(client, address, message), -1);
    EXPECT_EQ(message, "(nothing raised)");
    EXPECT_EQ(address.ToUtf8(), soap.Endpoint());
    EXPECT_EQ(client.soap_endpoint, address.Text()) << "the client uses the caller's text";
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_FALSE(fs::exists(tmp.Installer()));
}

TEST_F(UpdateCheckTest, DecliningRaisesTheRefusalAndAsksAgainWithoutTheService) {
    soap.AddReply(ReturnReply("UpdateRequired2", "true"));
    MessageBoxRecorder declining{std::deque<int>{IDNO, IDNO}};
    TDemoClient client;
    MyString address;
    std::string message;
    for (int reading = 0; reading < 2; ++reading) {
        EXPECT_EQ(Run(client, address, message), -1);
        EXPECT_EQ(message, UpdateRefused);
    }
    EXPECT_EQ(declining.Texts(), (std::vector<std::string>{UpdateFound, UpdateFound}));
    EXPECT_EQ(declining.Styles(), (std::vector<int>{MB_YESNO, MB_YESNO}));
    EXPECT_EQ(soap.RequestCount(), 1u);
    EXPECT_FALSE(fs::exists(tmp.Installer()));
    EXPECT_TRUE(started.empty());
}

TEST_F(UpdateCheckTest, AcceptingDownloadsStartsTheInstallerAndEndsWithZero) {
    // A link someone planted under the installer's name is replaced, never written through.
    const std::string victim = tmp.Folder() + "/victim";
    TempConfigHome::WriteFile(victim, "keep me");
    fs::create_symlink(victim, tmp.Installer());
    ServiceDemandsUpdate(web.Url("/setup.deb"));
    TDemoClient client;
    MyString address;
    std::string message;

    EXPECT_EQ(Run(client, address, message), 0);

    EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{UpdateFound, UpdateDownloaded}));
    EXPECT_EQ(recorder.Styles(), (std::vector<int>{MB_YESNO, MB_OK}));
    EXPECT_EQ(started, std::vector<std::string>{tmp.Installer()});
    EXPECT_EQ(startedWhenShown, 2u) << "the installer starts after the notice";
    EXPECT_EQ(startedBytes, installer);
    EXPECT_FALSE(fs::is_symlink(tmp.Installer()));
    EXPECT_EQ(fs::status(tmp.Installer()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(TempConfigHome::ReadFile(victim), "keep me");
}

TEST_F(UpdateCheckTest, FailedDownloadLeavesNoInstallerAndStartsNothing) {
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
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        TempConfigHome::WriteFile(tmp.Installer(), "an older installer");
        ServiceDemandsUpdate(c.setupUrl);
        MessageBoxRecorder accepting{std::deque<int>{IDYES}};
        TDemoClient client;
        MyString address;
        std::string message;

        EXPECT_EQ(Run(client, address, message), -1);

        if (c.prefix) EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
        else EXPECT_EQ(message, c.message);
        EXPECT_EQ(accepting.Texts(), std::vector<std::string>{UpdateFound});
        EXPECT_FALSE(fs::exists(tmp.Installer()));
        EXPECT_TRUE(started.empty());
    }
}

TEST_F(UpdateCheckTest, InstallerNameThatCannotBeReplacedIsNotOpened) {
    fs::create_directories(tmp.Installer() + "/inside");
    ServiceDemandsUpdate(web.Url("/setup.deb"));
    TDemoClient client;
    MyString address;
    std::string message;
    EXPECT_EQ(Run(client, address, message), -1);
    EXPECT_EQ(message, "File Not Opened " + tmp.Installer());
    EXPECT_TRUE(started.empty());
}

TEST_F(UpdateCheckTest, UnreachableServiceEndsWithTheClientsError) {
    const std::string deadEndpoint =
        "DemoServer=http://127.0.0.1:" + std::to_string(UnusedPort()) + "/soap";
    const char *arguments[] = {"narrelo", deadEndpoint.c_str()};
    InitCmdParameters(2, arguments);
    TDemoClient client;
    MyString address;
    std::string message;
    EXPECT_EQ(Run(client, address, message), -1);
    EXPECT_EQ(message.rfind("WebServis çağrısında hata oluştu\r\n\r\n"_cp, 0), 0u) << message;
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_FALSE(client.UpdateChecked);
}

}  // namespace
