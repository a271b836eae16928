// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Read command does before it starts a reading: find the speech service, point the
// client at it, and make sure the service still accepts this client. When the service asks
// for a newer client the user can only go on by updating: the installer (a Debian package)
// is downloaded to the temporary folder and handed to the desktop, and the process ends so
// that the package can replace the program. Runs on the thread that then uses the client
// (a reading's thread, before its first call), never on the UI thread: a service that does
// not answer must not freeze the window. Its questions reach the UI thread as message boxes.

#include <functional>

#include "foundation/my_string.h"

class TDemoClientBase;

// 1. FindServerAddress with a fresh lookup into `serverAddress`; the client's endpoint is
//    set to its text (the caller keeps `serverAddress` alive and unchanged while the client
//    is used).
// 2. CheckUpdateRequired (cached by the client after its first success): false returns, the
//    reading goes on.
// 3. Asks whether to update now (Yes/No); any answer but Yes raises the refusal as a
//    TException, and the question comes again at the next Read.
// 4. Downloads GetSetupUrl's address into InstallerFileName(), shows the notice that the
//    program now closes, starts the installer and ends the process with exit code 0.
// Failures raise the program's exceptions: the client's, "File Not Opened %s",
// TWinInetException for a download that fails or answers an HTTP error status, and
// ShellOpen's. When no complete installer was written, the file is removed again and
// nothing is started, so a broken download is never taken for an installer.
void FindServerAndCheckForUpdate(TDemoClientBase &client, MyString &serverAddress);

// TempFolder() + "Narrelo_LastSetup.deb". Any file of that name is replaced by a new one
// that belongs to the user alone; one the user may not remove (another user's, in a shared
// temporary folder) makes the download fail with "File Not Opened %s" instead of writing
// through it.
MyString InstallerFileName();

// The last two steps, replaceable so that tests observe them without the test process
// ending. An empty function restores the default (ShellOpen; ending the process at once
// with std::_Exit, without running any clean-up). Each returns the previous handler. An
// ender that returns does not save the reading: the process still ends (a test's ender
// throws instead).
using TInstallerStarter = std::function<void(const char *path)>;
using TProcessEnder = std::function<void(int exitCode)>;
TInstallerStarter SetInstallerStarter(TInstallerStarter starter);
TProcessEnder SetProcessEnder(TProcessEnder ender);
