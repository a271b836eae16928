// SPDX-License-Identifier: GPL-3.0-or-later
// The generated proxy of IDemoServer against a loopback server: every request as bytes, and
// how the answers (child order, unknown children, faults, bad values, silence) are read.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "soapIDemoServerbindingProxy.h"
#include "tests/service/support/soap_test_server.h"

namespace {

class Proxy : public IDemoServerbindingProxy {
public:
    explicit Proxy(const std::string &endpoint) : IDemoServerbindingProxy(0, 0), endpoint_(endpoint) {
        soap_endpoint = endpoint_.c_str();
        recv_timeout = 20;  // a fault of the test server must not hang the suite
        send_timeout = 20;
    }

private:
    std::string endpoint_;
};

char *Text(const char *text) { return const_cast<char *>(text); }

// What the runtime must send for a call whose request element is `element`.
std::string ExpectedRequest(int port, std::string_view action, std::string_view element) {
    const std::string body = SoapEnvelope(element) + "\r\n";
    return "POST /soap/IDemoServer HTTP/1.1\r\n"
           "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"
           "User-Agent: gSOAP/2.8\r\n"
           "Content-Type: text/xml; charset=utf-8\r\n"
           "Content-Length: " + std::to_string(body.size()) + "\r\n"
           "Connection: close\r\n"
           "SOAPAction: \"urn:DemoServerIntf-IDemoServer#" + std::string(action) + "\"\r\n"
           "\r\n" + body;
}

struct RequestCase {
    const char *label;
    const char *action;
    std::function<int(Proxy &)> call;
    const char *element;
};

class DemoServerProxyTest : public ::testing::Test {
protected:
    TSoapTestServer server;
    Proxy proxy{server.Endpoint()};
};

TEST_F(DemoServerProxyTest, EveryOperationSendsItsExactRequest) {
    bool flag = false;
    char *text = nullptr;
    ns1__LoginResponse login{};
    ns1__SpeakNormalResponse speakNormal{};
    xsd__base64Binary bytes;
    unsigned char history[] = {'A', 'B'};
    xsd__base64Binary historyIn;
    historyIn.__ptr = history;
    historyIn.__size = 2;

    const RequestCase cases[] = {
        {"UpdateRequired", "UpdateRequired", [&](Proxy &p) { return p.UpdateRequired(13, flag); },
         "<ns1:UpdateRequired><AVersion>13</AVersion></ns1:UpdateRequired>"},
        {"Login4", "Login4",
         [&](Proxy &p) {
             return p.Login4(Text("cid"), -1, 13, Text("user"), Text("pw"), Text("info"), text);
         },
         "<ns1:Login4><AExistsClientID>cid</AExistsClientID><AAplicationID>-1</AAplicationID>"
         "<AVersion>13</AVersion><AUserName>user</AUserName><APassword>pw</APassword>"
         "<AUserInfo>info</AUserInfo></ns1:Login4>"},
        {"LastSetupUrl takes nothing", "LastSetupUrl", [&](Proxy &p) { return p.LastSetupUrl(text); },
         "<ns1:LastSetupUrl></ns1:LastSetupUrl>"},
        {"UpdateRequired2", "UpdateRequired2",
         [&](Proxy &p) { return p.UpdateRequired2(-1, 13, flag); },
         "<ns1:UpdateRequired2><AAplicationID>-1</AAplicationID><AVersion>13</AVersion>"
         "</ns1:UpdateRequired2>"},
        {"Login", "Login",
         [&](Proxy &p) { return p.Login(-1, 13, Text("user"), Text("pw"), Text("cid"), login); },
         "<ns1:Login><AAplicationID>-1</AAplicationID><AVersion>13</AVersion>"
         "<AUserName>user</AUserName><APassword>pw</APassword><ClientID>cid</ClientID>"
         "</ns1:Login>"},
        {"Login with empty texts keeps every element", "Login",
         [&](Proxy &p) { return p.Login(-1, 13, Text(""), Text(""), Text(""), login); },
         "<ns1:Login><AAplicationID>-1</AAplicationID><AVersion>13</AVersion>"
         "<AUserName></AUserName><APassword></APassword><ClientID></ClientID></ns1:Login>"},
        {"LastSetupUrl2", "LastSetupUrl2", [&](Proxy &p) { return p.LastSetupUrl2(Text("sid"), text); },
         "<ns1:LastSetupUrl2><SessionID>sid</SessionID></ns1:LastSetupUrl2>"},
        {"Speak", "Speak",
         [&](Proxy &p) { return p.Speak(Text("sid"), Text("txt"), true, 2, 10, 9, 1, bytes); },
         "<ns1:Speak><SessionID>sid</SessionID><AText>txt</AText><IsXML>true</IsXML>"
         "<ASpeaker>2</ASpeaker><AVolume>10</AVolume><ASpeed>9</ASpeed><AFileType>1</AFileType>"
         "</ns1:Speak>"},
        {"SpeakNormal", "SpeakNormal",
         [&](Proxy &p) { return p.SpeakNormal(Text("sid"), Text("txt"), Text("par"), speakNormal); },
         "<ns1:SpeakNormal><ASessionID>sid</ASessionID><AText>txt</AText>"
         "<AParameters>par</AParameters></ns1:SpeakNormal>"},
        {"GetKey", "GetKey", [&](Proxy &p) { return p.GetKey(Text("sid"), text); },
         "<ns1:GetKey><ASessionID>sid</ASessionID></ns1:GetKey>"},
        {"ParseSentences", "ParseSentences",
         [&](Proxy &p) { return p.ParseSentences(Text("sid"), Text("txt"), false, bytes); },
         "<ns1:ParseSentences><SessionID>sid</SessionID><AText>txt</AText><IsXML>false</IsXML>"
         "</ns1:ParseSentences>"},
        {"ParseSentencesNoCrypt", "ParseSentencesNoCrypt",
         [&](Proxy &p) {
             return p.ParseSentencesNoCrypt(Text("sid"), Text("txt"), true, false, text);
         },
         "<ns1:ParseSentencesNoCrypt><ASessionID>sid</ASessionID><AText>txt</AText>"
         "<AIsXML>true</AIsXML><AReturnAsUTF8>false</AReturnAsUTF8></ns1:ParseSentencesNoCrypt>"},
        {"Synthesise", "Synthesise",
         [&](Proxy &p) { return p.Synthesise(Text("sid"), Text("txt"), false, 1, 10, 10, 1, bytes); },
         "<ns1:Synthesise><SessionID>sid</SessionID><AText>txt</AText><IsXML>false</IsXML>"
         "<ASpeaker>1</ASpeaker><AVolume>10</AVolume><ASpeed>10</ASpeed><AFileType>1</AFileType>"
         "</ns1:Synthesise>"},
        {"GetSynthesisedFile", "GetSynthesisedFile",
         [&](Proxy &p) { return p.GetSynthesisedFile(Text("sid"), Text("f-1"), bytes); },
         "<ns1:GetSynthesisedFile><SessionID>sid</SessionID><AFileID>f-1</AFileID>"
         "</ns1:GetSynthesisedFile>"},
        {"SetListenHistory", "SetListenHistory",
         [&](Proxy &p) { return p.SetListenHistory(historyIn, true, bytes); },
         "<ns1:SetListenHistory><AHistory>QUI=</AHistory><AStore>true</AStore>"
         "</ns1:SetListenHistory>"},
    };
    for (const RequestCase &c : cases) {
        SCOPED_TRACE(c.label);
        const size_t before = server.RequestCount();
        c.call(proxy);  // answered by the server's "no canned reply" fault
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), before + 1);
        EXPECT_EQ(requests.back(), ExpectedRequest(server.Port(), c.action, c.element));
    }
}

TEST_F(DemoServerProxyTest, NullEndpointMeansTheGeneratedDefault) {
    IDemoServerbindingProxy fresh(0, 0);
    EXPECT_EQ(fresh.soap_endpoint, nullptr);
    fresh.connect_timeout = 5;
    bool answer = false;
    fresh.UpdateRequired2(-1, 13, answer);  // nothing listens there in the test; it may fail
    EXPECT_STREQ(fresh.soap_endpoint, "http://localhost:8081/Project2.DemoServer/soap/IDemoServer");
}

struct LoginReplyCase {
    const char *label;
    const char *body;
    const char *clientID;  // null: expect a null string
    const char *session;
};

TEST_F(DemoServerProxyTest, LoginAnswerChildrenAreMatchedByName) {
    const LoginReplyCase cases[] = {
        {"in order", "<ns1:LoginResponse><ClientID>c1</ClientID><return>s1</return></ns1:LoginResponse>",
         "c1", "s1"},
        {"return first", "<ns1:LoginResponse><return>s2</return><ClientID>c2</ClientID></ns1:LoginResponse>",
         "c2", "s2"},
        {"unknown child skipped",
         "<ns1:LoginResponse><Extra><Deep>x</Deep></Extra><return>s3</return>"
         "<ClientID>c3</ClientID></ns1:LoginResponse>",
         "c3", "s3"},
        {"missing ClientID stays null", "<ns1:LoginResponse><return>s5</return></ns1:LoginResponse>",
         nullptr, "s5"},
        {"nil ClientID is null",
         "<ns1:LoginResponse><ClientID xsi:nil=\"true\"/><return>s6</return></ns1:LoginResponse>",
         nullptr, "s6"},
        {"any response element name",
         "<ns1:Other><ClientID>c7</ClientID><return>s7</return></ns1:Other>", "c7", "s7"},
        {"multi-reference value",
         "<ns1:LoginResponse><ClientID href=\"#r1\"/><return>s8</return></ns1:LoginResponse>"
         "<item id=\"r1\" xsi:type=\"xsd:string\">c8</item>",
         "c8", "s8"},
        {"characters up to U+00FF become their byte, above keep the low 8 bits",
         "<ns1:LoginResponse><ClientID>\xC3\x87\xC3\xBD&#xD;&#xA;\xC4\xB0</ClientID>"
         "<return>&amp;&lt;&gt;</return></ns1:LoginResponse>",
         "\xC7\xFD\r\n\x30", "&<>"},
    };
    for (const LoginReplyCase &c : cases) {
        SCOPED_TRACE(c.label);
        server.AddReply(SoapEnvelope(c.body));
        ns1__LoginResponse answer{};
        ASSERT_EQ(proxy.Login(-1, 13, Text(""), Text(""), Text(""), answer), SOAP_OK);
        if (c.clientID) {
            EXPECT_STREQ(answer.ClientID, c.clientID);
        } else {
            EXPECT_EQ(answer.ClientID, nullptr);
        }
        EXPECT_STREQ(answer.return_, c.session);
        proxy.destroy();
    }
}

struct BooleanCase {
    const char *label;
    const char *text;
    int error;
    bool value;
};

TEST_F(DemoServerProxyTest, BooleanAnswerAcceptsOnlyFourSpellings) {
    const BooleanCase cases[] = {
        {"true", "true", SOAP_OK, true},
        {"false", "false", SOAP_OK, false},
        {"one", "1", SOAP_OK, true},
        {"zero", "0", SOAP_OK, false},
        {"yes is a type mismatch", "yes", SOAP_TYPE, false},
        {"two is a type mismatch", "2", SOAP_TYPE, false},
    };
    for (const BooleanCase &c : cases) {
        SCOPED_TRACE(c.label);
        server.AddReply(SoapEnvelope(std::string("<ns1:UpdateRequired2Response><return>") + c.text +
                                     "</return></ns1:UpdateRequired2Response>"));
        bool answer = false;
        EXPECT_EQ(proxy.UpdateRequired2(-1, 13, answer), c.error);
        EXPECT_EQ(answer, c.value);
        proxy.destroy();
    }
}

struct BinaryCase {
    const char *label;
    const char *returnElement;
    int error;
    std::string bytes;
};

TEST_F(DemoServerProxyTest, Base64AnswerIsDecoded) {
    const BinaryCase cases[] = {
        {"plain", "<return>QUJD</return>", SOAP_OK, "ABC"},
        {"empty element", "<return></return>", SOAP_OK, ""},
        {"self-closing", "<return/>", SOAP_OK, ""},
        {"missing return", "", SOAP_OK, ""},
        {"typed base64Binary", "<return xsi:type=\"xsd:base64Binary\">AAE=</return>", SOAP_OK,
         std::string("\0\x01", 2)},
        {"typed SOAP-ENC:base64", "<return xsi:type=\"SOAP-ENC:base64\">QQ==</return>", SOAP_OK, "A"},
        {"wrong xsi:type", "<return xsi:type=\"xsd:int\">QQ==</return>", SOAP_TYPE, ""},
    };
    for (const BinaryCase &c : cases) {
        SCOPED_TRACE(c.label);
        server.AddReply(SoapEnvelope(std::string("<ns1:SynthesiseResponse>") + c.returnElement +
                                     "</ns1:SynthesiseResponse>"));
        xsd__base64Binary answer;
        EXPECT_EQ(proxy.Synthesise(Text("sid"), Text("t"), false, 1, 10, 10, 1, answer), c.error);
        if (c.error == SOAP_OK) {
            EXPECT_EQ(answer.__size, int(c.bytes.size()));
            if (answer.__size > 0) {
                EXPECT_EQ(std::string(reinterpret_cast<const char *>(answer.__ptr), size_t(answer.__size)),
                          c.bytes);
            }
        }
        proxy.destroy();
    }
}

struct FaultCase {
    const char *code;
    int error;
};

TEST_F(DemoServerProxyTest, FaultCodeDecidesTheErrorNumberAndItsStringIsKept) {
    const FaultCase cases[] = {
        {"SOAP-ENV:Server", 2},         {"SOAP-ENV:Receiver", 2},
        {"SOAP-ENV:Client", 1},         {"SOAP-ENV:Sender", 1},
        {"SOAP-ENV:MustUnderstand", 8}, {"SOAP-ENV:VersionMismatch", 39},
        {"ns1:Custom", 12},
    };
    for (const FaultCase &c : cases) {
        SCOPED_TRACE(c.code);
        server.AddReply(SoapEnvelope(SoapFault(c.code, "Oturum 100% dolu")), 500);
        bool answer = false;
        EXPECT_EQ(proxy.UpdateRequired2(-1, 13, answer), c.error);
        ASSERT_NE(proxy.soap_fault(), nullptr);
        EXPECT_STREQ(proxy.soap_fault_string(), "Oturum 100% dolu");
        proxy.destroy();
    }
}

TEST_F(DemoServerProxyTest, BodyWithoutResponseOrFaultIsAClientFault) {
    server.AddReply(SoapEnvelope(""));
    bool answer = false;
    EXPECT_NE(proxy.UpdateRequired2(-1, 13, answer), SOAP_OK);
    ASSERT_NE(proxy.soap_fault(), nullptr);
    EXPECT_STREQ(proxy.fault->faultcode, "SOAP-ENV:Client");
}

TEST_F(DemoServerProxyTest, ServerThatNeverAnswersFailsAtTheReceiveTimeout) {
    server.AddSilence();
    proxy.recv_timeout = 1;
    bool answer = false;
    EXPECT_NE(proxy.UpdateRequired2(-1, 13, answer), SOAP_OK);
    EXPECT_EQ(server.RequestCount(), 1u);
}

}  // namespace
