// SPDX-License-Identifier: GPL-3.0-or-later
// FindServerAndOfferUpdate: an update the service demands is asked about; a refusal stops
// the reading (and the question comes again), a Yes downloads the installer into the
// temporary folder, says so, hands it to the host and ends the process. Against a loopback
// speech service and web server, with the tests' host answering and ending nothing.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "app/update_offer.h"
#include "foundation/code_page.h"
#include "service/demo_client.h"
#include "tests/service/support/update_fixture.h"
#include "tests/support/fake_host.h"
#include "tests/support/raised_message.h"

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

class UpdateOfferTest : public UpdateCheckFixture {
protected:
    // Runs the offer with `host` answering; returns the exit code the process would have
    // ended with, or -1, and "<category>: <message>" of what was raised in `raised`.
    int Run(TFakeHost &host, TDemoClient &client, MyString &address, std::string &raised,
            TUpdatePath path = TUpdatePath::Download) {
        host.OnInstallerStarted = [&](const char *path) {
            startedWhenShown = host.Texts().size();
            startedBytes = TempConfigHome::ReadFile(path);
        };
        raised = "(nothing raised)";
        try {
            raised = CategoryOf([&] { FindServerAndOfferUpdate(client, address, path); });
        } catch (const TProcessEnded &ended) {
            return ended.code;
        }
        return -1;
    }

    size_t startedWhenShown = 0;
    std::string startedBytes;
};

TEST_F(UpdateOfferTest, NoUpdateReadsOnWithoutAQuestion) {
    soap.AddReply(ReturnReply("UpdateRequired2", "false"));
    TFakeHost host;
    TDemoClient client;
    MyString address;
    std::string raised;
    EXPECT_EQ(Run(host, client, address, raised), -1);
    EXPECT_EQ(raised, "(nothing raised)");
    EXPECT_EQ(address.ToUtf8(), soap.Endpoint());
    EXPECT_TRUE(host.Texts().empty());
}

TEST_F(UpdateOfferTest, DecliningRaisesTheRefusalAndAsksAgainWithoutTheService) {
    soap.AddReply(ReturnReply("UpdateRequired2", "true"));
    TFakeHost declining{std::deque<int>{IDNO, IDNO}};
    TDemoClient client;
    MyString address;
    std::string raised;
    for (int reading = 0; reading < 2; ++reading) {
        EXPECT_EQ(Run(declining, client, address, raised), -1);
        EXPECT_EQ(raised, "refused: " + UpdateRefused);
    }
    EXPECT_EQ(declining.Texts(), (std::vector<std::string>{UpdateFound, UpdateFound}));
    EXPECT_EQ(declining.Styles(), (std::vector<int>{MB_YESNO, MB_YESNO}));
    EXPECT_EQ(soap.RequestCount(), 1u);
    EXPECT_FALSE(fs::exists(tmp.Installer()));
    EXPECT_TRUE(declining.Installers().empty());
}

TEST_F(UpdateOfferTest, AcceptingDownloadsStartsTheInstallerAndEndsWithZero) {
    ServiceDemandsUpdate(web.Url("/setup.deb"));
    TFakeHost accepting{std::deque<int>{IDYES}};
    TDemoClient client;
    MyString address;
    std::string raised;

    EXPECT_EQ(Run(accepting, client, address, raised), 0);

    EXPECT_EQ(accepting.Texts(), (std::vector<std::string>{UpdateFound, UpdateDownloaded}));
    EXPECT_EQ(accepting.Styles(), (std::vector<int>{MB_YESNO, MB_OK}));
    EXPECT_EQ(accepting.Installers(), std::vector<std::string>{tmp.Installer()});
    EXPECT_EQ(startedWhenShown, 2u) << "the installer starts after the notice";
    EXPECT_EQ(startedBytes, installer);
}

TEST_F(UpdateOfferTest, AFailedDownloadStartsNothingAndEndsNothing) {
    ServiceDemandsUpdate(web.Url("/missing.deb"));
    TFakeHost accepting{std::deque<int>{IDYES}};
    TDemoClient client;
    MyString address;
    std::string raised;
    EXPECT_EQ(Run(accepting, client, address, raised), -1);
    EXPECT_NE(raised.find(": InternetOpenUrl Failed. HTTP 404 Not Found"), std::string::npos) << raised;
    EXPECT_EQ(accepting.Texts(), std::vector<std::string>{UpdateFound});
    EXPECT_TRUE(accepting.Installers().empty());
    EXPECT_FALSE(fs::exists(tmp.Installer()));
}

}  // namespace

namespace {

// A packaged program is updated by the package manager alone: the demand is answered with
// how to update, in both languages; nothing is asked of the service, downloaded or started.
TEST_F(UpdateOfferTest, APackagedProgramSaysToUseThePackageManagerAndDownloadsNothing) {
    ServiceDemandsUpdate(web.Url("/setup.deb"));
    TFakeHost host{std::deque<int>{IDYES}};
    TDemoClient client;
    MyString address;
    std::string raised;
    EXPECT_EQ(Run(host, client, address, raised, TUpdatePath::PackageManager), -1);
    EXPECT_EQ(raised.rfind("refused: Bu programın daha yeni bir sürümü gerekiyor."_cp, 0), 0u) << raised;
    EXPECT_NE(raised.find("A newer version of this program is needed. Please update Narrelo with your "
                          "system's package manager"),
              std::string::npos)
        << raised;
    EXPECT_TRUE(host.Texts().empty()) << "no question: there is nothing to choose";
    EXPECT_TRUE(host.Installers().empty());
    EXPECT_EQ(soap.RequestCount(), 1u) << "the installer's address is never asked";
    EXPECT_FALSE(fs::exists(tmp.Installer()));
}

}  // namespace
