// The command line of narrelo-demoserver and the pages it serves over HTTP GET.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "server/server_options.h"
#include "server/web_content.h"
#include "tests/support/temp_config_home.h"

namespace {

TEST(ServerOptionsTest, ReadsEveryOptionAndRefusesNonsense) {
    const TServerOptions options = ParseServerOptions(
        {"--bind", "0.0.0.0", "--port=0", "--min-version", "14", "--installer", "/tmp/i.run",
         "--inline", "--key-file", "/k", "--cache-dir", "/c", "--workers", "8",
         "--idle-timeout", "5", "--quiet"});
    EXPECT_EQ(options.Bind, "0.0.0.0");
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
    };
    for (const auto &arguments : refused) {
        SCOPED_TRACE(arguments.front());
        EXPECT_THROW(ParseServerOptions(arguments), std::invalid_argument);
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
    EXPECT_NE(options.WebRoot.find("/narrelo-demoserver/web"), std::string::npos);
}

// "--installer" without a file offers the package this build tree made: found at the top of
// the tree that holds the program, refused with a message while there is none.
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
    const std::string package = tree.Folder() + "/narrelo_" NARRELO_VERSION "_amd64.deb";
    TempConfigHome::WriteFile(package, "!<arch>\n");
    EXPECT_EQ(BuiltPackagePath(exe), package);
    EXPECT_EQ(BuiltPackagePath("/usr/bin/narrelo-demoserver"), "") << "not in a build tree";
}

TEST(WebContentTest, AnswersItsPathsAndNothingElse) {
    TempConfigHome home;
    const std::string root = home.Folder() + "/web";
    TempConfigHome::WriteFile(root + "/index.html", "<p>ana sayfa</p>");
    TempConfigHome::WriteFile(root + "/en/faq.html", "<p>faq</p>");
    TempConfigHome::WriteFile(root + "/.hidden", "secret");
    TempConfigHome::WriteFile(home.Folder() + "/outside.txt", "outside");
    const TWebContent web(root, home.Folder() + "/Kurulum_4.run");
    const struct {
        const char *Path;
        int Status;
        std::string Body;
        const char *Type;
    } cases[] = {
        {"/demoserver.txt", 200, "http://h:1/Project2.DemoServer/soap/IDemoServer\r\n", "text/plain; charset=utf-8"},
        {"/", 200, "<p>ana sayfa</p>", "text/html; charset=utf-8"},
        {"/index.html?x=1", 200, "<p>ana sayfa</p>", "text/html; charset=utf-8"},
        {"/en/faq.html", 200, "<p>faq</p>", "text/html; charset=utf-8"},
        {"/../outside.txt", 404, "Not Found\n", nullptr},
        {"/en/../../outside.txt", 404, "Not Found\n", nullptr},
        {"/.hidden", 404, "Not Found\n", nullptr},
        {"/yok.html", 404, "Not Found\n", nullptr},
        {"/download/Kurulum_4.run", 404, "Not Found\n", nullptr},  // configured, but missing
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Path);
        const TWebAnswer answer = web.Get(c.Path, "h:1", "127.0.0.1:8081");
        EXPECT_EQ(answer.Status, c.Status);
        EXPECT_EQ(answer.Body, c.Body);
        if (c.Type) {
            EXPECT_EQ(answer.ContentType, c.Type);
        }
    }
    EXPECT_EQ(web.Get("/demoserver.txt", "", "127.0.0.1:8081").Body,
              "http://127.0.0.1:8081/Project2.DemoServer/soap/IDemoServer\r\n");
    EXPECT_EQ(web.InstallerUrl("", "127.0.0.1:8081"), "http://127.0.0.1:8081/download/Kurulum_4.run");
    EXPECT_EQ(TWebContent(root, "").InstallerUrl("h", "x"), "");
    EXPECT_EQ(SaneHost("evil.example/x?"), "");
    EXPECT_EQ(SaneHost("[::1]:8081"), "[::1]:8081");
}

}  // namespace
