// SPDX-License-Identifier: GPL-3.0-or-later
// The generated service skeleton (the demo server's side of IDemoServer) answering the
// client over loopback: what a service reads from the client's literal-XML parameters, and
// that its answers reach the client byte for byte.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <netinet/in.h>

#include <string>
#include <thread>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "service/demo_client.h"
#include "protocol/xml_text.h"
#include "soapIDemoServerbindingService.h"
#include "tests/support/temp_config_home.h"

namespace {

// Implements Login only; every other operation keeps the skeleton's default answer.
class TLoginService : public IDemoServerbindingService {
public:
    TLoginService() : IDemoServerbindingService(0, 0) {}

    int Login(int applicationID, int version, char *userName, char *password, char *clientID,
              ns1__LoginResponse &result) override {
        ApplicationID = applicationID;
        Version = version;
        UserName = UnescapeXmlText(userName ? userName : "");
        Password = UnescapeXmlText(password ? password : "");
        ClientID = UnescapeXmlText(clientID ? clientID : "");
        result.ClientID = soap_strdup(this, "\xC7\xFD\r\n<&>");
        result.return_ = soap_strdup(this, "oturum-1");
        return SOAP_OK;
    }

    // Written by the service thread, read by the test after joining it.
    int ApplicationID = 0;
    int Version = 0;
    std::string UserName, Password, ClientID;
};

TEST(DemoServerSkeletonTest, ServiceReadsTheClientsBytesAndAnswersReachItUnchanged) {
    TempConfigHome home;
    TLoginService service;
    service.accept_timeout = 20;  // bounded: the thread ends even when the client never comes
    ASSERT_TRUE(soap_valid_socket(soap_bind(&service, "127.0.0.1", 0, 2)));
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ASSERT_EQ(getsockname(service.master, reinterpret_cast<sockaddr *>(&address), &length), 0);
    const std::string endpoint =
        "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/soap/IDemoServer";

    std::thread server([&service] {
        for (int call = 0; call < 2; ++call) {
            if (!soap_valid_socket(soap_accept(&service))) break;
            service.serve();
            service.destroy();
        }
    });

    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.recv_timeout = 20;
    const std::string userName = "kullan\xFD" "c\xFD\r\n<&>\"\t";
    client.EnsureSession(userName.c_str(), "\xFE" "ifre");
    std::string updateFailure;
    try {
        client.CheckUpdateRequired();  // not implemented by this service
    } catch (const TCustomException &e) {
        updateFailure = e.Message();
    }
    server.join();

    EXPECT_EQ(service.ApplicationID, -1);
    EXPECT_EQ(service.Version, 13);
    EXPECT_EQ(service.UserName, userName);
    EXPECT_EQ(service.Password, "\xFE" "ifre");
    EXPECT_EQ(service.ClientID, "");
    EXPECT_STREQ(client.ClientID.Text(), "\xC7\xFD\r\n<&>");
    EXPECT_STREQ(client.SessionID.Text(), "oturum-1");
    EXPECT_EQ(updateFailure.rfind("WebServis çağrısında hata oluştu\r\n\r\n"_cp, 0), 0u)
        << updateFailure;
}

}  // namespace
