// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFormLogin: asks for an e-mail address and a password, logs the service client in with
// them and keeps both in the settings (app/login_settings.h). Run modally by its caller
// (`narrelo --login`), which sets Client first.
//
// OK: a failed log-in (or a settings failure) shows its message and keeps the dialog open
// with what was typed; nothing is written then. Cancel closes without doing anything.

#include <cstdint>

#include "ui/edit.h"
#include "ui/form.h"

class TDemoClientBase;

inline constexpr int32_t LoginFormTemplateId = 135;
inline constexpr int32_t LoginEmailId = 1000;
inline constexpr int32_t LoginPasswordId = 1036;

class TFormLogin : public TForm {
public:
    TFormLogin();

    TEdit Email;     // 1000
    TEdit Password;  // 1036, the typed characters are hidden
    // The client the log-in goes to; not owned. Null: OK raises "Service Client Not Assigned".
    TDemoClientBase *Client = nullptr;

protected:
    // The title in the interface language, the focus in the e-mail field.
    bool OnInitDialog() override;
    void OnOK() override;
};

// The dialog's title (UTF-8).
inline const char *LoginTitle(bool english) {
    return english ? "Narrelo: log in to the speech service" : "Narrelo: konuşma servisine giriş";
}

// `narrelo --login`: the log-in dialog before the main window. Points `client` at the server
// that server discovery finds (as a reading does), runs the dialog modally and leaves the
// client without endpoint again (a reading sets its own); the session of a successful log-in
// stays in the client for the readings. Returns the dialog's result (IDOK, IDCANCEL), or
// IDCANCEL when the server address could not be found (the message is shown).
int32_t RunLoginDialog(TDemoClientBase &client);
