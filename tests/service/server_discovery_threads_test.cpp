// SPDX-License-Identifier: GPL-3.0-or-later
// FindServerAddress: every source in its order (command line, settings, the downloaded
// server list, the fall-backs, the built-in address), against a real settings store and a
// real web server on 127.0.0.1 serving the list.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/cmd_parameters.h"
#include "foundation/registry.h"
#include "service/local_service.h"
#include "service/server_addresses.h"
#include "service/server_discovery.h"
#include "tests/service/support/http_test_server.h"
#include "tests/support/raised_message.h"
#include "tests/support/temp_config_home.h"

namespace {

constexpr const char *BuiltIn = "http://localhost:8081/Project2.DemoServer/soap/IDemoServer";

void WriteMakerSetting(const char16_t *name, const char *value) {
    TRegistry registry(HKEY_CURRENT_USER, u"Software\\Valtrosa");
    registry.CreateIfMissing = true;
    registry.WriteString(name, value, int32_t(std::strlen(value)));
}

void SetCommandLine(std::vector<const char *> arguments) {
    arguments.insert(arguments.begin(), "narrelo");
    InitCmdParameters(int(arguments.size()), arguments.data());
}

// How the web server answers the server list.
enum class List { Body, NotFound, Unreachable };

class ServerDiscoveryTest : public ::testing::Test {
protected:
    ServerDiscoveryTest() {
        web.Http().Get("/demoserver.txt", [this](const httplib::Request &, httplib::Response &response) {
            ++downloads;
            std::lock_guard<std::mutex> guard(lock);
            if (notFound) {
                response.status = 404;
                response.set_content("<html>http://error.page/</html>", "text/html");
            } else {
                response.set_content(listBody, "text/plain");
            }
        });
        web.Start();
        SetCommandLine({});
    }
    ~ServerDiscoveryTest() override {
        SetServerListUrl(nullptr);
        SetCommandLine({});
    }

    void ServeList(List how, const std::string &body = "") {
        std::lock_guard<std::mutex> guard(lock);
        notFound = how == List::NotFound;
        listBody = body;
        SetServerListUrl(how == List::Unreachable
                             ? ("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/demoserver.txt").c_str()
                             : web.Url("/demoserver.txt").c_str());
    }

    TempConfigHome home;
    THttpTestServer web;
    std::atomic<int> downloads{0};
    std::mutex lock;  // guards the two answers below, read by the server thread
    bool notFound = false;
    std::string listBody;
};

TEST_F(ServerDiscoveryTest, SourcesAreAskedInTheirOrder) {
    struct Case {
        const char *label;
        std::vector<const char *> commandLine;
        const char *demoServer, *lastSuccess, *defaultServer;  // settings; null: not set
        List list;
        const char *listBody;
        const char *expected;
        int downloads;
    };
    const Case cases[] = {
        {"command line wins over everything", {"-demoserver=http://cmd/soap"}, "http://reg/soap",
         "http://last/soap", "http://default/soap", List::Body, "http://list/soap", "http://cmd/soap", 0},
        {"command line without an address gives none", {"/DemoServer"}, "http://reg/soap", nullptr,
         nullptr, List::Body, "http://list/soap", "", 0},
        {"settings value DemoServer", {}, "http://reg/soap", "http://last/soap", nullptr, List::Body,
         "http://list/soap", "http://reg/soap", 0},
        {"empty DemoServer: the list, trimmed", {}, "", "http://last/soap", "http://default/soap",
         List::Body, "  http://list/soap\r\n", "http://list/soap", 1},
        {"list unreachable: last success", {}, nullptr, "http://last/soap", "http://default/soap",
         List::Unreachable, "", "http://last/soap", 0},
        {"list not found: last success, never the error page", {}, nullptr, "http://last/soap",
         "http://default/soap", List::NotFound, "", "http://last/soap", 1},
        {"list unreachable, no last success: default", {}, nullptr, "", "http://default/soap",
         List::Unreachable, "", "http://default/soap", 0},
        {"empty list ignores last success", {}, nullptr, "http://last/soap", "http://default/soap",
         List::Body, " \r\n", "http://default/soap", 1},
        {"empty list, no default: built in", {}, nullptr, "http://last/soap", nullptr, List::Body, "",
         BuiltIn, 1},
        {"nothing anywhere: built in", {}, nullptr, nullptr, nullptr, List::Unreachable, "", BuiltIn, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        TempConfigHome freshStore;
        SetCommandLine(c.commandLine);
        if (c.demoServer) WriteMakerSetting(u"DemoServer", c.demoServer);
        if (c.lastSuccess) WriteMakerSetting(u"LastSuccessDemoServer", c.lastSuccess);
        if (c.defaultServer) WriteMakerSetting(u"DefaultDemoServer", c.defaultServer);
        ServeList(c.list, c.listBody);
        downloads = 0;

        ServerAddressLookup lookup;
        MyString address("stale");
        MyString &result = FindServerAddress(lookup, address);

        EXPECT_EQ(&result, &address);
        EXPECT_STREQ(address.Text(), c.expected);
        EXPECT_EQ(downloads, c.downloads);
    }
}

TEST_F(ServerDiscoveryTest, OneLookupReadsTheSettingsAndTheListOnce) {
    ServeList(List::Body, "http://list/soap");
    ServerAddressLookup lookup;
    MyString address;
    FindServerAddress(lookup, address);
    WriteMakerSetting(u"DemoServer", "http://reg/soap");
    ServeList(List::Body, "http://changed/soap");
    FindServerAddress(lookup, address);
    EXPECT_STREQ(address.Text(), "http://list/soap");
    EXPECT_EQ(downloads, 1);

    ServerAddressLookup nextReading;
    EXPECT_STREQ(FindServerAddress(nextReading, address).Text(), "http://reg/soap");
}

TEST_F(ServerDiscoveryTest, UnreadableSettingsStoreReachesTheCaller) {
    ServeList(List::Body, "http://list/soap");
    TempConfigHome::WriteFile(home.StorePath(), "this is not a database, not even close to one");
    ServerAddressLookup lookup;
    MyString address;
    EXPECT_EQ(MessageOf([&] { FindServerAddress(lookup, address); }).rfind("Key Software\\Valtrosa Not Opened 1.", 0), 0u);
    EXPECT_EQ(downloads, 0);
}

// With the built-in server list (on this machine) and nothing named, the address is the
// user's own socket and nothing is downloaded; a name on the command line or in the settings
// still wins. Whether the remote-service notice is due follows the same addresses.
TEST_F(ServerDiscoveryTest, TheBuiltInListStandsForTheUsersOwnSocket) {
    const std::string runtime = home.Folder() + "/run";
    std::filesystem::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    const char *previous = getenv("XDG_RUNTIME_DIR");
    const std::string kept = previous ? previous : "";
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    SetServerListUrl(nullptr);
    struct Case {
        const char *label;
        std::vector<const char *> commandLine;
        const char *demoServer;
        std::string expected;
        bool onThisMachine;
    } const cases[] = {
        {"nothing named", {}, nullptr, "unix:" + runtime + "/narrelo/demoserver.sock", true},
        {"a remote service in the settings", {}, "http://speech.example/soap", "http://speech.example/soap", false},
        {"the machine-wide service named", {"DemoServer=http://127.0.0.1:8081/soap"}, nullptr,
         "http://127.0.0.1:8081/soap", true},
        {"a bare remote host", {"DemoServer=speech.example"}, nullptr, "speech.example", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        TempConfigHome freshStore;
        SetCommandLine(c.commandLine);
        if (c.demoServer) WriteMakerSetting(u"DemoServer", c.demoServer);
        downloads = 0;
        ServerAddressLookup lookup;
        MyString address;
        FindServerAddress(lookup, address);
        EXPECT_EQ(address.ToUtf8(), c.expected);
        EXPECT_EQ(ServiceIsOnThisMachine(), c.onThisMachine);
        EXPECT_EQ(downloads, 0);
    }
    if (previous) setenv("XDG_RUNTIME_DIR", kept.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
}

TEST(ServerAddressesTest, BareHostsAreCompletedToTheServiceEndpoint) {
    EXPECT_STREQ(BuiltInServerAddress().Text(), BuiltIn);
    EXPECT_STREQ(DefaultServerListUrl, "http://localhost:8081/demoserver.txt");
    EXPECT_STREQ(CompleteServerAddress("speech.example").Text(),
                 "http://speech.example:8081/Project2.DemoServer/soap/IDemoServer");
    EXPECT_STREQ(CompleteServerAddress("https://speech.example/soap").Text(), "https://speech.example/soap");
}

}  // namespace
