// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form_login.h"

#include <wx/dialog.h>

#include "app/login_settings.h"
#include "foundation/exceptions.h"
#include "foundation/registry_settings.h"
#include "service/demo_client_base.h"
#include "service/local_service.h"
#include "service/server_discovery.h"

namespace {

// The password is hidden as it is typed, and the buttons sit under the fields (the template
// this follows kept the characters visible and left a third of the dialog empty).
const TDialogTemplate LoginTemplate{
    LoginFormTemplateId, 242, 104, "", dsCaption | dsSysMenu,
    {
        {IDC_STATIC, TControlKind::Text, 0, 7, 19, 56, 8, "E-Posta Adresiniz"},
        {LoginEmailId, TControlKind::Edit, csBorder | csTabStop | csAutoHScroll, 8, 30, 227, 14, ""},
        {IDC_STATIC, TControlKind::Text, 0, 8, 51, 24, 8, "Şifreniz"_cp},
        {LoginPasswordId, TControlKind::Edit, csBorder | csTabStop | csAutoHScroll | csPassword, 7, 61, 228,
         14, ""},
        {IDOK, TControlKind::DefPushButton, csTabStop, 133, 84, 50, 14, "Tamam"},
        {IDCANCEL, TControlKind::PushButton, csTabStop, 185, 84, 50, 14, "İptal"_cp},
    }};

}  // namespace

TFormLogin::TFormLogin() : TForm(LoginTemplate) {
    BindControl(LoginEmailId, Email);
    BindControl(LoginPasswordId, Password);
}

bool TFormLogin::OnInitDialog() {
    if (!TForm::OnInitDialog()) return false;
    return Guarded([this] {
        bool english = false;
        try {
            english = ReadInterfaceIsEnglish() == 1;
        } catch (const TCustomException &) {
            // Turkish, the interface's default
        }
        Dialog()->SetTitle(wxString::FromUTF8(LoginTitle(english)));
        Email.SetFocus();
    });
}

void TFormLogin::OnOK() {
    const bool loggedIn = Guarded([&] {
        if (!Client) RaiseError("Service Client Not Assigned");
        const MyString password = Password.GetWholeTextAnsi();
        const MyString email = Email.GetWholeTextAnsi();
        LogInAndRemember(*Client, email, password);
    });
    if (loggedIn) TForm::OnOK();
}

int32_t RunLoginDialog(TDemoClientBase &client) {
    MyString address;
    if (!TForm::Guarded([&] {
            EnsureLocalService();
            ServerAddressLookup lookup;
            FindServerAddress(lookup, address);
        }))
        return IDCANCEL;
    client.soap_endpoint = address.Text();
    TFormLogin login;
    login.Client = &client;
    const int32_t result = login.ShowModal();
    client.soap_endpoint = nullptr;
    return result;
}
