// SPDX-License-Identifier: GPL-3.0-or-later
// The login dialog on real windows (run under Xvfb), logging in against a canned SOAP server
// in a fresh settings store.

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>

#include "app/form_login.h"
#include "foundation/code_page.h"
#include "foundation/registry_settings.h"
#include "tests/app/support/login_fixture.h"
#include "tests/support/fake_host.h"
#include "tests/ui/support/gui_test.h"

namespace {

class LoginDialogTest : public GuiTest {
protected:
    LoginDialogTest() { Login.Client = &F.Client; }

    // Types into the dialog's edits and presses a button, as the user would.
    static void Type(wxDialog *dialog, int32_t id, const char *utf8) {
        auto *edit = dynamic_cast<wxTextCtrl *>(dialog->FindWindow(id));
        ASSERT_NE(edit, nullptr) << id;
        edit->SetValue(wxString::FromUTF8(utf8));
    }
    static void Press(wxDialog *dialog, int32_t id) {
        wxWindow *button = dialog->FindWindow(id);
        ASSERT_NE(button, nullptr) << id;
        wxCommandEvent click(wxEVT_BUTTON, id);
        click.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(click);
    }
    static std::string Value(wxDialog *dialog, int32_t id) {
        return dynamic_cast<wxTextCtrl *>(dialog->FindWindow(id))->GetValue().utf8_string();
    }

    TLoginFixture F;
    TFormLogin Login;
};

// The password is hidden, the title is a real one in the interface language, and the buttons
// sit right under the fields.
TEST_F(LoginDialogTest, ShowsItsControlTable) {
    ASSERT_TRUE(Login.Create());
    wxDialog *dialog = Login.Dialog();
    EXPECT_EQ(dialog->GetTitle().utf8_string(), LoginTitle(false));
    const TDialogUnits &u = Login.Units();
    EXPECT_EQ(dialog->GetClientSize(), u.Size(242, 104));
    EXPECT_EQ(dynamic_cast<wxButton *>(dialog->FindWindow(IDOK))->GetLabel(), "Tamam");
    EXPECT_EQ(dynamic_cast<wxButton *>(dialog->FindWindow(IDCANCEL))->GetLabel().utf8_string(), "İptal");
    EXPECT_TRUE(dialog->FindWindow(LoginPasswordId)->HasFlag(wxTE_PASSWORD)) << "the password shows as typed";
    const wxRect password = dialog->FindWindow(LoginPasswordId)->GetRect();
    const wxRect ok = dialog->FindWindow(IDOK)->GetRect();
    EXPECT_GT(ok.GetTop(), password.GetBottom());
    EXPECT_LT(ok.GetTop() - password.GetBottom(), u.Y(14)) << "an empty area above the buttons";
    EXPECT_LT(dialog->GetClientSize().y - ok.GetBottom(), u.Y(14));
    // Left edges of the two edits, 8 and 7 units.
    EXPECT_EQ(Login.Email.GetLeft(true), u.X(8));
    EXPECT_EQ(Login.Password.GetLeft(true), u.X(7));
    Login.DestroyWindow();

    WriteInterfaceIsEnglish(1);
    ASSERT_TRUE(Login.Create());
    EXPECT_EQ(Login.Dialog()->GetTitle().utf8_string(), LoginTitle(true));
    Login.DestroyWindow();
}

TEST_F(LoginDialogTest, EmptyPasswordLogsInAndStoresBothValues) {
    F.Server.AddReply(LoginReply("client-3", "session-9"));
    WhenModal([](wxDialog *dialog) {
        Type(dialog, LoginEmailId, "zeynep@örnek.com.tr");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Login.ShowModal(), IDOK);
    ASSERT_EQ(F.Server.Requests().size(), 1u);
    EXPECT_EQ(RequestElement(F.Server.Requests()[0]),
              LoginElement("zeynep@\xC3\xB6rnek.com.tr", ""));
    EXPECT_EQ(StoredLoginValue(u"UserName"), cp1254::FromUtf8("zeynep@örnek.com.tr"));
    EXPECT_EQ(StoredLoginValue(u"Password"), "");
    EXPECT_EQ(F.Client.SessionID.View(), "session-9");
}

TEST_F(LoginDialogTest, FailedLoginShowsTheMessageKeepsTheDialogAndWritesNothing) {
    F.Server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Client", "Invalid password")), 500);
    TFakeHost boxes;
    bool stillOpen = false;
    std::string email, password;
    WhenModal([&](wxDialog *dialog) {
        Type(dialog, LoginEmailId, "can@ornek.tr");
        Type(dialog, LoginPasswordId, "yanlış");
        Press(dialog, IDOK);
        stillOpen = dialog->IsModal();
        email = Value(dialog, LoginEmailId);
        password = Value(dialog, LoginPasswordId);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(Login.ShowModal(), IDCANCEL);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"WebServis çağrısında hata oluştu\r\n\r\nInvalid password"_cp});
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(email, "can@ornek.tr");
    EXPECT_EQ(password, "yanlış");
    EXPECT_EQ(StoredLoginValue(u"UserName"), std::nullopt);
    EXPECT_EQ(StoredLoginValue(u"Password"), std::nullopt);
    EXPECT_EQ(F.Server.Requests().size(), 1u) << "Cancel sends nothing";
}

TEST_F(LoginDialogTest, RetryAfterAFailureUsesTheCorrectedPassword) {
    F.Server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Client", "Invalid password")), 500);
    F.Server.AddReply(LoginReply("client-4", "session-5"));
    TFakeHost boxes;
    WhenModal([](wxDialog *dialog) {
        Type(dialog, LoginEmailId, "can@ornek.tr");
        Type(dialog, LoginPasswordId, "eski");
        Press(dialog, IDOK);
        Type(dialog, LoginPasswordId, "yeni");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Login.ShowModal(), IDOK);
    ASSERT_EQ(F.Server.Requests().size(), 2u);
    EXPECT_EQ(RequestElement(F.Server.Requests()[1]), LoginElement("can@ornek.tr", "yeni"));
    EXPECT_EQ(StoredLoginValue(u"Password"), "yeni");
}

TEST_F(LoginDialogTest, LoginBeforeTheMainWindowGoesToTheDiscoveredServerAndKeepsTheSession) {
    {
        TRegistry maker(HKEY_CURRENT_USER, "Software\\Valtrosa");
        maker.CreateIfMissing = true;
        maker.WriteString(u"DemoServer", F.Endpoint.c_str(), int32_t(F.Endpoint.size()));
    }
    F.Server.AddReply(LoginReply("client-8", "session-2"));
    TDemoClient client;  // no endpoint of its own, as the main form's client before a reading
    WhenModal([](wxDialog *dialog) {
        Type(dialog, LoginEmailId, "deniz@ornek.tr");
        Type(dialog, LoginPasswordId, "gizli");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(RunLoginDialog(client), IDOK);
    ASSERT_EQ(F.Server.Requests().size(), 1u);
    EXPECT_EQ(RequestElement(F.Server.Requests()[0]), LoginElement("deniz@ornek.tr", "gizli"));
    EXPECT_EQ(client.SessionID.View(), "session-2");
    EXPECT_EQ(client.soap_endpoint, nullptr) << "the reading sets its own endpoint";
}

}  // namespace
