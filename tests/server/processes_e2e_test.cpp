// SPDX-License-Identifier: GPL-3.0-or-later
// Several processes serve one port: each takes connections and answers them, with the same
// key (a session from one is good at the other), and they stop together.

#include <gtest/gtest.h>

#include <signal.h>

#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "records/demo_audios.h"
#include "service/demo_client.h"
#include "tests/server/support/raw_http.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

// The processes named in the log's lines.
std::set<pid_t> ServingProcesses(const std::string &log) {
    std::set<pid_t> out;
    static const std::regex Process(R"(\[pid (\d+)\] )");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), Process);
         it != std::sregex_iterator(); ++it)
        out.insert(pid_t(std::stol((*it)[1].str())));
    return out;
}

// The state letter of a process ('Z' a zombie), or 0 when there is no such process.
char StateOf(pid_t process) {
    std::ifstream in("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return 0;
    const size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? 0 : line[close + 2];
}

// The living (not zombie) children of `parent`.
std::set<pid_t> ChildrenOf(pid_t parent) {
    std::set<pid_t> out;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line)) continue;
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        long ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent && state != 'Z') out.insert(pid_t(std::stol(name)));
    }
    return out;
}

// Whether a fresh connection to `port` is answered 200.
bool Answered(int port) {
    TRawConnection connection(port);
    return connection.Send(SoapPost(port, UpdateRequest)) &&
           StatusOf(connection.ReadAll(10)) == 200;
}

// Waits (bounded) until `ready` holds.
template <typename F>
bool Eventually(F ready, int seconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(ProcessesE2ETest, SeveralProcessesShareThePortEachServesAndTheyStopTogether) {
    TempConfigHome home;
    std::set<pid_t> serving;
    {
        TDemoServerProcess server({"--processes", "2"});
        const std::string page = "GET /demoserver.txt HTTP/1.1\r\nHost: 127.0.0.1:" +
                                 std::to_string(server.Port()) + "\r\nConnection: close\r\n\r\n";
        // Batches of connections at once, until both processes have answered (bounded). The
        // second process may still be starting its speech engine while the first takes every
        // connection: the batches go on for some seconds, not for a count alone.
        for (int batch = 0; batch < 100 && serving.size() < 2; ++batch) {
            if (batch > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::vector<std::unique_ptr<TRawConnection>> connections;
            for (int i = 0; i < 8; ++i) {
                connections.push_back(std::make_unique<TRawConnection>(server.Port()));
                connections.back()->Send(page);
            }
            for (auto &connection : connections) EXPECT_EQ(StatusOf(connection->ReadAll()), 200);
            serving = ServingProcesses(server.Log());
        }
        ASSERT_EQ(serving.size(), size_t(2)) << server.Log();
        // The first process supervises; the serving ones are its children.
        EXPECT_EQ(serving.count(server.Pid()), size_t(0));
        EXPECT_EQ(ChildrenOf(server.Pid()), serving);

        // A session and a file identifier from either process are good at the other: a
        // whole sentence read through the port, whoever answers.
        const std::string endpoint = server.Endpoint();
        TDemoClient client;
        client.soap_endpoint = endpoint.c_str();
        client.ClientID = "processes";
        for (int i = 0; i < 4; ++i) {
            TDemoAudios audios;
            client.SynthesiseSentence("Bugün hava çok güzel."_cp, 0, 1, 10, 10, 1, audios);
            ASSERT_EQ(audios.Count(), 1);
            EXPECT_GT(client.LoadSynthesisedFile(audios.Get(0)->Data, audios.Get(0)->FileId.Text()), 1000);
        }
    }
    // Stopping the first stops the others (bounded wait).
    for (const pid_t process : serving) {
        bool gone = false;
        for (int i = 0; i < 500 && !gone; ++i) {
            gone = ::kill(process, 0) != 0;
            if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(gone) << process;
    }
}

TEST(ProcessesE2ETest, AServingProcessThatDiesIsReapedAndReplaced) {
    TempConfigHome home;
    TDemoServerProcess server({"--processes", "2"});
    ASSERT_TRUE(Eventually([&] { return ChildrenOf(server.Pid()).size() == 2; })) << server.Log();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const std::set<pid_t> before = ChildrenOf(server.Pid());
        const pid_t victim = *before.begin();
        ASSERT_EQ(::kill(victim, SIGKILL), 0);
        // Another takes its place; the dead one is reaped, not left a zombie.
        EXPECT_TRUE(Eventually([&] {
            const std::set<pid_t> now = ChildrenOf(server.Pid());
            return now.size() == 2 && now.count(victim) == 0 && StateOf(victim) == 0;
        })) << server.Log();
        EXPECT_NE(server.Log().find("serving process " + std::to_string(victim) +
                                    " ended (killed by signal 9"),
                  std::string::npos)
            << server.Log();
        for (int i = 0; i < 8; ++i) EXPECT_TRUE(Answered(server.Port())) << i;
    }
    EXPECT_EQ(StateOf(server.Pid()), 'S') << "the supervisor lives on";
}

TEST(ProcessesE2ETest, SighupRestartsGracefullyAndThePortStaysServed) {
    for (const char *processes : {"1", "2"}) {
        SCOPED_TRACE(std::string("--processes ") + processes);
        TempConfigHome home;
        TDemoServerProcess server({"--processes", processes, "--workers", "2"});
        const std::string endpoint = server.Endpoint();
        TDemoClient client;
        client.soap_endpoint = endpoint.c_str();
        client.ClientID = "sighup";
        client.EnsureSession("", "");
        // A request in hand when the signal comes is answered.
        TRawConnection inFlight(server.Port());
        ASSERT_TRUE(inFlight.Send(SoapPost(server.Port(), UpdateRequest).substr(0, 100)));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(::kill(server.Pid(), SIGHUP), 0);
        ASSERT_TRUE(inFlight.Send(SoapPost(server.Port(), UpdateRequest).substr(100)));
        EXPECT_EQ(StatusOf(inFlight.ReadAll(10)), 200);
        // Every call during and after the restart is answered (bounded: 2 s of calls).
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        int calls = 0;
        while (std::chrono::steady_clock::now() < until && calls < 200) {
            EXPECT_TRUE(Answered(server.Port())) << calls;
            ++calls;
        }
        EXPECT_NE(StateOf(server.Pid()), 0);
        EXPECT_NE(StateOf(server.Pid()), 'Z');
        EXPECT_TRUE(Eventually([&] { return server.Log().find("SIGHUP") != std::string::npos; }));
        // The same key after the restart: the session from before still holds.
        TDemoAudios audios;
        client.SynthesiseSentence("Yeniden başladı."_cp, 0, 1, 10, 10, 1, audios);
        EXPECT_EQ(audios.Count(), 1);
        server.Stop();
        ASSERT_TRUE(WIFEXITED(server.ExitStatus())) << server.Log();
        EXPECT_EQ(WEXITSTATUS(server.ExitStatus()), 0);
    }
}

}  // namespace
