// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of narrelo-demoserver and the pages it serves over HTTP GET.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/demo_server.h"
#include "server/server_options.h"
#include "server/web_content.h"
#include "tests/support/temp_config_home.h"

namespace {

TEST(ServerOptionsTest, ReadsEveryOptionAndRefusesNonsense) {
    const TServerOptions options = ParseServerOptions(
        {"--bind", "0.0.0.0", "--port=0", "--min-version", "14", "--installer", "/tmp/i.run",
         "--inline", "--key-file", "/k", "--cache-dir", "/c", "--workers", "8",
         "--idle-timeout", "5", "--quiet", "--allow-host", "konus.example",
         "--allow-host=[::1]:9"});
    EXPECT_EQ(options.Bind, "0.0.0.0");
    EXPECT_EQ(options.AllowHosts, (std::vector<std::string>{"konus.example", "[::1]:9"}));
    EXPECT_EQ(options.Port, 0);
    EXPECT_EQ(options.MinVersion, 14);
    EXPECT_EQ(options.Installer, "/tmp/i.run");
    EXPECT_TRUE(options.Inline);
    EXPECT_EQ(options.KeyFile, "/k");
    EXPECT_EQ(options.CacheDir, "/c");
    EXPECT_EQ(options.Workers, 8);
    EXPECT_EQ(options.IdleTimeout, 5);
    EXPECT_TRUE(options.Quiet);

    const TServerOptions defaults = ParseServerOptions({});
    EXPECT_EQ(defaults.Bind, "127.0.0.1") << "never every interface unless told";
    EXPECT_EQ(defaults.Port, 8081);
    EXPECT_EQ(defaults.MinVersion, 13);

    const std::vector<std::vector<std::string>> refused = {
        {"--port", "65536"}, {"--port", "80x"}, {"--workers", "0"}, {"--port"},
        {"--bind", ""},      {"--verbose"},     {"serve"},
        {"--allow-host", ""}, {"--allow-host", "a/b"}, {"--allow-host", "a b"},
    };
    for (const auto &arguments : refused) {
        SCOPED_TRACE(arguments.front());
        EXPECT_THROW(ParseServerOptions(arguments), std::invalid_argument);
    }
}

TEST(ServerOptionsTest, TheListeningAddressIsSaidAsItIsAndBeyondLoopbackWarned) {
    const struct {
        const char *Bind;
        const char *Url;     // what the listening line names, with port 8081
        bool Beyond;         // the warning is printed
    } cases[] = {
        {"127.0.0.1", "127.0.0.1:8081", false},
        {"127.0.0.2", "127.0.0.2:8081", false},
        {"localhost", "localhost:8081", false},
        {"::1", "[::1]:8081", false},
        {"0.0.0.0", "0.0.0.0:8081", true},  // not "127.0.0.1": every interface
        {"::", "[::]:8081", true},
        {"192.168.1.5", "192.168.1.5:8081", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Bind);
        EXPECT_EQ(HostForUrl(c.Bind, 8081), c.Url);
        EXPECT_EQ(ListensBeyondLoopback(c.Bind), c.Beyond);
    }
}

TEST(ServerOptionsTest, DefaultFilesLiveInTheUsersFolders) {
    TempConfigHome home;  // XDG_CONFIG_HOME
    setenv("XDG_CACHE_HOME", (home.Folder() + "/cache").c_str(), 1);
    TServerOptions options;
    ResolveDefaults(options);
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(options.KeyFile, home.Folder() + "/valtrosa/demoserver.key");
    EXPECT_EQ(options.CacheDir, home.Folder() + "/cache/narrelo-demoserver");
    EXPECT_NE(options.WebRoot.find("/narrelo/web"), std::string::npos);
}

// "--installer" without a file offers the window's package made into this build tree: found
// in deb/ of the tree that holds the program (the last revision), refused while there is none.
TEST(ServerOptionsTest, InstallerWithoutFileIsThePackageOfThisBuild) {
    EXPECT_TRUE(ParseServerOptions({"--installer"}).InstallerIsBuiltPackage);
    const TServerOptions followed = ParseServerOptions({"--installer", "--inline"});
    EXPECT_TRUE(followed.InstallerIsBuiltPackage);
    EXPECT_TRUE(followed.Inline);
    EXPECT_FALSE(ParseServerOptions({"--installer", "/tmp/i.deb"}).InstallerIsBuiltPackage);

    TempConfigHome tree;
    const std::string exe = tree.Folder() + "/server/narrelo-demoserver";
    TempConfigHome::WriteFile(tree.Folder() + "/CMakeCache.txt", "");
    EXPECT_EQ(BuiltPackagePath(exe), "") << "no package built yet";
    const std::string deb = tree.Folder() + "/deb/";
    for (const char *other : {"narrelo-tools_" NARRELO_VERSION "-3_amd64.deb",
                              "narrelo_" NARRELO_VERSION "-3_amd64.buildinfo",
                              "narrelo-dbgsym_" NARRELO_VERSION "-3_amd64.deb"})
        TempConfigHome::WriteFile(deb + other, "!<arch>\n");
    EXPECT_EQ(BuiltPackagePath(exe), "") << "only the other packages";
    TempConfigHome::WriteFile(deb + "narrelo_" NARRELO_VERSION "-1_amd64.deb", "!<arch>\n");
    TempConfigHome::WriteFile(deb + "narrelo_" NARRELO_VERSION "-2_amd64.deb", "!<arch>\n");
    EXPECT_EQ(BuiltPackagePath(exe), deb + "narrelo_" NARRELO_VERSION "-2_amd64.deb");
    EXPECT_EQ(BuiltPackagePath("/usr/bin/narrelo-demoserver"), "") << "not in a build tree";
}

// What a GET answers with: its body, or the file it names.
std::string ContentOf(const TWebAnswer &answer) {
    if (answer.FilePath.empty()) return answer.Body;
    std::ifstream in(answer.FilePath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WebContentTest, AnswersItsPathsAndNothingElse) {
    TempConfigHome home;
    const std::string root = home.Folder() + "/web";
    TempConfigHome::WriteFile(root + "/index.html", "<p>ana sayfa</p>");
    TempConfigHome::WriteFile(root + "/en/faq.html", "<p>faq</p>");
    TempConfigHome::WriteFile(root + "/.hidden", "secret");
    TempConfigHome::WriteFile(home.Folder() + "/outside.txt", "outside");
    std::filesystem::create_symlink(home.Folder() + "/outside.txt", root + "/link.txt");
    std::filesystem::create_symlink(home.Folder(), root + "/en/up");
    const TWebContent web(root, home.Folder() + "/Kurulum_4.run");
    const std::string outside = home.Folder() + "/outside.txt";
    const struct {
        std::string Path;
        int Status;
        std::string Body;
        const char *Type;
    } cases[] = {
        {"/demoserver.txt", 200, "http://h:1/Project2.DemoServer/soap/IDemoServer\r\n", "text/plain; charset=utf-8"},
        {"/", 200, "<p>ana sayfa</p>", "text/html; charset=utf-8"},
        {"/index.html?x=1", 200, "<p>ana sayfa</p>", "text/html; charset=utf-8"},
        {"/en/", 404, "Not Found\n", nullptr},  // a folder without index.html
        {"/en/faq.html", 200, "<p>faq</p>", "text/html; charset=utf-8"},
        {"/en/faq%2ehtml", 200, "<p>faq</p>", "text/html; charset=utf-8"},
        {"/../outside.txt", 404, "Not Found\n", nullptr},
        {"/en/../../outside.txt", 404, "Not Found\n", nullptr},
        {"/" + outside, 404, "Not Found\n", nullptr},  // "//home/..." once joined
        {"//etc/passwd", 404, "Not Found\n", nullptr},
        {"///", 404, "Not Found\n", nullptr},
        {"/en//faq.html", 404, "Not Found\n", nullptr},
        {"/%2fetc%2fpasswd", 404, "Not Found\n", nullptr},
        {"/%2e%2e/outside.txt", 404, "Not Found\n", nullptr},
        {"/en/%2E%2E/%2e%2e/outside.txt", 404, "Not Found\n", nullptr},
        {"/en%2f..%2f..%2foutside.txt", 404, "Not Found\n", nullptr},
        {"/..%5coutside.txt", 404, "Not Found\n", nullptr},
        {"/index.html%00.txt", 404, "Not Found\n", nullptr},
        {"/%zz", 404, "Not Found\n", nullptr},
        {"/link.txt", 404, "Not Found\n", nullptr},         // a symbolic link out of the folder
        {"/en/up/outside.txt", 404, "Not Found\n", nullptr},  // a linked folder out of it
        {"/.hidden", 404, "Not Found\n", nullptr},
        {"/yok.html", 404, "Not Found\n", nullptr},
        {"/download/Kurulum_4.run", 404, "Not Found\n", nullptr},  // configured, but missing
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Path);
        const TWebAnswer answer = web.Get(c.Path, "h:1");
        EXPECT_EQ(answer.Status, c.Status);
        EXPECT_EQ(ContentOf(answer), c.Body);
        if (c.Type) {
            EXPECT_EQ(answer.ContentType, c.Type);
        }
    }
    EXPECT_EQ(web.InstallerUrl("127.0.0.1:8081"), "http://127.0.0.1:8081/download/Kurulum_4.run");
    EXPECT_EQ(TWebContent(root, "").InstallerUrl("x"), "");
}

}  // namespace
