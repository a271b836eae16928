// SPDX-License-Identifier: GPL-3.0-or-later
// TDemoClient against a loopback service: what each call sends, how sessions and client
// identifiers are kept, and the texts of its failures.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "foundation/registry.h"
#include "records/demo_audios.h"
#include "records/narrelo_cumles.h"
#include "service/demo_client.h"
#include "service/local_service.h"
#include "tests/service/support/service_fixtures.h"
#include "tests/service/support/soap_test_server.h"
#include "tests/support/full_listener.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/raised_message.h"

namespace {

constexpr const char16_t *ClientIDKey = u"Software\\Valtrosa\\Quellar\\Narrelo";

std::string LoginElement(std::string_view user, std::string_view password,
                         std::string_view clientID) {
    return "<ns1:Login><AAplicationID>-1</AAplicationID><AVersion>13</AVersion><AUserName>" +
           std::string(user) + "</AUserName><APassword>" + std::string(password) +
           "</APassword><ClientID>" + std::string(clientID) + "</ClientID></ns1:Login>";
}

std::string SetupUrlElement(std::string_view session) {
    return "<ns1:LastSetupUrl2><SessionID>" + std::string(session) +
           "</SessionID></ns1:LastSetupUrl2>";
}

MyString StoredClientID() {
    TRegistry registry(HKEY_CURRENT_USER, ClientIDKey);
    if (!registry.OpenIfExists() || !registry.ValueExists(u"ClientID")) return MyString();
    return registry.ReadString(u"ClientID");
}

void StoreClientID(const char *value) {
    TRegistry registry(HKEY_CURRENT_USER, ClientIDKey);
    registry.CreateIfMissing = true;
    registry.WriteString(u"ClientID", value, int32_t(std::strlen(value)));
}

std::string Heading() { return "WebServis çağrısında hata oluştu\r\n\r\n"_cp; }

class DemoClientTest : public ::testing::Test {
protected:
    DemoClientTest() {
        client.soap_endpoint = endpoint.c_str();
        client.recv_timeout = 20;  // a fault of the test server must not hang the suite
    }

    std::vector<std::string> Elements() const {
        std::vector<std::string> out;
        for (const std::string &request : server.Requests()) out.push_back(RequestElement(request));
        return out;
    }

    TempConfigHome home;
    TSoapTestServer server;
    std::string endpoint = server.Endpoint();
    TDemoClient client;
};

TEST(DemoClientSettingsTest, ConstructorSettings) {
    TDemoClient client;
    EXPECT_EQ(client.imode & SOAP_IO, 0);
    EXPECT_EQ(client.omode & (SOAP_IO | SOAP_IO_KEEPALIVE | SOAP_ENC_ZLIB | SOAP_XML_INDENT |
                              SOAP_C_UTFSTRING), 0);
    EXPECT_EQ(client.recv_timeout, 60);
    EXPECT_EQ(client.send_timeout, 60);
    // No call waits forever, however slowly the service answers.
    EXPECT_EQ(client.transfer_timeout, 120);
    EXPECT_EQ(client.connect_timeout, 10);
    EXPECT_EQ(client.recv_maxlength, uint64_t(64) << 20);
    EXPECT_EQ(client.HeaderLineLimit, 100);
    EXPECT_EQ(client.imode & ~SOAP_XML_IGNORENS, 0);
    EXPECT_EQ(client.soap_endpoint, nullptr);
    EXPECT_EQ(client.header, nullptr);
    EXPECT_FALSE(client.UpdateChecked);
    EXPECT_EQ(client.SessionID.Length(), 0);
    EXPECT_EQ(client.ApplicationID, -1);
    EXPECT_EQ(client.ClientVersion, 13);
}

TEST_F(DemoClientTest, FirstLoginWithoutStoredClientIDStoresTheNewOne) {
    server.AddReply(LoginReply("c-new", "s1"));
    server.AddReply(ReturnReply("LastSetupUrl2", "http://example.test/setup.exe"));
    EXPECT_STREQ(client.GetSetupUrl().Text(), "http://example.test/setup.exe");
    EXPECT_EQ(Elements(), (std::vector<std::string>{LoginElement("", "", ""), SetupUrlElement("s1")}));
    EXPECT_STREQ(client.ClientID.Text(), "c-new");
    EXPECT_STREQ(client.SessionID.Text(), "s1");
    EXPECT_STREQ(StoredClientID().Text(), "c-new");
}

TEST_F(DemoClientTest, StoredClientIDIsSentAndNotOverwritten) {
    StoreClientID("c-old");
    server.AddReply(LoginReply("c-new", "s1"));
    server.AddReply(ReturnReply("LastSetupUrl2", ""));
    EXPECT_STREQ(client.GetSetupUrl().Text(), "");
    EXPECT_EQ(Elements()[0], LoginElement("", "", "c-old"));
    EXPECT_STREQ(client.ClientID.Text(), "c-new");
    EXPECT_STREQ(StoredClientID().Text(), "c-old");
}

TEST_F(DemoClientTest, EmptySessionFromLoginMakesTheNextCallLogInAgain) {
    server.AddReply(LoginReply("c1", ""));
    server.AddReply(ReturnReply("LastSetupUrl2", "u1"));
    server.AddReply(LoginReply("c1", "s2"));
    server.AddReply(ReturnReply("LastSetupUrl2", "u2"));
    server.AddReply(ReturnReply("LastSetupUrl2", "u3"));
    EXPECT_STREQ(client.GetSetupUrl().Text(), "u1");
    EXPECT_STREQ(client.GetSetupUrl().Text(), "u2");
    EXPECT_STREQ(client.GetSetupUrl().Text(), "u3");
    EXPECT_EQ(Elements(), (std::vector<std::string>{
                              LoginElement("", "", ""), SetupUrlElement(""),
                              LoginElement("", "", "c1"), SetupUrlElement("s2"),
                              SetupUrlElement("s2")}));
}

TEST_F(DemoClientTest, CredentialsAreSentOnlyByTheFirstLogin) {
    server.AddReply(LoginReply("c1", "s1"));
    client.EnsureSession("kullan\xFD" "c\xFD", "a<b&c");
    client.EnsureSession("other", "other");
    EXPECT_EQ(Elements(), (std::vector<std::string>{
                              LoginElement("kullan\xC3\xBD" "c\xC3\xBD", "a&lt;b&amp;c", "")}));
}

TEST_F(DemoClientTest, AbsentTextsAreSentAsEmptyElements) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(ReturnReply("Synthesise", Base64({0, 0, 0, 0})));
    client.EnsureSession(nullptr, nullptr);
    TDemoAudios audios;
    client.SynthesiseSentence(nullptr, 0, 1, 10, 10, 1, audios);
    EXPECT_EQ(Elements(), (std::vector<std::string>{
                              LoginElement("", "", ""),
                              "<ns1:Synthesise><SessionID>s1</SessionID><AText></AText>"
                              "<IsXML>false</IsXML><ASpeaker>1</ASpeaker><AVolume>10</AVolume>"
                              "<ASpeed>10</ASpeed><AFileType>1</AFileType></ns1:Synthesise>"}));
}

TEST_F(DemoClientTest, FailedLoginKeepsIdentifiers) {
    StoreClientID("c-old");
    server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Server", "kapal\xC3\xBD")), 500);
    EXPECT_EQ(MessageOf([&] { client.EnsureSession("", ""); }), Heading() + "kapal\xFD");
    EXPECT_EQ(client.ClientID.Length(), 0);
    EXPECT_EQ(client.SessionID.Length(), 0);
    EXPECT_STREQ(StoredClientID().Text(), "c-old");
}

TEST_F(DemoClientTest, UpdateAnswerIsCachedOnlyAfterSuccess) {
    server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Server", "busy")), 500);
    server.AddReply(ReturnReply("UpdateRequired2", "true"));
    EXPECT_EQ(MessageOf([&] { client.CheckUpdateRequired(); }), Heading() + "busy");
    EXPECT_FALSE(client.UpdateChecked);
    EXPECT_TRUE(client.CheckUpdateRequired());
    EXPECT_TRUE(client.CheckUpdateRequired());
    const std::string element =
        "<ns1:UpdateRequired2><AAplicationID>-1</AAplicationID><AVersion>13</AVersion>"
        "</ns1:UpdateRequired2>";
    EXPECT_EQ(Elements(), (std::vector<std::string>{element, element}));
}

TEST_F(DemoClientTest, SessionCallsWithoutEndpointSendNothing) {
    TMemoryStream stream;
    TNarreloCumles sentences;
    TDemoAudios audios;
    const std::pair<const char *, std::function<void()>> calls[] = {
        {"GetSetupUrl", [&] { client.GetSetupUrl(); }},
        {"LoadSynthesisedFile", [&] { client.LoadSynthesisedFile(stream, "f"); }},
        {"LoadSentences", [&] { client.LoadSentences("t", 0, sentences); }},
        {"SynthesiseSentence", [&] { client.SynthesiseSentence("t", 0, 1, 10, 10, 1, audios); }},
    };
    for (const char *endpointText : {static_cast<const char *>(nullptr), ""}) {
        client.soap_endpoint = endpointText;
        for (const auto &[label, call] : calls) {
            SCOPED_TRACE(label);
            EXPECT_EQ(MessageOf(call), "Server Address not specified in DSClient");
        }
    }
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(DemoClientTest, AudioFileBytesAreWrittenAtTheStreamPosition) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(ReturnReply("GetSynthesisedFile", "QUJD"));
    server.AddReply(ReturnReply("GetSynthesisedFile", ""));
    TMemoryStream stream;
    stream.Write("xy", 2);
    EXPECT_EQ(client.LoadSynthesisedFile(stream, "\xC7\xFD\r\n"), 3);
    EXPECT_EQ(client.LoadSynthesisedFile(stream, ""), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(stream.Memory()), size_t(stream.DataSize())),
              "xyABC");
    EXPECT_EQ(Elements()[1],
              "<ns1:GetSynthesisedFile><SessionID>s1</SessionID>"
              "<AFileID>\xC3\x87\xC3\xBD&#xD;&#xA;</AFileID></ns1:GetSynthesisedFile>");
}

TEST_F(DemoClientTest, LoadSentencesSendsTheTextAndAppendsTheUnscrambledSentences) {
    TNarreloCumles reply;
    reply.OwnsItems = true;
    const std::string longText(300, 'a');  // the payload spans two scrambling chunks
    for (const char *text : {"Çay."_cp, longText.c_str()}) {
        TNarreloCumle *sentence = reply.CreateItem();
        reply.Add(sentence);
        sentence->Text = text;
        sentence->Length = sentence->Text.Length();
    }
    const auto block = ScrambledBlock(Serialized(reply), 250);
    ASSERT_GT(block.size(), 8u + 256u);
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(ReturnReply("ParseSentences", Base64(block)));

    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    sentences.Add(sentences.CreateItem());  // loading appends
    client.LoadSentences("\xC7\xFD\r\nx", 2, sentences);
    ASSERT_EQ(sentences.Count(), 3);
    EXPECT_STREQ(sentences.Get(1)->Text.Text(), "Çay."_cp);
    EXPECT_EQ(sentences.Get(2)->Text.View(), longText);
    EXPECT_EQ(Elements()[1],
              "<ns1:ParseSentences><SessionID>s1</SessionID>"
              "<AText>\xC3\x87\xC3\xBD&#xD;&#xA;x</AText><IsXML>true</IsXML></ns1:ParseSentences>");
}

TEST_F(DemoClientTest, EmptySentenceAnswerIsInternalMemoryIsNil) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(ReturnReply("ParseSentences", ""));
    TNarreloCumles sentences;
    EXPECT_EQ(MessageOf([&] { client.LoadSentences("Metin.", 0, sentences); }),
              "Internal Memory Is Nil");
    EXPECT_EQ(sentences.Count(), 0);
}

TEST_F(DemoClientTest, SynthesiseSentenceAppendsTheAudioRecords) {
    TDemoAudios reply;
    for (const char *id : {"a1", "a2"}) {
        TDemoAudio *audio = reply.CreateItem();
        reply.Add(audio);
        audio->FileId = id;
        audio->Speaker = 2;
    }
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(ReturnReply("Synthesise", Base64(Serialized(reply))));
    TDemoAudios audios;
    client.SynthesiseSentence("Bir & iki.", 0, 2, 10, 9, 1, audios);
    ASSERT_EQ(audios.Count(), 2);
    EXPECT_STREQ(audios.Get(1)->FileId.Text(), "a2");
    EXPECT_EQ(Elements()[1],
              "<ns1:Synthesise><SessionID>s1</SessionID><AText>Bir &amp; iki.</AText>"
              "<IsXML>false</IsXML><ASpeaker>2</ASpeaker><AVolume>10</AVolume><ASpeed>9</ASpeed>"
              "<AFileType>1</AFileType></ns1:Synthesise>");
}

struct FailureCase {
    const char *label;
    std::string reply;
    int status;
    std::string message;
};

TEST_F(DemoClientTest, FailedCallsRaiseTheServiceErrorText) {
    const FailureCase cases[] = {
        {"fault string", SoapEnvelope(SoapFault("SOAP-ENV:Server", "Oturum yok")), 500,
         Heading() + "Oturum yok"},
        {"percent signs shown unchanged", SoapEnvelope(SoapFault("SOAP-ENV:Client", "100%s %d%%")),
         500, Heading() + "100%s %d%%"},
        {"client fault", SoapEnvelope(SoapFault("SOAP-ENV:Client", "bad")), 500, Heading() + "bad"},
        {"type mismatch has no fault of the service: the runtime's words",
         ReturnReply("UpdateRequired2", "maybe"), 200,
         Heading() + "Validation constraint violation: invalid value in element 'return'"},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.label);
        server.AddReply(c.reply, c.status);
        EXPECT_EQ(MessageOf([&] { client.CheckUpdateRequired(); }), c.message);
        EXPECT_EQ(client.fault, nullptr) << "the runtime's memory of the call is released";
    }
}

TEST_F(DemoClientTest, FailureWithoutFaultReportsItsOwnCauseNotAnOlderFault) {
    server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Server", "older fault")), 500);
    server.AddReply(ReturnReply("UpdateRequired2", "maybe"));
    EXPECT_EQ(MessageOf([&] { client.CheckUpdateRequired(); }), Heading() + "older fault");
    EXPECT_EQ(MessageOf([&] { client.CheckUpdateRequired(); }),
              Heading() + "Validation constraint violation: invalid value in element 'return'");
}

TEST_F(DemoClientTest, AnswerChildrenWithAPrefixAreMatchedByTheirLocalName) {
    server.AddReply(SoapEnvelope("<ns1:LoginResponse><ns1:ClientID>c1</ns1:ClientID>"
                                 "<ns1:return>s1</ns1:return></ns1:LoginResponse>"));
    server.AddReply(SoapEnvelope("<ns1:LastSetupUrl2Response xmlns:t=\"urn:elsewhere\">"
                                 "<t:return>u1</t:return></ns1:LastSetupUrl2Response>"));
    EXPECT_STREQ(client.GetSetupUrl().Text(), "u1");
    EXPECT_STREQ(client.SessionID.Text(), "s1");
    EXPECT_STREQ(client.ClientID.Text(), "c1");
}

// Services that answer too slowly, too much or not at all: every call ends, with the
// runtime's words for the cause. The bounds are lowered so that each case is quick; the
// program's own are checked in ConstructorSettings.
TEST_F(DemoClientTest, HostileServiceEndsTheCallWithTheRuntimesWords) {
    const std::string answer = HttpResponse(ReturnReply("UpdateRequired2", "true"));
    std::string manyHeaderLines = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 1000; ++i) manyHeaderLines += "X-Filler: " + std::to_string(i) + "\r\n";
    manyHeaderLines += answer.substr(answer.find("\r\n") + 2);
    const struct {
        const char *label;
        std::function<void()> arrange;
        std::string message;
    } cases[] = {
        {"an answer trickling one byte each 5 ms passes the overall deadline",
         [&] {
             server.AddTrickle(answer, 5);
             client.transfer_timeout = 1;
         },
         "End of file or no input: message transfer interrupted or timed out (1 sec max transfer "
         "time) (20 sec max recv delay) (60 sec max send delay)"},
        {"more header lines than allowed", [&] { server.AddRawReply(manyHeaderLines); },
         "Too many HTTP header lines (more than 100)"},
        {"an answer larger than allowed",
         [&] {
             server.AddReply(ReturnReply("UpdateRequired2", std::string(4000, '1')));
             client.recv_maxlength = 1000;
         },
         "End of file or no input: max message length exceeded"},
        {"silence past the receive timeout",
         [&] {
             server.AddSilence();
             client.recv_timeout = 1;
         },
         "End of file or no input: message transfer interrupted or timed out (120 sec max "
         "transfer time) (1 sec max recv delay) (60 sec max send delay)"},
        // On this machine's own address the message also says how to start the local service.
        {"nothing listening", [&] { client.soap_endpoint = "http://127.0.0.1:1/soap"; },
         "Connection refused\r\n\r\n" + cp1254::FromUtf8(LocalServiceAdvice(false))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        client.transfer_timeout = TDemoClient::TransferTimeoutSeconds;
        client.recv_maxlength = TDemoClient::MaxAnswerBytes;
        client.recv_timeout = 20;
        client.soap_endpoint = endpoint.c_str();
        c.arrange();
        EXPECT_EQ(MessageOf([&] { client.CheckUpdateRequired(); }), Heading() + c.message);
        EXPECT_FALSE(client.UpdateChecked);
    }
}

// The advice after "Connection refused" on the local address: in both languages, what a user
// without root can do (the service on the user's own socket, then its user socket unit)
// before the machine's shared socket, which is for an administrator; no command needs sudo.
TEST(LocalServiceAdvice, NamesWhatAUserCanDoAloneBeforeTheMachinesSocket) {
    for (const bool english : {false, true}) {
        SCOPED_TRACE(english ? "English" : "Turkish");
        const std::string advice = LocalServiceAdvice(english);
        const size_t alone = advice.find("\"narrelo-demoserver --user\"");
        const size_t userUnit = advice.find("\"systemctl --user start narrelo-demoserver.socket\"");
        const size_t socket = advice.find("\"systemctl enable --now narrelo-demoserver.socket\"");
        ASSERT_NE(alone, std::string::npos) << advice;
        ASSERT_NE(userUnit, std::string::npos) << advice;
        ASSERT_NE(socket, std::string::npos) << advice;
        EXPECT_LT(alone, userUnit) << advice;
        EXPECT_LT(userUnit, socket) << advice;
        EXPECT_EQ(advice.find("sudo"), std::string::npos) << advice;
    }
}

TEST_F(DemoClientTest, ServerThatNeverAnswersFails) {
    server.AddSilence();
    client.recv_timeout = 1;
    const std::string message = MessageOf([&] { client.CheckUpdateRequired(); });
    EXPECT_EQ(message.rfind(Heading(), 0), 0u) << message;
    EXPECT_GT(message.size(), Heading().size());
    EXPECT_FALSE(client.UpdateChecked);
}

// With a cancel flag the client connects in its own way: a cancel ends a call that is still
// connecting (the runtime's own connect would wait out its timeout), and the failures read
// as the runtime's do.
TEST_F(DemoClientTest, ACancelEndsACallStillConnectingAndTheFailuresKeepTheRuntimesWords) {
    TFullListener full;
    const std::string advice = "\r\n\r\n" + cp1254::FromUtf8(LocalServiceAdvice(false));
    const struct {
        const char *label;
        const char *endpoint;
        int connectTimeout;
        bool cancel;
        std::string message;  // empty: the resolver's words
    } cases[] = {
        // Without the cancel the call would wait the 10 s and say "Timeout".
        {"cancelled while connecting", full.Endpoint(), 10, true, "The call was cancelled"},
        {"no connection within the connect timeout", full.Endpoint(), 1, false, "Timeout" + advice},
        {"nothing listening", "http://127.0.0.1:1/soap", 10, false, "Connection refused" + advice},
        {"a name that is no host", "http://no-such-host.invalid:8081/soap", 10, false, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        std::atomic<bool> cancelled{false};
        client.Cancel = &cancelled;
        client.soap_endpoint = c.endpoint;
        client.connect_timeout = c.connectTimeout;
        std::thread canceller;
        if (c.cancel)
            canceller = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                cancelled = true;
            });
        const std::string message = MessageOf([&] { client.CheckUpdateRequired(); });
        if (canceller.joinable()) canceller.join();
        if (!c.message.empty()) {
            EXPECT_EQ(message, Heading() + c.message);
        }
        EXPECT_GT(message.size(), Heading().size());
        EXPECT_FALSE(client.UpdateChecked);
        // The runtime's own connect, without a cancel flag, says the same.
        if (!c.cancel) {
            client.Cancel = nullptr;
            EXPECT_EQ(MessageOf([&] { client.CheckUpdateRequired(); }), message);
        }
    }
    EXPECT_TRUE(server.Requests().empty()) << "nothing reached the service";
    client.Cancel = nullptr;
}

}  // namespace
