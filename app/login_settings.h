// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the login dialog's OK does, without the window: log the service client in with the
// typed e-mail address and password, then keep both in the current user's settings under
// "Software\Valtrosa\Quellar\Narrelo" as the string values "UserName" and "Password" (plain
// text: the settings store is the user's own file, mode 0600).
//
// The key is opened (created when missing) before the log-in, so a store that cannot be
// written fails before anything is sent. The values are written only after the log-in
// succeeded: a failed log-in (the service's message raised as a TException) writes nothing.

#include "foundation/my_string.h"

class TDemoClientBase;

void LogInAndRemember(TDemoClientBase &client, const MyString &userName, const MyString &password);
