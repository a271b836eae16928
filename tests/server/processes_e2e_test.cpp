// SPDX-License-Identifier: GPL-3.0-or-later
// Several processes serve one port: each takes connections and answers them, with the same
// key (a session from one is good at the other), and they stop together.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <memory>
#include <regex>
#include <set>
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
        EXPECT_EQ(serving.count(server.Pid()), size_t(1));

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

}  // namespace
