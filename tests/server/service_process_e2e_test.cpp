// SPDX-License-Identifier: GPL-3.0-or-later
// The service process and its surroundings: it never opens a sound output (it only makes
// files), and a service started on demand ends when its program file is removed or replaced
// (the package was removed or upgraded) rather than running on as the old program.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/server/support/raw_http.h"
#include "tests/support/child_process.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

TEST(ServiceProcessE2ETest, NeverOpensASoundOutput) {
    TempConfigHome home;
    // A sound server's client library makes its folder in the runtime folder when it is
    // asked for a connection: the service's runtime folder stays as it was.
    const std::string runtime = home.Folder() + "/runtime";
    std::filesystem::create_directory(runtime);
    ::chmod(runtime.c_str(), 0700);
    const char *before = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = before ? before : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    {
        TDemoServerProcess server;
        // The speech engine is started with the service; a page answered says it is up.
        EXPECT_EQ(StatusOf(HttpGet(server.Port(), "/demoserver.txt")), 200);
    }
    if (before)
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
    for (const auto &entry : std::filesystem::directory_iterator(runtime))
        ADD_FAILURE() << "left in the runtime folder: " << entry.path();
}

TEST(ServiceProcessE2ETest, AnOnDemandServiceWhoseProgramFileGoesEndsWhenIdle) {
    const std::string built = std::string(NARRELO_BINARY_DIR) + "/server/narrelo-demoserver";
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replaced" : "removed");
        TempConfigHome home;
        const std::string program = home.Folder() + "/narrelo-demoserver";
        std::filesystem::copy_file(built, program);
        ::chmod(program.c_str(), 0755);
        TChildProcess service(program, {"--port", "0", "--processes", "1", "--idle-exit", "600",
                                        "--key-file", home.Folder() + "/key", "--cache-dir",
                                        home.Folder() + "/cache", "--web-root", home.Folder()});
        // Serving: its key file is made as it starts to serve (bounded wait).
        const auto started = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!std::filesystem::exists(home.Folder() + "/key") &&
               std::chrono::steady_clock::now() < started)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        std::filesystem::remove(program);
        if (replace) {
            std::filesystem::copy_file(built, program);  // another file under the same name
            ::chmod(program.c_str(), 0755);
        }
        const TChildResult result = service.Wait(std::chrono::seconds(15));
        EXPECT_EQ(result.Status, 0) << result.Err;
        EXPECT_NE(result.Err.find("was removed or replaced: stopping"), std::string::npos)
            << result.Err;
        EXPECT_NE(result.Out.find("listening on http://127.0.0.1:"), std::string::npos)
            << result.Out;
    }
}

}  // namespace
