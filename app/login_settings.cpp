// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/login_settings.h"

#include "foundation/registry.h"
#include "foundation/settings_keys.h"
#include "service/demo_client_base.h"

void LogInAndRemember(TDemoClientBase &client, const MyString &userName, const MyString &password) {
    TRegistry registry(HKEY_CURRENT_USER, settings_keys::Account);
    registry.CreateIfMissing = true;
    registry.SetOpen(true);

    const char *user = userName.Text() ? userName.Text() : "";
    const char *pass = password.Text() ? password.Text() : "";
    client.EnsureSession(user, pass);

    registry.WriteString(settings_keys::UserName, user, userName.Length());
    registry.WriteString(settings_keys::Password, pass, password.Length());
}
