// SPDX-License-Identifier: GPL-3.0-or-later
// What the server does with requests it must not serve as asked: too large, malformed,
// idle, cut off, or arriving while it stops. None of them may harm another client.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "records/narrelo_cumles.h"
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

std::string Envelope(const std::string &inside) {
    return "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<SOAP-ENV:Body>" + inside + "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

std::string Repeated(const std::string &part, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += part;
    return out;
}

std::string Attributes(int count) {
    std::string element = "<e";
    for (int i = 0; i < count; ++i) element += " a" + std::to_string(i) + "=\"\"";
    return element + "/>";
}

std::string Nested(int depth) { return Repeated("<e>", depth) + Repeated("</e>", depth); }

// `ascii` as UTF-16 little endian with its byte order mark.
std::string Utf16(const std::string &ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// Splits a short text through a new client of `server`; "" on success.
std::string SplitFailure(const TDemoServerProcess &server) {
    const std::string endpoint = server.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "limits-test";
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    try {
        client.LoadSentences("Bir. İki."_cp, 0, sentences);
    } catch (const TCustomException &e) {
        return e.Message();
    }
    return sentences.Count() == 2 ? "" : "wrong sentence count";
}

class LimitsE2ETest : public ::testing::Test {
protected:
    TempConfigHome home_;
    TDemoServerProcess server_{{"--idle-timeout", "1"}};
};

TEST_F(LimitsE2ETest, RequestsItCannotServeGetAnAnswerThatSaysWhy) {
    const std::string big(1024 * 1024 + 1, 'a');
    const struct {
        const char *Label;
        std::string Request;
        int Status;
        const char *Says;
    } cases[] = {
        {"body above 1 MiB", SoapPost(server_.Port(), big), 500, "larger than 1048576 bytes"},
        {"not XML", SoapPost(server_.Port(), "<x"), 500,
         "not a well-formed SOAP envelope: XML error on line 1"},
        {"cut-off envelope",
         SoapPost(server_.Port(), UpdateRequest.substr(0, UpdateRequest.size() - 20)), 500,
         "not a well-formed SOAP envelope"},
        {"no body length", "POST /x HTTP/1.1\r\nHost: h\r\n\r\n", 411, "no Content-Length"},
        {"not HTTP", "HELLO\r\n\r\n", 400, "Not an HTTP request"},
        {"unknown operation",
         SoapPost(server_.Port(),
                  "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                  "<SOAP-ENV:Body><Yok/></SOAP-ENV:Body></SOAP-ENV:Envelope>"),
         500, "not implemented"},
        {"a self-closing envelope",
         SoapPost(
             server_.Port(),
             "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"/>"),
         500, "<faultstring>"},
        {"an envelope with an empty body", SoapPost(server_.Port(), Envelope("")), 500,
         "<faultstring>"},
        {"well-formed, but no envelope", SoapPost(server_.Port(), "<a><b/></a>"), 500,
         "not a SOAP envelope: its top element is a"},
        {"UTF-16", SoapPost(server_.Port(), Utf16(UpdateRequest)), 500, "must be UTF-8"},
        {"80,000 attributes", SoapPost(server_.Port(), Envelope(Attributes(80000))), 500,
         "more than 64 attributes on one element"},
        {"9,300 nested elements", SoapPost(server_.Port(), Envelope(Nested(9300))), 500,
         "elements nested deeper than 32"},
        {"5,000 elements", SoapPost(server_.Port(), Envelope(Repeated("<e/>", 5000))), 500,
         "more than 4096 elements"},
        {"a request that is served", SoapPost(server_.Port(), UpdateRequest), 200,
         "<return>true</return>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        TRawConnection connection(server_.Port());
        connection.Send(c.Request);
        const std::string answer = connection.ReadAll();
        EXPECT_EQ(StatusOf(answer), c.Status);
        EXPECT_NE(answer.find(c.Says), std::string::npos) << answer;
    }
    EXPECT_EQ(SplitFailure(server_), "");
}

TEST_F(LimitsE2ETest, TheRealClientHearsWhyItsRequestIsTooLarge) {
    const std::string huge(1100 * 1024, 'a');
    const std::string endpoint = server_.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "limits-test";
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    try {
        client.LoadSentences(huge.c_str(), 0, sentences);
        ADD_FAILURE() << "no error";
    } catch (const TCustomException &e) {
        EXPECT_NE(std::string(e.Message()).find("larger than 1048576 bytes"), std::string::npos) << cp1254::ToUtf8(e.Message());
    }
}

TEST_F(LimitsE2ETest, IdleAndCutOffConnectionsEndAndHarmNobody) {
    TRawConnection silent(server_.Port());
    TRawConnection halfHeader(server_.Port());
    halfHeader.Send("POST /Project2.DemoServer/soap/IDemoServer HTTP/1.1\r\nContent-Le");
    TRawConnection halfBody(server_.Port());
    halfBody.Send(SoapPost(server_.Port(), UpdateRequest).substr(0, 250));
    {
        // Gone in the middle of its request, and another before reading its answer.
        TRawConnection gone(server_.Port());
        gone.Send(SoapPost(server_.Port(), UpdateRequest).substr(0, 200));
        TRawConnection impatient(server_.Port());
        impatient.Send(SoapPost(server_.Port(), UpdateRequest));
    }
    EXPECT_EQ(SplitFailure(server_), "") << "served while the others hang";
    EXPECT_TRUE(silent.ClosedWithin(10));
    EXPECT_TRUE(halfHeader.ClosedWithin(10));
    EXPECT_TRUE(halfBody.ClosedWithin(10));
    EXPECT_EQ(SplitFailure(server_), "");
}

TEST_F(LimitsE2ETest, EveryRequestLeavesOneLogLine) {
    ASSERT_EQ(SplitFailure(server_), "");
    {
        TRawConnection connection(server_.Port());
        connection.Send(SoapPost(server_.Port(), "<a/>"));
        connection.ReadAll();
    }
    HttpGet(server_.Port(), "/demoserver.txt");
    // The line is written when the connection is already closed: wait for it (bounded).
    std::string log;
    for (int i = 0; i < 500 && log.find("GET /demoserver.txt") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        log = server_.Log();
    }
    const struct {
        const char *Label;
        const char *Pattern;
    } lines[] = {
        {"login", R"(127\.0\.0\.1 Login in=\d+ out=\d+ [0-9.]+ms ok\n)"},
        {"split", R"(127\.0\.0\.1 ParseSentences in=\d+ out=\d+ [0-9.]+ms ok 2 sentences\n)"},
        {"page", R"(127\.0\.0\.1 GET /demoserver\.txt in=\d+ out=\d+ [0-9.]+ms 200\n)"},
        {"no envelope",
         R"(127\.0\.0\.1 POST in=\d+ out=\d+ [0-9.]+ms 500 The request is refused: not a SOAP envelope)"},
    };
    for (const auto &line : lines) {
        SCOPED_TRACE(line.Label);
        EXPECT_TRUE(std::regex_search(log, std::regex(line.Pattern))) << log;
    }
}

TEST(StopE2ETest, SigtermFinishesTheRequestsInFlightAndExitsZero) {
    TempConfigHome home;
    TDemoServerProcess server;
    const std::string endpoint = server.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "stop-test";
    client.EnsureSession("", "");
    // Long enough to be still in synthesis when the signal comes.
    std::string text;
    for (int i = 0; i < 8; ++i) text += "Bu uzun metin durdurma sırasında okunuyor. "_cp;

    TRawConnection busy(server.Port());
    ASSERT_TRUE(busy.Send(SoapPost(server.Port(), SynthesiseRequest(std::string(client.SessionID.View()), text))));
    TRawConnection waiting(server.Port());
    ASSERT_TRUE(waiting.Send(SoapPost(server.Port(), UpdateRequest)));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.Stop();

    const std::string answer = busy.ReadAll();
    EXPECT_EQ(StatusOf(answer), 200) << answer.substr(0, 300);
    EXPECT_NE(answer.find("<return>"), std::string::npos);
    EXPECT_EQ(StatusOf(waiting.ReadAll()), 200);
    ASSERT_TRUE(WIFEXITED(server.ExitStatus()));
    EXPECT_EQ(WEXITSTATUS(server.ExitStatus()), 0);
}

}  // namespace
