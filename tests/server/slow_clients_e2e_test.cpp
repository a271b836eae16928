// SPDX-License-Identifier: GPL-3.0-or-later
// Clients that send their requests slowly, or not at all, or do not read their answers, hold
// no worker: a normal request is answered while they are still open, none of them is closed
// for it, and a request that trickles ends at its deadline.

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "server/service_limits.h"
#include "service/demo_client.h"
#include "protocol/xml_text.h"
#include "tests/server/support/raw_http.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

std::string SynthesiseRequest(const std::string &session, const std::string &text) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SOAP-ENV:Envelope "
           "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:ns1=\"urn:DemoServerIntf-IDemoServer\"><SOAP-ENV:Body><ns1:Synthesise>"
           "<SessionID>" + EscapeXmlText(session) + "</SessionID><AText>" + EscapeXmlText(text) +
           "</AText><IsXML>false</IsXML><ASpeaker>1</ASpeaker><AVolume>10</AVolume>"
           "<ASpeed>10</ASpeed><AFileType>1</AFileType></ns1:Synthesise></SOAP-ENV:Body>"
           "</SOAP-ENV:Envelope>";
}

// How many of `connections` the server has closed, waiting up to `seconds` for `expected`.
size_t ClosedCount(std::vector<std::unique_ptr<TRawConnection>> &connections, size_t expected,
                   int seconds) {
    std::vector<bool> closed(connections.size(), false);
    size_t count = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    do {
        for (size_t i = 0; i < connections.size(); ++i)
            if (!closed[i] && connections[i]->ClosedWithin(0)) {
                closed[i] = true;
                ++count;
            }
        if (count >= expected) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return count;
}

TEST(SlowClientsE2ETest, ANormalRequestIsServedWhileSlowAndIdleClientsHoldConnections) {
    TempConfigHome home;
    TDemoServerProcess server({"--workers", "2"});
    const std::string partial = "POST /Project2.DemoServer/soap/IDemoServer HTTP/1.1\r\nHost: 127.0.0.1:" +
                                std::to_string(server.Port()) + "\r\nContent-Le";
    std::vector<std::unique_ptr<TRawConnection>> slow;
    constexpr size_t SlowCount = 40;
    for (size_t i = 0; i < SlowCount; ++i) {
        slow.push_back(std::make_unique<TRawConnection>(server.Port()));
        if (i % 10 != 0) slow.back()->Send(partial);  // every tenth sends nothing at all
    }
    TRawConnection normal(server.Port());
    ASSERT_TRUE(normal.Send(SoapPost(server.Port(), UpdateRequest)));
    const std::string answer = normal.ReadAll();
    EXPECT_EQ(StatusOf(answer), 200);
    EXPECT_NE(answer.find("<return>true</return>"), std::string::npos);

    // Every local program reaches the service from the one loopback address: none of the
    // slow ones was closed to make room (their deadline has not come), and the answer did
    // not wait for them.
    EXPECT_EQ(ClosedCount(slow, 1, 1), 0u);
}

TEST(SlowClientsE2ETest, AClientThatDoesNotReadItsAnswerHoldsNoWorker) {
    TempConfigHome home;
    TDemoServerProcess server({"--workers", "1", "--inline"});
    const std::string endpoint = server.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "slow-reader";
    client.EnsureSession("", "");
    // Some nine minutes of speech inside the answer: megabytes, far more than the sockets
    // hold while the client reads nothing.
    std::string text;
    while (text.size() < 8000) text += "bugün hava çok güzel "_cp;
    TRawConnection reader(server.Port(), 4096);
    ASSERT_TRUE(reader.Send(SoapPost(server.Port(), SynthesiseRequest(std::string(client.SessionID.View()), text))));
    // Its answer is made (the log says so) and waits to be taken; the one worker is free.
    std::string log;
    for (int i = 0; i < 1000 && log.find("audio bytes") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        log = server.Log();
    }
    ASSERT_NE(log.find("Synthesise in="), std::string::npos) << log;
    TRawConnection normal(server.Port());
    ASSERT_TRUE(normal.Send(SoapPost(server.Port(), UpdateRequest)));
    const std::string answer = normal.ReadAll(10);
    EXPECT_EQ(StatusOf(answer), 200);
    EXPECT_NE(answer.find("<return>true</return>"), std::string::npos);
    // The slow reader still gets all of its answer when it reads.
    const std::string whole = reader.ReadAll(20);
    EXPECT_EQ(StatusOf(whole), 200);
    EXPECT_GT(whole.size(), size_t(1) << 20);
    EXPECT_NE(whole.find("</SOAP-ENV:Envelope>"), std::string::npos);
}

TEST(SlowClientsE2ETest, SlowReadersOfALargeFileHoldNoWorker) {
    TempConfigHome home;
    // Far more than the sockets hold while its readers take nothing.
    const std::string installer = home.Folder() + "/narrelo-setup.deb";
    std::string bytes(8 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 2654435761u) >> 13);
    TempConfigHome::WriteFile(installer, bytes);
    TDemoServerProcess server({"--workers", "2", "--installer", installer});
    const std::string get = "GET /download/narrelo-setup.deb HTTP/1.1\r\nHost: 127.0.0.1:" +
                            std::to_string(server.Port()) + "\r\nConnection: close\r\n\r\n";
    std::vector<std::unique_ptr<TRawConnection>> readers;
    for (int i = 0; i < 4; ++i) {
        readers.push_back(std::make_unique<TRawConnection>(server.Port(), 4096));
        ASSERT_TRUE(readers.back()->Send(get));
    }
    // Their answers begin (and stop at what the sockets hold, as nothing is read).
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (int call = 0; call < 3; ++call) {
        const auto asked = std::chrono::steady_clock::now();
        TRawConnection normal(server.Port());
        ASSERT_TRUE(normal.Send(SoapPost(server.Port(), UpdateRequest)));
        const std::string answer = normal.ReadAll(10);
        EXPECT_EQ(StatusOf(answer), 200);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1)) << call;
    }
    // Each slow reader still gets the whole file when it reads.
    for (auto &reader : readers) {
        const std::string whole = reader->ReadAll(30);
        ASSERT_EQ(StatusOf(whole), 200);
        EXPECT_NE(whole.find("\r\nContent-Length: " + std::to_string(bytes.size()) + "\r\n"),
                  std::string::npos);
        EXPECT_TRUE(BodyOf(whole) == bytes) << BodyOf(whole).size();
    }
}

TEST(SlowClientsE2ETest, ARequestThatTricklesEndsAtItsDeadline) {
    TempConfigHome home;
    TDemoServerProcess server;
    const std::string request = SoapPost(server.Port(), UpdateRequest);
    TRawConnection trickle(server.Port());
    const auto started = std::chrono::steady_clock::now();
    // One byte every 200 ms: never idle, never complete within the deadline. Bounded by
    // twice the deadline.
    bool closed = false;
    for (size_t i = 0; i < request.size() && !closed; ++i) {
        if (std::chrono::steady_clock::now() - started > std::chrono::seconds(2 * RequestDeadlineSeconds)) break;
        closed = !trickle.Send(request.substr(i, 1)) || trickle.ClosedWithin(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_TRUE(closed);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(RequestDeadlineSeconds - 1))
        << "closed before its deadline";
    // It left a log line that says why.
    std::string log;
    for (int i = 0; i < 200 && log.find("timed out") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        log = server.Log();
    }
    EXPECT_NE(log.find("timed out"), std::string::npos) << log;
}

}  // namespace
