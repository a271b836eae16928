// SPDX-License-Identifier: GPL-3.0-or-later
// The login dialog's OK without the window: the typed values go to the service's Login and,
// only when it succeeded, into the settings store.

#include <gtest/gtest.h>

#include "app/login_settings.h"
#include "foundation/code_page.h"
#include "tests/app/support/login_fixture.h"
#include "tests/support/raised_message.h"

namespace {

TEST(LoginSettingsTest, SuccessfulLoginStoresBothValues) {
    const struct {
        const char *label;
        const char *user;
        const char *password;
        std::string userXml, passwordXml;
    } cases[] = {
        {"empty password", "ayse@example.com.tr", "", "ayse@example.com.tr", ""},
        {"Turkish letters and markup", "\xE7i\xF0" "dem@ornek.tr", "\xFE" "ifre<&>",
         "\xC3\xA7i\xC3\xB0" "dem@ornek.tr", "\xC3\xBE" "ifre&lt;&amp;&gt;"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TLoginFixture f;
        f.Server.AddReply(LoginReply("client-7", "session-1"));
        LogInAndRemember(f.Client, c.user, c.password);
        ASSERT_EQ(f.Server.Requests().size(), 1u);
        EXPECT_EQ(RequestElement(f.Server.Requests()[0]), LoginElement(c.userXml, c.passwordXml));
        EXPECT_EQ(f.Client.SessionID.View(), "session-1");
        EXPECT_EQ(StoredLoginValue(u"UserName"), c.user);
        EXPECT_EQ(StoredLoginValue(u"Password"), c.password);
        EXPECT_EQ(StoredLoginValue(u"ClientID"), "client-7");
    }
}

TEST(LoginSettingsTest, FailedLoginWritesNothing) {
    TLoginFixture f;
    f.Server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Server", "Kullan\xC3\xBD" "c\xC3\xBD bulunamad\xC3\xBD")), 500);
    const std::string message = MessageOf([&] { LogInAndRemember(f.Client, "a@b.c", "x"); });
    EXPECT_EQ(message, "WebServis çağrısında hata oluştu\r\n\r\nKullanıcı bulunamadı"_cp);
    EXPECT_EQ(StoredLoginValue(u"UserName"), std::nullopt);
    EXPECT_EQ(StoredLoginValue(u"Password"), std::nullopt);
    EXPECT_EQ(StoredLoginValue(u"ClientID"), std::nullopt);
    EXPECT_EQ(f.Client.SessionID.Length(), 0);
}

}  // namespace
