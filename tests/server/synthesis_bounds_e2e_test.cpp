// SPDX-License-Identifier: GPL-3.0-or-later
// One request cannot take the machine: what it may have spoken is bounded and refused before
// any speaking, and a client that hangs up stops the work made for it.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "foundation/code_page.h"
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

// The most memory the process has held, in KiB (VmHWM), 0 when unknown.
long PeakKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

// Waits (bounded) until the server's log holds `text`.
std::string LogWith(const TDemoServerProcess &server, const std::string &text, int seconds) {
    std::string log;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        log = server.Log();
        if (log.find(text) != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return log;
}

class SynthesisBoundsE2ETest : public ::testing::Test {
protected:
    SynthesisBoundsE2ETest() {
        const std::string endpoint = server_.Endpoint();
        TDemoClient client;
        client.soap_endpoint = endpoint.c_str();
        client.ClientID = "bounds-test";
        client.EnsureSession("", "");
        session_ = std::string(client.SessionID.View());
    }

    TempConfigHome home_;
    TDemoServerProcess server_;
    std::string session_;
};

TEST_F(SynthesisBoundsE2ETest, TooMuchSpeechIsRefusedBeforeSpeaking) {
    const struct {
        const char *Label;
        std::string Text;
        const char *Says;
    } cases[] = {
        // Each digit group becomes several words: far more to say than 64 KiB of input.
        {"64 KiB of digits", [] {
             std::string digits;
             while (digits.size() + 11 < 64 * 1024) digits += "1234567890 ";
             return digits;
         }(),
         "too long to be spoken"},
        {"one long line of digits", std::string(12000, '9'), "too long to be spoken"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        TRawConnection connection(server_.Port());
        connection.Send(SoapPost(server_.Port(), SynthesiseRequest(session_, c.Text)));
        const std::string answer = connection.ReadAll();
        EXPECT_EQ(StatusOf(answer), 500);
        EXPECT_NE(answer.find(c.Says), std::string::npos) << answer.substr(0, 600);
    }
    // Nothing was made for them: the process stayed small (it took gigabytes before).
    EXPECT_LT(PeakKiB(server_.Pid()), 1024 * 1024);
}

TEST_F(SynthesisBoundsE2ETest, AClientThatHangsUpStopsItsWork) {
    // Audio inside the answer: Synthesise itself makes it.
    TDemoServerProcess making({"--inline"});
    const std::string endpoint = making.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "hang-up-test";
    client.EnsureSession("", "");
    const std::string session(client.SessionID.View());
    // About ten minutes of speech: seconds of work for the engine and the encoder. Every
    // clause differs (a number in each), so no piece of it is the cached audio of another.
    std::string text;
    for (int i = 1; text.size() < 9000; ++i) text += "bugün " + std::to_string(i) + " kez hava çok güzel "_cp;
    {
        TRawConnection gone(making.Port());
        gone.Send(SoapPost(making.Port(), SynthesiseRequest(session, text)));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    const std::string log = LogWith(making, "cancelled: the client hung up", 20);
    EXPECT_NE(log.find("Synthesise in="), std::string::npos) << log;
    EXPECT_NE(log.find("cancelled: the client hung up"), std::string::npos) << log;
    // A short one is served as usual after it.
    TRawConnection next(making.Port());
    next.Send(SoapPost(making.Port(), SynthesiseRequest(session, "Kısa bir cümle."_cp)));
    EXPECT_EQ(StatusOf(next.ReadAll()), 200);
}

}  // namespace
